#include "engine/win32/Playback.h"

#include "engine/DeviceReports.h"
#include "engine/RecordingStart.h"
#include "engine/RunTexts.h"
#include "engine/StreamBuffers.h"
#include "engine/StreamFeed.h"
#include "engine/StreamMerge.h"
#include "engine/win32/Prompts.h"

namespace solvena::engine {

namespace {

std::uint32_t midiDevice = 0;
devices::MidiStreamHandle midiStream = nullptr;
StreamFeed feed;
bool playing = false;
// The run's lock gives each fill's tempo records its scale as it is queued; none for other players.
TempoLock* tempoLock = nullptr;

bool Reported(HWND owner, ReportCall call, devices::MmResult result) {
    if (const char* text = ReportText(call, result)) ShowMessageBox(owner, text, kErrorCaption, MB_OK);
    return result == devices::kMmNoError;
}

// The buffer that plays `fill`, its tempo records scaled to the lock's clock.
StreamBuffer* LoadedBuffer(std::size_t fill) {
    StreamBuffer* buffer = BufferForFill(fill);
    if (buffer != nullptr && tempoLock != nullptr) {
        tempoLock->ScaleFill(fill, std::span<std::uint8_t>(buffer->block.data(), buffer->header.bytesRecorded));
    }
    return buffer;
}

bool Queue(std::size_t fill) {
    StreamBuffer* buffer = LoadedBuffer(fill);
    return buffer != nullptr && devices::MidiStreamPrepare(midiStream, &buffer->header) == devices::kMmNoError &&
           devices::MidiStreamOut(midiStream, &buffer->header) == devices::kMmNoError;
}

bool IsStreamHeader(LPARAM header) {
    for (const StreamBuffer& buffer : streamBuffers) {
        if (reinterpret_cast<const devices::MidiHeader*>(header) == &buffer.header) return true;
    }
    return false;
}

// Takes back every finished buffer the device has let go of, refilling each while fills remain.
StreamProgress TakeBackFinished() {
    while (feed.HasFinishedBuffer()) {
        StreamBuffer& buffer = streamBuffers[feed.FinishedBuffer()];
        const devices::MmResult result = devices::MidiStreamUnprepare(midiStream, &buffer.header);
        // Its last record has played but the device still holds it: try again at the next
        // notification, with seven buffers still queued behind it.
        if (result == devices::kMidiStillPlaying) break;
        // Only a refill needs the buffer back; one that is not refilled is let go with the others
        // when playback ends, and the music plays on.
        if (result != devices::kMmNoError && feed.Refills()) return StreamProgress::failed;
        const std::optional<std::size_t> next = feed.TakeBack();
        if (next && !Queue(*next)) return StreamProgress::failed;
    }
    return StreamProgress::playing;
}

}  // namespace

bool OpenPlayback(const RecordingJob& job, const Song& song, HWND window, TempoLock* lock) {
    tempoLock = lock;
    streamBufferIndex = 0;
    midiDevice = static_cast<std::uint32_t>(job.midiOutDevice);
    midiStream = nullptr;
    feed.Start(StreamFillCount());
    playing = true;

    // After each report: its box may have seen the program close, which ended this playback.
    bool ok = Reported(window, ReportCall::streamOpen, devices::MidiStreamOpen(&midiStream, &midiDevice, window));
    if (ProgramClosing()) return false;
    devices::MidiStreamSetTimeDivision(midiStream, static_cast<std::uint32_t>(song.division));
    // The stream's own tempo records carry the tempo; before the first of them the player's
    // default plays, at the lock's scale.
    if (tempoLock != nullptr && tempoLock->StartTempo() != kStreamDefaultTempo) {
        devices::MidiStreamSetTempo(midiStream, tempoLock->StartTempo());
    }
    StreamBuffer* first = LoadedBuffer(0);
    if (first == nullptr) return false;
    ok = Reported(window, ReportCall::streamPrepare, devices::MidiStreamPrepare(midiStream, &first->header)) && ok;
    if (ProgramClosing()) return false;
    ok = Reported(window, ReportCall::streamOut, devices::MidiStreamOut(midiStream, &first->header)) && ok;
    if (!ok || ProgramClosing()) return false;

    std::size_t queued = 1;
    while (queued < feed.InitialFills() && Queue(queued)) ++queued;
    feed.Queued(queued);
    return queued == feed.InitialFills();
}

bool StartPlayback(HWND window) {
    return Reported(window, ReportCall::streamRestart, devices::MidiStreamRestart(midiStream));
}

bool SetPlaybackTempo(std::uint32_t microsPerQuarter) {
    return playing && devices::MidiStreamSetTempo(midiStream, microsPerQuarter) == devices::kMmNoError;
}

bool PlaybackPositionMs(std::uint32_t* ms) {
    return playing && devices::MidiStreamPositionMs(midiStream, ms) == devices::kMmNoError;
}

StreamProgress OnStreamPosition(LPARAM header) {
    if (!playing || !IsStreamHeader(header)) return StreamProgress::ignored;
    ++callbacksReceived;
    feed.FillFinished();
    if (callbacksReceived >= callbacksExpected) {
        EndPlayback();
        return StreamProgress::ended;
    }
    return TakeBackFinished();
}

StreamProgress OnStreamBufferDone() {
    if (!playing) return StreamProgress::ignored;
    return TakeBackFinished();
}

void EndPlayback() {
    if (!playing) return;
    ReleaseMergeBuffer();
    // Taken back before the close where the device lets go of them, and tried once more after.
    for (StreamBuffer& buffer : streamBuffers) devices::MidiStreamUnprepare(midiStream, &buffer.header);
    devices::MidiStreamClose(midiStream);
    for (StreamBuffer& buffer : streamBuffers) {
        if (buffer.header.flags & devices::kHeaderPrepared) devices::MidiStreamUnprepare(midiStream, &buffer.header);
    }
    midiStream = nullptr;
    ReleaseStreamBuffers();
    playing = false;
    tempoLock = nullptr;
}

bool Playing() { return playing; }

}  // namespace solvena::engine
