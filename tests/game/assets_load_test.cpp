// assets_load_test.cpp — LoadAssets on the recording platform: the order and
// numbering of every object, the fonts, the layout per screen size, the
// screenshot key, the label centring and the font file's path.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "assets/assets.h"
#include "core/core.h"
#include "recording/harness.h"

namespace {

class LoadAssetsTest : public GameTest {
protected:
    void SetUp() override {
        GameTest::SetUp();
        Cfg = GameSettings{};
        Layout = LayoutTable{};
        Assets = AssetState{};
    }
    void TearDown() override {
        Cfg = GameSettings{};
        Layout = LayoutTable{};
        Assets = AssetState{};
        GameTest::TearDown();
    }
    void LoadAt(int w, int h) {
        Cfg.ScreenW = w;
        Cfg.ScreenH = h;
        LoadAssets();
    }
};

std::vector<std::string> Ops(const std::vector<std::string>& wanted) {
    std::vector<std::string> out;
    for (const RecordedCall& c : Rec.Calls)
        for (const std::string& w : wanted)
            if (c.Op == w) out.push_back(c.Op);
    return out;
}

std::vector<int64_t> FirstArgs(const std::string& op) {
    std::vector<int64_t> out;
    for (const RecordedCall& c : CallsOf(op)) out.push_back(c.Args.at(0));
    return out;
}

std::vector<int64_t> Range(int first, int last) {
    std::vector<int64_t> out;
    for (int i = first; i <= last; ++i) out.push_back(i);
    return out;
}

std::vector<int64_t> Concat(std::initializer_list<std::vector<int64_t>> parts) {
    std::vector<int64_t> out;
    for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

bool SameLayout(const LayoutTable& a, const LayoutTable& b) {
    return std::memcmp(&a, &b, sizeof(LayoutTable)) == 0;
}

}  // namespace

// [SECTION] Order and numbering

TEST_F(LoadAssetsTest, StepsRunInOrderWithTheFixedNumbers) {
    LoadAt(800, 600);
    std::vector<std::string> ops = Ops({"RegisterFontFile", "BroadcastFontChange", "LoadFontFace",
                                        "LoadSpriteFromMemory", "CreateBlankSprite", "DrawTextAt",
                                        "MakeBlendable"});
    std::vector<std::string> expected = {"RegisterFontFile", "BroadcastFontChange", "LoadFontFace",
                                         "LoadFontFace", "LoadFontFace"};
    expected.insert(expected.end(), 91, "LoadSpriteFromMemory");
    for (int i = 0; i < 85; ++i) {
        expected.push_back("CreateBlankSprite");
        expected.push_back("DrawTextAt");
    }
    expected.insert(expected.end(), 176, "MakeBlendable");
    EXPECT_EQ(ops, expected);

    EXPECT_EQ(FirstArgs("LoadSpriteFromMemory"), Concat({Range(97, 133), Range(140, 193)}));
    for (const RecordedCall& c : CallsOf("LoadSpriteFromMemory")) EXPECT_EQ(c.Args.back(), 4);
    EXPECT_EQ(FirstArgs("CreateBlankSprite"), Range(801, 885));
    for (const RecordedCall& c : CallsOf("CreateBlankSprite"))
        EXPECT_EQ(c.Args, (std::vector<int64_t>{c.Args[0], 150, 25, 4}));

    std::vector<std::vector<int64_t>> binds;
    for (const RecordedCall& c : CallsOf("MakeBlendable")) binds.push_back(c.Args);
    std::vector<std::vector<int64_t>> expectedBinds;
    for (int b = 901; b <= 985; ++b) expectedBinds.push_back({b, b - 100});
    for (int b = 1; b <= 3; ++b) expectedBinds.push_back({b, b + 96});
    expectedBinds.push_back({0, 100});
    for (int b = 4; b <= 36; ++b) expectedBinds.push_back({b, b + 97});
    for (int b = 37; b <= 90; ++b) expectedBinds.push_back({b, b + 103});
    EXPECT_EQ(binds, expectedBinds);
}

TEST_F(LoadAssetsTest, TextLabelsAreRenderedWithTheirTextsInOrder) {
    Cfg.settings.language = "English";   // both languages' labels are made anyway
    LoadAt(1280, 720);
    std::vector<std::string> texts;
    for (const RecordedCall& c : CallsOf("DrawTextAt")) texts.push_back(c.Text);
    std::vector<std::string> expected;
    for (char c = '0'; c <= '9'; ++c) expected.push_back(std::string(1, c));
    for (char c = 'A'; c <= 'Z'; ++c) expected.push_back(std::string(1, c));
    for (char c = 'a'; c <= 'z'; ++c) expected.push_back(std::string(1, c));
    for (int f = 1; f <= 12; ++f) expected.push_back("F" + std::to_string(f));
    for (const char* s : {"Strg", "Alt", "Tab", "Umschalt", "Leertaste", "Enter", "Taste wählen",
                          "Shift", "Space", "Return", "Choose a key"})
        expected.push_back(s);
    EXPECT_EQ(texts, expected);
    EXPECT_EQ(texts[981 - 901], "Taste wählen");
    EXPECT_EQ(texts[985 - 901], "Choose a key");
    // Each text goes into its own sprite with the menu font.
    EXPECT_EQ(FirstArgs("BeginTextOn"), Range(801, 885));
    for (const RecordedCall& c : CallsOf("DrawTextAt")) EXPECT_EQ(c.Font, FontMenu);
}

TEST_F(LoadAssetsTest, SecondRunReplacesTheSameNumbersAndRegistersOnceMore) {
    LoadAt(1024, 768);
    auto sprites = Rec.Sprites;
    auto blendables = Rec.Blendables;
    auto fonts = Rec.Fonts;
    LayoutTable layout = Layout;
    Layout.ControlBox.x = ShiftedColumnX();   // the slide moved the sub column
    LoadAssets();
    EXPECT_EQ(Rec.Blendables, blendables);
    EXPECT_EQ(Rec.Sprites.size(), sprites.size());
    for (const auto& [n, s] : sprites) {
        ASSERT_TRUE(Rec.Sprites.count(n)) << n;
        EXPECT_EQ(Rec.Sprites[n].Width, s.Width) << n;
        EXPECT_EQ(Rec.Sprites[n].Height, s.Height) << n;
    }
    EXPECT_EQ(Rec.Fonts.size(), fonts.size());
    EXPECT_TRUE(SameLayout(Layout, layout));   // sub column back home
    std::vector<RecordedCall> registrations = CallsOf("RegisterFontFile");
    ASSERT_EQ(registrations.size(), 2u);
    EXPECT_EQ(registrations[0].Text, registrations[1].Text);
    EXPECT_EQ(Assets.RegisteredFontPath, "Media\\Fonts\\Papyrus.ttf");
}

// [SECTION] Fonts

TEST_F(LoadAssetsTest, MenuFontSizeIsCappedAtFifteenAndPassedOnOtherwise) {
    for (int size : {20, 16, 15, 11, 1, 0, -4}) {
        SCOPED_TRACE(size);
        Cfg.settings.fontsize = size;
        Rec.Calls.clear();
        LoadAt(800, 600);
        std::vector<RecordedCall> loads = CallsOf("LoadFontFace");
        ASSERT_EQ(loads.size(), 3u);
        EXPECT_EQ(loads[0].Args, (std::vector<int64_t>{FontMenu, size > 15 ? 15 : size, 0}));
        EXPECT_EQ(loads[1].Args, (std::vector<int64_t>{FontCredits, 12, 0}));
        EXPECT_EQ(loads[2].Args, (std::vector<int64_t>{FontDebug, 10, 0}));
        if (size <= 0) continue;   // the platform decides what such a font is
        EXPECT_EQ(Rec.Fonts[FontMenu].Points, size > 15 ? 15 : size);
        EXPECT_EQ(Rec.Fonts[FontCredits].Points, 12);
        EXPECT_EQ(Rec.Fonts[FontDebug].Points, 10);
    }
}

TEST_F(LoadAssetsTest, MenuFontIsBoldUnlessTheStyleIsExactlyNormal) {
    for (const char* style : {"Normal", "normal", "", "Bold", "Normal "}) {
        SCOPED_TRACE(style);
        Cfg.settings.fontstyle = style;
        Cfg.settings.font = "Garamond";
        LoadAt(800, 600);
        EXPECT_EQ(Rec.Fonts[FontMenu].Style, std::string(style) == "Normal" ? 0 : FontStyleBold);
        EXPECT_EQ(Rec.Fonts[FontCredits].Style, 0);
        EXPECT_EQ(Rec.Fonts[FontDebug].Style, 0);
        for (int f : {FontMenu, FontCredits, FontDebug}) EXPECT_EQ(Rec.Fonts[f].Face, "Garamond");
    }
}

// [SECTION] Layout

TEST_F(LoadAssetsTest, LayoutAtTheThreeSizes) {
    struct Case {
        int W, H, OverlayY, UpperY, LowerY, NewGameX, RowY, Res1280Y, ScreenshotY;
    } cases[] = {{800, 600, 580, 170, 490, 5, 500, 300, 390},
                 {1024, 768, 748, 210, 658, 117, 668, 340, 430},
                 {1280, 720, 700, 210, 610, 245, 620, 340, 430}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.W);
        LoadAt(c.W, c.H);
        EXPECT_EQ(Layout.OverlayY, c.OverlayY);
        EXPECT_EQ(Layout.UpperDividerX, 0);
        EXPECT_EQ(Layout.UpperDividerY, c.UpperY);
        EXPECT_EQ(Layout.LowerDividerY, c.LowerY);
        // The main row: five boxes 160 apart, centred on the screen.
        const ItemBox* row[] = {&Layout.NewGameBox, &Layout.LoadGameBox, &Layout.OptionsBox,
                                &Layout.CreditsBox, &Layout.QuitBox};
        for (int i = 0; i < 5; ++i) {
            EXPECT_EQ(row[i]->x, c.NewGameX + 160 * i);
            EXPECT_EQ(row[i]->y, c.RowY);
        }
        EXPECT_EQ(Layout.NewGameBox.x + Layout.QuitBox.x + 150, c.W);
        // The home column is centred; the value column stands 160 to its right.
        EXPECT_EQ(HomeColumnX() + 75, c.W / 2);
        EXPECT_EQ(ShiftedColumnX(), HomeColumnX() - 160);
        for (const ItemBox* b : {&Layout.ControlBox, &Layout.GameplayBox, &Layout.GraphicBox,
                                 &Layout.SoundBox, &Layout.ForwardBox, &Layout.LanguageBox,
                                 &Layout.PromptBox})
            EXPECT_EQ(b->x, HomeColumnX());
        for (const ItemBox* b : {&Layout.ForwardGlyphBox, &Layout.ScreenshotGlyphBox,
                                 &Layout.GermanBox, &Layout.Res1280Box, &Layout.OffBox})
            EXPECT_EQ(b->x, HomeColumnX() + 160);
        EXPECT_EQ(Layout.PromptBox.y, c.RowY);
        EXPECT_EQ(Layout.Res1280Box.y, c.Res1280Y);
        EXPECT_EQ(Layout.ScreenshotBox.y, c.ScreenshotY);
        EXPECT_EQ(Layout.ScreenshotGlyphBox.y, c.ScreenshotY);
        EXPECT_EQ(Layout.ForwardBox.y + 30, Layout.BackwardBox.y);
        EXPECT_EQ(Layout.ControlBox.y, Layout.ForwardBox.y);
        EXPECT_EQ(Layout.GameplayBox.y, Layout.ControlBox.y + 30);
        EXPECT_EQ(Layout.SoundBox.y, Layout.ControlBox.y + 90);
        // Every box is 150 x 20 (the table is nothing but boxes after the
        // five single positions).
        static_assert(sizeof(LayoutTable) == 5 * sizeof(int32_t) + 36 * sizeof(ItemBox));
        const ItemBox* boxes = &Layout.NewGameBox;
        for (int i = 0; i < 36; ++i) {
            EXPECT_EQ(boxes[i].w, 150) << i;
            EXPECT_EQ(boxes[i].h, 20) << i;
        }
    }
}

