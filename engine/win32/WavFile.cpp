#include "engine/win32/WavFile.h"

#include <mmsystem.h>

#include <algorithm>
#include <array>
#include <vector>

#include "engine/CaptureLimits.h"
#include "engine/LevelMeter.h"
#include "engine/RunTexts.h"
#include "engine/win32/Prompts.h"

namespace solvena::engine {

namespace {

constexpr std::uint32_t kFormatChunkSize = 18;
// mmio keeps file positions in signed 32-bit numbers; past this its chunk sizes cannot be trusted.
constexpr std::uint64_t kMmioPositionLimit = 0x7FFFFFFFu - kWavHeaderBytes - 1;

HMMIO wavFile = nullptr;
MMCKINFO riffChunk{};
// The format chunk first, then reused for the data chunk.
MMCKINFO subChunk{};

// What this file has taken, and what the user has been told about it.
HWND owner = nullptr;
std::string wavPath;
std::uint16_t blockAlign = 1;
std::uint32_t bytesPerSecond = 1;
std::uint64_t dataBytes = 0;
std::uint64_t declaredBytes = 0;  // what the header states so far
bool writeFailed = false;
bool cutTold = false;
LevelMeter levelMeter;
// The cue points the file may take, and the room they are kept at the end of the largest file.
std::vector<CuePoint> cues;
std::uint64_t trailerRoom = 0;

// The format record as the file stores it: seven little-endian fields, 18 bytes.
std::array<std::uint8_t, kFormatChunkSize> FormatBytes(const devices::WaveFormat& format) {
    std::array<std::uint8_t, kFormatChunkSize> bytes{};
    std::size_t at = 0;
    auto put = [&](std::uint32_t value, int width) {
        for (int i = 0; i < width; ++i) bytes[at++] = static_cast<std::uint8_t>(value >> (8 * i));
    };
    put(format.formatTag, 2);
    put(format.channels, 2);
    put(format.samplesPerSec, 4);
    put(format.avgBytesPerSec, 4);
    put(format.blockAlign, 2);
    put(format.bitsPerSample, 2);
    put(0, 2);  // no extra bytes
    return bytes;
}

// A write that did not reach the disk: the file keeps what came before it, and the user is told
// once.
void NoteWriteFailed() {
    if (writeFailed) return;
    writeFailed = true;
    DeferMessage(owner, WavWriteFailedText(wavPath), kErrorCaption);
}

bool WriteWordAt(LONG offset, std::uint32_t value) {
    const std::array<char, 4> bytes{static_cast<char>(value), static_cast<char>(value >> 8),
                                    static_cast<char>(value >> 16), static_cast<char>(value >> 24)};
    return mmioSeek(wavFile, offset, SEEK_SET) == offset && mmioWrite(wavFile, bytes.data(), 4) == 4;
}

// The two sizes written in place, for files the chunk calls cannot close: after a failed write
// (the disk may be full, so no pad byte is written and the size declared is even) or past what
// mmio's positions can count. False when they could not be written.
bool WriteSizesDirectly(const std::vector<std::uint8_t>& trailer) {
    std::uint64_t declared = dataBytes;
    std::uint64_t after = 0;
    if (writeFailed) {
        declared = DeclarableDataBytes(dataBytes, blockAlign);
    } else {
        const char zero = 0;
        if (declared % 2 == 0 || mmioWrite(wavFile, &zero, 1) == 1) {
            after = declared % 2;
            // The cue points follow only when all of them reach the disk.
            if (!trailer.empty() && mmioWrite(wavFile, reinterpret_cast<const char*>(trailer.data()),
                                              static_cast<LONG>(trailer.size())) == static_cast<LONG>(trailer.size())) {
                after += trailer.size();
            }
        } else {
            declared = DeclarableDataBytes(dataBytes, blockAlign);
        }
    }
    return WriteWordAt(4, static_cast<std::uint32_t>(kWavHeaderBytes - 8 + declared + after)) &&
           WriteWordAt(static_cast<LONG>(kWavHeaderBytes - 4), static_cast<std::uint32_t>(declared));
}

void PutChunk(std::vector<std::uint8_t>& out, const char* id, const std::vector<std::uint8_t>& body) {
    out.insert(out.end(), id, id + 4);
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(body.size() >> (8 * i)));
    out.insert(out.end(), body.begin(), body.end());
}

// The cue points the take reached, as the chunks that follow its data; empty without any.
std::vector<std::uint8_t> TrailerBytes() {
    std::vector<CuePoint> taken;
    for (const CuePoint& point : cues) {
        if (point.frame < dataBytes / blockAlign) taken.push_back(point);
    }
    std::vector<std::uint8_t> trailer;
    if (taken.empty()) return trailer;
    PutChunk(trailer, "cue ", CueChunkBody(taken));
    PutChunk(trailer, "LIST", LabelListBody(taken));
    return trailer;
}

// The header states what has been written (whole frames, an even count, so no pad byte is
// needed), then writing goes on at the end.
void DeclareWrittenBytes() {
    const std::uint64_t declared = DeclarableDataBytes(dataBytes, blockAlign);
    if (WriteWordAt(4, static_cast<std::uint32_t>(kWavHeaderBytes - 8 + declared)) &&
        WriteWordAt(static_cast<LONG>(kWavHeaderBytes - 4), static_cast<std::uint32_t>(declared))) {
        declaredBytes = dataBytes;
    }
    mmioSeek(wavFile, 0, SEEK_END);
}

// Every step of the header, each looked at: a disk with no room fails one of them.
bool WriteHeader(const devices::WaveFormat& format, const std::vector<std::uint8_t>& bext) {
    if (mmioSeek(wavFile, 0, SEEK_SET) != 0) return false;
    riffChunk = MMCKINFO{};
    riffChunk.fccType = mmioFOURCC('W', 'A', 'V', 'E');
    if (mmioCreateChunk(wavFile, &riffChunk, MMIO_CREATERIFF) != MMSYSERR_NOERROR) return false;
    subChunk = MMCKINFO{};
    subChunk.ckid = mmioFOURCC('f', 'm', 't', ' ');
    subChunk.cksize = kFormatChunkSize;
    if (mmioCreateChunk(wavFile, &subChunk, 0) != MMSYSERR_NOERROR) return false;
    const auto record = FormatBytes(format);
    if (mmioWrite(wavFile, reinterpret_cast<const char*>(record.data()), kFormatChunkSize) != kFormatChunkSize) {
        return false;
    }
    if (mmioAscend(wavFile, &subChunk, 0) != MMSYSERR_NOERROR) return false;
    subChunk.ckid = mmioFOURCC('b', 'e', 'x', 't');
    subChunk.cksize = kBextChunkBytes;
    if (mmioCreateChunk(wavFile, &subChunk, 0) != MMSYSERR_NOERROR) return false;
    if (mmioWrite(wavFile, reinterpret_cast<const char*>(bext.data()), kBextChunkBytes) != kBextChunkBytes) return false;
    if (mmioAscend(wavFile, &subChunk, 0) != MMSYSERR_NOERROR) return false;
    // Its size field still says the last chunk's: a placeholder until the chunk is closed.
    subChunk.ckid = mmioFOURCC('d', 'a', 't', 'a');
    return mmioCreateChunk(wavFile, &subChunk, 0) == MMSYSERR_NOERROR &&
           mmioSeek(wavFile, 0, SEEK_CUR) == static_cast<LONG>(kWavHeaderBytes);
}

// mmio opens a file by name through OpenFile, which takes names of fewer than 128 bytes; a take's
// path may be longer. The file is opened here and handed over: closing the mmio file closes it.
HMMIO CreateWavFile(const std::string& path) {
    const HANDLE file =
        CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return nullptr;
    MMIOINFO info{};
    info.fccIOProc = FOURCC_DOS;  // the service installed for plain files, which takes the open handle
    info.adwInfo[0] = HandleToULong(file);
    const HMMIO opened = mmioOpenA(nullptr, &info, MMIO_CREATE | MMIO_WRITE);
    if (opened == nullptr) {
        CloseHandle(file);
        DeleteFileA(path.c_str());
    }
    return opened;
}

}  // namespace

