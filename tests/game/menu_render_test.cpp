// menu_render_test.cpp — what every page draws, in which order, where and how
// opaque; the slide, the blink, the mode filter and the credits text.
#include <cmath>
#include <string_view>

#include "assets/menu_words.h"
#include "menu_test_support.h"

namespace {

constexpr auto B = [](auto... place) { return Blended(place...); };
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

// The glyph of a binding's default key (the settings file holds none).
int DefaultGlyph(int row) { return Glyph(SettingDefaultText(SettingKey(SettingForward + row))); }

// [SECTION] The pages, the pointer 10 pixels in from the top right corner, away from every item

// The index of the current size in OfferedSizes: the backdrops and dividers
// are drawn from that size's set of images.
constexpr int Dividers[3] = {BlendDivider800, BlendDivider1024, BlendDivider1280};
int SizeIndex() {
    for (int size = 0; size < 3; ++size)
        if (OfferedSizes[size].Width == Cfg.ScreenW) return size;
    ADD_FAILURE() << "not an offered size: " << Cfg.ScreenW;
    return 0;
}

// The page's pieces at the places of the layout table of the current size;
// the English images in place of the German ones.
struct Pieces {
    bool German;
    int Label(MenuLabel label) const { return German ? De(label) : En(label); }
    Lines Backdrop(BackdropPage german, BackdropPage english) const {
        const int divider = Dividers[SizeIndex()];
        return {B(BlendBackdropFirst + SizeIndex() * BackdropPageCount + (German ? german : english), 0, 0, 255),
                B(divider, Layout.UpperDividerX, Layout.UpperDividerY, 140),
                B(divider, Layout.LowerDividerX, Layout.LowerDividerY, 140)};
    }
    Lines Options() const { return Backdrop(PageOptionsDe, PageOptionsEn); }
    // The items leading to these states, the lit-th of them lit (-1 none), in
    // their boxes or, given x, in their rows at x.
    Lines Items(std::initializer_list<int> states, int lit, int x = -1) const {
        Lines lines;
        for (int state : states) {
            const ItemBox& box = Layout.*BoxOf(state);
            lines.push_back(B(Label(ItemLabel(state)), x < 0 ? box.x : x, box.y, Lit(int(lines.size()) == lit)));
        }
        return lines;
    }
    Lines MainRow(int lit) const { return Items({MenuNewGame, MenuLoadGame, MenuOptions, MenuCredits, MenuQuit}, lit); }
    Lines SubColumn(int x, int lit) const { return Items({MenuControl, MenuGameplay, MenuGraphic, MenuSound}, lit, x); }
    Lines Bindings(int lit) const {
        return Items({MenuForward, MenuBackward, MenuLeft, MenuRight, MenuDuck, MenuJump, MenuJournal, MenuScreenshot},
                     lit);
    }
    // The default bindings' glyphs.
    Lines Glyphs(int pulsingRow, int pulse) const {
        Lines lines;
        for (int row = 0; row < 8; ++row)
            lines.push_back(B(DefaultGlyph(row), Layout.*GlyphBoxOf(row), row == pulsingRow ? pulse : 255));
        return lines;
    }
};

const std::string Begin = "BeginBlending", End = "EndBlending";
std::string PointerDrawn() { return B(BlendPointer, Cfg.ScreenW - 22, 4, 255); }

// Drawn with the layout of the current size filled and the sub column where
// the page keeps it.
Lines ExpectedPage(int state, bool german) {
    const Pieces s{german};
    const int home = HomeColumnX(), shifted = ShiftedColumnX();
    Lines lines{Begin};
    auto optionsPage = [&](int lit) {
        Add(lines, s.Options());
        Add(lines, s.MainRow(2));
        Add(lines, s.SubColumn(shifted, lit));
    };
    switch (state) {
    case 0: Add(lines, s.Backdrop(PageMain, PageMain)); Add(lines, s.MainRow(-1)); break;
    case 1: Add(lines, s.Backdrop(PageNewGameDe, PageNewGameEn)); Add(lines, s.MainRow(0)); break;
    case 2: Add(lines, s.Backdrop(PageLoadGameDe, PageLoadGameEn)); Add(lines, s.MainRow(1)); break;
    case 3: Add(lines, s.Options()); Add(lines, s.SubColumn(home, -1)); Add(lines, s.MainRow(2)); break;
    case 4:
        optionsPage(0);
        Add(lines, s.Bindings(-1));
        Add(lines, s.Glyphs(-1, 255));
        break;
    case 5: case 6: case 7: case 8: case 9: case 10: case 11: case 12:
        Add(lines, s.Options());
        Add(lines, s.SubColumn(shifted, 0));
        Add(lines, s.Bindings(state - 5));
        lines.push_back(B(german ? BlendPromptChooseKeyDe : BlendPromptChooseKeyEn, Layout.PromptBox, 255));
        Add(lines, s.Glyphs(state - 5, 1));   // the clock stands at 942 ms
        lines.push_back(End);
        return lines;   // no main row, no pointer
    case 13: optionsPage(1); lines.push_back(B(s.Label(LabelLanguage), Layout.LanguageBox, 140)); break;
    case 14: case 15: case 16:
        optionsPage(1);
        lines.push_back(B(s.Label(LabelLanguage), Layout.LanguageBox, 255));
        lines.push_back(B(s.Label(LabelGerman), Layout.GermanBox, Lit(state == 14 && german)));
        lines.push_back(B(s.Label(LabelEnglish), Layout.EnglishBox, Lit(state == 14 && !german)));
        break;
    case 17: optionsPage(2); lines.push_back(B(s.Label(LabelResolution), Layout.ResolutionBox, 140)); break;
    case 18: case 19:
        optionsPage(2);
        lines.push_back(B(s.Label(LabelResolution), Layout.ResolutionBox, 255));
        // the three sizes are reported; the labels are the same in both languages
        lines.push_back(B(De(LabelRes800), Layout.Res800Box, 255));
        lines.push_back(B(De(LabelRes1024), Layout.Res1024Box, 140));
        lines.push_back(B(De(LabelRes1280), Layout.Res1280Box, 140));
        break;
    case 22: optionsPage(3); lines.push_back(B(s.Label(LabelMusic), Layout.MusicBox, 140)); break;
    case 23: case 24:
        optionsPage(3);
        lines.push_back(B(s.Label(LabelMusic), Layout.MusicBox, 255));
        lines.push_back(B(s.Label(LabelOn), Layout.OnBox, 255));   // music is on
        lines.push_back(B(s.Label(LabelOff), Layout.OffBox, 140));
        break;
    case 26: Add(lines, s.Backdrop(PageCreditsDe, PageCreditsEn)); Add(lines, s.MainRow(3)); break;
    case 27: Add(lines, s.Backdrop(PageQuitDe, PageQuitEn)); Add(lines, s.MainRow(4)); break;
    }
    lines.push_back(PointerDrawn());
    lines.push_back(End);
    return lines;
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
        ShowPage(state);
        return DrawnPage();
    }
};