TEST_F(LoadAssetsTest, UnknownScreenSizeLeavesTheLayoutUntouched) {
    LoadAt(1024, 600);
    EXPECT_TRUE(SameLayout(Layout, LayoutTable{}));   // all zero at first
    EXPECT_EQ(HomeColumnX(), 0);
    EXPECT_EQ(ScreenSizeIndex(), -1);
    LoadAt(800, 600);
    LayoutTable at800 = Layout;
    for (auto [w, h] : {std::pair{1024, 600}, {600, 800}, {768, 1024}, {1280, 768}, {0, 0}}) {
        LoadAt(w, h);
        EXPECT_TRUE(SameLayout(Layout, at800)) << w << "x" << h;
    }
    EXPECT_EQ(CallsOf("MakeBlendable").size(), 7u * 176u);   // the rest still loads
}

// [SECTION] Screenshot key

TEST_F(LoadAssetsTest, ScreenshotKeyFromTheStoredName) {
    LoadAt(800, 600);
    EXPECT_EQ(Assets.ScreenshotKey, KeyF12);   // the default "F12"
    Assets.ScreenshotKey = KeyNone;
    Cfg.Scrshot = "f12";
    LoadAssets();
    EXPECT_EQ(Assets.ScreenshotKey, KeyF12);
    Cfg.Scrshot = "Y";
    LoadAssets();
    EXPECT_EQ(Assets.ScreenshotKey, KeyY);
    for (const char* unknown : {"Escape", "Esc", "Enter", "", "F13"}) {
        Cfg.Scrshot = unknown;
        LoadAssets();
        EXPECT_EQ(Assets.ScreenshotKey, KeyY) << unknown;   // kept
    }
    Assets = AssetState{};
    LoadAssets();
    EXPECT_EQ(Assets.ScreenshotKey, KeyNone);   // no key at all at the first run
}

