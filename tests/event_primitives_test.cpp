#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <vector>

#include "song/EventPrimitives.h"
#include "support/MidiBuilder.h"

namespace solvena {
namespace {

using test::ByteVec;

Bytes Span(const ByteVec& v) { return Bytes(v.data(), v.size()); }

TEST(EventLastIndex, SizesEveryKindOfExplicitStatus) {
    struct Case {
        ByteVec bytes;  // one event at index 0
        ByteIndex last;
    };
    const Case cases[] = {
        {{0x00, 0x80, 0x3C, 0x00}, 3}, {{0x00, 0x9F, 0x3C, 0x64}, 3}, {{0x00, 0xA0, 0x3C, 0x40}, 3},
        {{0x00, 0xB3, 0x07, 0x64}, 3}, {{0x00, 0xC0, 0x05}, 2},       {{0x00, 0xD5, 0x40}, 2},
        {{0x00, 0xE0, 0x00, 0x40}, 3}, {{0x00, 0xF1, 0x10}, 2},       {{0x00, 0xF2, 0x10, 0x20}, 3},
        {{0x00, 0xF3, 0x01}, 2},       {{0x00, 0xF6}, 1},             {{0x00, 0xF8}, 1},
        {{0x00, 0xFA}, 1},             {{0x00, 0xFB}, 1},             {{0x00, 0xFC}, 1},
        {{0x00, 0xFE}, 1},             {{0x00, 0xF4}, -1},            {{0x00, 0xF5}, -1},
        {{0x00, 0xF9}, -1},            {{0x00, 0xFD}, -1},
        {{0x83, 0x60, 0x90, 0x3C, 0x64}, 4},           // two-byte delta time
        {{0x00, 0xFF, 0x2F, 0x00}, 3},                 // empty meta ends on its length byte
        {{0x00, 0xFF, 0x03, 0x03, 'a', 'b', 'c'}, 6},  // meta text
        {{0x00, 0xF0, 0x03, 0x41, 0x10, 0xF7}, 5},     {{0x00, 0xF7, 0x02, 0xF8, 0xFA}, 4},
    };
    for (const Case& c : cases) {
        runningStatus = 0;
        runningStatusUsed = 1;
        EXPECT_EQ(EventLastIndex(Span(c.bytes), 0), c.last) << "status " << int(c.bytes[1]);
        if (c.last >= 0) {
            EXPECT_EQ(runningStatusUsed, 0) << "status " << int(c.bytes[1]);
        }
    }
}

TEST(EventLastIndex, MetaWithTwoByteLengthIsSkippedWhole) {
    ByteVec text(200, 'x');
    const ByteVec track = test::TrackBuilder().Text(0, 0x01, std::string(text.begin(), text.end())).EndOfTrack(0).Bytes();
    ASSERT_EQ(track[3], 0x81);  // 200 needs two length bytes
    const ByteIndex last = EventLastIndex(Span(track), 0);
    EXPECT_EQ(last, 4 + 200);
    EXPECT_EQ(ClassifyEvent(Span(track), last + 1), EventKind::kEndOfTrack);
}

TEST(EventLastIndex, RunningStatusFollowsTheLastChannelStatusOnly) {
    // 00 90 3C 64 | 10 3E 64 | 00 FF 2F 00 — the second event borrows note-on.
    const ByteVec track = {0x00, 0x90, 0x3C, 0x64, 0x10, 0x3E, 0x64, 0x00, 0xFF, 0x2F, 0x00};
    runningStatus = 0;
    EXPECT_EQ(EventLastIndex(Span(track), 0), 3);
    EXPECT_EQ(runningStatus, 0x90);
    EXPECT_EQ(runningStatusUsed, 0);
    EXPECT_EQ(EventLastIndex(Span(track), 4), 6);  // its velocity byte
    EXPECT_EQ(runningStatusUsed, 1);
    EXPECT_EQ(ClassifyEvent(Span(track), 4), EventKind::kOther);
    EXPECT_EQ(EventLastIndex(Span(track), 7), 10);
    EXPECT_EQ(runningStatusUsed, 0);
    EXPECT_EQ(runningStatus, 0x90) << "a meta event must not replace the running status";

    // Neither system exclusive kind replaces it either.
    const ByteVec sysex = {0x00, 0xF0, 0x01, 0xF7, 0x00, 0xF7, 0x01, 0xF8, 0x00, 0x40, 0x00};
    EXPECT_EQ(EventLastIndex(Span(sysex), 0), 3);
    EXPECT_EQ(EventLastIndex(Span(sysex), 4), 7);
    EXPECT_EQ(runningStatus, 0x90);
    EXPECT_EQ(EventLastIndex(Span(sysex), 8), 10);
    EXPECT_EQ(runningStatusUsed, 1);
}

TEST(EventLastIndex, RunningStatusDataCountComesFromTheBorrowedStatus) {
    const ByteVec program = {0x00, 0xC0, 0x05, 0x00, 0x06, 0x00, 0x90};  // C0 05, then 06 in running status
    EXPECT_EQ(EventLastIndex(Span(program), 0), 2);
    EXPECT_EQ(EventLastIndex(Span(program), 3), 4);
    EXPECT_EQ(runningStatusUsed, 1);
    EXPECT_EQ(runningStatus, 0xC0);

    const ByteVec bend = {0x00, 0xE0, 0x00, 0x40, 0x00, 0x7F, 0x7F};
    EXPECT_EQ(EventLastIndex(Span(bend), 0), 3);
    EXPECT_EQ(EventLastIndex(Span(bend), 4), 6);
}

TEST(EventLastIndex, DataByteZeroIsRunningStatusToo) {
    // Note number 0 in running status: 00 is a data byte, not the end of the track.
    const ByteVec track = {0x00, 0x91, 0x3C, 0x40, 0x05, 0x00, 0x40, 0x00, 0xFF, 0x2F, 0x00};
    EXPECT_EQ(EventLastIndex(Span(track), 0), 3);
    EXPECT_EQ(EventLastIndex(Span(track), 4), 6);
    EXPECT_EQ(runningStatusUsed, 1);
    EXPECT_EQ(runningStatus, 0x91);
    EXPECT_EQ(ClassifyEvent(Span(track), 4), EventKind::kOther);
}

TEST(EventLastIndex, RunningStatusWithoutAnyStatusCannotBeSized) {
    const ByteVec data = {0x00, 0x3C, 0x40, 0x00, 0x00, 0x00};
    runningStatus = 0;
    EXPECT_EQ(EventLastIndex(Span(data), 0), -1);
    EXPECT_EQ(EventLastIndex(Span(data), 3), -1);
}

TEST(EventLastIndex, ReadsPastTheBufferAsZeroWithoutLeavingIt) {
    // A meta whose length byte is missing and a note-on cut after its status.
    const ByteVec meta = {0x00, 0xFF, 0x03};
    EXPECT_EQ(EventLastIndex(Span(meta), 0), 3);  // missing length reads as 0
    const std::vector<std::uint8_t> cut = {0x00, 0x90};
    EXPECT_EQ(EventLastIndex(Span(cut), 0), 3);
    EXPECT_EQ(ClassifyEvent(Span(cut), 0), EventKind::kNoteOn);
    EXPECT_EQ(ClassifyEvent(Span(cut), 5), EventKind::kOther);  // all zero past the end
}

TEST(ClassifyEvent, StatusAndMetaCodes) {
    struct Case {
        ByteVec bytes;
        int code;
    };
    const Case cases[] = {
        {{0x00, 0xFF, 0x00, 0x02, 0x00, 0x01}, 121}, {{0x00, 0xFF, 0x01, 0x00}, 122}, {{0x00, 0xFF, 0x02, 0x00}, 123},
        {{0x00, 0xFF, 0x03, 0x00}, 101},             {{0x00, 0xFF, 0x04, 0x00}, 124}, {{0x00, 0xFF, 0x05, 0x00}, 125},
        {{0x00, 0xFF, 0x06, 0x00}, 102},             {{0x00, 0xFF, 0x07, 0x00}, 126}, {{0x00, 0xFF, 0x20, 0x01, 0x00}, 83},
        {{0x00, 0xFF, 0x21, 0x01, 0x00}, 3},         {{0x00, 0xFF, 0x2F, 0x00}, 0},
        {{0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20}, 1},
        {{0x00, 0xFF, 0x54, 0x05, 0, 0, 0, 0, 0}, 127},
        {{0x00, 0xFF, 0x58, 0x04, 4, 2, 24, 8}, 103},
        {{0x00, 0xFF, 0x59, 0x02, 0, 0}, 104},
        {{0x00, 0xFF, 0x08, 0x00}, -1},              {{0x00, 0xFF, 0x09, 0x00}, -1},  {{0x00, 0xFF, 0x7F, 0x00}, -1},
        {{0x00, 0xF0, 0x01, 0xF7}, 81},              {{0x00, 0xF7, 0x01, 0xF8}, 82},
        {{0x00, 0x80, 0x3C, 0x00}, 11},              {{0x00, 0x8F, 0x3C, 0x00}, 11},  {{0x00, 0x90, 0x3C, 0x64}, 12},
        {{0x00, 0x9A, 0x3C, 0x00}, 12},  // velocity 0 is still a note-on
        {{0x00, 0xA0, 0x3C, 0x10}, 13},              {{0x00, 0xC0, 0x05}, 41},        {{0x00, 0xCF, 0x05}, 41},
        {{0x00, 0xD0, 0x05}, 14},                    {{0x00, 0xE0, 0x00, 0x40}, 15},  {{0x00, 0xEF, 0x00, 0x40}, 15},
        {{0x00, 0xF1, 0x00}, -1},                    {{0x00, 0xF2, 0x00, 0x00}, -1},  {{0x00, 0xF8}, -1},
        {{0x00, 0xFE}, -1},                          {{0x00, 0x3C, 0x40}, -1},        {{0x00, 0x00, 0x40}, -1},
        {{0x81, 0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20}, 1},  // after a two-byte delta
    };
    runningStatus = 0x90;  // a borrowed status is never classified
    for (const Case& c : cases) {
        EXPECT_EQ(ClassifyEvent(Span(c.bytes), 0), c.code) << std::hex << int(c.bytes[1]) << ' ' << int(c.bytes[2]);
    }
}

TEST(ClassifyEvent, EveryControllerNumber) {
    std::array<int, 128> expected;
    expected.fill(99);
    const std::pair<int, int> table[] = {
        {0, 42},   {1, 16},   {2, 17},   {4, 18},   {5, 47},   {6, 71},   {7, 44},   {10, 46},  {11, 45},
        {32, 43},  {33, 26},  {34, 27},  {36, 28},  {37, 57},  {38, 72},  {39, 54},  {40, 55},  {45, 31},
        {46, 32},  {47, 33},  {48, 34},  {64, 21},  {65, 20},  {66, 22},  {67, 19},  {69, 23},  {70, 49},
        {71, 66},  {72, 53},  {73, 51},  {74, 67},  {75, 52},  {80, 35},  {81, 36},  {82, 37},  {83, 38},
        {91, 61},  {92, 63},  {93, 62},  {94, 64},  {95, 65},  {96, 77},  {97, 78},  {98, 76},  {99, 75},
        {100, 74}, {101, 73}, {120, 91}, {121, 92}, {122, 93}, {123, 94}, {124, 95}, {125, 96}, {126, 97},
        {127, 98},
    };
    for (const auto& [controller, code] : table) expected[controller] = code;
    for (int channelStatus : {0xB0, 0xB9, 0xBF}) {
        for (int controller = 0; controller < 128; ++controller) {
            const ByteVec event = {0x00, static_cast<std::uint8_t>(channelStatus), static_cast<std::uint8_t>(controller),
                                   0x7F};
            EXPECT_EQ(ClassifyEvent(Span(event), 0), expected[controller])
                << "status " << std::hex << channelStatus << std::dec << " controller " << controller;
        }
    }
}

TEST(CopySysEx, CopiesStatusAndDeclaredBytes) {
    const ByteVec track = {0x00, 0x90, 0x3C, 0x64, 0x00, 0xF0, 0x05, 0x7E, 0x7F, 0x09, 0x01, 0xF7,
                           0x00, 0xF7, 0x02, 0xF8, 0xFA};
    std::array<std::uint8_t, 16> out;

    out.fill(0xAA);
    EXPECT_EQ(CopySysEx(Span(track), 4, out), 6u);
    EXPECT_EQ((ByteVec(out.begin(), out.begin() + 7)), (ByteVec{0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7, 0xAA}));

    out.fill(0xAA);
    EXPECT_EQ(CopySysEx(Span(track), 12, out), 3u);
    EXPECT_EQ((ByteVec(out.begin(), out.begin() + 4)), (ByteVec{0xF7, 0xF8, 0xFA, 0xAA}));

    out.fill(0xAA);
    EXPECT_EQ(CopySysEx(Span(track), 0, out), 0u);
    EXPECT_EQ(out[0], 0xAA) << "nothing is written for other events";
}

TEST(CopySysEx, NeverWritesPastTheMessageBuffer) {
    const ByteVec track = {0x00, 0xF0, 0x05, 0x7E, 0x7F, 0x09, 0x01, 0xF7};
    std::array<std::uint8_t, 8> out;
    out.fill(0xAA);
    EXPECT_EQ(CopySysEx(Span(track), 0, std::span<std::uint8_t>(out.data(), 3)), 6u);
    EXPECT_EQ((ByteVec(out.begin(), out.end())), (ByteVec{0xF0, 0x7E, 0x7F, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA}));
}

TEST(CopySysEx, LongAndTruncatedMessages) {
    // 200 data bytes: longer than any fixed window, the full size is still reported.
    ByteVec track = {0x00, 0xF0, 0x81, 0x48};
    for (int i = 0; i < 200; ++i) track.push_back(static_cast<std::uint8_t>(i & 0x7F));
    std::vector<std::uint8_t> out(256, 0xAA);
    EXPECT_EQ(CopySysEx(Span(track), 0, out), 201u);
    EXPECT_EQ(out[0], 0xF0);
    EXPECT_EQ(out[1], 0x00);
    EXPECT_EQ(out[100], 99);

    // The buffer ends after 2 of 50 declared bytes: the copy stays inside it.
    const ByteVec cut = {0x00, 0xF0, 0x32, 0x11, 0x22};
    std::fill(out.begin(), out.end(), 0xAA);
    EXPECT_EQ(CopySysEx(Span(cut), 0, out), 51u);
    EXPECT_EQ(out[1], 0x11);
    EXPECT_EQ(out[2], 0x22);
    EXPECT_EQ(out[3], 0x00);
}

TEST(VariableLength, WriteReadAndStatusIndex) {
    for (std::uint32_t value : {0u, 127u, 128u, 8192u, 16383u, 16384u, 2097151u, 2097152u, 0x0FFFFFFFu}) {
        ByteVec expected;
        test::AppendVarLen(expected, value);
        std::uint8_t written[8] = {};
        const int n = WriteVarLen(value, written);
        EXPECT_EQ((ByteVec(written, written + n)), expected) << value;
        ByteVec buf = {0xAA, 0xAA};  // the event starts at index 2, not at the buffer start
        buf.insert(buf.end(), expected.begin(), expected.end());
        buf.push_back(0x90);
        EXPECT_EQ(ReadDeltaTime(Span(buf), 2), value);
        EXPECT_EQ(EventStatusIndex(Span(buf), 2), static_cast<ByteIndex>(2 + expected.size())) << value;
    }
}

}  // namespace
}  // namespace solvena
