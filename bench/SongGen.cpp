#include "bench/SongGen.h"

#include <cstddef>
#include <string_view>

#include "song/EventPrimitives.h"

namespace solvena::bench {

namespace {

// Deterministic, so every run and every library sees the same song.
class Random {
public:
    explicit Random(std::uint32_t seed) : state_(seed) {}
    std::uint32_t Below(std::uint32_t n) {
        state_ = state_ * 1664525u + 1013904223u;
        return (state_ >> 8) % n;
    }

private:
    std::uint32_t state_;
};

class TrackWriter {
public:
    std::size_t Size() const { return data_.size(); }
    std::uint32_t Tick() const { return tick_; }
    const std::vector<std::uint8_t>& Data() const { return data_; }

    void Delta(std::uint32_t ticks) {
        tick_ += ticks;
        std::uint8_t bytes[5];
        data_.insert(data_.end(), bytes, bytes + WriteVarLen(ticks, bytes));
    }

    // Channel messages repeat their status only when it changes (running status).
    void Channel(std::uint8_t status, std::uint8_t d1) {
        Status(status);
        data_.push_back(d1);
    }
    void Channel(std::uint8_t status, std::uint8_t d1, std::uint8_t d2) {
        Status(status);
        data_.push_back(d1);
        data_.push_back(d2);
    }

    void Meta(std::uint8_t type, std::string_view bytes) {
        running_ = 0;
        data_.push_back(0xFF);
        data_.push_back(type);
        data_.push_back(static_cast<std::uint8_t>(bytes.size()));  // texts here stay below 128 bytes
        for (const char c : bytes) data_.push_back(static_cast<std::uint8_t>(c));
    }
    void Tempo(std::uint32_t microseconds) {
        const char bytes[3] = {static_cast<char>(microseconds >> 16), static_cast<char>(microseconds >> 8),
                               static_cast<char>(microseconds)};
        Meta(0x51, std::string_view(bytes, 3));
    }
    void TimeSignature(std::uint8_t numerator, std::uint8_t power) {
        const char bytes[4] = {static_cast<char>(numerator), static_cast<char>(power), 24, 8};
        Meta(0x58, std::string_view(bytes, 4));
    }
    void EndOfTrack(std::uint32_t delta) {
        Delta(delta);
        Meta(0x2F, std::string_view());
    }

private:
    void Status(std::uint8_t status) {
        if (status != running_) data_.push_back(status);
        running_ = status;
    }

    std::vector<std::uint8_t> data_;
    std::uint8_t running_ = 0;
    std::uint32_t tick_ = 0;
};

constexpr std::uint32_t kDivision = 480;

void Append32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<std::uint8_t>(v >> shift));
}

std::vector<std::uint8_t> Assemble(const std::vector<TrackWriter>& tracks) {
    std::vector<std::uint8_t> file = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 1};
    file.push_back(static_cast<std::uint8_t>(tracks.size() >> 8));
    file.push_back(static_cast<std::uint8_t>(tracks.size()));
    file.push_back(static_cast<std::uint8_t>(kDivision >> 8));
    file.push_back(static_cast<std::uint8_t>(kDivision));
    for (const TrackWriter& t : tracks) {
        for (const char c : std::string_view("MTrk")) file.push_back(static_cast<std::uint8_t>(c));
        Append32(file, static_cast<std::uint32_t>(t.Size()));
        file.insert(file.end(), t.Data().begin(), t.Data().end());
    }
    return file;
}

// Notes on a one-bar grid of eighths, with the note-offs as velocity-0 note-ons.
void TypicalPart(TrackWriter& t, std::uint8_t channel, Random& rng, std::uint32_t bars) {
    const auto on = static_cast<std::uint8_t>(0x90 | channel);
    const auto cc = static_cast<std::uint8_t>(0xB0 | channel);
    std::uint32_t pending = 0;
    for (std::uint32_t step = 0; step < bars * 8; ++step) {
        if (step % 32 == 0) {
            t.Delta(pending);
            t.Channel(cc, 11, static_cast<std::uint8_t>(80 + rng.Below(40)));
            pending = 0;
        }
        if (rng.Below(4) == 0) {  // a rest
            pending += kDivision / 2;
            continue;
        }
        const auto note = static_cast<std::uint8_t>(48 + rng.Below(24));
        t.Delta(pending);
        t.Channel(on, note, static_cast<std::uint8_t>(60 + rng.Below(60)));
        t.Delta(kDivision / 2 - 20);
        t.Channel(on, note, 0);
        pending = 20;
    }
    t.EndOfTrack(pending);
}

}  // namespace