WavOpen OpenWavFile(const std::string& path, const devices::WaveFormat& format, HWND boxOwner, const WavMarks& marks) {
    owner = boxOwner;
    wavPath = path;
    blockAlign = format.blockAlign;
    bytesPerSecond = std::max<std::uint32_t>(format.avgBytesPerSec, 1);
    dataBytes = 0;
    declaredBytes = 0;
    writeFailed = false;
    cutTold = false;
    levelMeter.Start(format.bitsPerSample);
    cues = marks.cues;
    trailerRoom = CueChunksBytes(cues);
    BextFields bext = marks.bext;
    bext.rate = format.samplesPerSec;
    bext.bits = format.bitsPerSample;
    bext.channels = format.channels;
    wavFile = CreateWavFile(path);
    if (wavFile == nullptr) return WavOpen::notCreated;
    if (!WriteHeader(format, BextChunkBody(bext))) {
        // Half a header is no WAV file: nothing of the user's is in it.
        mmioClose(wavFile, 0);
        wavFile = nullptr;
        DeleteFileA(path.c_str());
        return WavOpen::headerFailed;
    }
    return WavOpen::opened;
}

void AppendToWavFile(const std::uint8_t* bytes, std::uint32_t count) {
    if (wavFile == nullptr || count == 0 || writeFailed) return;
    const std::uint32_t take = WavBytesToAppend(dataBytes, count, blockAlign, trailerRoom);
    if (take < count && !cutTold) {
        cutTold = true;
        DeferMessage(owner, WavCutText(wavPath), kErrorCaption);
    }
    if (take == 0) return;
    const LONG written = mmioWrite(wavFile, reinterpret_cast<const char*>(bytes), static_cast<LONG>(take));
    if (written > 0) {
        dataBytes += static_cast<std::uint32_t>(written);
        // What the file holds is what is judged, so a cut or a failed write is measured as written.
        levelMeter.Add(bytes, static_cast<std::size_t>(written));
    }
    if (written != static_cast<LONG>(take)) {
        // Later writes could land after a gap; the file keeps what came before the failure.
        NoteWriteFailed();
        return;
    }
    // Before the next piece would leave more than a second of sound undeclared.
    if (dataBytes - declaredBytes + take >= bytesPerSecond) DeclareWrittenBytes();
}

