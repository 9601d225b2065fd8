// The job stack window in-process: its controls, the rows that command 127 inserts from the job
// table, the on/off button and the close box.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "song/SongState.h"
#include "engine/win32/JobStackWindow.h"
#include "engine/win32/MainWindowLink.h"
#include "jobs/RecordingJob.h"

namespace solvena {
namespace {

const char kListClass[] = "ListWindow";
const char* const kRowIcons[] = {"ONICON", "OFFICON", "RECICON", "FINICON"};

std::wstring FromCp932(const std::string& bytes) {
    int n = MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, bytes.c_str(), -1, nullptr, 0);
    if (n <= 0) return L"<invalid CP932>";
    std::wstring out(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, bytes.c_str(), -1, out.data(), n);
    out.resize(static_cast<std::size_t>(n - 1));
    return out;
}

RecordingJob MakeJob(const std::string& midi, std::uint8_t enabled) {
    RecordingJob job;
    SetText(job.midiPath, midi);
    SetText(job.wavPath, midi + ".wav");
    job.sampleRate = 44100;
    job.bitsPerSample = 16;
    job.channels = 2;
    job.expectedSeconds = 125;
    job.reverbSeconds = 3;
    job.trackEnabled[0] = job.trackEnabled[2] = job.trackEnabled[5] = 1;
    job.enabled = enabled;
    return job;
}

// The pixels of one picture of an image list drawn on white.
std::vector<COLORREF> Picture(HIMAGELIST images, int index) {
    HDC dc = CreateCompatibleDC(nullptr);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = 12;
    info.bmiHeader.biHeight = 12;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(dc, bitmap);
    PatBlt(dc, 0, 0, 12, 12, WHITENESS);
    ImageList_Draw(images, index, dc, 0, 0, ILD_NORMAL);
    std::vector<COLORREF> pixels;
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 12; ++x) pixels.push_back(GetPixel(dc, x, y));
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    return pixels;
}

class JobStackWindow : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        WNDCLASSEXA description{};
        description.cbSize = sizeof description;
        description.lpfnWndProc = engine::ListWndProc;
        description.hInstance = GetModuleHandleA(nullptr);
        description.lpszClassName = kListClass;
        registeredHere = RegisterClassExA(&description) != 0;
    }
    static void TearDownTestSuite() {
        if (registeredHere) UnregisterClassA(kListClass, GetModuleHandleA(nullptr));
    }

    void SetUp() override {
        ResetJobTable();
        // Left over from an earlier song: the window's creation gives these buffers back.
        tracks[0].data.assign(100, 1);
        tracks[63].data.assign(100, 1);
        font = CreateFontA(-10, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, "Tahoma");
        engine::MainWindowLink link;
        link.buttonFont = font;
        engine::SetMainWindowLink(link);
        window = CreateWindowExA(WS_EX_TOOLWINDOW, kListClass, "jobs", WS_CAPTION | WS_SYSMENU, 0, 0, 406, 307,
                                 nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(window, nullptr) << GetLastError();
        engine::jobStackWindow = window;
        engine::InstallJobRowHooks();
        list = GetDlgItem(window, 1);
        ASSERT_NE(list, nullptr);
    }

    void TearDown() override {
        SetJobRowHooks({});
        if (window != nullptr) DestroyWindow(window);
        engine::jobStackWindow = nullptr;
        engine::SetMainWindowLink({});
        DeleteObject(font);
        ResetJobTable();
    }

    void Command(int id) { SendMessageA(window, WM_COMMAND, static_cast<WPARAM>(id), 0); }

    int RowCount() { return static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0)); }

    std::string Cell(int row, int column) {
        std::vector<char> buffer(1024, '\x7F');
        LVITEMA item{};
        item.iSubItem = column;
        item.pszText = buffer.data();
        item.cchTextMax = static_cast<int>(buffer.size());
        auto n = SendMessageA(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
        if (n < 0 || static_cast<std::size_t>(n) >= buffer.size()) return "<bad length>";
        return std::string(buffer.data(), static_cast<std::size_t>(n));
    }

    LVITEMA Item(int row) {
        LVITEMA item{};
        item.mask = LVIF_IMAGE | LVIF_STATE;
        item.iItem = row;
        item.stateMask = LVIS_SELECTED;
        item.iImage = -7;
        SendMessageA(list, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
        return item;
    }
    int Icon(int row) { return Item(row).iImage; }
    bool Selected(int row) { return (Item(row).state & LVIS_SELECTED) != 0; }

    void Select(int row) {
        LVITEMA item{};
        item.state = LVIS_SELECTED;
        item.stateMask = LVIS_SELECTED;
        SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
        ASSERT_TRUE(Selected(row));
    }

    RECT ClientRectOf(HWND child) {
        RECT r{};
        GetWindowRect(child, &r);
        MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&r), 2);
        return r;
    }

    static inline bool registeredHere = false;
    HFONT font = nullptr;
    HWND window = nullptr;
    HWND list = nullptr;
};

