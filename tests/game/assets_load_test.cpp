// assets_load_test.cpp — LoadAssets on the recording platform: the order and
// numbering of every object, the fonts, the layout per screen size, the
// screenshot key, the label centring and the font file's path.
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "menu_test_support.h"

namespace {

class LoadAssetsTest : public GameTest {
protected:
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

bool SameLayout(const LayoutTable& a, const LayoutTable& b) {
    return std::memcmp(&a, &b, sizeof(LayoutTable)) == 0;
}

}  // namespace

// [SECTION] Order and numbering

TEST_F(LoadAssetsTest, StepsRunInOrderWithTheFixedNumbers) {
    LoadAt(800, 600);
    std::vector<std::string> expected = {"RegisterFontFile", "BroadcastFontChange", "LoadFontFace",
                                         "LoadFontFace", "LoadFontFace"};
    expected.insert(expected.end(), 91, "LoadSpriteFromMemory");
    for (int i = 0; i < 85; ++i) expected.insert(expected.end(), {"CreateBlankSprite", "DrawTextAt"});
    expected.insert(expected.end(), 176, "MakeBlendable");
    EXPECT_EQ(Ops({"RegisterFontFile", "BroadcastFontChange", "LoadFontFace", "LoadSpriteFromMemory",
                   "CreateBlankSprite", "DrawTextAt", "MakeBlendable"}),
              expected);

    std::vector<int64_t> loaded, images;
    for (const RecordedCall& c : CallsOf("LoadSpriteFromMemory")) {
        loaded.push_back(c.Args.at(0));
        EXPECT_EQ(c.Args.back(), 4);
    }
    for (int s = 97; s <= 193; ++s)
        if (s <= 133 || s >= 140) images.push_back(s);
    EXPECT_EQ(loaded, images);

    Lines blanks, binds;
    auto bind = [&](int b, int s) { binds.push_back("MakeBlendable " + std::to_string(b) + " " + std::to_string(s)); };
    for (int s = 801; s <= 885; ++s) {
        blanks.push_back("CreateBlankSprite " + std::to_string(s) + " 150 25 4");
        bind(s + 100, s);
    }
    for (int b = 1; b <= 3; ++b) bind(b, b + 96);
    bind(0, 100);
    for (int b = 4; b <= 36; ++b) bind(b, b + 97);
    for (int b = 37; b <= 90; ++b) bind(b, b + 103);
    EXPECT_EQ(Described(-1, {"CreateBlankSprite"}), blanks);
    EXPECT_EQ(Described(-1, {"MakeBlendable"}), binds);
}

TEST_F(LoadAssetsTest, EveryGlyphShowsTheTextOfItsName) {
    LoadAt(1280, 720);
    // Which text each sprite received, in the menu font.
    std::map<int64_t, std::string> textOf;
    int64_t target = -2;
    for (const RecordedCall& c : Rec.Calls) {
        if (c.Op == "BeginTextOn") target = c.Args.at(0);
        if (c.Op == "DrawTextAt" && c.Font == FontMenu) textOf[target] = c.Text;
    }
    EXPECT_EQ(textOf[Rec.Blendables[BlendPromptChooseKeyDe]], "Taste wählen");
    EXPECT_EQ(textOf[Rec.Blendables[BlendPromptChooseKeyEn]], "Choose a key");
    const std::map<std::string, std::string> germanWords = {
        {"Shift", "Umschalt"}, {"Space", "Leertaste"}, {"Return", "Enter"}};
    for (const char* language : {"German", "English"}) {
        Cfg.settings.language = language;
        std::vector<std::string> names;
        for (const KeyNameRow& row : KeyNameTable) names.push_back(row.Name);
        for (char c = 'a'; c <= 'z'; ++c) names.push_back(std::string(1, c));
        for (const std::string& name : names) {
            SCOPED_TRACE(name + " " + language);
            Rec.Calls.clear();
            DrawKeyGlyph(name, 485, 180, 200);
            std::vector<RecordedCall> drawn = CallsOf("DrawBlended");
            ASSERT_EQ(drawn.size(), 1u);
            EXPECT_EQ(drawn[0].Args, (std::vector<int64_t>{drawn[0].Args[0], 485, 180, 200}));
            ASSERT_TRUE(Rec.Blendables.count(drawn[0].Args[0]));
            bool german = std::string(language) == "German" && germanWords.count(name);
            EXPECT_EQ(textOf[Rec.Blendables[drawn[0].Args[0]]], german ? germanWords.at(name) : name);
        }
    }
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

TEST_F(LoadAssetsTest, MenuFontIsCappedAtFifteenAndBoldUnlessExactlyNormal) {
    struct Case {
        int Size;
        const char* Style;
        int Points, Bold;
    } cases[] = {{20, "Normal", 15, 0}, {15, "normal", 15, FontStyleBold}, {11, "", 11, FontStyleBold},
                 {1, "Bold", 1, FontStyleBold}, {0, "Normal ", 0, FontStyleBold}, {-4, "Normal", -4, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Size);
        Cfg.settings.fontsize = c.Size;
        Cfg.settings.fontstyle = c.Style;
        Cfg.settings.font = "Garamond";
        Rec.Calls.clear();
        LoadAt(800, 600);   // sizes of 0 and below are passed on: the platform copes
        std::vector<RecordedCall> loads = CallsOf("LoadFontFace");
        ASSERT_EQ(loads.size(), 3u);
        EXPECT_EQ(loads[0].Args, (std::vector<int64_t>{FontMenu, c.Points, c.Bold}));
        EXPECT_EQ(loads[1].Args, (std::vector<int64_t>{FontCredits, 12, 0}));
        EXPECT_EQ(loads[2].Args, (std::vector<int64_t>{FontDebug, 10, 0}));
        for (const RecordedCall& load : loads) EXPECT_EQ(load.Text, "Garamond");
    }
}

// [SECTION] Layout

TEST_F(LoadAssetsTest, LayoutAtTheThreeSizes) {
    struct Case {
        int W, H, OverlayY, UpperY, LowerY, NewGameX, RowY, ControlY;
    } cases[] = {{800, 600, 580, 170, 490, 5, 500, 180},
                 {1024, 768, 748, 210, 658, 117, 668, 220},
                 {1280, 720, 700, 210, 610, 245, 620, 220}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.W);
        LoadAt(c.W, c.H);
        EXPECT_EQ(Layout.OverlayY, c.OverlayY);
        EXPECT_EQ(Layout.UpperDividerX + Layout.LowerDividerX, 0);
        EXPECT_EQ(Layout.UpperDividerY, c.UpperY);
        EXPECT_EQ(Layout.LowerDividerY, c.LowerY);
        // The main row: five boxes 160 apart, centred on the screen; the
        // prompt stands where Options does.
        const int row[] = {MenuNewGame, MenuLoadGame, MenuOptions, MenuCredits, MenuQuit};
        for (int i = 0; i < 5; ++i)
            EXPECT_TRUE((Layout.*BoxOf(row[i])).x == c.NewGameX + 160 * i && (Layout.*BoxOf(row[i])).y == c.RowY) << i;
        EXPECT_EQ(Layout.QuitBox.x + 150 + Layout.NewGameBox.x, c.W);
        EXPECT_TRUE(Layout.PromptBox.x == Layout.OptionsBox.x && Layout.PromptBox.y == c.RowY);
        // The home column is centred, the shifted one 160 to its left, the
        // value column 160 to its right; rows are 30 apart from row 1.
        EXPECT_EQ(HomeColumnX() + 75, c.W / 2);
        EXPECT_EQ(ShiftedColumnX(), HomeColumnX() - 160);
        for (int k = 0; k < 8; ++k) {
            const ItemBox &home = Layout.*BoxOf(MenuForward + k), &glyph = Layout.*GlyphBoxOf(k);
            EXPECT_TRUE(home.x == HomeColumnX() && home.y == c.ControlY + 30 * k) << k;
            EXPECT_TRUE(glyph.x == HomeColumnX() + 160 && glyph.y == home.y) << k;
        }
        // column 0 home, 1 value; row 1..8
        const struct {
            int State, Column, Row;
        } placed[] = {{MenuControl, 0, 1},   {MenuGameplay, 0, 2},   {MenuGraphic, 0, 3},     {MenuSound, 0, 4},
                      {MenuLanguage, 0, 2},  {MenuGerman, 1, 2},     {MenuEnglish, 1, 3},     {MenuResolution, 0, 3},
                      {MenuRes800x600, 1, 3}, {MenuRes1024x768, 1, 4}, {MenuRes1280x720, 1, 5}, {MenuMusic, 0, 4},
                      {MenuMusicOn, 1, 4},   {MenuMusicOff, 1, 5}};
        for (const auto& p : placed) {
            const ItemBox& box = Layout.*BoxOf(p.State);
            EXPECT_TRUE(box.x == HomeColumnX() + 160 * p.Column && box.y == c.ControlY + 30 * (p.Row - 1)) << p.State;
        }
        // Every box is 150 x 20 (the table is nothing but boxes after the
        // five single positions).
        static_assert(sizeof(LayoutTable) == 5 * sizeof(int32_t) + 36 * sizeof(ItemBox));
        const ItemBox* boxes = &Layout.NewGameBox;
        for (int i = 0; i < 36; ++i) EXPECT_TRUE(boxes[i].w == 150 && boxes[i].h == 20) << i;
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
    // Names are read as the player wrote them; one that is no key keeps the key before it.
    for (auto [name, key] : {std::pair{"Y", int{KeyY}}, {"f12", KeyF12}, {"Escape", KeyF12}, {"Esc", KeyF12},
                             {"Enter", KeyF12}, {"", KeyF12}, {"F13", KeyF12}}) {
        Cfg.Scrshot = name;
        LoadAssets();
        EXPECT_EQ(Assets.ScreenshotKey, key) << '"' << name << '"';
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
        std::string draw = "DrawTextAt " + std::to_string(c.X) + " " + std::to_string(c.Y) + " " + c.Text;
        EXPECT_EQ(Described(-1, {"BeginTextOn", "SetTextTransparent", "UseFont", "DrawTextAt", "EndText"}),
                  (Lines{"BeginTextOn 850", "SetTextTransparent", "UseFont 0", draw + " (255,255,255)", "EndText"}));
        ASSERT_EQ(CallsOf("DrawTextAt").size(), 1u);
        EXPECT_EQ(CallsOf("DrawTextAt")[0].Font, FontMenu);
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
