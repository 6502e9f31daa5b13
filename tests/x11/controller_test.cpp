// controller_test.cpp — game controllers on the SDL platform, with SDL's
// virtual joystick standing in for a pad: plugged in and found, its buttons
// and stick in the snapshot with released-edges, the menu's pointer driven by
// the stick past its dead zone and repeating while held, pulled out leaving
// nothing behind. A virtual joystick of the game-controller type with every
// standard button and axis gets a mapping from SDL itself; one of an unknown
// type gets none and must be ignored.
#include "platform_fixture.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <chrono>
#include <functional>

#include "assets/assets.h"
#include "core/core.h"
#include "menu/menu.h"

namespace {

class ControllerTest : public PlatformTest {
protected:
    void SetUp() override {
        // Whether the test window holds the focus is up to the window
        // manager; SDL drops controller presses without it.
        SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
        PlatformTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        // The first poll leaves the controller subsystem for later; the second starts it.
        EXPECT_FALSE(PollController());
        EXPECT_FALSE(PollController());
        ASSERT_NE(SDL_WasInit(SDL_INIT_GAMECONTROLLER), 0u) << "the second poll starts the controllers";
    }
    void TearDown() override {
        if (Stick) SDL_JoystickClose(Stick);
        if (Index >= 0) SDL_JoystickDetachVirtual(Index);
        PlatformTest::TearDown();
    }

    // Plugs in a virtual pad; Stick is the test's own handle for moving it.
    void Plug(SDL_JoystickType type = SDL_JOYSTICK_TYPE_GAMECONTROLLER) {
        SDL_VirtualJoystickDesc desc{};
        desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
        desc.type = type;
        desc.naxes = SDL_CONTROLLER_AXIS_MAX;
        desc.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
        if (type == SDL_JOYSTICK_TYPE_GAMECONTROLLER) {
            desc.button_mask = (1u << SDL_CONTROLLER_BUTTON_MAX) - 1;
            desc.axis_mask = (1u << SDL_CONTROLLER_AXIS_MAX) - 1;
        }
        desc.name = "Test pad";
        Index = SDL_JoystickAttachVirtualEx(&desc);
        ASSERT_GE(Index, 0) << SDL_GetError();
        Stick = SDL_JoystickOpen(Index);
        ASSERT_NE(Stick, nullptr) << SDL_GetError();
    }
    void Unplug() {
        SDL_JoystickClose(Stick);
        Stick = nullptr;
        ASSERT_EQ(SDL_JoystickDetachVirtual(Index), 0) << SDL_GetError();
        Index = -1;
    }
    void SetButton(SDL_GameControllerButton button, bool down) {
        ASSERT_EQ(SDL_JoystickSetVirtualButton(Stick, button, down ? 1 : 0), 0) << SDL_GetError();
    }
    void SetAxis(SDL_GameControllerAxis axis, int value) {
        ASSERT_EQ(SDL_JoystickSetVirtualAxis(Stick, axis, Sint16(value)), 0) << SDL_GetError();
    }
    // Polls until PollController says a pad is plugged in (or not); false after the deadline.
    static bool PollUntilPlugged(bool plugged = true) {
        return need_display::PollFor(20, [&] { return PollController() == plugged; });
    }

