// The real program's music as a player hears it: what SDL's disk audio
// driver writes (48 kHz float stereo, at the pace of real time) or what a
// sound server's null sink plays. Music when on, silence when off, On and Off
// heard within half a second, silence in the background, and a start without
// any sound server that prints nothing.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "e2e_support.h"
#include "menu_layout.h"

using namespace e2e;

namespace {

constexpr int Rate = SoundRate;
constexpr double Heard = 0.02;      // RMS of the music once faded in is 0.08 .. 0.13
constexpr double Silent = 1e-4;     // RMS of silence as a sound file holds it

// Waits until the last 0.1 s of the file are heard (or silent), as later
// samples arrive; leaves the file as read in `out`.
bool WaitForSound(const std::string& path, bool heard, Sound& out, double timeoutSeconds = 20) {
    return WaitUntil([&] {
        out = ReadSound(path);
        if (out.Frames() < Rate / 10) return false;
        const double rms = out.RmsOfLast(0.1);
        return heard ? rms > Heard : rms < Silent;
    }, timeoutSeconds);
}

// How long the music took to fade out (or in) after frame `from`: from the
// last 20 ms window at its playing level (out) or the first above silence
// (in), to the first silent (out) or playing (in) one. Negative when the
// change is not in the file.
double FadeSeconds(const Sound& sound, long from, bool out, double level) {
    constexpr long Window = Rate / 50;
    long start = -1;
    for (long at = std::max(0L, from - Rate); at + Window <= sound.Frames(); at += Window) {
        const double rms = sound.Rms(at, at + Window);
        if (out) {
            if (at < from || rms > level) {
                if (rms > level) start = at;
                continue;
            }
            if (start >= 0 && rms < Silent) return double(at - start) / Rate;
        } else {
            if (at < from) continue;
            if (start < 0 && rms > Silent) start = at;
            if (start >= 0 && rms > level) return double(at + Window - start) / Rate;
        }
    }
    return -1;
}

// A windowed menu with `settings.music = music` in the fresh folder `name`. By
// default its sound goes to SDL's disk driver, into sound.raw in that folder.
Program StartMusic(const std::string& name, const std::string& music, Environment env = {}) {
    const std::string dir = MenuFolder(name, {"[Settings]", "settings.screenmode = 1", "settings.music = " + music});
    if (env.empty()) env = {{"SDL_AUDIODRIVER", "disk"}, {"SDL_DISKAUDIOFILE", dir + "/sound.raw"}};
    return Start(dir, "", env);
}

// The items at the size these tests start at (their settings name none).
const LayoutTable& Items() {
    static const LayoutTable items = StartLayout();
    return items;
}

// From the main page to the Music page: Options, Sound, Music (the sub
// column is in its home column when Sound is clicked).
bool OpenMusicPage() { return ClickAt(Items().OptionsBox) && ClickAt(Items().SoundBox) && ClickAt(Items().MusicBox); }

}  // namespace

TEST(MusicE2e, PlaysFromTheFirstFrameFadingInAndFadesOutAtTheEnd) {
    NEED_DISPLAY();
    Program p = StartMusic("music-start-end", "1");
    const std::string file = p.Dir + "/sound.raw";
    ASSERT_FALSE(WaitForWindow(20, p.Pid).empty());
    Sound sound;
    ASSERT_TRUE(WaitUntil([&] { sound = ReadSound(file); return sound.Frames() > 3 * Rate; }));
    EXPECT_LT(sound.Rms(0, Rate / 4), 0.5 * sound.Rms(2 * Rate, 3 * Rate)) << "no fade-in";
    EXPECT_GT(sound.Rms(2 * Rate, 3 * Rate), Heard);
    EXPECT_EQ(EscapeToTheEnd(p), 0);
    EXPECT_LT(ReadSound(file).RmsOfLast(0.02), Heard) << "the end is not faded out";
}

TEST(MusicE2e, PlaysWhenOnAndFadesWithinHalfASecondAfterOffAndOn) {
    NEED_DISPLAY();
    Program p = StartMusic("music-on-off", "1");
    const std::string file = p.Dir + "/sound.raw", cfg = p.Dir + "/Veldrune.cfg";
    ASSERT_FALSE(WaitForWindow(20, p.Pid).empty());
    Sound sound;
    ASSERT_TRUE(WaitForSound(file, true, sound)) << "no music from the start";
    ASSERT_TRUE(OpenMusicPage());

    PointerTo(Items().OffBox);
    long clicked = ReadSound(file).Frames();
    const double level = ReadSound(file).RmsOfLast(1.0) * 0.3;
    ClickLeft();
    double fade = -1;
    auto faded = [&](bool out) {
        return WaitUntil([&] {
            sound = ReadSound(file);
            fade = FadeSeconds(sound, clicked, out, level);
            return fade >= 0;
        });
    };
    ASSERT_TRUE(faded(true)) << "Off left the music playing";
    EXPECT_LE(fade, 0.5);
    EXPECT_TRUE(FileHasLine(cfg, "settings.music = 0"));

    PointerTo(Items().OnBox);
    clicked = ReadSound(file).Frames();
    ClickLeft();
    ASSERT_TRUE(faded(false)) << "On brought no music back";
    EXPECT_LE(fade, 0.5);
    EXPECT_TRUE(FileHasLine(cfg, "settings.music = 1"));
}