std::vector<std::uint8_t> MakeTypicalSong() {
    constexpr std::uint32_t kBars = 44;
    Random rng(16);
    std::vector<TrackWriter> tracks(16);

    TrackWriter& conductor = tracks[0];
    conductor.Delta(0);
    conductor.Meta(0x03, "Benchmark Song");
    conductor.Delta(0);
    conductor.TimeSignature(4, 2);
    conductor.Delta(0);
    conductor.Tempo(500000);
    for (std::uint32_t section = 0; section < 8; ++section) {
        conductor.Delta(section == 0 ? 0 : 4 * 4 * kDivision);
        conductor.Meta(0x06, section % 2 ? "Chorus" : "Verse");
    }
    conductor.Delta(4 * kDivision);
    conductor.Tempo(480000);
    conductor.EndOfTrack(kBars * 4 * kDivision - conductor.Tick());

    for (std::uint8_t k = 1; k < 16; ++k) {
        TrackWriter& t = tracks[k];
        const std::uint8_t channel = k == 10 ? 9 : static_cast<std::uint8_t>(k - 1);
        const char name[] = {'P', 'a', 'r', 't', ' ', static_cast<char>('A' + k)};
        t.Delta(0);
        t.Meta(0x03, std::string_view(name, sizeof name));
        t.Delta(0);
        t.Channel(static_cast<std::uint8_t>(0xB0 | channel), 0, static_cast<std::uint8_t>(k % 3));
        t.Delta(0);
        t.Channel(static_cast<std::uint8_t>(0xB0 | channel), 32, 0);
        t.Delta(0);
        t.Channel(static_cast<std::uint8_t>(0xC0 | channel), static_cast<std::uint8_t>(k * 7));
        t.Delta(0);
        t.Channel(static_cast<std::uint8_t>(0xB0 | channel), 7, 100);
        t.Delta(0);
        t.Channel(static_cast<std::uint8_t>(0xB0 | channel), 10, static_cast<std::uint8_t>(k * 8));
        TypicalPart(t, channel, rng, kBars);
    }
    return Assemble(tracks);
}

std::vector<std::uint8_t> MakeMaximalSong() {
    // Room for the largest event below plus the end of track, so the chunk stays under 65,536.
    constexpr std::size_t kLimit = 65535 - 4 - 12;
    Random rng(64);
    std::vector<TrackWriter> tracks(64);
    for (std::uint32_t k = 0; k < 64; ++k) {
        TrackWriter& t = tracks[k];
        const auto channel = static_cast<std::uint8_t>(k % 16);
        t.Delta(0);
        t.Meta(0x03, "Dense");
        if (k == 0) {
            t.Delta(0);
            t.TimeSignature(4, 2);
        }
        std::uint32_t nextBeat = 0;
        std::uint8_t held[128] = {};
        while (t.Size() < kLimit) {
            const std::uint32_t delta = rng.Below(40);
            if (k == 0 && t.Tick() + delta >= nextBeat) {
                t.Delta(nextBeat - t.Tick());
                t.Tempo(400000 + rng.Below(200000));
                nextBeat += kDivision;
                continue;
            }
            t.Delta(delta);
            const std::uint32_t pick = rng.Below(20);
            if (pick < 12) {
                const auto note = static_cast<std::uint8_t>(36 + rng.Below(48));
                t.Channel(static_cast<std::uint8_t>(0x90 | channel), note,
                          held[note] ? 0 : static_cast<std::uint8_t>(1 + rng.Below(126)));
                held[note] ^= 1;
            } else if (pick < 17) {
                static constexpr std::uint8_t kControllers[] = {1, 7, 10, 11, 64, 91, 93};
                t.Channel(static_cast<std::uint8_t>(0xB0 | channel), kControllers[rng.Below(7)],
                          static_cast<std::uint8_t>(rng.Below(128)));
            } else if (pick < 19) {
                t.Channel(static_cast<std::uint8_t>(0xE0 | channel), static_cast<std::uint8_t>(rng.Below(128)),
                          static_cast<std::uint8_t>(rng.Below(128)));
            } else {
                t.Channel(static_cast<std::uint8_t>(0xD0 | channel), static_cast<std::uint8_t>(rng.Below(128)));
            }
        }
        t.EndOfTrack(0);
    }
    return Assemble(tracks);
}

}  // namespace solvena::bench
