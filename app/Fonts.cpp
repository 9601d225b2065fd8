#include "app/Fonts.h"

#include "app/AppState.h"

namespace solvena::app {

namespace {

// The faces go to GDI as UTF-16: a face name in the program's code page would be read in the
// system's, and on a Windows of another locale "ＭＳ ゴシック" would name no font at all.
constexpr wchar_t kGothicFace[] = L"ＭＳ ゴシック";
constexpr wchar_t kLabelFace[] = L"Tahoma";

// The Gothic fonts carry the Japanese texts and ask for the Japanese character set, so that
// Windows picks a font with those glyphs whatever the system locale. The label font keeps the
// default set: Tahoma has no Japanese set and would be swapped for another face.
HFONT MakeFont(int height, const wchar_t* face, BYTE charset) {
    return CreateFontW(height, 0, 0, 0, 300, FALSE, FALSE, FALSE, charset, OUT_TT_ONLY_PRECIS,
                       CLIP_CHARACTER_PRECIS, PROOF_QUALITY, FF_ROMAN | DEFAULT_PITCH, face);
}

void Delete(HFONT& font) {
    if (font != nullptr) DeleteObject(font);
    font = nullptr;
}

}  // namespace

void CreateFonts() {
    smallFont = MakeFont(10, kGothicFace, SHIFTJIS_CHARSET);
    normalFont = MakeFont(12, kGothicFace, SHIFTJIS_CHARSET);
    labelFont = MakeFont(10, kLabelFace, DEFAULT_CHARSET);
}

void DeleteFonts() {
    Delete(smallFont);
    Delete(normalFont);
    Delete(labelFont);
}

}  // namespace solvena::app
