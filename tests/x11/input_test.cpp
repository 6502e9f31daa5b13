// input_test.cpp — the keyboard and mouse snapshots built from SDL's events,
// KeyReleased's edges and consuming, and the window events. Events are fed
// to SDL's own queue (or by xdotool to the X server), so the platform's
// translation is what is tested.
#include "platform_fixture.h"
#include "../contract/key_release_contract.h"

#include <array>
#include <set>
#include <string>

namespace {

void PushKey(int scancode, bool down, bool repeat = false) {
    PushEvent(down ? SDL_KEYDOWN : SDL_KEYUP, [&](SDL_Event& e) {
        e.key.state = down ? SDL_PRESSED : SDL_RELEASED;
        e.key.repeat = repeat;
        e.key.keysym.scancode = SDL_Scancode(scancode);
        e.key.windowID = SDL_GetWindowID(GameWindowForTests(0));
    });
}

void PushButton(uint8_t sdlButton, bool down) {
    PushEvent(down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP, [&](SDL_Event& e) {
        e.button.button = sdlButton;
        e.button.state = down ? SDL_PRESSED : SDL_RELEASED;
    });
}

void PushMotion(int dx, int dy) {
    PushEvent(SDL_MOUSEMOTION, [&](SDL_Event& e) {
        e.motion.xrel = dx;
        e.motion.yrel = dy;
    });
}

}  // namespace

// [SECTION] KeyReleased

// The SDL platform under the rules every platform keeps.
struct SdlKeyboard : PlatformTest {
    std::set<int> Down;   // the keys this test holds down
    void SetKeys(std::initializer_list<int> keys) {
        const std::set<int> now(keys);
        for (int key : Down)
            if (!now.count(key)) PushKey(key, false);
        for (int key : now)
            if (!Down.count(key)) PushKey(key, true);
        Down = now;
    }
};
INSTANTIATE_TYPED_TEST_SUITE_P(Sdl, KeyReleaseContract, SdlKeyboard);

// What only events can do: come and go between two snapshots, repeat, or
// name a key beyond the slots.

TEST_F(PlatformTest, AQuickTapBetweenTwoPollsIsDownOnceThenUp) {
    PushKey(KeyF12, true);
    PushKey(KeyF12, false);
    ASSERT_TRUE(PollKeyboard());
    EXPECT_FALSE(KeyReleased(KeyF12)) << "reported down in the next snapshot";
    ASSERT_TRUE(PollKeyboard());
    EXPECT_TRUE(KeyReleased(KeyF12)) << "and up in the one after";
    // The same for a mouse button.
    PushButton(SDL_BUTTON_LEFT, true);
    PushButton(SDL_BUTTON_LEFT, false);
    ASSERT_TRUE(PollMouse());
    EXPECT_TRUE(MouseButtonDown(1));
    ASSERT_TRUE(PollMouse());
    EXPECT_FALSE(MouseButtonDown(1));
}

TEST_F(PlatformTest, RepeatsAndScancodesBeyondTheSlotsAreHarmless) {
    PushKey(SDL_SCANCODE_AUDIONEXT, true);   // beyond the 255 slots
    ASSERT_TRUE(PollKeyboard());
    EXPECT_FALSE(KeyReleased(KeyAny));
    // A repeat of a held key is not a new press.
    PushKey(KeyDown, true);
    ASSERT_TRUE(PollKeyboard());
    EXPECT_FALSE(KeyReleased(KeyDown));
    PushKey(KeyDown, true, true);
    PushKey(KeyDown, false);
    ASSERT_TRUE(PollKeyboard());
    EXPECT_TRUE(KeyReleased(KeyDown));
}

// [SECTION] Mouse

TEST_F(PlatformTest, MotionMovesThePointerInScreenPixelsClampedToTheScreen) {
    PlaceMouse(100, 100);
    PushMotion(7, -3);   // two motions before one poll add up
    for (auto [dx, dy, x, y] : {std::array{5, 1, 112, 98}, {-5000, 5000, 0, ScreenH - 1}, {100000, -100000, ScreenW - 1, 0}}) {
        PushMotion(dx, dy);
        ASSERT_TRUE(PollMouse());
        EXPECT_EQ(Pointer(), (std::pair{x, y}));
    }
}

TEST_F(PlatformTest, ButtonsAreLevelsAndNumberedLeftRightMiddle) {
    // Which of the numbers 0..4 read as down.
    auto down = [] {
        std::string numbers;
        for (int button = 0; button <= 4; ++button)
            if (MouseButtonDown(button)) numbers += std::to_string(button);
        return numbers;
    };
    PushButton(SDL_BUTTON_RIGHT, true);
    ASSERT_TRUE(PollMouse());
    EXPECT_EQ(down(), "2");
    ASSERT_TRUE(PollMouse());
    EXPECT_EQ(down(), "2") << "held is a level";
    PushButton(SDL_BUTTON_RIGHT, false);
    PushButton(SDL_BUTTON_MIDDLE, true);
    ASSERT_TRUE(PollMouse());
    EXPECT_EQ(down(), "3");
}

// [SECTION] Real X input through xdotool