TEST(MusicE2e, OffOpensNoAudioUntilOnIsChosen) {
    NEED_DISPLAY();
    Program p = StartMusic("music-off", "0");
    const std::string file = p.Dir + "/sound.raw";
    ASSERT_FALSE(WaitForWindow(20, p.Pid).empty());
    ASSERT_TRUE(OpenMusicPage());   // pages drawn and settled: the program ran a while
    EXPECT_FALSE(Exists(file)) << "the audio output was opened with music off";
    ASSERT_TRUE(ClickAt(Items().OnBox));
    Sound sound;
    ASSERT_TRUE(WaitForSound(file, true, sound));
    long heard = 0;
    while (heard < sound.Frames() && sound.Rms(heard, heard + Rate / 50) < Heard) heard += Rate / 50;
    EXPECT_LE(double(heard) / Rate, 0.5) << "the output opens at On, and the music is heard within half a second of it";
}

TEST(MusicE2e, SilentInTheBackgroundBackWhenActivated) {
    NEED_DISPLAY();
    Program p = StartMusic("music-background", "1");
    const std::string file = p.Dir + "/sound.raw", id = WaitForWindow(20, p.Pid);
    ASSERT_FALSE(id.empty());
    Sound sound;
    ASSERT_TRUE(WaitForSound(file, true, sound));
    e2e::MinimiseWindow(id);
    ASSERT_TRUE(WaitForWindowState(id, WindowState::Minimised));
    EXPECT_TRUE(WaitForSound(file, false, sound)) << "music goes on in the background";
    e2e::ActivateWindow(id);
    EXPECT_TRUE(WaitForSound(file, true, sound)) << "no music after coming back";
}

// No driver named, no sound server to reach, no sound card: the menu comes up
// and ends as always, and prints nothing.
TEST(MusicE2e, WithoutAnySoundServerTheMenuRunsSilentlyAndPrintsNothing) {
    NEED_DISPLAY();
    const std::string nowhere = MakeWorkDir("music-nowhere");
    Program p = StartMusic("music-no-server", "1", {{"SDL_AUDIODRIVER", ""}, {"PULSE_SERVER", "unix:" + nowhere + "/no"},
                                                    {"XDG_RUNTIME_DIR", nowhere}});
    ASSERT_FALSE(WaitForWindow(20, p.Pid).empty());
    EXPECT_EQ(EscapeToTheEnd(p), 0);
    EXPECT_EQ(ReadFile(p.Dir + "/stderr.txt"), "");
}

// A real sound server with a null sink, recorded from its monitor: the music
// reaches what a player would hear. tools/test.sh starts the server and names
// its socket in VELDRUNE_TEST_PULSE_SERVER.
TEST(MusicE2e, ASoundServerPlaysTheMusic) {
    NEED_DISPLAY();
    const char* server = std::getenv("VELDRUNE_TEST_PULSE_SERVER");
    if (server == nullptr || *server == '\0') GTEST_SKIP() << "no test sound server (tools/test.sh starts one)";
    Program p = StartMusic("music-server", "1", {{"SDL_AUDIODRIVER", ""}, {"PULSE_SERVER", server}});
    const std::string file = p.Dir + "/heard.raw";
    const pid_t recorder = RecordSink(server, file);
    ASSERT_FALSE(WaitForWindow(20, p.Pid).empty());
    Sound sound;
    EXPECT_TRUE(WaitForSound(file, true, sound)) << "the server's sink heard no music";
    EXPECT_EQ(EscapeToTheEnd(p), 0);
    EndRecording(recorder);
}

