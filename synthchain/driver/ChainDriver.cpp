// The test chain's MIDI OUT device: one General MIDI synthesizer on the Linux side, reached
// through a FIFO (SOLVENA_CHAIN_FIFO, a Windows path on the Z: drive). Wine's own stream player
// calls it as a Windows MIDI driver is called, so the program plays through it exactly as it
// would play a sound module. What it saw of each open is appended to SOLVENA_CHAIN_LOG when the
// device is closed.
#include <windows.h>
#include <mmddk.h>
#include <mmsystem.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

// winmm exports it to drivers; the SDK headers do not declare it.
extern "C" BOOL WINAPI DriverCallback(DWORD_PTR callback, DWORD flags, HDRVR device, DWORD message, DWORD_PTR user,
                                      DWORD_PTR param1, DWORD_PTR param2);

namespace {

constexpr wchar_t kDeviceName[] = L"GM Synth (test chain)";

struct Counts {
    unsigned long noteOn = 0, noteOff = 0, control = 0, program = 0, pitchBend = 0, otherShort = 0;
    unsigned long sysex = 0, sysexBytes = 0, prepare = 0, unprepare = 0, reset = 0;
    double openedMs = 0, firstNoteMs = -1, lastNoteMs = -1;
    std::vector<double> noteMs;  // when each note on arrived
};

CRITICAL_SECTION lock;
HANDLE fifo = INVALID_HANDLE_VALUE;
MIDIOPENDESC openDesc{};
DWORD openFlags = 0;
BYTE runningStatus = 0;
Counts counts;

double NowMs() {
    LARGE_INTEGER counter{}, frequency{};
    QueryPerformanceCounter(&counter);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(counter.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

std::string Env(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

void Notify(UINT message, DWORD_PTR param) {
    DriverCallback(openDesc.dwCallback, HIWORD(openFlags), reinterpret_cast<HDRVR>(openDesc.hMidi), message,
                   openDesc.dwInstance, param, 0);
}

void Send(const BYTE* bytes, DWORD count) {
    DWORD written = 0;
    if (fifo != INVALID_HANDLE_VALUE) WriteFile(fifo, bytes, count, &written, nullptr);
}

// Bytes of a short message after its status byte.
DWORD DataBytes(BYTE status) {
    if (status < 0xF0) return (status & 0xE0) == 0xC0 ? 1 : 2;
    if (status == 0xF1 || status == 0xF3) return 1;
    return status == 0xF2 ? 2 : 0;
}

void Count(BYTE status, BYTE velocity) {
    switch (status & 0xF0) {
        case 0x90:
            if (velocity == 0) {
                ++counts.noteOff;
                break;
            }
            ++counts.noteOn;
            counts.lastNoteMs = NowMs();
            if (counts.firstNoteMs < 0) counts.firstNoteMs = counts.lastNoteMs;
            counts.noteMs.push_back(counts.lastNoteMs);
            break;
        case 0x80: ++counts.noteOff; break;
        case 0xB0: ++counts.control; break;
        case 0xC0: ++counts.program; break;
        case 0xE0: ++counts.pitchBend; break;
        default: ++counts.otherShort; break;
    }
}

DWORD ShortMessage(DWORD message) {
    BYTE bytes[3] = {static_cast<BYTE>(message), static_cast<BYTE>(message >> 8), static_cast<BYTE>(message >> 16)};
    DWORD length = 0;
    BYTE out[3];
    if (bytes[0] & 0x80) {
        if (bytes[0] < 0xF0) runningStatus = bytes[0];
        out[0] = bytes[0];
        length = 1 + DataBytes(bytes[0]);
        out[1] = bytes[1];
        out[2] = bytes[2];
    } else {
        // Running status: the first byte is data.
        if (runningStatus == 0) return MMSYSERR_INVALPARAM;
        out[0] = runningStatus;
        out[1] = bytes[0];
        out[2] = bytes[1];
        length = 1 + DataBytes(runningStatus);
    }
    Send(out, length);
    Count(out[0], length > 2 ? out[2] : 0);
    return MMSYSERR_NOERROR;
}

void AllNotesOff() {
    for (BYTE channel = 0; channel < 16; ++channel) {
        const BYTE notesOff[3] = {static_cast<BYTE>(0xB0 | channel), 123, 0};
        const BYTE soundOff[3] = {static_cast<BYTE>(0xB0 | channel), 120, 0};
        Send(notesOff, 3);
        Send(soundOff, 3);
    }
}

void AppendLog() {
    const std::string path = Env("SOLVENA_CHAIN_LOG");
    if (path.empty()) return;
    std::FILE* log = std::fopen(path.c_str(), "a");
    if (log == nullptr) return;
    std::fprintf(log,
                 "close opened_ms %.3f first_note_ms %.3f last_note_ms %.3f closed_ms %.3f note_on %lu note_off %lu "
                 "control %lu program %lu pitch_bend %lu other_short %lu sysex %lu sysex_bytes %lu prepare %lu "
                 "unprepare %lu reset %lu note_ms",
                 counts.openedMs, counts.firstNoteMs, counts.lastNoteMs, NowMs(), counts.noteOn, counts.noteOff,
                 counts.control, counts.program, counts.pitchBend, counts.otherShort, counts.sysex, counts.sysexBytes,
                 counts.prepare, counts.unprepare, counts.reset);
    for (std::size_t i = 0; i < counts.noteMs.size(); ++i) {
        std::fprintf(log, "%s%.2f", i == 0 ? " " : ",", counts.noteMs[i] - counts.firstNoteMs);
    }
    std::fprintf(log, "\n");
    std::fclose(log);
}

DWORD Open(const MIDIOPENDESC* desc, DWORD flags) {
    if (desc == nullptr) return MMSYSERR_INVALPARAM;
    if (fifo != INVALID_HANDLE_VALUE) return MMSYSERR_ALLOCATED;
    fifo = CreateFileA(Env("SOLVENA_CHAIN_FIFO").c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                       nullptr, OPEN_EXISTING, 0, nullptr);
    if (fifo == INVALID_HANDLE_VALUE) return MMSYSERR_NOTENABLED;
    openDesc = *desc;
    openFlags = flags;
    runningStatus = 0;
    counts = Counts{};
    counts.openedMs = NowMs();
    Notify(MOM_OPEN, 0);
    return MMSYSERR_NOERROR;
}

DWORD Close() {
    if (fifo == INVALID_HANDLE_VALUE) return MMSYSERR_INVALHANDLE;
    AppendLog();
    CloseHandle(fifo);
    fifo = INVALID_HANDLE_VALUE;
    Notify(MOM_CLOSE, 0);
    return MMSYSERR_NOERROR;
}

DWORD LongData(MIDIHDR* header, DWORD_PTR size) {
    if (header == nullptr || size < offsetof(MIDIHDR, dwOffset)) return MMSYSERR_INVALPARAM;
    if (!(header->dwFlags & MHDR_PREPARED)) return MIDIERR_UNPREPARED;
    Send(reinterpret_cast<const BYTE*>(header->lpData), header->dwBufferLength);
    ++counts.sysex;
    counts.sysexBytes += header->dwBufferLength;
    header->dwFlags = (header->dwFlags & ~MHDR_INQUEUE) | MHDR_DONE;
    Notify(MOM_DONE, reinterpret_cast<DWORD_PTR>(header));
    return MMSYSERR_NOERROR;
}

// winmm does not mark headers itself: a driver that does not prepare them fails the prepare.
DWORD Prepare(MIDIHDR* header, bool prepare) {
    if (header == nullptr) return MMSYSERR_INVALPARAM;
    if (prepare) {
        ++counts.prepare;
        header->dwFlags = (header->dwFlags | MHDR_PREPARED) & ~MHDR_DONE;
        return MMSYSERR_NOERROR;
    }
    ++counts.unprepare;
    if (header->dwFlags & MHDR_INQUEUE) return MIDIERR_STILLPLAYING;
    header->dwFlags &= ~MHDR_PREPARED;
    return MMSYSERR_NOERROR;
}

DWORD Capabilities(MIDIOUTCAPSW* caps, DWORD_PTR size) {
    if (caps == nullptr) return MMSYSERR_INVALPARAM;
    MIDIOUTCAPSW full{};
    full.wMid = 0xFF;
    full.wPid = 1;
    full.vDriverVersion = 0x0100;
    lstrcpynW(full.szPname, kDeviceName, MAXPNAMELEN);
    full.wTechnology = MOD_SWSYNTH;
    full.wVoices = 64;
    full.wNotes = 64;
    full.wChannelMask = 0xFFFF;
    CopyMemory(caps, &full, size < sizeof full ? size : sizeof full);
    return MMSYSERR_NOERROR;
}

}  // namespace

extern "C" LRESULT WINAPI DriverProc(DWORD_PTR id, HDRVR driver, UINT message, LPARAM param1,
                                                            LPARAM param2) {
    switch (message) {
        case DRV_LOAD: InitializeCriticalSection(&lock); return 1;
        case DRV_FREE: DeleteCriticalSection(&lock); return 1;
        case DRV_OPEN:
        case DRV_CLOSE:
        case DRV_ENABLE:
        case DRV_DISABLE: return 1;
        default: return DefDriverProc(id, driver, message, param1, param2);
    }
}

extern "C" DWORD WINAPI modMessage(UINT device, UINT message, DWORD_PTR, DWORD_PTR param1,
                                                          DWORD_PTR param2) {
    if (message == DRVM_INIT || message == DRVM_EXIT) return MMSYSERR_NOERROR;
    // Listed only where the chain runs.
    if (message == MODM_GETNUMDEVS) return Env("SOLVENA_CHAIN_FIFO").empty() ? 0 : 1;
    if (device != 0) return MMSYSERR_BADDEVICEID;
    EnterCriticalSection(&lock);
    DWORD result = MMSYSERR_NOTSUPPORTED;
    switch (message) {
        case MODM_GETDEVCAPS: result = Capabilities(reinterpret_cast<MIDIOUTCAPSW*>(param1), param2); break;
        case MODM_OPEN: result = Open(reinterpret_cast<const MIDIOPENDESC*>(param1), static_cast<DWORD>(param2)); break;
        case MODM_CLOSE: result = Close(); break;
        case MODM_DATA: result = fifo == INVALID_HANDLE_VALUE ? MMSYSERR_INVALHANDLE : ShortMessage(static_cast<DWORD>(param1)); break;
        case MODM_LONGDATA: result = LongData(reinterpret_cast<MIDIHDR*>(param1), param2); break;
        case MODM_PREPARE: result = Prepare(reinterpret_cast<MIDIHDR*>(param1), true); break;
        case MODM_UNPREPARE: result = Prepare(reinterpret_cast<MIDIHDR*>(param1), false); break;
        case MODM_RESET:
            ++counts.reset;
            AllNotesOff();
            result = MMSYSERR_NOERROR;
            break;
        default: break;
    }
    LeaveCriticalSection(&lock);
    return result;
}
