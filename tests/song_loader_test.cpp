#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "song/SongLoader.h"
#include "support/MidiBuilder.h"
#include "support/SongHarness.h"

namespace solvena {
namespace {

using test::ByteVec;
using test::SmfBuilder;
using test::SongHarness;
using test::TrackBuilder;

bool AllZero(const std::vector<std::uint8_t>& data, std::size_t from) {
    return std::all_of(data.begin() + static_cast<std::ptrdiff_t>(from), data.end(), [](std::uint8_t b) { return b == 0; });
}

TEST(ChunkReading, IdsAndBigEndianValues) {
    const ByteVec bytes = {'M', 'T', 'h', 'd', 'M', 'T', 'r', 'k', 'M', 'T', 'r', 'x', 0x00, 0x00, 0x01, 0xE0, 0xFF, 0x01};
    ByteStream s{bytes};
    EXPECT_EQ(ReadChunkId(s), 1);
    EXPECT_EQ(ReadChunkId(s), 2);
    EXPECT_EQ(ReadChunkId(s), 0);
    EXPECT_EQ(ReadBigEndian(4, s), 480u);
    EXPECT_EQ(ReadBigEndian(2, s), 0xFF01u);
    EXPECT_EQ(ReadBigEndian(2, s), 0u) << "missing bytes count as zero";

    const ByteVec shortId = {'M', 'T'};
    ByteStream t{shortId};
    EXPECT_EQ(ReadChunkId(t), 0);
    const ByteVec one = {0x01};
    ByteStream u{one};
    EXPECT_EQ(ReadBigEndian(2, u), 0x0100u);
}

TEST(LoadSong, HeaderValuesAndVerbatimTrackBytes) {
    SongHarness h;
    const ByteVec t0 = TrackBuilder().Tempo(0, 500000).EndOfTrack(0).Bytes();
    const ByteVec t1 = TrackBuilder().Event(0, {0x90, 0x3C, 0x64}).Event(10, {0x3C, 0x00}).EndOfTrack(0).Bytes();
    const ByteVec t2 = {};
    ASSERT_TRUE(h.Load(SmfBuilder(1, 3, 480).Track(t0).Track(t1).Track(t2).Bytes()));
    EXPECT_EQ(h.song.format, 1u);
    EXPECT_EQ(h.song.trackCount, 3u);
    EXPECT_EQ(h.song.division, 480);
    const ByteVec* expected[] = {&t0, &t1, &t2};
    for (int t = 0; t < 3; ++t) {
        const TrackInfo& info = h.tracks[t];
        ASSERT_EQ(info.length, expected[t]->size()) << t;
        ASSERT_GE(info.data.size(), kTrackBufferSize) << t;
        EXPECT_TRUE(std::equal(expected[t]->begin(), expected[t]->end(), info.data.begin())) << t;
        EXPECT_TRUE(AllZero(info.data, info.length)) << t;
    }
    EXPECT_GE(h.tracks[63].data.size(), kTrackBufferSize) << "every entry gets a buffer";
}

TEST(LoadSong, DivisionHighByteSignedLowByteUnsigned) {
    struct Case {
        std::uint8_t high, low;
        std::int32_t division;
    };
    for (const Case& c : {Case{0x01, 0xE0, 480}, Case{0x00, 0xF0, 240}, Case{0x7F, 0xFF, 32767}, Case{0x00, 0x01, 1}}) {
        SongHarness h;
        ASSERT_TRUE(h.Load(SmfBuilder(0, 1, c.high, c.low).Track(TrackBuilder().EndOfTrack(0)).Bytes()));
        EXPECT_EQ(h.song.division, c.division);
    }
}

TEST(LoadSong, RefusedFilesLeaveTheSongRecordAlone) {
    const ByteVec track = TrackBuilder().EndOfTrack(0).Bytes();
    ByteVec headerLength7 = {'M', 'T', 'h', 'd', 0, 0, 0, 7, 0, 1, 0, 1, 0x01, 0xE0, 0};
    headerLength7.insert(headerLength7.end(), {'M', 'T', 'r', 'k', 0, 0, 0, 4});
    headerLength7.insert(headerLength7.end(), track.begin(), track.end());
    ByteVec notMidi = SmfBuilder(1, 1, 480).Track(track).Bytes();
    notMidi[3] = 'D';
    const ByteVec refused[] = {
        headerLength7,
        notMidi,
        {},
        {'M', 'T', 'h'},
        SmfBuilder(1, 1, 0xE7, 0x28).Track(track).Bytes(),  // SMPTE: 25 frames, 40 ticks
        SmfBuilder(1, 1, 0x80, 0x00).Track(track).Bytes(),
        SmfBuilder(1, 1, 0).Track(track).Bytes(),  // division 0
    };
    for (std::size_t n = 0; n < std::size(refused); ++n) {
        SongHarness h;
        h.song.trackCount = 7;
        h.song.division = 96;
        h.song.format = 2;
        EXPECT_FALSE(h.Load(refused[n])) << n;
        EXPECT_EQ(h.song.trackCount, 7u) << n;
        EXPECT_EQ(h.song.division, 96) << n;
        EXPECT_EQ(h.song.format, 2u) << n;
    }
}

TEST(LoadSong, ForeignChunkStopsReadingAndLeavesNoStaleTracks) {
    SongHarness h;
    const ByteVec big(3000, 0x55);
    ASSERT_TRUE(h.Load(SmfBuilder(1, 3, 480).Track(big).Track(big).Track(big).Bytes()));
    ASSERT_EQ(h.tracks[1].length, 3000u);

    const ByteVec t0 = TrackBuilder().EndOfTrack(5).Bytes();
    ASSERT_TRUE(h.Load(SmfBuilder(1, 3, 480).Track(t0).Chunk("XFIH", 4, {1, 2, 3, 4}).Track(t0).Bytes()));
    EXPECT_EQ(h.song.trackCount, 3u);
    EXPECT_EQ(h.tracks[0].length, t0.size());
    EXPECT_TRUE(AllZero(h.tracks[0].data, t0.size())) << "no bytes left over from the longer track";
    for (int t : {1, 2}) {
        EXPECT_EQ(h.tracks[t].length, 0u) << t;
        EXPECT_TRUE(AllZero(h.tracks[t].data, 0)) << t;
    }

    ASSERT_TRUE(h.Load(SmfBuilder(1, 2, 480).Chunk("ABCD", 0, {}).Bytes()));
    EXPECT_EQ(h.song.trackCount, 2u);
    EXPECT_EQ(h.tracks[0].length, 0u);
}

TEST(LoadSong, ShortFileKeepsTheBytesItHolds) {
    SongHarness h;
    const ByteVec present = {0x00, 0x90, 0x3C, 0x64, 0x10};
    ASSERT_TRUE(h.Load(SmfBuilder(0, 2, 96).Chunk("MTrk", 100, present).Bytes()));
    EXPECT_EQ(h.song.trackCount, 2u);
    EXPECT_EQ(h.tracks[0].length, present.size());
    EXPECT_TRUE(std::equal(present.begin(), present.end(), h.tracks[0].data.begin()));
    EXPECT_EQ(h.tracks[1].length, 0u);

    // A declared length far beyond anything a buffer could hold.
    ASSERT_TRUE(h.Load(SmfBuilder(0, 1, 96).Chunk("MTrk", 0xFFFFFFFFu, present).Bytes()));
    EXPECT_EQ(h.tracks[0].length, present.size());
}

TEST(LoadSong, MoreThan64TracksLoadsTheFirst64) {
    SmfBuilder file(1, 70, 480);
    for (int t = 0; t < 70; ++t) file.Track(ByteVec{0x00, 0xFF, 0x01, 0x01, static_cast<std::uint8_t>(t)});
    SongHarness h;
    ASSERT_TRUE(h.Load(file.Bytes()));
    EXPECT_EQ(h.song.trackCount, 64u);
    EXPECT_EQ(h.tracks[0].data[4], 0);
    EXPECT_EQ(h.tracks[63].data[4], 63);
    EXPECT_EQ(h.tracks[63].length, 5u);
}

TEST(LoadSong, TrackLongerThanTheBufferLoadsWhole) {
    ByteVec data(70000);
    for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<std::uint8_t>(i * 7);
    SongHarness h;
    ASSERT_TRUE(h.Load(SmfBuilder(0, 2, 480).Track(data).Track(ByteVec{0x00, 0xFF, 0x2F, 0x00}).Bytes()));
    EXPECT_EQ(h.tracks[0].length, 70000u);
    ASSERT_GE(h.tracks[0].data.size(), 70000u);
    EXPECT_TRUE(std::equal(data.begin(), data.end(), h.tracks[0].data.begin()));
    EXPECT_EQ(h.tracks[1].length, 4u) << "the next chunk starts after the whole long one";
    EXPECT_EQ(h.tracks[1].data[1], 0xFF);
}

TEST(LoadSong, ReleaseIsHarmlessTwiceAndBeforeALoad) {
    SongHarness h;
    ReleaseTrackBuffers(h.tracks);
    ASSERT_TRUE(h.Load(SmfBuilder(0, 1, 96).Track(TrackBuilder().EndOfTrack(0)).Bytes()));
    ReleaseTrackBuffers(h.tracks);
    ReleaseTrackBuffers(h.tracks);
    for (const TrackInfo& t : h.tracks) EXPECT_TRUE(t.data.empty());
    ASSERT_TRUE(h.Load(SmfBuilder(0, 1, 96).Track(TrackBuilder().EndOfTrack(0)).Bytes()));
    EXPECT_EQ(h.tracks[0].data[1], 0xFF);
}

TEST(LoadSong, FromAFileOnDisk) {
    const std::filesystem::path path = std::filesystem::temp_directory_path() / "solvena_loader_test.mid";
    auto write = [&](const ByteVec& bytes) {
        std::ofstream f(path, std::ios::binary | std::ios::trunc);
        f.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    };
    SongHarness h;
    ByteVec bad = SmfBuilder(0, 1, 96).Bytes();
    bad[7] = 7;
    write(bad);
    EXPECT_FALSE(LoadSong(path.string().c_str(), h.song, h.tracks));
    write(SmfBuilder(0, 1, 96).Track(TrackBuilder().EndOfTrack(3)).Bytes());
    EXPECT_TRUE(LoadSong(path.string().c_str(), h.song, h.tracks)) << "the refused load closed its file";
    EXPECT_EQ(h.song.division, 96);
    EXPECT_EQ(h.tracks[0].length, 4u);
    std::filesystem::remove(path);
    EXPECT_FALSE(LoadSong(path.string().c_str(), h.song, h.tracks));
}

}  // namespace
}  // namespace solvena