void CompleteWavFile() {
    if (wavFile == nullptr) return;
    // Closing the chunks writes the data size, the pad byte of an odd size and the RIFF size. A
    // full disk refuses the pad byte, which the closing calls need not say: the file must end
    // after it. Otherwise the sizes are written as a failed write leaves them.
    bool closed = false;
    const std::vector<std::uint8_t> trailer = TrailerBytes();
    if (!writeFailed && dataBytes + trailer.size() <= kMmioPositionLimit) {
        const auto end = static_cast<LONG>(kWavHeaderBytes + dataBytes + dataBytes % 2 + trailer.size());
        const auto size = static_cast<LONG>(trailer.size());
        closed = mmioAscend(wavFile, &subChunk, 0) == MMSYSERR_NOERROR &&
                 (size == 0 || mmioWrite(wavFile, reinterpret_cast<const char*>(trailer.data()), size) == size) &&
                 mmioAscend(wavFile, &riffChunk, 0) == MMSYSERR_NOERROR && mmioSeek(wavFile, 0, SEEK_END) == end;
        if (!closed) NoteWriteFailed();
    }
    if (!closed && !WriteSizesDirectly(trailer)) NoteWriteFailed();
    if (mmioFlush(wavFile, 0) != MMSYSERR_NOERROR) NoteWriteFailed();
    if (mmioClose(wavFile, 0) != MMSYSERR_NOERROR) NoteWriteFailed();
    wavFile = nullptr;
}

bool WavFileOpen() { return wavFile != nullptr; }

bool WavFileCut() { return cutTold; }

bool WavWriteFailed() { return writeFailed; }

std::uint64_t WavDataBytes() { return dataBytes; }

RecordingLevels WavLevels() { return levelMeter.Levels(); }

}  // namespace solvena::engine
