// load_assets.cpp — LoadAssets: the font file and fonts, the layout, the
// screenshot key, the embedded images, the rendered text labels and the
// blendable objects, all under fixed numbers; and the font file's path.
#include <algorithm>
#include <cassert>

#include "assets/assets.h"
#include "core/core.h"

AssetState Assets;

namespace {

constexpr int LabelW = 150, LabelH = 25;

// [SECTION] Font file

// The font name comes from a hand-editable file and becomes part of a path,
// so a name that could leave the font folder (a separator, "..", a control
// character or NUL) or that is absurdly long registers no file at all; the
// face is then still looked up by name.
constexpr size_t FontNameMaxBytes = 100;

bool FontNameIsSafe(const std::string& name) {
    if (name.empty() || name.size() > FontNameMaxBytes) return false;
    if (name.find("..") != std::string::npos) return false;
    for (unsigned char c : name)
        if (c < 0x20 || c == 0x7F || c == '/' || c == '\\') return false;
    return true;
}

}  // namespace

// "Media\Fonts\<font>.ttf" relative to the working directory (the platform
// treats "\" as a folder separator), or "" when the name is not safe to use
// in a path.
std::string FontFilePath() {
    const std::string& font = Cfg.settings.font;
    if (!FontNameIsSafe(font)) return {};
    return "Media\\Fonts\\" + font + ".ttf";
}

// [SECTION] Text labels

// Centres the text on (75, 12) of a 150 x 25 sprite; both halvings drop the
// remainder, so a 40 x 17 text lands at (55, 4). Ending the text re-keys the
// sprite: the black background turns see-through, the white letters stay.
void RenderTextLabel(int sprite, const std::string& text) {
    BeginTextOn(sprite);
    SetTextTransparent();
    UseFont(FontMenu);
    int w = MeasureTextWidth(text);
    int h = MeasureTextHeight(text);
    DrawTextAt(LabelW / 2 - w / 2, 12 - h / 2, text, Color{255, 255, 255});
    EndText();
}

// [SECTION] Decoding ahead

// Hands the embedded images to the platform before the screen opens, so it
// can decode them on another core meanwhile; LoadAssets then finds them done.
void DecodeEmbeddedImagesAhead() {
    const uint8_t* pngs[EmbeddedImageCount];
    size_t sizes[EmbeddedImageCount];
    for (int i = 0; i < EmbeddedImageCount; ++i) {
        pngs[i] = EmbeddedImages[i].Data;
        sizes[i] = EmbeddedImages[i].Size;
    }
    DecodeImagesAhead(pngs, sizes, EmbeddedImageCount);
}

// [SECTION] LoadAssets

// Runs at start-up and after every re-opening of the full-screen screen.
// Every object is created again under its fixed number and replaces the old
// one; nothing is freed here. No result is checked: an object that failed
// simply draws nothing.
void LoadAssets() {
    // The font file: one more registration per run, withdrawn at shutdown.
    std::string fontPath = FontFilePath();
    if (!fontPath.empty()) {
        RegisterFontFile(fontPath);
        BroadcastFontChange();
    }
    Assets.RegisteredFontPath = fontPath;

    // Fonts. The menu font is capped at 15 points with no lower bound (the
    // platform copes with 0 and below); it is bold unless the style is
    // exactly "Normal".
    const std::string& face = Cfg.settings.font;
    int menuPoints = std::min(Cfg.settings.fontsize, int32_t{15});
    int menuStyle = Cfg.settings.fontstyle == "Normal" ? 0 : FontStyleBold;
    LoadFontFace(FontMenu, face, menuPoints, menuStyle);
    LoadFontFace(FontCredits, face, 12, 0);
    LoadFontFace(FontDebug, face, 10, 0);

    FillLayoutTable();

    // An unknown name keeps the key loaded before (none at the first run).
    if (int key = KeyFromName(Cfg.Scrshot); key != KeyNone) Assets.ScreenshotKey = key;

    // The embedded images: dividers, pointer, backdrops, German and English labels.
    for (int i = 0; i < EmbeddedImageCount; ++i)
        LoadSpriteFromMemory(EmbeddedImageSprite(i), EmbeddedImages[i].Data,
                             EmbeddedImages[i].Size, SpriteBlendable);

    // The text labels, both languages always.
    for (int i = 0; i < TextLabelCount; ++i) {
        int sprite = SpriteTextLabelFirst + i;
        CreateBlankSprite(sprite, LabelW, LabelH, SpriteBlendable);
        RenderTextLabel(sprite, TextLabels[i]);
    }

    // The blendable objects: text labels first, then the images.
    for (int i = 0; i < TextLabelCount; ++i)
        MakeBlendable(BlendKeyLabelFirst + i, SpriteTextLabelFirst + i);
    for (int i = 0; i < DividerCount; ++i) MakeBlendable(BlendDivider800 + i, SpriteDividerFirst + i);
    MakeBlendable(BlendPointer, SpritePointer);
    for (int i = 0; i < BackdropCount; ++i)
        MakeBlendable(BlendBackdropFirst + i, SpriteBackdropFirst + i);
    for (int i = 0; i < LabelImageCount; ++i)
        MakeBlendable(BlendLabelDeFirst + i, SpriteLabelFirst + i);
}
