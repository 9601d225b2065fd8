#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <string>
#include <string_view>
#include <tuple>

#include "engine/FormatProbe.h"
#include "loopback/LoopbackDeviceFile.h"

namespace solvena::devices {
namespace {

LoopbackDeviceSet Parse(std::string_view text) {
    LoopbackParseResult result = ParseLoopbackDeviceFile(text);
    EXPECT_TRUE(result.ok) << "line " << result.line << ": " << result.error;
    return result.devices;
}

// The line and message of a file that must be refused.
LoopbackParseResult Refused(std::string_view text) {
    LoopbackParseResult result = ParseLoopbackDeviceFile(text);
    EXPECT_FALSE(result.ok);
    EXPECT_TRUE(result.devices.midiOuts.empty() && result.devices.waveIns.empty());
    EXPECT_FALSE(result.error.empty());
    return result;
}

TEST(LoopbackDeviceFile, NamesAreTheRestOfTheLineByteForByte) {
    const LoopbackDeviceSet devices = Parse(
        "# devices for the start-up scenarios\n"
        "midiout Synth A\n"
        "midiout Synth A  \r\n"  // trailing blanks kept, CR dropped
        "  midiout  #2 padded\n"  // indented keyword; the name starts after one space
        "midiout \n"             // empty name
        "wavein Line In\n"
        "wavein \x83\x5C\x83\x8B\n"  // code page 932 with a 0x5C trail byte
        "midiout last line without end");
    ASSERT_EQ(devices.midiOuts.size(), 5u);
    EXPECT_EQ(devices.midiOuts[0].name, "Synth A");
    EXPECT_EQ(devices.midiOuts[1].name, "Synth A  ");
    EXPECT_EQ(devices.midiOuts[2].name, " #2 padded");
    EXPECT_EQ(devices.midiOuts[3].name, "");
    EXPECT_EQ(devices.midiOuts[4].name, "last line without end");
    ASSERT_EQ(devices.waveIns.size(), 2u);
    EXPECT_EQ(devices.waveIns[0].name, "Line In");
    EXPECT_EQ(devices.waveIns[1].name, "\x83\x5C\x83\x8B");
    EXPECT_TRUE(devices.waveIns[0].rates.any);
}

TEST(LoopbackDeviceFile, NameLengthIsThatOfTheCapabilitiesRecord) {
    const std::string longest(31, 'x');
    EXPECT_EQ(Parse("wavein " + longest + "\n").waveIns.at(0).name, longest);
    EXPECT_EQ(Refused("wavein " + longest + "y\n").line, 1u);
}

TEST(LoopbackDeviceFile, FormatListsRangesAndComments) {
    const LoopbackDeviceSet devices = Parse(
        "wavein Narrow\n"
        "\trates 8000-44100   # no 96000\n"
        "  bits 8, 16\n"
        "  channels 2\n"
        "wavein Deaf\n"
        "  rates none\n"
        "wavein Picky\n"
        "  rates 11025 - 11025,44100,96000-192000\n");
    ASSERT_EQ(devices.waveIns.size(), 3u);
    const LoopbackWaveIn& narrow = devices.waveIns[0];
    EXPECT_TRUE(narrow.rates.Accepts(8000));
    EXPECT_TRUE(narrow.rates.Accepts(44100));
    EXPECT_FALSE(narrow.rates.Accepts(96000));
    EXPECT_FALSE(narrow.rates.Accepts(7999));
    EXPECT_TRUE(narrow.bits.Accepts(16));
    EXPECT_FALSE(narrow.bits.Accepts(24));
    EXPECT_FALSE(narrow.channels.Accepts(1));
    EXPECT_TRUE(narrow.channels.Accepts(2));
    EXPECT_FALSE(devices.waveIns[1].rates.Accepts(8000));
    const AcceptedValues& picky = devices.waveIns[2].rates;
    EXPECT_FALSE(picky.Accepts(8000));
    EXPECT_TRUE(picky.Accepts(11025));
    EXPECT_FALSE(picky.Accepts(22050));
    EXPECT_TRUE(picky.Accepts(44100));
    EXPECT_TRUE(picky.Accepts(192000));
}

TEST(LoopbackDeviceFile, InjectedFailuresBelongToTheLastDevice) {
    const LoopbackDeviceSet devices = Parse(
        "midiout Synth\n"
        "fail open 4\n"
        "wavein Mic\n"
        "fail query 11  # bad parameter\n"
        "fail add 7\n");
    EXPECT_EQ(InjectedResult(devices.midiOuts.at(0).failures, "open"), 4u);
    EXPECT_EQ(InjectedResult(devices.midiOuts.at(0).failures, "close"), kMmNoError);
    EXPECT_EQ(InjectedResult(devices.waveIns.at(0).failures, "query"), 11u);
    EXPECT_EQ(InjectedResult(devices.waveIns.at(0).failures, "add"), 7u);
    EXPECT_EQ(InjectedResult(devices.waveIns.at(0).failures, "open"), kMmNoError);
}

TEST(LoopbackDeviceFile, AFailureCanWaitForItsNthCall) {
    LoopbackDeviceSet devices = Parse("wavein Mic\nfail prepare 6 after 2  # the third prepare fails\n");
    std::vector<InjectedFailure>& failures = devices.waveIns.at(0).failures;
    EXPECT_EQ(InjectedResult(failures, "prepare"), kMmNoError) << "not before its calls are counted";
    const std::vector<MmResult> answers = {CountedInjectedResult(failures, "prepare"),
                                           CountedInjectedResult(failures, "prepare"),
                                           CountedInjectedResult(failures, "prepare"),
                                           CountedInjectedResult(failures, "prepare")};
    EXPECT_EQ(answers, (std::vector<MmResult>{0, 0, 6, 6}));
    EXPECT_EQ(CountedInjectedResult(failures, "add"), kMmNoError);
    EXPECT_FALSE(ParseLoopbackDeviceFile("wavein Mic\nfail prepare 6 after x\n").ok);
    // "once": only the call after the N fails.
    LoopbackDeviceSet once = Parse("wavein Mic\nfail add 7 after 1 once\n");
    std::vector<MmResult> onceAnswers;
    for (int i = 0; i < 4; ++i) onceAnswers.push_back(CountedInjectedResult(once.waveIns.at(0).failures, "add"));
    EXPECT_EQ(onceAnswers, (std::vector<MmResult>{0, 7, 0, 0}));
}

TEST(LoopbackDeviceFile, RefusesTheWholeFileAtItsFirstFault) {
    using namespace std::string_view_literals;
    struct Case {
        std::string_view text;
        std::size_t line;
    };
    const Case cases[] = {
        {"midiout Synth\nmidiin Keys\n", 2},            // unknown keyword
        {"midiout\n", 1},                               // no name
        {"midiout\tSynth\n", 1},                        // the name follows a space, not a tab
        {"rates 8000\n", 1},                            // property before any device
        {"midiout Synth\nrates 8000\n", 2},             // property of a MIDI OUT device
        {"wavein Mic\nrates 8000\nrates 11025\n", 3},   // given twice
        {"wavein Mic\nrates\n", 2},                     // empty list
        {"wavein Mic\nrates 44100-8000\n", 2},          // backwards range
        {"wavein Mic\nbits 8,,16\n", 2},                // empty item
        {"wavein Mic\nbits 16bit\n", 2},                // not a number
        {"wavein Mic\nrates 4294967296\n", 2},          // beyond 32 bits
        {"wavein Mic\nchannels -1\n", 2},               // negative
        {"fail query 32\n", 1},                         // failure before any device
        {"wavein Mic\nfail query\n", 2},                // no code
        {"wavein Mic\nfail query x\n", 2},              // code not a number
        {"wavein Mic\nfail property 5\n", 2},           // not a WAVE IN call
        {"midiout Synth\nfail query 5\n", 2},           // not a MIDI OUT call
        {"wavein Mic\nfail open 4\nfail open 5\n", 3},  // one code per call
        {"# ok\nwavein M\0c\n"sv, 2},                   // NUL byte
        {"midiout Synth\nstartdelay 5\n", 2},           // a WAVE IN property
        {"wavein Mic\nopendelay 5\n", 2},               // a MIDI OUT property
        {"midiout Synth\nlatency 5-9\n", 2},            // one latency, not a range
        {"wavein Mic\nstartdelay 600000\nstartdelay 1\n", 3},  // given twice
        {"wavein Mic\nstartdelay 600001\n", 2},         // past ten minutes
        {"wavein Mic\nstall after 2\n", 2},             // a MIDI OUT property
        {"midiout Synth\nstall 2\n", 2},                // no "after"
        {"midiout Synth\ndeaf\n", 2},                   // a WAVE IN property
        {"wavein Mic\ndeaf # twice\ndeaf\n", 3},        // given twice
        {"wavein Mic\ndeaf yes\n", 2},                  // no value
        {"wavein Mic\ndc 100.5\n", 2},                  // past full scale
        {"wavein Mic\ndc 0,5\n", 2},                    // not a decimal point
        {"wavein Mic\nnoise 3\n", 2},                   // above full scale
        {"wavein Mic\nnoise -inf\n", 2},                // not a level
        {"wavein Mic\nnoise -65\nnoise -70\n", 3},      // given twice
        {"wavein Mic\nclock 10000.01\n", 2},           // past 1 %
        {"wavein Mic\nclock 20\nclock 20\n", 3},        // given twice
        {"midiout Synth\nclock 20\n", 2},              // a WAVE IN property
        {"wavein Mic\nclock 2e3\n", 2},                // not plain decimals
        {"wavein Mic\ndropout 100\n", 2},              // no length
        {"wavein Mic\ndropout 100 50 5\n", 2},         // a third number
        {"wavein Mic\ndropout 100.5 50\n", 2},         // not whole milliseconds
        {"wavein Mic\ndropout 100 600001\n", 2},       // past ten minutes
        {"midiout Synth\ndropout 100 50\n", 2},        // a WAVE IN property
    };
    for (const Case& c : cases) EXPECT_EQ(Refused(c.text).line, c.line) << c.text;
}

TEST(LoopbackDeviceFile, DevicesThatTakeTheirTime) {
    const LoopbackDeviceSet devices =
        Parse("midiout Slow\n  opendelay 20-120\n  latency 30\n  stall after 2\nwavein Late\n  startdelay 600 - 1800\n");
    EXPECT_EQ(devices.midiOuts[0].stallAfter, 2u);
    EXPECT_EQ(std::tuple(devices.midiOuts[0].openDelay.low, devices.midiOuts[0].openDelay.high), std::tuple(20u, 120u));
    EXPECT_EQ(std::tuple(devices.midiOuts[0].latency.low, devices.midiOuts[0].latency.high), std::tuple(30u, 30u));
    EXPECT_EQ(std::tuple(devices.waveIns[0].startDelay.low, devices.waveIns[0].startDelay.high), std::tuple(600u, 1800u));
    EXPECT_FALSE(Parse("wavein Prompt\n").waveIns[0].startDelay.given);
}

TEST(LoopbackDeviceFile, AnInputRecordsItsOwnOffsetAndNoise) {
    const LoopbackDeviceSet devices = Parse("wavein Hum\n  dc -0.6\n  noise -65.5  # a cheap line in\n  deaf\n");
    const CaptureInput hum = LoopbackCaptureInput(devices.waveIns.at(0));
    EXPECT_DOUBLE_EQ(hum.dc, -0.006);
    EXPECT_DOUBLE_EQ(hum.noiseRms, std::pow(10.0, -65.5 / 20));
    EXPECT_TRUE(hum.deaf);
}

TEST(LoopbackDeviceFile, AClockRunsOffByPpmAndDropsOutWhereItsLinesSay) {
    const LoopbackDeviceSet devices = Parse(
        "wavein Drifty\n  clock -2000.5\n  dropout 900 100  # late\n  dropout 100 600000\n"
        "wavein Fast\n  clock 10000\n");
    const DeviceClock drifty = LoopbackDeviceClock(devices.waveIns.at(0));
    EXPECT_EQ(drifty.ppm, -2000.5);
    ASSERT_EQ(drifty.dropouts.size(), 2u);
    EXPECT_EQ(std::tuple(drifty.dropouts[0].at, drifty.dropouts[0].length), std::tuple(0.9, 0.1));
    EXPECT_EQ(std::tuple(drifty.dropouts[1].at, drifty.dropouts[1].length), std::tuple(0.1, 600.0));
    EXPECT_EQ(LoopbackDeviceClock(devices.waveIns.at(1)).ppm, 10000);
}

TEST(LoopbackDeviceFile, EmptyAndCommentOnlyFilesHaveNoDevices) {
    for (const char* text : {"", "\n\n", "# nothing\r\n   \n\t# indented comment\n"}) {
        const LoopbackDeviceSet devices = Parse(text);
        EXPECT_TRUE(devices.midiOuts.empty());
        EXPECT_TRUE(devices.waveIns.empty());
    }
}

class LoopbackQueries : public ::testing::Test {
protected:
    LoopbackDeviceSet devices = Parse(
        "midiout Synth\n"
        "midiout Broken\n"
        "fail caps 6\n"
        "wavein Narrow\n"
        "rates 8000-44100\n"
        "bits 8,16\n"
        "wavein Busy\n"
        "fail query 4\n"
        "wavein Nameless\n"
        "fail caps 2\n");
};

TEST_F(LoopbackQueries, NamesAnswerLikeTheCapabilitiesCall) {
    EXPECT_EQ(LoopbackMidiOutName(devices, 0), "Synth");
    EXPECT_EQ(LoopbackMidiOutName(devices, 1), "");  // caps made to fail
    EXPECT_EQ(LoopbackMidiOutName(devices, 2), "");
    EXPECT_EQ(LoopbackMidiOutName(devices, 0xFFFFFFFF), "");
    EXPECT_EQ(LoopbackWaveInName(devices, 0), "Narrow");
    EXPECT_EQ(LoopbackWaveInName(devices, 2), "");
    EXPECT_EQ(LoopbackWaveInName(devices, 3), "");
}

TEST_F(LoopbackQueries, QueryChecksDeviceFailureAndFormat) {
    EXPECT_EQ(LoopbackWaveInQuery(devices, 0, PcmFormat(2, 44100, 16)), kMmNoError);
    EXPECT_EQ(LoopbackWaveInQuery(devices, 0, PcmFormat(1, 8000, 8)), kMmNoError);
    EXPECT_EQ(LoopbackWaveInQuery(devices, 0, PcmFormat(2, 96000, 16)), kWaveBadFormat);
    EXPECT_EQ(LoopbackWaveInQuery(devices, 0, PcmFormat(2, 44100, 24)), kWaveBadFormat);
    EXPECT_EQ(LoopbackWaveInQuery(devices, 1, PcmFormat(2, 44100, 16)), 4u);
    EXPECT_EQ(LoopbackWaveInQuery(devices, 3, PcmFormat(2, 44100, 16)), kMmBadDeviceId);
    EXPECT_EQ(LoopbackWaveInQuery(devices, 0xFFFFFFFF, PcmFormat(2, 44100, 16)), kMmBadDeviceId);
}

TEST_F(LoopbackQueries, InconsistentRecordsAreRefusedEvenInAcceptedRanges) {
    WaveFormat format = PcmFormat(2, 44100, 16);
    format.blockAlign = 2;
    EXPECT_EQ(LoopbackWaveInQuery(devices, 0, format), kWaveBadFormat);
    format = PcmFormat(2, 44100, 16);
    format.avgBytesPerSec = 44100 * 2;
    EXPECT_EQ(LoopbackWaveInQuery(devices, 0, format), kWaveBadFormat);
    format = PcmFormat(2, 44100, 16);
    format.formatTag = 3;
    EXPECT_EQ(LoopbackWaveInQuery(devices, 0, format), kWaveBadFormat);
}

TEST_F(LoopbackQueries, ProbingANarrowDeviceListsItsLeadingEntries) {
    const FormatQuery query = [this](const WaveFormat& format) { return LoopbackWaveInQuery(devices, 0, format); };
    EXPECT_EQ(ProbeSampleRates(query), 4u);
    EXPECT_EQ(ProbeBitDepths(query), 2u);
    const FormatQuery busy = [this](const WaveFormat& format) { return LoopbackWaveInQuery(devices, 1, format); };
    EXPECT_EQ(ProbeSampleRates(busy), 0u);
    EXPECT_EQ(ProbeBitDepths(busy), 0u);
}

}  // namespace
}  // namespace solvena::devices
