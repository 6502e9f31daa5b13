// The menu on a Wayland desktop that never minimises a window (sway,
// headless, one 1280 x 720 output at 60 Hz, every window floating), natively
// (SDL's wayland driver) and through the desktop's XWayland, watched and
// driven as a player would: the output read back with grim, the windows
// listed by swaymsg, keys and one pointer through the desktop. Runs under
// tools/with_sway.sh.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <tuple>

#include "menu_layout.h"
#include "wayland/sway_watch.h"

using e2e::Box;
using sway::Driver;

namespace {

#define NEED_SWAY()                                                                                     \
    do {                                                                                                \
        if (!std::getenv("SWAYSOCK")) GTEST_SKIP() << "no sway desktop (run under tools/with_sway.sh)"; \
        if (std::string reason; !sway::HasDesktop(reason)) FAIL() << reason;                            \
    } while (0)

// Bounds for a loaded 2-core machine; a quiet one shows the window within
// 2 s and the page back within 1 s (the figures are printed).
constexpr double WindowDeadline = 8.0;
constexpr double BackDeadline = 5.0;

struct MenuSize {
    int W, H;
};
const MenuSize Sizes[] = {{800, 600}, {1280, 720}};

using Clock = std::chrono::steady_clock;
double SecondsSince(Clock::time_point t) { return std::chrono::duration<double>(Clock::now() - t).count(); }

RgbaImage Reference(MenuSize size, const std::string& page) { return e2e::ReferencePicture(size.W, size.H, page); }

// The window id sway's back end reads: none, it reads the whole output.
const std::string Output;

// The output's scale for one test, set back to 1 however it ends.
struct OutputScale {
    explicit OutputScale(int scale) { sway::Command("output * scale " + std::to_string(scale)); }
    ~OutputScale() { sway::Command("output * scale 1"); }
};

// Where the window shows the menu's picture, in grim's pixels: stretched over
// the whole window (ScreenS = 1) in modes 1 and 2; full screen the largest
// box of the picture's shape, centred.
Box PictureBox(const sway::Window& w, int mode, MenuSize size) {
    const double s = sway::OutputScale();
    Box box{int(std::lround(w.X * s)), int(std::lround(w.Y * s)), int(std::lround(w.W * s)), int(std::lround(w.H * s))};
    return mode == 3 ? e2e::Letterbox(box, size.W, size.H) : box;
}

bool AnythingLit(const RgbaImage& screen, const Box& box) {
    for (int y = std::max(box.Y, 0); y < std::min(box.Y + box.H, screen.height); ++y)
        for (int x = std::max(box.X, 0); x < std::min(box.X + box.W, screen.width); ++x) {
            const uint8_t* p = &screen.pixels[(size_t(y) * screen.width + x) * 4];
            if (p[0] | p[1] | p[2]) return true;
        }
    return false;
}

// Full screen keeps the picture's shape (its dividers' aspect as the
// reference's), centred on black.
void ExpectShapeKept(const std::string& what, const RgbaImage& screen, const Box& box, const RgbaImage& reference) {
    const double want = sway::DividerAspect(reference), got = sway::DividerAspect(screen);
    EXPECT_NEAR(got / want, 1.0, 0.04) << what << ": the dividers' aspect is " << got << ", the menu's own " << want
                                       << " (the picture is stretched)";
    EXPECT_TRUE(e2e::BlackOutside(screen, box.X, box.Y, box.W, box.H)) << what << ": the border is not black";
}

// The menu started in English at `size` in screen mode `mode` on `driver`'s
// side (SDL's driver through the environment it inherits, and the harness's
// back end for it, both set back when the test ends), in a folder named for
// the driver and `name`; its window once sway lists it, and the seconds that
// took (-1 when none appears within 20 s).
struct Started {
    int Mode;
    MenuSize Size;
    std::string What;   // the case, for the failure messages
    e2e::Program Program;
    sway::Window Window;
    double Seconds = -1;