// [SECTION] Every state

TEST_F(MenuRender, EveryStateDrawsItsPageInOrder) {
    for (bool german : {true, false}) {
        for (int state = 0; state < MenuStateCount; ++state) {
            // Choosing the other language and the other sizes: below; music off: tests/game/music_test.cpp.
            if (state == (german ? MenuEnglish : MenuGerman) || state == MenuRes1024x768 || state == MenuRes1280x720 ||
                state == MenuMusicOff)
                continue;
            Lines drawn = Page(state, german ? "German" : "English");
            const Lines expected = ExpectedPage(state, german);
            if (state == MenuCredits) drawn.resize(std::min(drawn.size(), expected.size()));   // text: below
            EXPECT_EQ(drawn, expected) << (german ? "German" : "English") << " state " << state;
        }
    }
}

TEST_F(MenuRender, CapturePageAsksForTheKeyOfItsBindingAfterTheRun) {
    for (int state = MenuForward; state <= MenuScreenshot; ++state) {
        ResetRecording();
        Snapshot({KeyK});
        Page(state);   // K seen down
        Snapshot({});
        Page(state);
        const std::string settings = ReadSettingsFile();
        EXPECT_NE(settings.find(std::string(SettingName(BindingSetting(state))) + " = K"), std::string::npos)
            << settings;
        EXPECT_EQ(Menu.MenuSelect, MenuControl);
    }
}