void ExpectRect(const RECT& r, LONG x, LONG y, LONG width, LONG height) {
    EXPECT_EQ(r.left, x);
    EXPECT_EQ(r.top, y);
    EXPECT_EQ(r.right - r.left, width);
    EXPECT_EQ(r.bottom - r.top, height);
}

TEST_F(JobStackWindow, CreationBuildsTheListColumnsButtonsAndIcons) {
    EXPECT_TRUE(tracks[0].data.empty() && tracks[0].data.capacity() == 0);
    EXPECT_EQ(tracks[63].data.capacity(), 0u);

    const LONG style = GetWindowLongA(list, GWL_STYLE);
    EXPECT_EQ(style & (WS_CHILD | WS_VISIBLE | LVS_TYPEMASK), WS_CHILD | WS_VISIBLE | LVS_REPORT);
    ExpectRect(ClientRectOf(list), 0, 0, 400, 265);
    EXPECT_NE(SendMessageA(list, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0) & LVS_EX_FULLROWSELECT, 0);

    struct Heading {
        const wchar_t* text;
        int width;
    };
    const Heading headings[] = {{L"MIDI", 100},    {L"Wav", 100},    {L"sample/sec", 60},
                                {L"bitrate", 40},  {L"ch", 40},      {L"track", 80},
                                {L"予想時間", 40}, {L"サイズ", 40},  {L"残響時間", 40}, {L"レベル", 80}};
    for (int i = 0; i < 11; ++i) {
        SCOPED_TRACE(i);
        char text[64] = {};
        LVCOLUMNA column{};
        column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT;
        column.pszText = text;
        column.cchTextMax = sizeof text;
        const bool found = SendMessageA(list, LVM_GETCOLUMNA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&column));
        if (i == 10) {
            EXPECT_FALSE(found) << "the job's nine columns and its level only";
            break;
        }
        ASSERT_TRUE(found);
        EXPECT_EQ(FromCp932(text), headings[i].text);
        EXPECT_EQ(column.cx, headings[i].width);
        EXPECT_EQ(column.fmt & LVCFMT_JUSTIFYMASK, LVCFMT_LEFT);
    }

    struct Button {
        int id;
        const wchar_t* text;
        LONG x;
    };
    for (const Button& b : {Button{13, L"保存", 276}, Button{11, L"on/off", 318}, Button{14, L"録音", 360}}) {
        SCOPED_TRACE(b.id);
        HWND button = GetDlgItem(window, b.id);
        ASSERT_NE(button, nullptr);
        char text[32] = {};
        GetWindowTextA(button, text, sizeof text);
        EXPECT_EQ(FromCp932(text), b.text);
        ExpectRect(ClientRectOf(button), b.x, 268, 40, 16);
        EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageA(button, WM_GETFONT, 0, 0)), font);
        EXPECT_NE(GetWindowLongA(button, GWL_STYLE) & WS_VISIBLE, 0);
    }

    auto images = reinterpret_cast<HIMAGELIST>(SendMessageA(list, LVM_GETIMAGELIST, LVSIL_SMALL, 0));
    ASSERT_NE(images, nullptr);
    ASSERT_EQ(ImageList_GetImageCount(images), 5);
    int cx = 0, cy = 0;
    ImageList_GetIconSize(images, &cx, &cy);
    EXPECT_EQ(cx, 12);
    EXPECT_EQ(cy, 12);
    // Same pictures in the same order as the resources, added to a list of the same kind.
    HIMAGELIST reference = ImageList_Create(12, 12, ILC_COLOR16, 4, 4);
    for (const char* name : kRowIcons) {
        auto icon = static_cast<HICON>(LoadImageA(GetModuleHandleA(nullptr), name, IMAGE_ICON, 12, 12, 0));
        ImageList_AddIcon(reference, icon);
        DestroyIcon(icon);
    }
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(kRowIcons[i]);
        EXPECT_EQ(Picture(images, i), Picture(reference, i));
        EXPECT_NE(Picture(reference, i), Picture(reference, (i + 1) % 4)) << "pictures must tell the states apart";
    }
    ImageList_Destroy(reference);
}

