#include "engine/DeviceReports.h"

#include <array>

namespace solvena {

namespace {

using enum ReportCall;

struct ReportRow {
    ReportCall call;
    devices::MmResult code;
    const char* text;
};

// One row per reported result; the texts differ between the places a call is made, and keep
// the wording users have seen from the start.
constexpr std::array kReports{
    ReportRow{captureOpen, 4, "ドライバは使用中です。"},
    ReportRow{captureOpen, 2, "存在しない録音デバイスを指定しました。"},
    ReportRow{captureOpen, 6, "存在しないwav inドライバを指定しました。"},
    ReportRow{captureOpen, 32, "WAVEフォーマット不正です。"},
    ReportRow{capturePrepare, 5, "不正なwav inハンドルです。"},
    ReportRow{capturePrepare, 6, "存在しないwav inドライバを指定しました。"},
    ReportRow{capturePrepare, 7, "メモリ不足です。"},
    ReportRow{captureAdd, 5, "不正なwav inハンドルです。"},
    ReportRow{captureAdd, 6, "録音ドライバが存在しません。"},
    ReportRow{captureAdd, 7, "メモリ不足です。"},
    ReportRow{captureAdd, 34, "バッファの確保に失敗しました。"},
    ReportRow{captureStart, 7, "メモリ不足です。"},
    ReportRow{captureStart, 5, "存在しないWAVデバイスを指定しました。"},
    ReportRow{captureStart, 6, "WAVドライバが存在しません。"},

    ReportRow{recyclePrepare, 5, "不正なwav inハンドルです。"},
    ReportRow{recyclePrepare, 6, "録音ドライバが存在しません。"},
    ReportRow{recyclePrepare, 7, "メモリ不足です。"},
    ReportRow{recycleAdd, 5, "不正なwav inハンドルです。"},
    ReportRow{recycleAdd, 6, "録音ドイライバが存在しません。"},
    ReportRow{recycleAdd, 7, "メモリ不足です。"},
    ReportRow{recycleAdd, 34, "バッファの用意に失敗しました。"},

    ReportRow{streamOpen, 2, "存在しないMIDIデバイスを指定しました。"},
    ReportRow{streamOpen, 11, "不正なMIDIパラメータです。"},
    ReportRow{streamOpen, 7, "メモリ不足です。"},
    ReportRow{streamRestart, 7, "メモリ不足です。"},
    ReportRow{streamRestart, 65, "バッファは既に使用中です。"},
    ReportRow{streamRestart, 64, "ヘッダの準備に失敗しました。"},
    ReportRow{streamRestart, 5, "不正なMIDIハンドルを指定しました。"},
    ReportRow{streamRestart, 11, "不正なMIDIパラメータです。"},
    ReportRow{streamPrepare, 5, "不正なMIDIデバイスを指定しました。"},
    ReportRow{streamPrepare, 11, "MIDIヘッダ準備に失敗しました。"},
    ReportRow{streamPrepare, 7, "メモリ不足です。"},
    ReportRow{streamOut, 7, "メモリ不足です。"},
    ReportRow{streamOut, 65, "バッファは既に使用中です。"},
    ReportRow{streamOut, 64, "ヘッダの準備に失敗しました。"},
    ReportRow{streamOut, 5, "MIDIデバイスのハンドルが不正です。"},
    ReportRow{streamOut, 11, "不正なMIDIパラメータです。"},
};

}  // namespace

const char* ReportText(ReportCall call, devices::MmResult code) {
    for (const ReportRow& row : kReports) {
        if (row.call == call && row.code == code) return row.text;
    }
    return nullptr;
}

}  // namespace solvena
