// Playing a job's stream buffers on its MIDI OUT device. Up to eight buffers are in the device
// at once; each position notification takes back the buffer that has finished and, while fills
// remain, refills and queues it.
#pragma once

#include <windows.h>

#include "engine/TempoLock.h"
#include "jobs/RecordingJob.h"
#include "song/Song.h"

namespace solvena::engine {

// Opens the stream, sets the song's time division and queues the first fills on the paused
// stream, so that starting it is one call. The open and the first buffer's calls are reported;
// false when the stream does not hold all it was given. With a lock, every fill's tempo records
// take the lock's scale as the fill is queued, and the stream's tempo starts at it.
bool OpenPlayback(const RecordingJob& job, const Song& song, HWND window, TempoLock* lock = nullptr);
// Starts the paused stream (reported); false when it does not run.
bool StartPlayback(HWND window);
// Sets the stream's tempo property: the tempo its next records play at, until a tempo record.
bool SetPlaybackTempo(std::uint32_t microsPerQuarter);
// How long the stream has played, as its device counts; false when it cannot tell.
bool PlaybackPositionMs(std::uint32_t* ms);

enum class StreamProgress {
    playing,
    ended,    // the stream's last flagged record has played; playback is over, all released
    failed,   // a later buffer could not be queued: the rest will never play
    ignored,  // not a notification of the stream now playing
};

// MM_MOM_POSITIONCB.
StreamProgress OnStreamPosition(LPARAM header);
// MM_MOM_DONE: a buffer the device still held at its notification may now be taken back.
StreamProgress OnStreamBufferDone();

// Closes the stream and releases the stream buffers and the merge buffer.
void EndPlayback();
bool Playing();

}  // namespace solvena::engine