TEST_F(MenuRender, HoveredItemsLight) {
    PointAtItem(Layout.LoadGameBox);
    EXPECT_EQ(Page(MenuMain).at(5), B(De(LabelLoadGame), Layout.LoadGameBox, 255));
    PointAtItem(Layout.BackwardBox);   // on the Control page
    EXPECT_EQ(Page(MenuControl).at(14), B(De(LabelBackward), Layout.BackwardBox, 255));
    PointAtItem(Layout.EnglishBox);    // on the Language page
    EXPECT_EQ(Page(MenuLanguage).at(15), B(De(LabelEnglish), Layout.EnglishBox, 255));
}

TEST_F(MenuRender, CapturePageIgnoresTheHover) {
    PointAtItem(Layout.BackwardBox);
    const Lines drawn = Page(MenuForward);
    EXPECT_EQ(drawn.at(9), B(De(LabelBackward), Layout.BackwardBox, 140));
}

TEST_F(MenuRender, MusicSettingOutsideZeroAndOneLightsNeither) {
    for (int music : {0, 7}) {
        Cfg.settings.music = music;
        const Lines drawn = Page(MenuMusic);
        EXPECT_EQ(drawn.at(14), B(De(LabelOn), Layout.OnBox, 140)) << music;
        EXPECT_EQ(drawn.at(15), B(De(LabelOff), Layout.OffBox, music == 0 ? 255 : 140)) << music;
    }
}

// [SECTION] The three sizes