// [SECTION] Label centring

TEST_F(LoadAssetsTest, TextLabelIsCentredOnSeventyFiveTwelve) {
    struct Case {
        int CharWidth, Height;
        const char* Text;
        int X, Y;
    } cases[] = {{8, 17, "Alt5x", 55, 4},      // 40 x 17
                 {7, 16, "abc", 65, 4},        // 21 wide: 75 - 10
                 {9, 25, "Ww", 66, 0},         // 18 x 25
                 {20, 30, "Choose a key", -45, -3}};   // wider than the sprite: cut at both sides
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Text);
        Rec.Calls.clear();
        Rec.CharWidth = c.CharWidth;
        Rec.TextHeight = c.Height;
        CreateBlankSprite(850, 150, 25, SpriteBlendable);
        RenderTextLabel(850, c.Text);
        std::vector<std::string> ops = Ops({"BeginTextOn", "SetTextTransparent", "UseFont",
                                            "DrawTextAt", "EndText"});
        EXPECT_EQ(ops, (std::vector<std::string>{"BeginTextOn", "SetTextTransparent", "UseFont",
                                                 "DrawTextAt", "EndText"}));
        std::vector<RecordedCall> draws = CallsOf("DrawTextAt");
        ASSERT_EQ(draws.size(), 1u);
        EXPECT_EQ(draws[0].Args.at(0), c.X);
        EXPECT_EQ(draws[0].Args.at(1), c.Y);
        EXPECT_EQ(draws[0].Text, c.Text);
        EXPECT_EQ(draws[0].Font, FontMenu);
        EXPECT_EQ(draws[0].Colour.r + draws[0].Colour.g + draws[0].Colour.b, 3 * 255);
    }
}

