// The program's pictures, found by name in the Japanese resources and loaded the way the windows
// load them.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

namespace {

const WORD kJapanese = MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT);

struct StoredBitmap {
    const char* name;
    LONG width;
    LONG height;
    WORD bitsPerPixel;
};

const StoredBitmap kBitmaps[] = {
    {"BTN_OPEN", 40, 30, 8},
    {"BTN_CHK", 38, 30, 8},
    {"BTN_CTR", 40, 30, 8},
    {"LOGO_E", 360, 180, 24},
};

const char* const kButtonBitmaps[] = {"BTN_OPEN", "BTN_CHK", "BTN_CTR"};
const char* const kRowIcons[] = {"ONICON", "OFFICON", "RECICON", "FINICON"};

HINSTANCE Self() { return GetModuleHandleA(nullptr); }

SIZE IconSize(HICON icon) {
    SIZE size{0, 0};
    ICONINFO info{};
    if (!GetIconInfo(icon, &info)) return size;
    BITMAP bm{};
    GetObjectA(info.hbmMask, sizeof bm, &bm);
    size.cx = bm.bmWidth;
    // Without a colour bitmap the mask holds the AND and XOR halves one above the other.
    size.cy = info.hbmColor ? bm.bmHeight : bm.bmHeight / 2;
    if (info.hbmColor) DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    return size;
}

COLORREF PixelOf(HBITMAP bitmap, int x, int y) {
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, bitmap);
    COLORREF c = GetPixel(dc, x, y);
    SelectObject(dc, old);
    DeleteDC(dc);
    return c;
}

TEST(Resources, BitmapsAreStoredAtTheirSizesAndDepths) {
    for (const StoredBitmap& b : kBitmaps) {
        SCOPED_TRACE(b.name);
        EXPECT_NE(FindResourceExA(Self(), MAKEINTRESOURCEA(2) /* RT_BITMAP */, b.name, kJapanese), nullptr);
        HANDLE h = LoadImageA(Self(), b.name, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION);
        ASSERT_NE(h, nullptr);
        DIBSECTION dib{};
        ASSERT_EQ(GetObjectA(h, sizeof dib, &dib), static_cast<int>(sizeof dib));
        EXPECT_EQ(dib.dsBmih.biWidth, b.width);
        EXPECT_EQ(dib.dsBmih.biHeight, b.height);
        EXPECT_EQ(dib.dsBmih.biBitCount, b.bitsPerPixel);
        DeleteObject(h);
    }
}

TEST(Resources, ButtonPicturesLoadAtButtonSizeOnTheButtonFace) {
    const COLORREF face = GetSysColor(COLOR_3DFACE);
    for (const char* name : kButtonBitmaps) {
        SCOPED_TRACE(name);
        auto bitmap = static_cast<HBITMAP>(
            LoadImageA(Self(), name, IMAGE_BITMAP, 30, 24, LR_LOADMAP3DCOLORS | LR_LOADTRANSPARENT));
        ASSERT_NE(bitmap, nullptr);
        BITMAP bm{};
        GetObjectA(bitmap, sizeof bm, &bm);
        EXPECT_EQ(bm.bmWidth, 30);
        EXPECT_EQ(bm.bmHeight, 24);
        // The picture's background turns into the face colour; the picture itself does not.
        EXPECT_EQ(PixelOf(bitmap, 0, 0), face);
        EXPECT_EQ(PixelOf(bitmap, 29, 23), face);
        EXPECT_NE(PixelOf(bitmap, 15, 12), face);
        DeleteObject(bitmap);
    }
}

TEST(Resources, LogoStretchesToItsShownSize) {
    auto logo = static_cast<HBITMAP>(LoadImageA(Self(), "LOGO_E", IMAGE_BITMAP, 392, 146, 0));
    ASSERT_NE(logo, nullptr);
    BITMAP bm{};
    GetObjectA(logo, sizeof bm, &bm);
    EXPECT_EQ(bm.bmWidth, 392);
    EXPECT_EQ(bm.bmHeight, 146);
    DeleteObject(logo);
}

TEST(Resources, IconsHaveTheirSizes) {
    struct Wanted {
        const char* name;
        int size;
    };
    const Wanted wanted[] = {{"EXEICON", 32}, {"MINIICON", 16}, {"ONICON", 16}, {"OFFICON", 16},
                             {"RECICON", 16}, {"FINICON", 16}, {"ONICON", 12}, {"OFFICON", 12},
                             {"RECICON", 12}, {"FINICON", 12}};
    for (const Wanted& w : wanted) {
        SCOPED_TRACE(w.name);
        SCOPED_TRACE(w.size);
        EXPECT_NE(FindResourceExA(Self(), MAKEINTRESOURCEA(14) /* RT_GROUP_ICON */, w.name, kJapanese), nullptr);
        auto icon = static_cast<HICON>(LoadImageA(Self(), w.name, IMAGE_ICON, w.size, w.size, 0));
        ASSERT_NE(icon, nullptr);
        SIZE s = IconSize(icon);
        EXPECT_EQ(s.cx, w.size);
        EXPECT_EQ(s.cy, w.size);
        DestroyIcon(icon);
    }
}

TEST(Resources, RowIconsFillTheJobListImageList) {
    HIMAGELIST list = ImageList_Create(12, 12, ILC_COLOR16, 4, 4);
    ASSERT_NE(list, nullptr);
    for (const char* name : kRowIcons) {
        SCOPED_TRACE(name);
        EXPECT_GE(ImageList_AddIcon(list, LoadIconA(Self(), name)), 0);
    }
    EXPECT_EQ(ImageList_GetImageCount(list), 4);
    ImageList_Destroy(list);
}

}  // namespace
