// The ground the Windows program stands on: Japanese texts reach real windows as code page 932
// bytes and come back unchanged, and the portable core links into a Windows executable.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "song/EventPrimitives.h"

namespace {

// Decodes ANSI bytes with code page 932 so they can be compared with a UTF-16 literal, which the
// -fexec-charset option does not touch.
std::wstring FromCp932(const char* bytes) {
    int n = MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, bytes, -1, nullptr, 0);
    if (n <= 0) return L"<invalid CP932>";
    std::wstring out(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, bytes, -1, out.data(), n);
    out.resize(static_cast<std::size_t>(n - 1));
    return out;
}

const char kClassName[] = "SolvenaSmokeTest";

LRESULT CALLBACK SmokeWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

// A hidden top-level window of our own class with a static and an edit, as the program builds its
// pages; destroyed (and its class unregistered) at the end of each test.
class SmokeWindow : public ::testing::Test {
protected:
    void SetUp() override {
        instance = GetModuleHandleA(nullptr);
        WNDCLASSEXA wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = SmokeWndProc;
        wc.hInstance = instance;
        wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
        wc.hbrBackground = GetSysColorBrush(COLOR_ACTIVECAPTION);
        wc.lpszClassName = kClassName;
        ASSERT_NE(RegisterClassExA(&wc), 0) << GetLastError();
        window = CreateWindowExA(0, kClassName, "ソルベーナ", WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX,
                                 CW_USEDEFAULT, CW_USEDEFAULT, 506, 448, nullptr, nullptr, instance, nullptr);
        ASSERT_NE(window, nullptr) << GetLastError();
        label = CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE, 10, 10, 200, 16, window,
                                reinterpret_cast<HMENU>(240), instance, nullptr);
        edit = CreateWindowExA(0, "EDIT", "", WS_CHILD | WS_VISIBLE | WS_BORDER | ES_AUTOHSCROLL, 10, 30,
                               200, 20, window, reinterpret_cast<HMENU>(19), instance, nullptr);
        ASSERT_NE(label, nullptr);
        ASSERT_NE(edit, nullptr);
    }

    void TearDown() override {
        if (window) DestroyWindow(window);
        UnregisterClassA(kClassName, instance);
    }

    std::string GetText(HWND hwnd, std::size_t capacity = 256) {
        std::vector<char> buf(capacity, '\x7F');
        LRESULT n = SendMessageA(hwnd, WM_GETTEXT, buf.size(), reinterpret_cast<LPARAM>(buf.data()));
        if (n < 0 || static_cast<std::size_t>(n) >= buf.size()) return "<bad length>";
        if (buf[static_cast<std::size_t>(n)] != '\0') return "<not terminated>";
        return std::string(buf.data(), static_cast<std::size_t>(n));
    }

    HINSTANCE instance = nullptr;
    HWND window = nullptr;
    HWND label = nullptr;
    HWND edit = nullptr;
};

TEST(AnsiTexts, SystemCodePageIs932) {
    EXPECT_EQ(GetACP(), 932u);
}

TEST(AnsiTexts, NarrowLiteralsAreCp932) {
    const char text[] = "録音開始小節";
    // Six double-byte characters: UTF-8 would need three bytes each.
    EXPECT_EQ(std::strlen(text), 12u);
    EXPECT_EQ(FromCp932(text), std::wstring(L"録音開始小節"));
    // A trail byte equal to '\' (0x5C) is where byte-wise path code goes wrong; keep one in view.
    const char soft[] = "ソ";
    ASSERT_EQ(std::strlen(soft), 2u);
    EXPECT_EQ(static_cast<unsigned char>(soft[1]), 0x5Cu);
    EXPECT_TRUE(IsDBCSLeadByte(static_cast<BYTE>(soft[0])));
}

TEST_F(SmokeWindow, TitleAndChildTextsRoundTripAsCp932Bytes) {
    EXPECT_EQ(GetText(window), "ソルベーナ");

    const char labelText[] = "録音が終了しました。";
    ASSERT_TRUE(SendMessageA(label, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(labelText)));
    EXPECT_EQ(GetText(label), labelText);
    EXPECT_EQ(SendMessageA(label, WM_GETTEXTLENGTH, 0, 0), static_cast<LRESULT>(std::strlen(labelText)));

    const char path[] = "C:\\ソルベーナ\\表示.wav";
    ASSERT_TRUE(SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path)));
    EXPECT_EQ(GetText(edit), path);
    EXPECT_EQ(FromCp932(GetText(edit).c_str()), std::wstring(L"C:\\ソルベーナ\\表示.wav"));
}

TEST_F(SmokeWindow, ShortReadOfAnEditStopsAtItsBuffer) {
    ASSERT_TRUE(SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("12345")));
    // The bar edits are read into four bytes: three characters and the terminator.
    EXPECT_EQ(GetText(edit, 4), "123");
}

TEST_F(SmokeWindow, ShowAndHideWithoutDelay) {
    EXPECT_FALSE(IsWindowVisible(window));
    EXPECT_FALSE(IsWindowVisible(edit));  // visible style, but its parent is hidden
    ShowWindow(window, SW_SHOWNOACTIVATE);
    EXPECT_TRUE(IsWindowVisible(edit));
    // A Wine prefix without "Managed"="N" waits about 2 s here for a window manager that never comes.
    ULONGLONG start = GetTickCount64();
    ShowWindow(window, SW_HIDE);
    DestroyWindow(window);
    window = nullptr;
    EXPECT_LT(GetTickCount64() - start, 1000u);
    EXPECT_FALSE(IsWindow(edit));
}

TEST(CoreInWindowsBuild, ReadDeltaTime) {
    const std::uint8_t bytes[] = {0x00, 0x81, 0x48, 0xFF, 0xFF, 0xFF, 0x7F, 0x83};
    const solvena::Bytes buf(bytes);
    EXPECT_EQ(solvena::ReadDeltaTime(buf, 0), 0u);
    EXPECT_EQ(solvena::ReadDeltaTime(buf, 1), 200u);
    EXPECT_EQ(solvena::ReadDeltaTime(buf, 3), 0x0FFFFFFFu);
    // A quantity cut off by the end of the track continues with zero bytes.
    EXPECT_EQ(solvena::ReadDeltaTime(buf, 7), 0x180u);
}

}  // namespace
