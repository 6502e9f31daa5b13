// speech_test.cpp — what the menu says, in which frame and language: the
// page and the item under the pointer at start and on every change, a
// binding's key, a choice in force, a size the display does not offer, the
// capture prompt and the key taken, the credits, a screenshot, a language
// switch, a quick run across items; when speech is on (the setting, the
// desktop's switch) and that nothing is said twice or every frame.
#include "menu_test_support.h"

namespace {

class MenuSpeech : public GameTest {
protected:
    // "de: Hauptmenü" for each Say since the mark, and moves the mark.
    std::vector<std::string> Said() {
        std::vector<std::string> said;
        for (size_t i = Heard; i < Rec.Spoken.size(); ++i)
            said.push_back(Rec.Spoken[i].Language + ": " + Rec.Spoken[i].Text);
        Heard = Rec.Spoken.size();
        return said;
    }
    // The pointer on an item for a frame.
    void Reach(const ItemBox& box) {
        PointAtItem(box);
        Frame();
    }
    size_t Heard = 0;   // Rec.Spoken's utterances already returned by Said
};

TEST_F(MenuSpeech, SaysThePageAtStartThenEachItemReachedOnceInTheFrameItIsReached) {
    BootWith({"[Settings]", "settings.speech = 1"});
    Frame();
    EXPECT_EQ(Said(), Lines{"de: Hauptmenü"});
    EXPECT_EQ(CallsOf("StartSpeech").size(), 1u);
    Frames(5);
    EXPECT_EQ(Said(), Lines{}) << "nothing new, nothing said";

    Frame({KeyRight});   // the first press goes to the page's first item
    EXPECT_EQ(Rec.Spoken.back().Frame, Rec.Frame - 1) << "said in the frame that reached it";
    EXPECT_EQ(Said(), Lines{"de: Neues Spiel"});
    Frame();
    Release({KeyRight});
    EXPECT_EQ(Said(), Lines{"de: Spiel Laden"});
    // A quick run: each item once, each cutting off the one before.
    for (int i = 0; i < 3; ++i) Release({KeyRight});
    EXPECT_EQ(Said(), (Lines{"de: Optionen", "de: Mitwirkende", "de: Beenden"}));
    Frames(3);
    EXPECT_EQ(Said(), Lines{});

    Release({KeyReturn});   // Quit's page
    EXPECT_EQ(Said(), Lines{"de: Beenden. Beenden"}) << "the page, then the item still under the pointer";
}

TEST_F(MenuSpeech, BindingsSayTheirKeyAndTheCapturePageItsPromptThenTheKeyTaken) {
    BootWith({"[Settings]", "settings.speech = 1", "[Controls]", "Duck = Strg", "Jump = space"});
    Frame();
    Release({KeyO});
    Frames(60);   // the Options delay
    Release({KeyT});
    Frames(40);   // the sub column slides over
    Said();
    Reach(Layout.ForwardBox);
    EXPECT_EQ(Said(), Lines{"de: Vorwärts, W"});
    Reach(Layout.DuckBox);
    Reach(Layout.JumpBox);
    EXPECT_EQ(Said(), (Lines{"de: Ducken, Steuerung", "de: Springen, Leertaste"})) << "keys as words, not letters";

    Reach(Layout.ForwardBox);
    Said();
    Release({KeyReturn});
    EXPECT_EQ(Said(), Lines{"de: Vorwärts. Taste wählen"});
    Release({KeyF5});
    EXPECT_EQ(Said(), Lines{"de: Vorwärts, F5"}) << "back on its item, the key just taken";
    EXPECT_EQ(Cfg.Forward, "F5");
}

TEST_F(MenuSpeech, ChoicesSayWhetherTheyAreInForceAndALanguageSwitchesTheVoiceInItsFrame) {
    BootWith({"[Settings]", "settings.speech = 1"});
    Rec.Modes = {ModeOf(OfferedSizes[1]), ModeOf(OfferedSizes[0], OfferedDepth, 60)};
    Frame();
    ShowPage(MenuResolution);
    Frame();
    Said();
    Reach(Layout.Res800Box);
    Reach(Layout.Res1024Box);
    EXPECT_EQ(Said(), (Lines{"de: 800 mal 600, nicht verfügbar, ausgewählt", "de: 1024 mal 768"}));

    Menu.MenuSelect = MenuMusic;
    Reach(Layout.OnBox);
    EXPECT_EQ(Said(), Lines{"de: Musik. An, ausgewählt"});
    ClickItem(Layout.OffBox);
    Frame();
    EXPECT_EQ(Said(), Lines{"de: Aus, ausgewählt"}) << "reached and chosen in one frame: said once, in force";
    Frame();
    EXPECT_EQ(Said(), Lines{});

    Menu.MenuSelect = MenuLanguage;
    Reach(Layout.EnglishBox);
    EXPECT_EQ(Said(), Lines{"de: Sprache. Englisch"});
    HoldLeftButton(true);
    Frame();
    EXPECT_EQ(Said(), Lines{"en: English, selected"}) << "the new language's words and voice in the choosing frame";
    HoldLeftButton(false);
    Frames(3);
    EXPECT_EQ(Said(), Lines{}) << "the language written again while held is no news";
}

TEST_F(MenuSpeech, CreditsAndScreenshotsAreSaid) {
    BootWith({"[Settings]", "settings.speech = 1", "settings.language = English"});
    Frame();
    EXPECT_EQ(Said(), Lines{"en: Main Menu"});
    Release({KeyC});
    EXPECT_EQ(Said(), Lines{"en: Credits. Project Management. Talvenor. Programming. Talvenor. Quorvath"});
    Release({KeyF12});
    EXPECT_EQ(Said(), Lines{"en: Screenshot 1 saved"});
    Rec.NextSaveResult = SaveFailed;
    Release({KeyF12});
    EXPECT_EQ(Said(), Lines{}) << "a screenshot that was not saved is not announced";
}

TEST_F(MenuSpeech, TheDesktopsSwitchTurnsItOnAndOffWhileTheSettingDecidesAboveIt) {
    BootWith({});
    EXPECT_EQ(CallsOf("WatchScreenReader").size(), 1u);
    Frames(3);
    EXPECT_TRUE(Rec.Spoken.empty());
    EXPECT_TRUE(CallsOf("StartSpeech").empty()) << "nothing of speech is loaded while it is off";

    Rec.ScreenReader = ScreenReaderOn;
    Frame();
    EXPECT_EQ(Said(), Lines{"de: Sprachausgabe an. Hauptmenü"});
    Rec.ScreenReader = ScreenReaderOff;
    Frame();
    EXPECT_EQ(CallsOf("StopSpeech").size(), 1u) << "turned off, cut off at once";
    Release({KeyO});
    EXPECT_EQ(Said(), Lines{});

    // On as the program finds it: no word that speech turned on.
    StartAgain();
    Heard = 0;
    Rec.ScreenReader = ScreenReaderOn;
    Boot();
    Frame();
    EXPECT_EQ(Said(), Lines{"de: Hauptmenü"});

    StartAgain();
    Heard = 0;
    Rec.ScreenReader = ScreenReaderOn;
    BootWith({"[Settings]", "settings.speech = 0"});
    Frames(3);
    EXPECT_TRUE(Rec.Spoken.empty());
    EXPECT_TRUE(CallsOf("WatchScreenReader").empty()) << "0 never speaks and never asks the desktop";
}

TEST_F(MenuSpeech, TheBackgroundCutsOffAndTheReturnSaysThePageAgain) {
    BootWith({"[Settings]", "settings.speech = 1"});
    Frame();
    Said();
    Rec.ScreenActive = {false};
    Frame();
    EXPECT_EQ(CallsOf("StopSpeech").size(), 1u);
    Frame();
    EXPECT_EQ(Said(), Lines{"de: Hauptmenü"});
}

// Every item the arrows can reach on a page is reached from its first item,
// so a player who cannot see the page can get to all of it.
TEST_F(MenuSpeech, EveryItemOfEveryPageIsReachedWithTheArrows) {
    BootWith({"[Settings]", "settings.speech = 1"});
    Frame();
    for (int32_t page = 0; page < MenuStateCount; ++page) {
        if (MenuStates[page].GermanName == nullptr || (page >= MenuForward && page <= MenuScreenshot)) continue;
        ShowPage(page);
        ClickableItem items[MaxClickableItems];
        const int count = ReachableItems(page, items);
        std::vector<bool> seen(count, false);
        std::vector<int> todo;
        PointAt(1, 1);
        Release({KeyDown});
        todo.push_back(ItemUnderPointer(items, count));
        ASSERT_GE(todo.back(), 0) << "the first press on page " << page << " reaches no item";
        seen[todo.back()] = true;
        while (!todo.empty()) {
            const int from = todo.back();
            todo.pop_back();
            for (int key : {KeyUp, KeyDown, KeyLeft, KeyRight}) {
                PointAtItem(*items[from].Box);
                Release({key});
                ASSERT_EQ(Menu.MenuSelect, page);
                const int to = ItemUnderPointer(items, count);
                if (to >= 0 && !seen[to]) seen[to] = true, todo.push_back(to);
            }
        }
        for (int i = 0; i < count; ++i)
            EXPECT_TRUE(seen[i]) << "item " << items[i].Target << " of page " << page << " has no arrow route";
    }
}

}  // namespace