TEST_F(PlatformTest, XdotoolTapAndRelativeMotionArrive) {
    SDL_Window* w = GameWindowForTests(0);
    const unsigned long xid = XWindowOf(w);
    ASSERT_NE(xid, 0u);
    if (!(SDL_GetWindowFlags(w) & SDL_WINDOW_INPUT_FOCUS))
        need_display::ActivateWindow(std::to_string(xid), true) || need_display::FocusWindow(std::to_string(xid));
    ASSERT_TRUE(ScreenIsActive()) << "the window has no focus; xdotool's keys would go elsewhere";
    ASSERT_TRUE(PollKeyboard());

    // `xdotool key` presses and lets go at once; we must still see it.
    ASSERT_TRUE(need_display::TapKey("q"));
    bool released = false;
    need_display::PollFor(20, [&] { return PollKeyboard() && (released = KeyReleased(KeyQ)); });
    EXPECT_TRUE(released) << "a tap between two polls was lost";

    PlaceMouse(50, 60);
    ASSERT_TRUE(PollMouse());
    ASSERT_TRUE(need_display::NudgePointer(10, 5));
    need_display::PollFor(20, [] { return PollMouse() && PointerX() != 50; });
    EXPECT_EQ(Pointer(), (std::pair{60, 65}));
}

// [SECTION] Window events

TEST_F(PlatformTest, FocusDecidesWhetherAWindowedScreenIsActive) {
    SDL_Window* w = GameWindowForTests(0);
    PushWindowEvent(w, SDL_WINDOWEVENT_FOCUS_GAINED);
    EXPECT_TRUE(ScreenIsActive());
    PushWindowEvent(w, SDL_WINDOWEVENT_FOCUS_LOST);
    EXPECT_FALSE(ScreenIsActive());
    PushWindowEvent(w, SDL_WINDOWEVENT_MINIMIZED);
    EXPECT_EQ(AwaitWindowEvent(), WindowEventOther);
    PushWindowEvent(w, SDL_WINDOWEVENT_FOCUS_GAINED);
    EXPECT_EQ(AwaitWindowEvent(), WindowEventActivated);
    EXPECT_TRUE(ScreenIsActive());
    PushWindowEvent(w, SDL_WINDOWEVENT_RESTORED);
    EXPECT_EQ(AwaitWindowEvent(), WindowEventActivated);
}

// A window manager restores the window before it gives it the focus. The
// restore alone must not end the focus-loss wait: the next frame would find
// the screen inactive and minimise the window the player has just brought back.
TEST_F(PlatformTest, AWindowedScreenRestoredBeforeItHasTheFocusWaitsForTheFocus) {
    SDL_Window* w = GameWindowForTests(0);
    PushWindowEvent(w, SDL_WINDOWEVENT_FOCUS_LOST);
    ASSERT_FALSE(ScreenIsActive());
    PushWindowEvent(w, SDL_WINDOWEVENT_MINIMIZED);
    PushWindowEvent(w, SDL_WINDOWEVENT_RESTORED);
    EXPECT_EQ(AwaitWindowEvent(), WindowEventOther);
    EXPECT_EQ(AwaitWindowEvent(), WindowEventOther) << "restored without the focus ended the wait";
    EXPECT_FALSE(ScreenIsActive());
    PushWindowEvent(w, SDL_WINDOWEVENT_FOCUS_GAINED);
    EXPECT_EQ(AwaitWindowEvent(), WindowEventActivated);
    EXPECT_TRUE(ScreenIsActive()) << "the wait ended on a screen that is not active";
}

TEST_F(PlatformTest, AwaitWindowEventSkipsInputAndSeesTheCloseBox) {
    EXPECT_FALSE(WindowCloseRequested());
    PushKey(KeyA, true);
    PushMotion(1, 1);
    PushWindowEvent(GameWindowForTests(0), SDL_WINDOWEVENT_CLOSE);
    EXPECT_EQ(AwaitWindowEvent(), WindowEventClosed);
    EXPECT_TRUE(WindowCloseRequested());
    ASSERT_TRUE(PollKeyboard());
    EXPECT_FALSE(KeyReleased(KeyA)) << "the key seen while waiting still counts as held";
    PushEvent(SDL_QUIT);
    EXPECT_EQ(AwaitWindowEvent(), WindowEventClosed);
}

TEST_F(PlatformTest, FullScreenStaysInactiveFromFocusLossUntilReopened) {
    SDL_Window* screen = nullptr;
    auto openWithTheFocus = [&] {
        ASSERT_TRUE(OpenGameScreen(ScreenW, ScreenH, 32, "Veldrune", true, 60));
        ASSERT_NE(screen = ScreenWindowForTests(), nullptr);
        PushWindowEvent(screen, SDL_WINDOWEVENT_FOCUS_GAINED);
        ASSERT_TRUE(ScreenIsActive());
    };
    ASSERT_NO_FATAL_FAILURE(openWithTheFocus());
    PushWindowEvent(screen, SDL_WINDOWEVENT_FOCUS_LOST);
    PresentFrame();   // waits briefly for the display to come back, then gives up
    EXPECT_FALSE(ScreenIsActive());
    PushWindowEvent(screen, SDL_WINDOWEVENT_FOCUS_GAINED);
    PresentFrame();
    EXPECT_FALSE(ScreenIsActive()) << "only reopening the screen brings it back";
    // A loss that heals within the wait is no loss.
    ASSERT_NO_FATAL_FAILURE(openWithTheFocus());
    PushWindowEvent(screen, SDL_WINDOWEVENT_FOCUS_LOST);
    PushWindowEvent(screen, SDL_WINDOWEVENT_FOCUS_GAINED);
    PresentFrame();
    EXPECT_TRUE(ScreenIsActive());
}