    Started(Driver driver, int mode, MenuSize size, const std::string& name)
        : Mode(mode), Size(size),
          What(std::string(driver == Driver::Wayland ? "native" : "XWayland") + ", mode " + std::to_string(mode) +
               ", " + std::to_string(size.W) + " x " + std::to_string(size.H)) {
        setenv("SDL_VIDEODRIVER", driver == Driver::Wayland ? "wayland" : "x11", 1);
        e2e::UseBackend(sway::BackendFor(driver));
        const std::string dir = e2e::MenuFolder(
            (driver == Driver::Wayland ? "wayland-" : "xwayland-") + name,
            {"[Screen]", "ScreenW = " + std::to_string(size.W), "ScreenH = " + std::to_string(size.H), "ScreenS = 1",
             "[Settings]", "settings.screenmode = " + std::to_string(mode), "settings.language = English"});
        sway::ParkPointer();
        const auto start = Clock::now();
        Program = e2e::Start(dir);
        if (e2e::WaitUntil([&] { return (Window = sway::VisibleWindowOf(Program.Pid)).Id != 0; }, 20))
            Seconds = SecondsSince(start);
    }
    ~Started() {
        unsetenv("SDL_VIDEODRIVER");
        e2e::UseBackend(e2e::XBackend());
    }
    // The picture's box in the window as sway lists it now.
    Box Shown() const { return PictureBox(sway::VisibleWindowOf(Program.Pid), Mode, Size); }
    // The screen as it is now, kept in the program's folder for a failure's message.
    std::string Kept(const std::string& name) const {
        const std::string path = Program.Dir + "/" + name + ".png";
        e2e::Run("grim " + path);
        return "; the screen is " + path;
    }
};

// [SECTION] Every mode, both sizes, native and through XWayland

class WaylandDesktop : public ::testing::TestWithParam<std::tuple<Driver, int, int>> {};

TEST_P(WaylandDesktop, ShowsDrivesAndKeepsTheMenuAcrossAFocusRound) {
    NEED_SWAY();
    const Driver driver = std::get<0>(GetParam());
    const MenuSize size = Sizes[std::get<1>(GetParam())];
    const int mode = std::get<2>(GetParam());
    Started s(driver, mode, size, std::to_string(mode) + "-" + std::to_string(size.W));
    const std::string& what = s.What;
    ASSERT_GE(s.Seconds, 0) << what << ": no window appears";
    std::printf("[ figure   ] %s: window after %.2f s\n", what.c_str(), s.Seconds);
    EXPECT_LE(s.Seconds, WindowDeadline) << what << ": the window took " << s.Seconds << " s";

    // The window says which program it is, as the desktop entry does.
    const std::string id = driver == Driver::Wayland ? s.Window.AppId : s.Window.XClass;
    EXPECT_TRUE(id == sway::DesktopWmClass() || id == sway::DesktopId())
        << what << ": the window's " << (driver == Driver::Wayland ? "app id " : "X class ") << id
        << " is neither the desktop entry's StartupWMClass " << sway::DesktopWmClass() << " nor its name "
        << sway::DesktopId();

    // The first drawn frame, then the pointer where the reference pictures
    // have it, then one steady picture. (A window is listed at once, full
    // screen or not: the box is read again once the screen is at rest.)
    Box box;
    RgbaImage rest;
    ASSERT_TRUE(e2e::WaitForSettled(Output, [&](const RgbaImage& screen) {
        box = s.Shown();
        return AnythingLit(screen, box);
    })) << what << ": the window never shows a drawn frame";
    // The program's pointer starts at (400, 300).
    sway::PointerOnto(sway::VisibleWindowOf(s.Program.Pid), box, size.W, size.H, 400, 300);
    e2e::PointerToRest(size.W);
    ASSERT_TRUE(e2e::WaitUntilSettled(Output, &rest)) << what << ": the screen never comes to rest";
    box = s.Shown();
    for (int read = 0; read < 8; ++read) {
        RgbaImage again;
        ASSERT_TRUE(e2e::Picture(Output, again));
        ASSERT_EQ(again.pixels, rest.pixels) << what << ": the picture at rest changed";
        e2e::Sleep(0.05);   // the interval of the reads, not a wait for the program
    }
    EXPECT_TRUE(e2e::ShowsPicture(rest, box, Reference(size, "main")))
        << what << ": the main page is not the reference picture in the window's box (" << box.X << ", " << box.Y
        << ", " << box.W << " x " << box.H << ")" << s.Kept("main");

    if (mode == 3) {
        ExpectShapeKept(what, rest, box, Reference(size, "main"));
        int left = 0, right = 0;
        EXPECT_TRUE(sway::DividerSpan(rest, left, right) && std::abs(left + right - rest.width) <= rest.width / 100)
            << what << ": the picture is not centred (dividers from " << left << " to " << right << ")";
    }

    // A hotkey opens Credits; a click on Options in the main row opens Options.
    const auto shows = [&](const std::string& name) {
        return [&, name](const RgbaImage& screen) { return e2e::ShowsPicture(screen, box, Reference(size, name)); };
    };
    const std::string credits = e2e::RedLetterKey(EnglishWords, LabelCredits);
    ASSERT_TRUE(e2e::Press(credits)) << what << ": the key " << credits << " showed nothing new";
    RgbaImage page;
    EXPECT_TRUE(e2e::WaitForSettled(Output, shows("credits"), &page))
        << what << ": after the key " << credits << " the screen is not the Credits page" << s.Kept("credits");
    const e2e::ScreenPoint options = e2e::Middle(e2e::LayoutAt(size.W, size.H).OptionsBox);
    EXPECT_TRUE(e2e::ClickAt(options.X, options.Y)) << what << ": the click showed nothing new" << s.Kept("click");
    e2e::PointerToRest(size.W);
    ASSERT_TRUE(e2e::WaitForSettled(Output, shows("options"), &page))
        << what << ": after the click on Options the screen is not the Options page" << s.Kept("options");

    // Focus rounds: another workspace and back; another workspace, then the
    // game's window focused from there. The same page comes back.
    const RgbaImage shown = e2e::PictureInBox(page, box.X, box.Y, box.W, box.H, box.W, box.H);
    const auto showsPage = [&](const RgbaImage& screen, const Box& in) {
        return e2e::AgreementInBox(screen, in, shown, 24) >= 0.998;
    };
    auto round = [&](const std::string& back) {
        ASSERT_TRUE(sway::Command("workspace 2"));
        ASSERT_TRUE(e2e::WaitForSettled(Output, [&](const RgbaImage& screen) { return !showsPage(screen, box); }))
            << what << ": the page stays on the screen on workspace 2 (or the game took it back by itself)"
            << s.Kept("away");
        const auto start = Clock::now();
        ASSERT_TRUE(sway::Command(back));
        sway::Window w;
        const bool isBack = e2e::WaitUntil([&] {
            w = sway::VisibleWindowOf(s.Program.Pid);
            RgbaImage screen;
            return w.Id != 0 && e2e::Picture(Output, screen) && showsPage(screen, PictureBox(w, mode, size));
        }, 20);
        ASSERT_TRUE(isBack) << what << ": after '" << back << "' the page is not back" << s.Kept("back");
        const double seconds = SecondsSince(start);
        std::printf("[ figure   ] %s: back %.2f s after '%s'\n", what.c_str(), seconds, back.c_str());
        EXPECT_LE(seconds, BackDeadline) << what << ": the page took " << seconds << " s to come back";
        box = PictureBox(w, mode, size);
        ASSERT_TRUE(e2e::WaitForSettled(Output, [&](const RgbaImage& screen) { return showsPage(screen, box); }))
            << what << ": the page came back but did not stay";
    };
    round("workspace 1");
    if (HasFatalFailure()) return;
    round("[title=\"^Veldrune$\"] focus");
    if (HasFatalFailure()) return;

    // Keys still reach it: back to the main page, and Escape there ends it.
    EXPECT_TRUE(e2e::Press("Escape")) << what << ": Escape on the Options page showed nothing new";
    e2e::Key("Escape");
    EXPECT_EQ(e2e::WaitExit(s.Program), 0) << what << ": Escape on the main page did not end the program";
}

std::string DriverName(const ::testing::TestParamInfo<Driver>& info) {
    return info.param == Driver::Wayland ? "Native" : "XWayland";
}

std::string DesktopName(const ::testing::TestParamInfo<std::tuple<Driver, int, int>>& info) {
    static const char* const modes[] = {"", "Framed", "Borderless", "FullScreen"};
    return DriverName({std::get<0>(info.param), 0}) + "_" + modes[std::get<2>(info.param)] + "_" +
           (std::get<1>(info.param) ? "1280x720" : "800x600");
}

INSTANTIATE_TEST_SUITE_P(ModesAndSizes, WaylandDesktop,
                         ::testing::Combine(::testing::Values(Driver::Wayland, Driver::XWayland),
                                            ::testing::Values(0, 1), ::testing::Values(1, 2, 3)),
                         DesktopName);

// [SECTION] An output with scale 2

class WaylandScale2 : public ::testing::TestWithParam<Driver> {};

TEST_P(WaylandScale2, FullScreenFillsTheOutputAsAtScale1) {
    NEED_SWAY();
    OutputScale scale(2);
    ASSERT_EQ(sway::OutputScale(), 2.0);
    Started s(GetParam(), 3, {800, 600}, "scale2");
    const std::string what = s.What + ", output scale 2";
    ASSERT_GE(s.Seconds, 0) << what << ": no window appears";
    RgbaImage rest;
    Box box;
    ASSERT_TRUE(e2e::WaitForSettled(Output, [&](const RgbaImage& screen) {
        box = s.Shown();
        return AnythingLit(screen, box) && box.H == 720;
    }, &rest)) << what << ": the window never shows a drawn frame filling the output's height";
    EXPECT_EQ(rest.width, 1280) << "grim reads the output in its own pixels";
    EXPECT_EQ(box.W * 720, box.H * 960) << what << ": the picture's box is " << box.W << " x " << box.H;
    // The pointer is wherever the start put it: the reference differs there alone.
    const RgbaImage main = Reference(s.Size, "main");
    EXPECT_GE(e2e::AgreementInBox(rest, box, main, 48), 0.99)
        << what << ": the main page is not the reference picture filling the output" << s.Kept("scale2");
    ExpectShapeKept(what, rest, box, main);
    e2e::Key("Escape");
    EXPECT_EQ(e2e::WaitExit(s.Program), 0);
}

INSTANTIATE_TEST_SUITE_P(NativeAndXWayland, WaylandScale2, ::testing::Values(Driver::Wayland, Driver::XWayland),
                         DriverName);

// [SECTION] The desktop's full-screen toggle

// Whether the screen outside the window's box (widened by sway's border,
// and its title bar above) is the desktop's own colour, the one at its
// top-left corner: nothing of the program is drawn there. The desktop's
// pointer, parked in a corner, may differ (a few hundred pixels).
bool DesktopOutside(const RgbaImage& screen, const Box& window) {
    const uint8_t* desk = &screen.pixels[0];
    size_t outside = 0, other = 0;
    for (int y = 0; y < screen.height; ++y)
        for (int x = 0; x < screen.width; ++x) {
            if (x >= window.X - 4 && x < window.X + window.W + 4 && y >= window.Y - 40 && y < window.Y + window.H + 4)
                continue;
            const uint8_t* p = &screen.pixels[(size_t(y) * screen.width + x) * 4];
            ++outside;
            if (std::abs(p[0] - desk[0]) > 8 || std::abs(p[1] - desk[1]) > 8 || std::abs(p[2] - desk[2]) > 8) ++other;
        }
    return other * 200 < outside;
}

class WaylandToggle : public ::testing::TestWithParam<Driver> {};

// sway's fullscreen toggle (mod+f) takes full screen away: the page shows
// whole at its own size in the window sway gives it, nothing drawn beside
// it; the same toggle gives full screen back, the page over the output.
TEST_P(WaylandToggle, TakenAwayAndGivenBackTheWindowShowsThePageWhole) {
    NEED_SWAY();
    Started s(GetParam(), 3, {800, 600}, "toggle");
    const std::string& what = s.What;
    ASSERT_GE(s.Seconds, 0) << what << ": no window appears";
    const RgbaImage main = Reference(s.Size, "main");
    const std::string toggle = "[pid=" + std::to_string(s.Program.Pid) + "] fullscreen toggle";
    auto fillsOutput = [&](const RgbaImage& screen) {
        const Box box = s.Shown();
        return box.H == screen.height && e2e::AgreementInBox(screen, box, main, 48) >= 0.99 &&
               e2e::BlackOutside(screen, box.X, box.Y, box.W, box.H);
    };
    ASSERT_TRUE(e2e::WaitForSettled(Output, fillsOutput))
        << what << ": full screen never shows the main page" << s.Kept("toggle-start");

    ASSERT_TRUE(sway::Command(toggle));
    sway::Window w;
    EXPECT_TRUE(e2e::WaitForSettled(Output, [&](const RgbaImage& shown) {
        w = sway::VisibleWindowOf(s.Program.Pid);
        const Box box{w.X, w.Y, w.W, w.H};
        return w.W == s.Size.W && w.H == s.Size.H && e2e::AgreementInBox(shown, box, main, 24) >= 0.99 &&
               DesktopOutside(shown, box);
    })) << what << ": taken away, the window (" << w.W << " x " << w.H
        << ") does not show the page whole, or the program draws beside it" << s.Kept("toggle-off");

    ASSERT_TRUE(sway::Command(toggle));
    EXPECT_TRUE(e2e::WaitForSettled(Output, fillsOutput))
        << what << ": given back, full screen does not show the main page over the output" << s.Kept("toggle-on");
    e2e::Key("Escape");
    EXPECT_EQ(e2e::WaitExit(s.Program), 0);
}

INSTANTIATE_TEST_SUITE_P(NativeAndXWayland, WaylandToggle, ::testing::Values(Driver::Wayland, Driver::XWayland),
                         DriverName);

}  // namespace
