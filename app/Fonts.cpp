#include "app/Fonts.h"

#include "app/AppState.h"

namespace solvena::app {

namespace {

constexpr char kGothicFace[] = "ＭＳ ゴシック";
constexpr char kLabelFace[] = "Tahoma";

HFONT MakeFont(int height, const char* face) {
    return CreateFontA(height, 0, 0, 0, 300, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_TT_ONLY_PRECIS,
                       CLIP_CHARACTER_PRECIS, PROOF_QUALITY, FF_ROMAN | DEFAULT_PITCH, face);
}

void Delete(HFONT& font) {
    if (font != nullptr) DeleteObject(font);
    font = nullptr;
}

}  // namespace

void CreateFonts() {
    smallFont = MakeFont(10, kGothicFace);
    normalFont = MakeFont(12, kGothicFace);
    labelFont = MakeFont(10, kLabelFace);
}

void DeleteFonts() {
    Delete(smallFont);
    Delete(normalFont);
    Delete(labelFont);
}

}  // namespace solvena::app