    int Index = -1;
    SDL_Joystick* Stick = nullptr;
};

// [SECTION] Plug, press, unplug

TEST_F(ControllerTest, APluggedPadIsFoundItsButtonsHaveReleasedEdgesAndPullingItOutLeavesNothing) {
    Plug();
    EXPECT_TRUE(SDL_IsGameController(Index)) << "SDL's own mapping for a virtual pad";
    ASSERT_TRUE(PollUntilPlugged()) << "the pad was never found";

    SetButton(SDL_CONTROLLER_BUTTON_A, true);
    SetButton(SDL_CONTROLLER_BUTTON_DPAD_LEFT, true);
    ASSERT_TRUE(PollController());
    EXPECT_TRUE(ControllerButtonDown(PadSouth));
    EXPECT_TRUE(ControllerButtonDown(PadLeft));
    EXPECT_FALSE(ControllerButtonDown(PadEast));
    EXPECT_FALSE(ControllerButtonReleased(PadSouth)) << "held";
    SetButton(SDL_CONTROLLER_BUTTON_A, false);
    ASSERT_TRUE(PollController());
    EXPECT_FALSE(ControllerButtonDown(PadSouth));
    EXPECT_TRUE(ControllerButtonReleased(PadSouth));
    EXPECT_FALSE(ControllerButtonReleased(PadSouth)) << "the release is consumed";

    SetAxis(SDL_CONTROLLER_AXIS_LEFTX, -20000);
    SetAxis(SDL_CONTROLLER_AXIS_LEFTY, 30000);
    ASSERT_TRUE(PollController());
    EXPECT_EQ(ControllerStickX(), -20000);
    EXPECT_EQ(ControllerStickY(), 30000);

    // East held and seen held, then the pad is pulled out: no release.
    SetButton(SDL_CONTROLLER_BUTTON_B, true);
    ASSERT_TRUE(PollController());
    EXPECT_FALSE(ControllerButtonReleased(PadEast));
    Unplug();
    ASSERT_TRUE(PollUntilPlugged(false)) << "the pad was never let go";
    EXPECT_FALSE(ControllerButtonReleased(PadEast));
    EXPECT_FALSE(ControllerButtonDown(PadLeft));
    EXPECT_EQ(ControllerStickX(), 0);
    EXPECT_EQ(ControllerStickY(), 0);

    // Plugged in again, it works at once.
    Plug();
    ASSERT_TRUE(PollUntilPlugged());
    SetButton(SDL_CONTROLLER_BUTTON_DPAD_UP, true);
    ASSERT_TRUE(PollController());
    EXPECT_TRUE(ControllerButtonDown(PadUp));
}

// Devices are taken in the order they came: once a pad plugged in after it is
// found, the device without a mapping has been looked at, and passed over.
TEST_F(ControllerTest, ADeviceWithoutAMappingIsIgnored) {
    Plug(SDL_JOYSTICK_TYPE_UNKNOWN);
    EXPECT_FALSE(SDL_IsGameController(Index));
    SetButton(SDL_CONTROLLER_BUTTON_A, true);
    SDL_Joystick* const unmapped = Stick;
    const int unmappedIndex = Index;
    Plug();
    EXPECT_TRUE(PollUntilPlugged()) << "the pad after it was never found";
    EXPECT_FALSE(ControllerButtonDown(PadSouth)) << "the device without a mapping was taken as a pad";
    Unplug();   // the later one first: detaching renumbers the ones after it
    SDL_JoystickClose(unmapped);
    EXPECT_EQ(SDL_JoystickDetachVirtual(unmappedIndex), 0) << SDL_GetError();
}

// [SECTION] The menu's pointer on the real platform

// Control's page at 800 x 600 with the pointer on Forward; the stick pushed
// down moves it down the bindings at once, and again and again while held.
TEST_F(ControllerTest, TheStickPastItsDeadZoneMovesTheMenuPointerAndRepeatsWhileHeld) {
    // The pointer is clamped to the screen: this one must hold the menu.
    CloseGameScreen();
    ASSERT_NO_FATAL_FAILURE(OpenFramedScreen(800, 600));
    Cfg.ScreenW = 800;
    Cfg.ScreenH = 600;
    FillLayoutTable();
    PlaceSubColumn(ShiftedColumnX());
    Menu.MenuSelect = MenuControl;
    const ItemBox& forward = Layout.ForwardBox;
    PlaceMouse(forward.x + 75, forward.y + 10);
    // Passes of the menu's input until `done` says so or `milliseconds` have
    // gone by; whether `done` came true.
    auto passUntil = [](int milliseconds, const std::function<bool()>& done) {
        const uint32_t end = SDL_GetTicks() + uint32_t(milliseconds);
        do {
            PollKeyboard();
            PollMouse();
            PollController();
            NavigateByDirection();
            if (done()) return true;
            SDL_Delay(1);   // a yield between passes, as the frame's present gives
        } while (!SDL_TICKS_PASSED(SDL_GetTicks(), end));
        return false;
    };
    const auto never = [] { return false; };
    const auto once = [] { return true; };

    Plug();
    ASSERT_TRUE(PollUntilPlugged());
    SetAxis(SDL_CONTROLLER_AXIS_LEFTY, PadStickRange / 3);   // inside the dead zone
    passUntil(300, never);
    EXPECT_EQ(PointerY(), forward.y + 10) << "a stick inside its dead zone moves nothing";

    SetAxis(SDL_CONTROLLER_AXIS_LEFTY, PadStickRange);
    passUntil(0, once);
    EXPECT_EQ(PointerY(), Layout.BackwardBox.y + 10) << "the first push moves one item at once";
    // Held: the repeat moves it on (it cannot leave the screen).
    EXPECT_TRUE(passUntil(5000, [&] { return PointerY() > Layout.LeftBox.y + 10; })) << "no repeat while held";
    EXPECT_EQ(PointerX(), forward.x + 75);

    SetAxis(SDL_CONTROLLER_AXIS_LEFTY, 0);
    passUntil(0, once);
    const int restY = PointerY();
    passUntil(500, never);
    EXPECT_EQ(PointerY(), restY) << "a stick at rest moves nothing";
    EXPECT_EQ(Menu.MenuSelect, MenuControl);
}

// [SECTION] A sound server that never answers

// A server that takes the connection and never answers (a stopped one) holds
// the music's thread inside SDL's audio open for a while: the controllers
// start all the same, on a later poll, and the end does not wait for it.
TEST_F(PlatformTest, ASoundServerThatNeverAnswersHoldsUpNeitherTheControllersNorTheEnd) {
    const TempDir dir("veldrune-hung-server");
    const std::string path = (dir.Path / "native").string();
    const int server = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::snprintf(address.sun_path, sizeof address.sun_path, "%s", path.c_str());
    ASSERT_EQ(bind(server, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(listen(server, 8), 0);   // connections wait in the backlog, unanswered
    setenv("PULSE_SERVER", ("unix:" + path).c_str(), 1);
    unsetenv("SDL_AUDIODRIVER");

    StartSoundOutput();
    PlayMusic(MenuMusicTrack.Data, MenuMusicTrack.Size, 0);
    pollfd waiting{server, POLLIN, 0};
    EXPECT_EQ(poll(&waiting, 1, 10000), 1) << "the music's thread never reached the sound server";
    EXPECT_TRUE(need_display::PollFor(10, [] {
        PollController();
        return SDL_WasInit(SDL_INIT_GAMECONTROLLER) != 0;
    })) << "the controllers did not start while the sound server hung";
    const auto asked = std::chrono::steady_clock::now();
    StopSound();
    EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - asked).count(), 2.0)
        << "the end waited for the sound server";   // 0.1 s quiet; room for a busy machine

    unsetenv("PULSE_SERVER");
    close(server);
}

}  // namespace
