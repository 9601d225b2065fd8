#include "app/DevicePage.h"

#include <windows.h>
#include <shellapi.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "app/AppState.h"
#include "app/DelayCheck.h"
#include "app/MainControls.h"
#include "app/Settings.h"
#include "engine/DeviceSeam.h"
#include "engine/FormatProbe.h"

namespace solvena::app {

namespace {

constexpr char kCheckCaption[] = "デバイスチェック";
constexpr char kCheckAccepted[] = "この設定で録音が可能です。";
constexpr char kCheckRefused[] = "WAV_INデバイスがこの設定に対応していません。\n設定かデバイスを変更してください。";

// The WAVE IN device whose accepted formats the rate and depth lists show; the WAVE IN list's
// selection each time its drop-down closes.
std::uint32_t probeDevice = 0;

void AddEntry(HWND combo, const std::string& text) {
    SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

// Deleting the first entry until none is left; the answer is the count left, or CB_ERR once
// the list is empty, so a failing delete cannot keep the loop going.
void EmptyList(HWND combo) {
    while (SendMessageA(combo, CB_DELETESTRING, 0, 0) > 0) {
    }
}

// A position past the last entry leaves the list without a selection.
void SelectPosition(HWND combo, std::size_t position) {
    const LRESULT count = SendMessageA(combo, CB_GETCOUNT, 0, 0);
    const bool exists = count > 0 && position < static_cast<std::size_t>(count);
    SendMessageA(combo, CB_SETCURSEL, exists ? static_cast<WPARAM>(position) : static_cast<WPARAM>(-1), 0);
}

devices::Selection SelectionOf(HWND combo) {
    const LRESULT selection = SendMessageA(combo, CB_GETCURSEL, 0, 0);
    return selection < 0 ? devices::kNoSelection : static_cast<devices::Selection>(selection);
}

void FillFormatLists() {
    const devices::FormatQuery query = [](const devices::WaveFormat& format) {
        return devices::WaveInQuery(probeDevice, format);
    };
    const std::size_t rates = devices::ProbeSampleRates(query);
    for (std::size_t i = 0; i < rates; ++i) {
        AddEntry(controls.sampleRateCombo, devices::RateEntryText(devices::sampleRates[i]));
    }
    const std::size_t depths = devices::ProbeBitDepths(query);
    for (std::size_t i = 0; i < depths; ++i) {
        AddEntry(controls.bitsCombo, devices::DepthEntryText(devices::bitDepths[i]));
    }
}

void SelectInitialFormats() {
    SelectPosition(controls.sampleRateCombo, devices::kInitialRatePosition);
    SelectPosition(controls.bitsCombo, devices::kInitialDepthPosition);
}

void ShowCheckMessage(const char* text) { MessageBoxA(mainWindow, text, kCheckCaption, MB_OK); }

// Without a selection there is no table entry to read, so the check names the list to choose
// from instead of guessing an entry.
const char* MissingSelectionText(devices::MissingSelection missing) {
    switch (missing) {
    case devices::MissingSelection::sampleRate:
        return "サンプルレートが選択されていません。";
    case devices::MissingSelection::bitDepth:
        return "ビットレートが選択されていません。";
    case devices::MissingSelection::channels:
        return "チャンネル数が選択されていません。";
    case devices::MissingSelection::none:
        break;
    }
    return "";
}

}  // namespace

void FillDeviceLists() {
    // A new window starts with device 0, whatever an earlier window of this process chose.
    probeDevice = 0;
    FillFormatLists();
    const std::uint32_t waveIns = devices::WaveInCount();
    for (std::uint32_t id = 0; id < waveIns; ++id) {
        AddEntry(controls.waveInCombo, devices::DeviceEntryText(id, devices::WaveInName(id)));
    }
    const std::uint32_t midiOuts = devices::MidiOutCount();
    for (std::uint32_t id = 0; id < midiOuts; ++id) {
        AddEntry(controls.midiOutCombo, devices::DeviceEntryText(id, devices::MidiOutName(id)));
    }
}

void SelectInitialDeviceEntries() {
    SelectPosition(controls.waveInCombo, waveInDeviceId);
    SelectPosition(controls.midiOutCombo, midiOutDeviceId);
    SelectInitialFormats();
    SelectPosition(controls.channelsCombo, devices::kInitialChannelsPosition);
}

void OnWaveInCloseUp() {
    // An empty WAVE IN list has no selection; the probe device then stays as it was rather
    // than becoming -1, which the system reads as its wave mapper.
    const devices::Selection selection = SelectionOf(controls.waveInCombo);
    if (selection != devices::kNoSelection) probeDevice = static_cast<std::uint32_t>(selection);
    EmptyList(controls.sampleRateCombo);
    EmptyList(controls.bitsCombo);
    FillFormatLists();
    SelectInitialFormats();
}

void OnDeviceCheck() {
    const devices::Selection waveIn = SelectionOf(controls.waveInCombo);
    if (waveIn == devices::kNoSelection) {
        ShowCheckMessage("WAVE INデバイスが選択されていません。");
        return;
    }
    const devices::PageFormat chosen = devices::FormatFromSelections(
        SelectionOf(controls.sampleRateCombo), SelectionOf(controls.bitsCombo), SelectionOf(controls.channelsCombo));
    if (chosen.missing != devices::MissingSelection::none) {
        ShowCheckMessage(MissingSelectionText(chosen.missing));
        return;
    }
    const bool accepted =
        devices::WaveInQuery(static_cast<std::uint32_t>(waveIn), chosen.format) == devices::kMmNoError;
    ShowCheckMessage(accepted ? kCheckAccepted : kCheckRefused);
    const devices::Selection midiOut = SelectionOf(controls.midiOutCombo);
    if (accepted && midiOut != devices::kNoSelection) {
        OfferDelayMeasurement(static_cast<std::uint32_t>(midiOut), static_cast<std::uint32_t>(waveIn), chosen.format);
    }
}

void OnControlPanel() {
    ShellExecuteA(mainWindow, "open", "control", "mmsys.cpl, ,2", nullptr, SW_SHOWNORMAL);
}

}  // namespace solvena::app