namespace {

// A sound server of the test's own (tools/sound_server.sh, as tools/test.sh
// starts the shared one) in its own folder: it can be killed, started again
// on the same socket, or frozen without touching the shared one.
struct PrivateServer {
    std::string Dir;
    ~PrivateServer() { Stop(); }   // also where an assertion ended the test early
    std::string Socket() const { return "unix:" + Dir + "/pulse/native"; }
    Environment Env() const { return {{"SDL_AUDIODRIVER", ""}, {"PULSE_SERVER", Socket()}}; }
    bool Start() const { return e2e::Run(Script + " start " + Dir) == Socket(); }
    pid_t Pid() const { return pid_t(std::atol(ReadFile(Dir + "/pulse/pid").c_str())); }
    void Stop() const { e2e::Run(Script + " stop " + Dir); }
    const std::string Script = std::string(VELDRUNE_SOURCE_DIR) + "/tools/sound_server.sh";
};

double SecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

// The server is missing at the start, only the socket of a crashed one left
// behind; it comes late; it ends (a crash, an update) and comes back on the
// same socket. Each time the music comes by itself, the figures printed.
TEST(MusicE2e, MusicComesBackWhenTheSoundServerDoes) {
    NEED_DISPLAY();
    const PrivateServer server{MakeWorkDir("music-server-restart")};
    // A socket nobody listens on any more: connections to it are refused.
    ASSERT_EQ(mkdir((server.Dir + "/pulse").c_str(), 0700), 0);
    const int stale = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::snprintf(address.sun_path, sizeof address.sun_path, "%s/pulse/native", server.Dir.c_str());
    ASSERT_EQ(bind(stale, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    close(stale);
    Program p = StartMusic("music-server-restart-menu", "1", server.Env());
    ASSERT_FALSE(WaitForWindow(20, p.Pid).empty());
    Sound sound;
    for (const std::string when : {"late", "back"}) {
        if (when == "back") server.Stop();
        ASSERT_TRUE(server.Start()) << "the test's sound server did not start (" << when << ")";
        const auto started = std::chrono::steady_clock::now();
        const std::string file = p.Dir + "/" + when + ".raw";
        const pid_t recorder = RecordSink(server.Socket(), file);
        EXPECT_TRUE(WaitForSound(file, true, sound, 10)) << "no music from a server that came " << when;
        const double seconds = SecondsSince(started);
        std::printf("music %.2f s after the server came %s\n", seconds, when.c_str());
        EXPECT_LE(seconds, 6.0);   // within 3 s; the rest is room for a busy machine
        EndRecording(recorder);
    }
    EXPECT_EQ(EscapeToTheEnd(p), 0);
}

// The quit, timed: with a server that answers and with one that accepts
// connections but never answers (stopped), in the first second while the
// output is opening and later. Each is quick and ends cleanly (the sound
// thread joined, SDL ended: exit code 0).
TEST(MusicE2e, TheQuitIsQuickEvenWithAFrozenSoundServer) {
    NEED_DISPLAY();
    const PrivateServer server{MakeWorkDir("music-server-frozen")};
    ASSERT_TRUE(server.Start());
    for (const bool frozen : {false, true}) {
        if (frozen) {
            ASSERT_EQ(kill(server.Pid(), SIGSTOP), 0);
        }
        for (const double wait : {0.0, 3.0}) {
            Program p = StartMusic("music-server-frozen-menu", "1", server.Env());
            ASSERT_FALSE(WaitForWindow(20, p.Pid).empty());
            if (wait > 0) WaitUntil([] { return false; }, wait);   // past the open and its time limit
            Key("Escape");
            const auto pressed = std::chrono::steady_clock::now();
            EXPECT_EQ(WaitExit(p), 0);
            const double seconds = SecondsSince(pressed);
            std::printf("quit %.2f s, %s server, %.0f s after the window\n", seconds, frozen ? "frozen" : "live", wait);
            EXPECT_LT(seconds, 1.0) << "the sound thread held up the end";   // 0.5 s; room for a busy machine
        }
    }
}

// On chosen inside Off's fade: the music turns back from where the fade had
// got to and rises again, neither silent in between nor back at full at once.
TEST(MusicE2e, OnInsideTheOffFadeFadesInFromWhereTheMusicIs) {
    NEED_DISPLAY();
    Program p = StartMusic("music-turn", "1");
    const std::string file = p.Dir + "/sound.raw";
    ASSERT_FALSE(WaitForWindow(20, p.Pid).empty());
    Sound sound;
    ASSERT_TRUE(WaitForSound(file, true, sound));
    ASSERT_TRUE(OpenMusicPage());
    PointerTo(Items().OffBox);
    ASSERT_TRUE(WaitUntil([&] { return ReadSound(file).RmsOfLast(1.0) > Heard; }));
    sound = ReadSound(file);
    const long clicked = sound.Frames();
    const double full = sound.RmsOfLast(1.0);
    // Off, then On once the recording shows the fade half way down (the last
    // 20 ms below half of full), inside the 0.3 s fade.
    ClickLeft();
    ASSERT_TRUE(WaitUntil([&] { return ReadSound(file).RmsOfLast(0.02) < 0.5 * full; }, 5))
        << "Off did not start the fade";
    NudgePointer(0, Middle(Items().OnBox).Y - Middle(Items().OffBox).Y);
    ClickLeft();
    constexpr long Window = Rate / 50;
    ASSERT_TRUE(WaitUntil([&] {
        sound = ReadSound(file);
        return sound.Frames() > clicked + Rate;
    }));
    long lowest = clicked;
    for (long at = clicked; at + Window <= clicked + Rate; at += Window)
        if (sound.Rms(at, at + Window) < sound.Rms(lowest, lowest + Window)) lowest = at;
    const double low = sound.Rms(lowest, lowest + Window), after = sound.Rms(lowest + Window, lowest + 6 * Window);
    std::printf("full %.3f, lowest %.3f, the 0.1 s after it %.3f\n", full, low, after);
    EXPECT_GT(low, Silent) << "the music fell silent and started again";
    EXPECT_LT(after, 0.85 * full) << "the music jumped back to full";
}