TEST_F(JobStackWindow, EachAddedJobGetsARowWithAllNineTexts) {
    ASSERT_FALSE(IsWindowVisible(window));
    ASSERT_TRUE(AddStackedJob(MakeJob("C:\\songs\\a.mid", 1)));
    EXPECT_TRUE(IsWindowVisible(window)) << "adding a job shows the window";

    RecordingJob off = MakeJob("C:\\songs\\b.mid", 0);
    off.sampleRate = 8000;
    off.bitsPerSample = 8;
    off.channels = 1;
    off.expectedSeconds = 3600;
    off.reverbSeconds = 0;
    off.trackEnabled = {};
    off.trackEnabled[0] = off.trackEnabled[1] = off.trackEnabled[10] = 1;
    ASSERT_TRUE(AddStackedJob(off));

    RecordingJob everything = MakeJob(std::string(300, 'p') + ".mid", 1);
    everything.trackEnabled.fill(1);
    ASSERT_TRUE(AddStackedJob(everything));

    ASSERT_EQ(RowCount(), 3);
    const std::vector<std::string> first{"C:\\songs\\a.mid", "C:\\songs\\a.mid.wav", "44100", "16", "STEREO",
                                         " 0 2 5",          "2:05",                "22MB",  "3"};
    const std::vector<std::string> second{"C:\\songs\\b.mid", "C:\\songs\\b.mid.wav", "8000", "8", "MONO",
                                          " 0 1 10",         "60:00",               "28MB", "0"};
    for (int column = 0; column < 9; ++column) {
        SCOPED_TRACE(column);
        EXPECT_EQ(Cell(0, column), first[static_cast<std::size_t>(column)]);
        EXPECT_EQ(Cell(1, column), second[static_cast<std::size_t>(column)]);
    }
    EXPECT_EQ(Cell(2, 0), std::string(300, 'p') + ".mid") << "the path is kept whole";
    EXPECT_EQ(Cell(2, 5), " 0-63");

    EXPECT_EQ(Icon(0), 0);
    EXPECT_EQ(Icon(1), 1);
    EXPECT_EQ(Icon(2), 0);
    for (int row = 0; row < 3; ++row) EXPECT_FALSE(Selected(row)) << row;

    ClearJobs();
    EXPECT_EQ(RowCount(), 0);
    ASSERT_TRUE(AddStackedJob(MakeJob("again.mid", 1)));
    EXPECT_EQ(Cell(0, 0), "again.mid");
}

TEST_F(JobStackWindow, InsertOutsideTheTableAddsNoRow) {
    for (std::int32_t count : {-1, static_cast<std::int32_t>(kMaxJobs)}) {
        jobCount = count;
        Command(127);
        EXPECT_EQ(RowCount(), 0) << count;
    }
    jobCount = 0;
}