TEST_F(MenuRender, ControlAndCapturePagesAtEverySize) {
    for (const OfferedSize& screen : OfferedSizes) {
        UseScreen(screen.Width, screen.Height);
        PointAt(screen.Width - 10, 10);
        EXPECT_EQ(Page(MenuControl), ExpectedPage(MenuControl, true)) << screen.Width;
        EXPECT_EQ(Page(MenuJump), ExpectedPage(MenuJump, true)) << screen.Width;
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
    for (const OfferedSize& screen : OfferedSizes) {
        UseScreen(screen.Width, screen.Height);
        const int home = HomeColumnX(), shifted = ShiftedColumnX();
        Cfg.settings.language = "German";
        Menu.MenuSelect = MenuGraphic;
        for (int frame = 1; frame <= 31; ++frame) {
            const Lines drawn = DrawnPage();
            EXPECT_EQ(Layout.ControlBox.x, home - 5 * frame);
            EXPECT_EQ(drawn.size(), 15u) << "no Resolution item before arrival, frame " << frame;
        }
        const Lines arrived = DrawnPage();
        EXPECT_EQ(Layout.ControlBox.x, home - 160);
        EXPECT_EQ(shifted, home - 160);
        EXPECT_EQ(arrived.at(13), B(De(LabelResolution), Layout.ResolutionBox, 140));
        for (ItemBox LayoutTable::*box : SubColumnBoxes) EXPECT_EQ((Layout.*box).x, shifted);
        // Leaving for a main-row page: home again in 32 frames.
        Menu.MenuSelect = MenuCredits;
        for (int frame = 1; frame <= 32; ++frame) RenderPage();
        EXPECT_EQ(Layout.SoundBox.x, home);
        RenderPage();
        EXPECT_EQ(Layout.SoundBox.x, home);
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
    Rec.Modes = {ModeOf(OfferedSizes[0], OfferedDepth, 60), ModeOf(OfferedSizes[0], 16), ModeOf(OfferedSizes[1]),
                 ModeOf({640, 480}), ModeOf(OfferedSizes[2]), ModeOf(OfferedSizes[1])};
    Lines drawn = Page(MenuResolution);
    const Lines sizes(drawn.begin() + 14, drawn.end() - 2);
    EXPECT_EQ(sizes, (Lines{B(De(LabelRes1024), Layout.Res1024Box, 140), B(De(LabelRes1280), Layout.Res1280Box, 140),
                            B(De(LabelRes1024), Layout.Res1024Box, 140)}));
    EXPECT_EQ(CallsOf("ListScreenModes").size(), 1u);

    Rec.Modes = {ModeOf(OfferedSizes[0], OfferedDepth, 60), ModeOf(OfferedSizes[1], OfferedDepth, 60),
                 ModeOf(OfferedSizes[2], OfferedDepth, 75)};
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
    EXPECT_EQ(drawn.at(4), B(De(LabelNewGame), Layout.NewGameBox, 140));
    EXPECT_EQ(drawn.at(10), B(De(LabelGameplay), Layout.GameplayBox, 255));
    EXPECT_EQ(drawn.at(13), B(En(LabelLanguage), Layout.LanguageBox, 255));
    EXPECT_EQ(drawn.at(14), B(En(LabelGerman), Layout.GermanBox, 140));   // neither lit in the action frame
    EXPECT_EQ(drawn.at(15), B(En(LabelEnglish), Layout.EnglishBox, 140));
    EXPECT_EQ(drawn.at(16), PointerDrawn());
    EXPECT_EQ(Menu.MenuSelect, MenuLanguage);
    EXPECT_EQ(Cfg.settings.language, "English");
    // The next frame is wholly English, with English lit.
    drawn = DrawnPage();
    EXPECT_EQ(drawn.at(1), B(BlendBackdropFirst + PageOptionsEn, 0, 0, 255));
    EXPECT_EQ(drawn.at(15), B(En(LabelEnglish), Layout.EnglishBox, 255));
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
    EXPECT_EQ(App.NewScreenWidth, OfferedSizes[2].Width);
    EXPECT_EQ(App.NewScreenHeight, OfferedSizes[2].Height);
}

// [SECTION] Credits

TEST_F(MenuRender, CreditsTextFollowsThePointerAtMeasuredPlaces) {
    Rec.CharWidth = 7;
    const int creditsTop[3] = {180, 220, 220};
    for (int size = 0; size < 3; ++size) {
        const OfferedSize& screen = OfferedSizes[size];
        const int half = screen.Width / 2, top = creditsTop[size];
        UseScreen(screen.Width, screen.Height);
        for (bool german : {true, false}) {
            const Lines drawn = Page(MenuCredits, german ? "German" : "English");
            const Lines text(drawn.end() - 9, drawn.end());
            // Roles end at the middle, names start there.
            const char* const* lines = (german ? GermanWords : EnglishWords).Credits;
            const std::string role1 = lines[0], role2 = lines[2];
            const auto at = [](int x, int y, const std::string& t, const char* colour) {
                return "DrawTextAt " + std::to_string(x) + " " + std::to_string(y) + " " + t + " " + colour;
            };
            const Lines expected{
                "BeginTextOn -1", "SetTextTransparent", "UseFont 1",
                at(half - 7 * int(role1.size()), top, role1, "(255,255,255)"),
                at(half, top + 30, lines[1], "(140,140,140)"),
                at(half - 7 * int(role2.size()), top + 60, role2, "(255,255,255)"),
                at(half, top + 90, lines[3], "(140,140,140)"),
                at(half, top + 120, lines[4], "(140,140,140)"),
                "EndText",
            };
            EXPECT_EQ(text, expected) << screen.Width;
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
