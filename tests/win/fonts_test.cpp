// The fonts as GDI holds them: the Gothic faces arrive intact and ask for the Japanese character
// set, so a Windows of another locale still picks a font with Japanese glyphs.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "app/AppState.h"
#include "app/Fonts.h"

namespace solvena {
namespace {

TEST(Fonts, FacesSizesAndCharacterSets) {
    const HFONT earlier[] = {app::smallFont, app::normalFont, app::labelFont};  // other tests' windows hold them
    app::CreateFonts();
    const struct {
        HFONT font;
        const wchar_t* face;
        LONG height;
        BYTE charset;
    } kFonts[] = {{app::smallFont, L"ＭＳ ゴシック", 10, SHIFTJIS_CHARSET},
                  {app::normalFont, L"ＭＳ ゴシック", 12, SHIFTJIS_CHARSET},
                  {app::labelFont, L"Tahoma", 10, DEFAULT_CHARSET}};
    for (const auto& expected : kFonts) {
        LOGFONTW font{};
        ASSERT_EQ(GetObjectW(expected.font, sizeof font, &font), static_cast<int>(sizeof font));
        EXPECT_EQ(std::wstring(font.lfFaceName), expected.face);
        EXPECT_EQ(font.lfHeight, expected.height);
        EXPECT_EQ(font.lfCharSet, expected.charset) << expected.height;
    }
    app::DeleteFonts();
    app::smallFont = earlier[0];
    app::normalFont = earlier[1];
    app::labelFont = earlier[2];
}

}  // namespace
}  // namespace solvena