TEST_F(JobStackWindow, OnOffSwitchesTheSelectedJobAndClearsTheSelection) {
    for (const char* name : {"a.mid", "b.mid", "c.mid"}) ASSERT_TRUE(AddStackedJob(MakeJob(name, 1)));

    Select(1);
    Command(11);
    EXPECT_EQ(jobs[1].enabled, 0);
    EXPECT_EQ(Icon(1), 1);
    EXPECT_FALSE(Selected(1));
    EXPECT_EQ(Cell(1, 0), "b.mid");
    EXPECT_EQ(jobs[0].enabled, 1);
    EXPECT_EQ(Icon(0), 0);

    // The first press took the selection away, so a second press alone changes nothing.
    Command(11);
    EXPECT_EQ(jobs[1].enabled, 0);
    EXPECT_EQ(Icon(1), 1);

    Select(1);
    Command(11);
    EXPECT_EQ(jobs[1], MakeJob("b.mid", 1));
    EXPECT_EQ(Icon(1), 0);

    // With several rows selected the topmost one is switched.
    Select(2);
    Select(0);
    Command(11);
    EXPECT_EQ(jobs[0].enabled, 0);
    EXPECT_EQ(jobs[2].enabled, 1);
    EXPECT_EQ(Icon(2), 0);
    EXPECT_TRUE(Selected(2));
}

TEST_F(JobStackWindow, OnOffWithoutSelectionLeavesEveryJobAlone) {
    ASSERT_TRUE(AddStackedJob(MakeJob("a.mid", 1)));
    ASSERT_TRUE(AddStackedJob(MakeJob("b.mid", 0)));
    const auto before = jobs;
    Command(11);
    EXPECT_EQ(jobs, before);
    EXPECT_EQ(Icon(0), 0);
    EXPECT_EQ(Icon(1), 1);
}

TEST_F(JobStackWindow, RowIconsChangeOnlyForRowsAndIconsThatExist) {
    ASSERT_TRUE(AddStackedJob(MakeJob("a.mid", 1)));
    ASSERT_TRUE(AddStackedJob(MakeJob("b.mid", 1)));
    Select(0);
    engine::SetRowIcon(0, 2);
    engine::SetRowIcon(1, 3);
    EXPECT_EQ(Icon(0), 2);
    EXPECT_FALSE(Selected(0));
    EXPECT_EQ(Icon(1), 3);
    EXPECT_EQ(Cell(0, 0), "a.mid");

    engine::SetRowIcon(0, 5);
    engine::SetRowIcon(1, -1);
    engine::SetRowIcon(-1, 0);
    engine::SetRowIcon(static_cast<int>(kMaxJobs), 0);
    EXPECT_EQ(Icon(0), 2);
    EXPECT_EQ(Icon(1), 3);
    EXPECT_EQ(RowCount(), 2);
}

TEST_F(JobStackWindow, CloseBoxHidesAndEveryRowStays) {
    ASSERT_TRUE(AddStackedJob(MakeJob("a.mid", 1)));
    ASSERT_TRUE(AddStackedJob(MakeJob("b.mid", 0)));
    engine::SetRowIcon(0, 3);
    ASSERT_TRUE(IsWindowVisible(window));

    SendMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindowVisible(window));
    ASSERT_TRUE(IsWindow(window));

    ShowJobStackWindow();
    EXPECT_TRUE(IsWindowVisible(window));
    ASSERT_EQ(RowCount(), 2);
    EXPECT_EQ(Icon(0), 3);
    EXPECT_EQ(Icon(1), 1);
    EXPECT_EQ(Cell(1, 0), "b.mid");
    EXPECT_EQ(Cell(1, 4), "STEREO");
}

TEST_F(JobStackWindow, ShutdownTakesTheImageListAwayFromTheList) {
    ASSERT_NE(SendMessageA(list, LVM_GETIMAGELIST, LVSIL_SMALL, 0), 0);
    engine::DestroyJobListImageList();
    EXPECT_EQ(SendMessageA(list, LVM_GETIMAGELIST, LVSIL_SMALL, 0), 0);
    engine::DestroyJobListImageList();  // nothing left to destroy
    EXPECT_EQ(SendMessageA(list, LVM_GETIMAGELIST, LVSIL_SMALL, 0), 0);
}

}  // namespace
}  // namespace solvena
