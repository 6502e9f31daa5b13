// menu_render_test.cpp — what every page draws, in which order, where and how
// opaque; the slide, the blink, the mode filter and the credits text.
#include <cmath>
#include <string_view>

#include "menu_test_support.h"

namespace {

using Lines = std::vector<std::string>;

std::string B(int blendable, int x, int y, int alpha) {
    return "DrawBlended " + std::to_string(blendable) + " " + std::to_string(x) + " " + std::to_string(y) + " " +
           std::to_string(alpha);
}

void Add(Lines& lines, const Lines& more) { lines.insert(lines.end(), more.begin(), more.end()); }

int Lit(bool bright) { return bright ? 255 : 140; }

// The catalogue's numbers: the German and English images of a menu label,
// and the key glyph rendered from a text.
int De(MenuLabel label) { return BlendLabelDeFirst + label; }
int En(MenuLabel label) { return BlendLabelEnFirst + label; }
int Glyph(std::string_view text) {
    for (int place = 0; place < TextLabelCount; ++place)
        if (text == TextLabels[place]) return TextLabelBlend(place);
    ADD_FAILURE() << "no text label " << text;
    return -1;
}

// [SECTION] The pages at 800x600, pointer at (790, 10), away from every item

// Offsets of the English images from the German ones.
struct Screen800 {
    bool German;
    int Label(MenuLabel label) const { return German ? De(label) : En(label); }
    Lines Backdrop(BackdropPage german, BackdropPage english) const {
        return {B(BlendBackdropFirst + (German ? german : english), 0, 0, 255), B(BlendDivider800, 0, 170, 140),
                B(BlendDivider800, 0, 490, 140)};
    }
    Lines Options() const { return Backdrop(PageOptionsDe, PageOptionsEn); }
    // lit: 0..4 for New Game .. Quit, -1 none
    Lines MainRow(int lit) const {
        return {B(Label(LabelNewGame), 5, 500, Lit(lit == 0)), B(Label(LabelLoadGame), 165, 500, Lit(lit == 1)),
                B(Label(LabelOptions), 325, 500, Lit(lit == 2)), B(Label(LabelCredits), 485, 500, Lit(lit == 3)),
                B(Label(LabelQuit), 645, 500, Lit(lit == 4))};
    }
    Lines SubColumn(int x, int lit) const {
        return {B(Label(LabelControl), x, 180, Lit(lit == 0)), B(Label(LabelGameplay), x, 210, Lit(lit == 1)),
                B(Label(LabelGraphic), x, 240, Lit(lit == 2)), B(Label(LabelSound), x, 270, Lit(lit == 3))};
    }
    // The default bindings W S A D Strg Alt J F12.
    Lines Glyphs(int pulsingRow, int pulse) const {
        const int glyphs[8] = {Glyph("W"), Glyph("S"), Glyph("A"), Glyph("D"), Glyph("Strg"), Glyph("Alt"), Glyph("J"), Glyph("F12")};
        Lines lines;
        for (int row = 0; row < 8; ++row)
            lines.push_back(B(glyphs[row], 485, 180 + 30 * row, row == pulsingRow ? pulse : 255));
        return lines;
    }
    Lines Bindings(int litRow) const {
        Lines lines;
        for (int row = 0; row < 8; ++row) lines.push_back(B(Label(MenuLabel(LabelForward + row)), 325, 180 + 30 * row, Lit(row == litRow)));
        return lines;
    }
};

const std::string Begin = "BeginBlending", End = "EndBlending";
const std::string Pointer = B(BlendPointer, 778, 4, 255);

Lines ExpectedPage(int state, bool german) {
    const Screen800 s{german};
    Lines lines{Begin};
    auto optionsPage = [&](int lit) {
        Add(lines, s.Options());
        Add(lines, s.MainRow(2));
        Add(lines, s.SubColumn(165, lit));
    };
    switch (state) {
    case 0: Add(lines, s.Backdrop(PageMain, PageMain)); Add(lines, s.MainRow(-1)); break;
    case 1: Add(lines, s.Backdrop(PageNewGameDe, PageNewGameEn)); Add(lines, s.MainRow(0)); break;
    case 2: Add(lines, s.Backdrop(PageLoadGameDe, PageLoadGameEn)); Add(lines, s.MainRow(1)); break;
    case 3: Add(lines, s.Options()); Add(lines, s.SubColumn(325, -1)); Add(lines, s.MainRow(2)); break;
    case 4:
        optionsPage(0);
        Add(lines, s.Bindings(-1));
        Add(lines, s.Glyphs(-1, 255));
        break;
    case 5: case 6: case 7: case 8: case 9: case 10: case 11: case 12:
        Add(lines, s.Options());
        Add(lines, s.SubColumn(165, 0));
        Add(lines, s.Bindings(state - 5));
        lines.push_back(B(german ? BlendPromptChooseKeyDe : BlendPromptChooseKeyEn, 325, 500, 255));
        Add(lines, s.Glyphs(state - 5, 1));   // the clock stands at 942 ms
        lines.push_back(End);
        return lines;   // no main row, no pointer
    case 13: optionsPage(1); lines.push_back(B(s.Label(LabelLanguage), 325, 210, 140)); break;
    case 14:
    case 15:
    case 16:
        optionsPage(1);
        lines.push_back(B(s.Label(LabelLanguage), 325, 210, 255));
        lines.push_back(B(s.Label(LabelGerman), 485, 210, Lit(state == 14 && german)));
        lines.push_back(B(s.Label(LabelEnglish), 485, 240, Lit(state == 14 && !german)));
        break;
    case 17: optionsPage(2); lines.push_back(B(s.Label(LabelResolution), 325, 240, 140)); break;
    case 18:
    case 19:
        optionsPage(2);
        lines.push_back(B(s.Label(LabelResolution), 325, 240, 255));
        // the three sizes are reported; the labels are the same in both languages
        lines.push_back(B(De(LabelRes800), 485, 240, 255));
        lines.push_back(B(De(LabelRes1024), 485, 270, 140));
        lines.push_back(B(De(LabelRes1280), 485, 300, 140));
        break;
    case 22: optionsPage(3); lines.push_back(B(s.Label(LabelMusic), 325, 270, 140)); break;
    case 23:
    case 24:
        optionsPage(3);
        lines.push_back(B(s.Label(LabelMusic), 325, 270, 255));
        lines.push_back(B(s.Label(LabelOn), 485, 270, 255));   // music is on
        lines.push_back(B(s.Label(LabelOff), 485, 300, 140));
        break;
    case 26: Add(lines, s.Backdrop(PageCreditsDe, PageCreditsEn)); Add(lines, s.MainRow(3)); break;
    case 27: Add(lines, s.Backdrop(PageQuitDe, PageQuitEn)); Add(lines, s.MainRow(4)); break;
    }
    lines.push_back(Pointer);
    lines.push_back(End);
    return lines;
}

bool SubColumnRestsHome(int state) {
    return state <= 3 || state == 26 || state == 27;
}

class MenuRender : public GameTest {
protected:
    void SetUp() override {
        GameTest::SetUp();
        UseScreen(800, 600);
        PointAt(790, 10);
        Rec.ClockMs = 942;
        Rec.Modes = EveryOfferedMode();
    }
    Lines Page(int state, const char* language = "German") {
        Cfg.settings.language = language;
        Menu.MenuSelect = state;
        PlaceSubColumn(SubColumnRestsHome(state) ? 325 : 165);
        return DrawnPage();
    }
};

// [SECTION] Every state

TEST_F(MenuRender, EveryStateDrawsItsPageInOrder) {
    for (bool german : {true, false}) {
        for (int state = 0; state < MenuStateCount; ++state) {
            // Choosing the other language and the other sizes: below; music off: tests/game/music_test.cpp.
            if (state == (german ? 16 : 15) || state == 20 || state == 21 || state == MenuMusicOff) continue;
            Lines drawn = Page(state, german ? "German" : "English");
            const Lines expected = ExpectedPage(state, german);
            if (state == MenuCredits) drawn.resize(std::min(drawn.size(), expected.size()));   // text: below
            EXPECT_EQ(drawn, expected) << (german ? "German" : "English") << " state " << state;
        }
    }
}

TEST_F(MenuRender, CapturePageAsksForTheKeyOfItsBindingAfterTheRun) {
    const char* names[] = {"Forward", "Backward", "Left", "Right", "Duck", "Jump", "Journal", "Scrshot"};
    for (int state = MenuForward; state <= MenuScreenshot; ++state) {
        ResetRecording();
        Rec.KeyDown[KeyK] = true;
        PollKeyboard();
        Page(state);   // K seen down
        Rec.KeyDown[KeyK] = false;
        PollKeyboard();
        Page(state);
        const std::string settings = ReadSettingsFile();
        EXPECT_NE(settings.find(std::string(names[state - MenuForward]) + " = K"), std::string::npos) << settings;
        EXPECT_EQ(Menu.MenuSelect, MenuControl);
    }
}

TEST_F(MenuRender, HoveredItemsLight) {
    PointAtItem(Layout.LoadGameBox);
    EXPECT_EQ(Page(MenuMain).at(5), B(De(LabelLoadGame), 165, 500, 255));
    PointAtItem(Layout.BackwardBox);   // on the Control page
    EXPECT_EQ(Page(MenuControl).at(14), B(De(LabelBackward), 325, 210, 255));
    PointAtItem(Layout.EnglishBox);    // on the Language page
    EXPECT_EQ(Page(MenuLanguage).at(15), B(De(LabelEnglish), 485, 240, 255));
}

TEST_F(MenuRender, CapturePageIgnoresTheHover) {
    PointAtItem(Layout.BackwardBox);
    const Lines drawn = Page(MenuForward);
    EXPECT_EQ(drawn.at(9), B(De(LabelBackward), 325, 210, 140));
}

TEST_F(MenuRender, MusicSettingOutsideZeroAndOneLightsNeither) {
    Cfg.settings.music = 0;
    Lines drawn = Page(MenuMusic);
    EXPECT_EQ(drawn.at(14), B(De(LabelOn), 485, 270, 140));
    EXPECT_EQ(drawn.at(15), B(De(LabelOff), 485, 300, 255));
    Cfg.settings.music = 7;
    drawn = Page(MenuMusic);
    EXPECT_EQ(drawn.at(14), B(De(LabelOn), 485, 270, 140));
    EXPECT_EQ(drawn.at(15), B(De(LabelOff), 485, 300, 140));
}

// [SECTION] The three sizes

struct SizeGeometry {
    int W, H, Home, Value, Row1, MainY, X0, Upper, Lower, OptionsBackdrop, Divider, Half, CreditsY;
};
const SizeGeometry Geometries[] = {
    {800, 600, 325, 485, 180, 500, 5, 170, 490, BlendBackdropFirst + PageOptionsDe, BlendDivider800, 400, 180},
    {1024, 768, 437, 597, 220, 668, 117, 210, 658, BlendBackdropFirst + BackdropPageCount + PageOptionsDe,
     BlendDivider1024, 512, 220},
    {1280, 720, 565, 725, 220, 620, 245, 210, 610, BlendBackdropFirst + 2 * BackdropPageCount + PageOptionsDe,
     BlendDivider1280, 640, 220},
};

TEST_F(MenuRender, ControlAndCapturePagesAtEverySize) {
    for (const SizeGeometry& g : Geometries) {
        UseScreen(g.W, g.H);
        const int shifted = g.Home - 160;
        PointAt(g.W - 10, 10);
        Lines expected{Begin, B(g.OptionsBackdrop, 0, 0, 255), B(g.Divider, 0, g.Upper, 140),
                       B(g.Divider, 0, g.Lower, 140)};
        const int mainLabels[5] = {De(LabelNewGame), De(LabelLoadGame), De(LabelOptions), De(LabelCredits), De(LabelQuit)};
        for (int i = 0; i < 5; ++i) expected.push_back(B(mainLabels[i], g.X0 + 160 * i, g.MainY, Lit(i == 2)));
        const int subLabels[4] = {De(LabelControl), De(LabelGameplay), De(LabelGraphic), De(LabelSound)};
        for (int i = 0; i < 4; ++i) expected.push_back(B(subLabels[i], shifted, g.Row1 + 30 * i, Lit(i == 0)));
        for (int row = 0; row < 8; ++row) expected.push_back(B(De(MenuLabel(LabelForward + row)), g.Home, g.Row1 + 30 * row, 140));
        const int glyphs[8] = {Glyph("W"), Glyph("S"), Glyph("A"), Glyph("D"), Glyph("Strg"), Glyph("Alt"), Glyph("J"), Glyph("F12")};
        for (int row = 0; row < 8; ++row) expected.push_back(B(glyphs[row], g.Value, g.Row1 + 30 * row, 255));
        expected.push_back(B(BlendPointer, g.W - 22, 4, 255));
        expected.push_back(End);
        Menu.MenuSelect = MenuControl;
        PlaceSubColumn(shifted);
        EXPECT_EQ(DrawnPage(), expected) << g.W;

        Menu.MenuSelect = MenuJump;
        const Lines capture = DrawnPage();
        ASSERT_EQ(capture.size(), 26u);
        EXPECT_EQ(capture.at(16), B(BlendPromptChooseKeyDe, g.Home, g.MainY, 255)) << g.W;   // the prompt
        EXPECT_EQ(capture.at(17 + 5), B(Glyph("Alt"), g.Value, g.Row1 + 150, 1)) << g.W;
    }
}

TEST_F(MenuRender, UnknownSizeDrawsItemsButNoBackdropNoDividerAndNoSlide) {
    // A size without a layout: every box empty.
    Cfg.ScreenW = 1024;
    Cfg.ScreenH = 600;
    Layout = LayoutTable{};
    FillLayoutTable();
    const Lines drawn = Page(MenuMain);
    ASSERT_EQ(drawn.size(), 8u);
    EXPECT_EQ(drawn.at(1), B(De(LabelNewGame), 0, 0, 140));
    PlaceSubColumn(325);
    Menu.MenuSelect = MenuControl;
    for (int i = 0; i < 40; ++i) RenderPage();
    EXPECT_EQ(Layout.ControlBox.x, 325);
}

// [SECTION] Slide, blink, modes

TEST_F(MenuRender, SubColumnSlidesInThirtyTwoFramesAndItemsAppearOnArrival) {
    for (const SizeGeometry& g : Geometries) {
        UseScreen(g.W, g.H);
        Cfg.settings.language = "German";
        Menu.MenuSelect = MenuGraphic;
        for (int frame = 1; frame <= 31; ++frame) {
            const Lines drawn = DrawnPage();
            EXPECT_EQ(Layout.ControlBox.x, g.Home - 5 * frame);
            EXPECT_EQ(drawn.size(), 15u) << "no Resolution item before arrival, frame " << frame;
        }
        const Lines arrived = DrawnPage();
        EXPECT_EQ(Layout.ControlBox.x, g.Home - 160);
        EXPECT_EQ(arrived.at(13), B(De(LabelResolution), g.Home, g.Row1 + 60, 140));
        for (ItemBox LayoutTable::*box : SubColumnBoxes) EXPECT_EQ((Layout.*box).x, g.Home - 160);
        // Leaving for a main-row page: home again in 32 frames.
        Menu.MenuSelect = MenuCredits;
        for (int frame = 1; frame <= 32; ++frame) RenderPage();
        EXPECT_EQ(Layout.SoundBox.x, g.Home);
        RenderPage();
        EXPECT_EQ(Layout.SoundBox.x, g.Home);
    }
}

TEST_F(MenuRender, BlinkFollowsTheClock) {
    EXPECT_EQ(ComputeBlinkAlpha(0), 128);
    EXPECT_EQ(ComputeBlinkAlpha(314), 255);
    EXPECT_EQ(ComputeBlinkAlpha(942), 1);
    EXPECT_EQ(ComputeBlinkAlpha(100), 189);   // 128 + 127 sin 0.5 = 188.9
    int lowest = 255, highest = 0;
    for (uint32_t t = 0; t < 20000; ++t) {
        lowest = std::min(lowest, ComputeBlinkAlpha(t));
        highest = std::max(highest, ComputeBlinkAlpha(t));
    }
    EXPECT_EQ(lowest, 1);
    EXPECT_EQ(highest, 255);
    Rec.ClockMs = 100;
    Page(MenuDuck);
    EXPECT_EQ(Menu.BlinkAlpha, 189);
}

TEST_F(MenuRender, OnlyThirtyTwoBitEightyFiveHertzModesOfferASize) {
    Rec.Modes = {ModeOf(OfferedSizes[0], OfferedDepth, 60), ModeOf(OfferedSizes[0], 16), ModeOf(OfferedSizes[1]), ModeOf({640, 480}),
                 ModeOf(OfferedSizes[2]), ModeOf(OfferedSizes[1])};
    Lines drawn = Page(MenuResolution);
    const Lines sizes(drawn.begin() + 14, drawn.end() - 2);
    EXPECT_EQ(sizes, (Lines{B(De(LabelRes1024), 485, 270, 140), B(De(LabelRes1280), 485, 300, 140), B(De(LabelRes1024), 485, 270, 140)}));
    EXPECT_EQ(CallsOf("ListScreenModes").size(), 1u);

    Rec.Modes = {ModeOf(OfferedSizes[0], OfferedDepth, 60), ModeOf(OfferedSizes[1], OfferedDepth, 60), ModeOf(OfferedSizes[2], OfferedDepth, 75)};
    drawn = Page(MenuResolution);
    EXPECT_EQ(drawn.size(), 16u) << "no size item without 85 Hz modes";
    Rec.ListModesFails = true;
    drawn = Page(MenuResolution);
    EXPECT_EQ(drawn.size(), 16u) << "no size item when the list fails";
}

// [SECTION] Actions inside the drawing

TEST_F(MenuRender, LanguageChosenMidFrameDrawsTheRestOfThatFrameInIt) {
    Lines drawn = Page(MenuEnglish, "German");
    // Backdrop, main row and sub column still German; from the Language item on English.
    EXPECT_EQ(drawn.at(1), B(BlendBackdropFirst + PageOptionsDe, 0, 0, 255));
    EXPECT_EQ(drawn.at(4), B(De(LabelNewGame), 5, 500, 140));
    EXPECT_EQ(drawn.at(10), B(De(LabelGameplay), 165, 210, 255));
    EXPECT_EQ(drawn.at(13), B(En(LabelLanguage), 325, 210, 255));
    EXPECT_EQ(drawn.at(14), B(En(LabelGerman), 485, 210, 140));   // neither lit in the action frame
    EXPECT_EQ(drawn.at(15), B(En(LabelEnglish), 485, 240, 140));
    EXPECT_EQ(drawn.at(16), Pointer);
    EXPECT_EQ(Menu.MenuSelect, MenuLanguage);
    EXPECT_EQ(Cfg.settings.language, "English");
    // The next frame is wholly English, with English lit.
    drawn = DrawnPage();
    EXPECT_EQ(drawn.at(1), B(BlendBackdropFirst + PageOptionsEn, 0, 0, 255));
    EXPECT_EQ(drawn.at(15), B(En(LabelEnglish), 485, 240, 255));
}

TEST_F(MenuRender, SizeActionRunsBeforeThePointer) {
    Lines drawn = Page(MenuRes800x600);
    EXPECT_EQ(drawn, ExpectedPage(19, true));
    EXPECT_EQ(Menu.MenuSelect, MenuResolution);
    EXPECT_EQ(App.RestartRequested, 0);

    drawn = Page(MenuRes1280x720);
    EXPECT_EQ(drawn, ExpectedPage(19, true));
    EXPECT_EQ(Menu.MenuSelect, MenuRes1280x720);
    EXPECT_EQ(App.RestartRequested, 1);
    EXPECT_EQ(App.NewScreenWidth, 1280);
    EXPECT_EQ(App.NewScreenHeight, 720);
}

// [SECTION] Credits

TEST_F(MenuRender, CreditsTextFollowsThePointerAtMeasuredPlaces) {
    Rec.CharWidth = 7;
    for (const SizeGeometry& g : Geometries) {
        UseScreen(g.W, g.H);
        for (bool german : {true, false}) {
            const Lines drawn = Page(MenuCredits, german ? "German" : "English");
            const Lines text(drawn.end() - 9, drawn.end());
            const std::string role1 = german ? "Projektleitung" : "Project Management";
            const std::string role2 = german ? "Programmierung" : "Programming";
            const auto at = [](int x, int y, const std::string& t, const char* colour) {
                return "DrawTextAt " + std::to_string(x) + " " + std::to_string(y) + " " + t + " " + colour;
            };
            const Lines expected{
                "BeginTextOn -1", "SetTextTransparent", "UseFont 1",
                at(g.Half - 7 * int(role1.size()), g.CreditsY, role1, "(255,255,255)"),
                at(g.Half, g.CreditsY + 30, "Talvenor", "(140,140,140)"),
                at(g.Half - 7 * int(role2.size()), g.CreditsY + 60, role2, "(255,255,255)"),
                at(g.Half, g.CreditsY + 90, "Talvenor", "(140,140,140)"),
                at(g.Half, g.CreditsY + 120, "Quorvath", "(140,140,140)"),
                "EndText",
            };
            EXPECT_EQ(text, expected) << g.W;
            EXPECT_EQ(drawn.at(drawn.size() - 10), End);
            // The text's widths are measured in the credits font.
            for (const RecordedCall& call : CallsOf("MeasureTextWidth")) EXPECT_EQ(call.Font, 1);
        }
    }
    UseScreen(1000, 700);
    const Lines unknown = Page(MenuCredits);
    EXPECT_EQ(unknown.back(), End);
    EXPECT_TRUE(CallsOf("DrawTextAt").empty());
}

}  // namespace
