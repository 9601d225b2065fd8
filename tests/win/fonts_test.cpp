// The fonts as GDI chose them: the Gothic fonts must land on a face with Japanese glyphs whatever
// the system's locale, or every Japanese text would show as boxes.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/AppState.h"
#include "app/Fonts.h"

namespace solvena {
namespace {

// What GDI chose for each font, not what the program asked for: the face it picked, the character
// set of that face and whether the texts the font shows have glyphs in it.
TEST(Fonts, GdiPicksFacesWithTheGlyphsOfTheirTexts) {
    const HFONT earlier[] = {app::smallFont, app::normalFont, app::labelFont};  // other tests' windows hold them
    app::CreateFonts();
    const struct {
        HFONT font;
        LONG height;
        BYTE charset;
        const wchar_t* text;
    } kFonts[] = {{app::smallFont, 10, SHIFTJIS_CHARSET, L"録音中ソ表ｿﾌﾄ"},
                  {app::normalFont, 12, SHIFTJIS_CHARSET, L"スタック･データ"},
                  {app::labelFont, 10, DEFAULT_CHARSET, L"WAV 44100 Hz"}};
    HDC dc = CreateCompatibleDC(nullptr);
    ASSERT_NE(dc, nullptr);
    for (const auto& expected : kFonts) {
        const HGDIOBJ old = SelectObject(dc, expected.font);
        wchar_t face[LF_FACESIZE] = {};
        TEXTMETRICW metrics{};
        ASSERT_GT(GetTextFaceW(dc, LF_FACESIZE, face), 0);
        ASSERT_TRUE(GetTextMetricsW(dc, &metrics));
        char faceUtf8[LF_FACESIZE * 3] = {};
        WideCharToMultiByte(CP_UTF8, 0, face, -1, faceUtf8, sizeof faceUtf8, nullptr, nullptr);
        SCOPED_TRACE(faceUtf8);
        // The label font takes the set of the system's locale.
        if (expected.charset != DEFAULT_CHARSET) {
            EXPECT_EQ(metrics.tmCharSet, expected.charset);
        }
        EXPECT_EQ(metrics.tmHeight, expected.height);
        const std::wstring text = expected.text;
        std::vector<WORD> glyphs(text.size());
        ASSERT_EQ(GetGlyphIndicesW(dc, text.c_str(), static_cast<int>(text.size()), glyphs.data(),
                                   GGI_MARK_NONEXISTING_GLYPHS),
                  text.size());
        for (std::size_t i = 0; i < text.size(); ++i) EXPECT_NE(glyphs[i], 0xFFFF) << "no glyph for character " << i;
        SelectObject(dc, old);
    }
    DeleteDC(dc);
    app::DeleteFonts();
    app::smallFont = earlier[0];
    app::normalFont = earlier[1];
    app::labelFont = earlier[2];
}

}  // namespace
}  // namespace solvena