// [SECTION] Font file path

TEST_F(LoadAssetsTest, FontFileComesFromTheFontFolder) {
    Cfg.settings.font = "Schrift Ä-Regular";
    LoadAt(800, 600);
    std::vector<RecordedCall> registrations = CallsOf("RegisterFontFile");
    ASSERT_EQ(registrations.size(), 1u);
    EXPECT_EQ(registrations[0].Text, "Media\\Fonts\\Schrift Ä-Regular.ttf");
    EXPECT_EQ(Assets.RegisteredFontPath, registrations[0].Text);
}

TEST_F(LoadAssetsTest, AbsurdFontNameRegistersNoFileButStillNamesTheFace) {
    const std::string absurd[] = {"../../../etc/passwd", "..", "a/b", "/usr/share/fonts/x",
                                  "Fonts\\..\\..\\x", "C:\\Windows\\Fonts\\arial",
                                  std::string("Pap\0yrus", 8), "Pap\nyrus", "Pap\tyrus",
                                  std::string(5000, 'A'), ""};
    for (const std::string& name : absurd) {
        SCOPED_TRACE(name.size() > 40 ? "(very long)" : name);
        Rec.Calls.clear();
        Cfg.settings.font = name;
        EXPECT_EQ(FontFilePath(), "");
        LoadAt(800, 600);
        EXPECT_TRUE(CallsOf("RegisterFontFile").empty());
        EXPECT_EQ(Assets.RegisteredFontPath, "");
        std::vector<RecordedCall> loads = CallsOf("LoadFontFace");
        ASSERT_EQ(loads.size(), 3u);
        for (const RecordedCall& load : loads) EXPECT_EQ(load.Text, name);
        EXPECT_EQ(CallsOf("MakeBlendable").size(), 176u);
    }
}
