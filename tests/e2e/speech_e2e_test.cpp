// The real program's speech: what it sends to the speech service, read by a
// stand-in server on speech-dispatcher's socket (what is said, in which
// language, how soon after the key); the desktop's screen-reader switch on a
// private session bus with the desktop's own accessibility service, flipped
// while the menu runs; a speech server that never answers; and real speech,
// speech-dispatcher with espeak-ng into the test's null-sink sound server,
// recorded: words when on, silence when off.
#include <gtest/gtest.h>

#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "e2e_support.h"
#include "menu_layout.h"

using namespace e2e;
using Clock = std::chrono::steady_clock;

namespace {

// [SECTION] A stand-in speech server

// Answers SSIP as speech-dispatcher does and keeps what it was asked to say.
// With Silent set it takes connections and never answers (a hung server).
class StandInSpeechServer {
public:
    struct Words {
        std::string Language, Text;
        Clock::time_point When;
    };
    explicit StandInSpeechServer(const std::string& dir, bool silent = false) : Silent(silent) {
        Path = dir + "/speechd.sock";
        Listener = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, Path.c_str(), sizeof address.sun_path - 1);
        bind(Listener, reinterpret_cast<sockaddr*>(&address), sizeof address);
        listen(Listener, 8);
        Thread = std::thread([this] { Serve(); });
    }
    ~StandInSpeechServer() {
        Stop = true;
        Thread.join();
        close(Listener);
        unlink(Path.c_str());
    }
    std::string Address() const { return "unix_socket:" + Path; }
    std::vector<Words> Said() {
        std::lock_guard<std::mutex> lock(Lock);
        return SaidSoFar;
    }
    int Cancels() { return CancelCount.load(); }
    bool WaitForWords(size_t count, double seconds = 20) {
        return WaitUntil([&] { return Said().size() >= count; }, seconds);
    }

private:
    struct Client {
        int Fd = -1;
        std::string Input, Language, Text;
        bool Receiving = false;   // between SPEAK and the lone dot that ends the text
    };
    void Reply(Client& c, const std::string& lines) {
        if (!Silent) (void)!write(c.Fd, lines.data(), lines.size());
    }
    void Line(Client& c, std::string line) {
        if (c.Receiving) {
            if (line == ".") {
                c.Receiving = false;
                {
                    std::lock_guard<std::mutex> lock(Lock);
                    SaidSoFar.push_back({c.Language, c.Text, Clock::now()});
                }
                Reply(c, "225-" + std::to_string(++Messages) + "\r\n225 OK MESSAGE QUEUED\r\n");
            } else {
                if (line.rfind("..", 0) == 0) line.erase(0, 1);   // a leading dot is sent doubled
                c.Text += (c.Text.empty() ? "" : "\n") + line;
            }
            return;
        }
        // Commands are read whatever their case ("speak", "SET SELF ...").
        std::string command = line;
        for (char& ch : command) ch = char(std::toupper(static_cast<unsigned char>(ch)));
        if (command == "SPEAK") {
            c.Receiving = true;
            c.Text.clear();
            Reply(c, "230 OK RECEIVING DATA\r\n");
        } else if (command.rfind("SET SELF LANGUAGE ", 0) == 0) {
            c.Language = line.substr(18);
            Reply(c, "201 OK LANGUAGE SET\r\n");
        } else if (command.rfind("CANCEL", 0) == 0 || command.rfind("STOP", 0) == 0) {
            ++CancelCount;
            Reply(c, "210 OK CANCELED\r\n");
        } else if (command == "QUIT") {
            Reply(c, "231 HAPPY HACKING\r\n");
        } else {
            Reply(c, "208 OK\r\n");
        }
    }
    void Serve() {
        std::vector<Client> clients;
        while (!Stop) {
            std::vector<pollfd> fds{{Listener, POLLIN, 0}};
            for (Client& c : clients) fds.push_back({c.Fd, POLLIN, 0});
            if (poll(fds.data(), fds.size(), 50) <= 0) continue;
            if (fds[0].revents & POLLIN) {
                clients.emplace_back();
                clients.back().Fd = accept4(Listener, nullptr, nullptr, SOCK_CLOEXEC);
            }
            for (size_t i = 1; i < fds.size(); ++i) {
                if (!fds[i].revents) continue;
                Client& c = clients[i - 1];
                char buffer[4096];
                const ssize_t n = read(c.Fd, buffer, sizeof buffer);
                if (n <= 0) {
                    close(c.Fd);
                    c.Fd = -1;
                    continue;
                }
                c.Input.append(buffer, size_t(n));
                for (size_t end; (end = c.Input.find("\r\n")) != std::string::npos; c.Input.erase(0, end + 2))
                    Line(c, c.Input.substr(0, end));
            }
            std::erase_if(clients, [](const Client& c) { return c.Fd < 0; });
        }
        for (Client& c : clients) close(c.Fd);
    }
    std::string Path;
    int Listener = -1;
    bool Silent;
    std::atomic<bool> Stop{false};
    std::thread Thread;
    std::mutex Lock;
    std::vector<Words> SaidSoFar;
    std::atomic<int> CancelCount{0};
    int Messages = 0;
};

std::vector<std::string> Texts(const std::vector<StandInSpeechServer::Words>& said) {
    std::vector<std::string> texts;
    for (const auto& w : said) texts.push_back(w.Language + ": " + w.Text);
    return texts;
}

// A windowed 800 x 600 menu in the folder `dir` with these [Settings] lines,
// the speech service (and session bus) named in `env`.
Program StartSpeaking(const std::string& dir, const std::vector<std::string>& settings, const Environment& env) {
    std::vector<std::string> lines = PinnedFontSettings(dir);
    lines.insert(lines.end(), {"[Screen]", "ScreenW = 800", "ScreenH = 600", "[Settings]", "settings.screenmode = 1"});
    lines.insert(lines.end(), settings.begin(), settings.end());
    WriteFile(dir + "/Veldrune.cfg", SettingsText(lines));
    return Start(dir, "", env);
}

// [SECTION] What is said

TEST(SpeechE2e, SaysThePageThenEachItemReachedInItsLanguageSoonAfterTheKey) {
    NEED_DISPLAY();
    const std::string dir = MakeWorkDir("speech-said");
    StandInSpeechServer server(dir);
    Program p = StartSpeaking(dir, {"settings.speech = 1"}, {{"SPEECHD_ADDRESS", server.Address()}});
    ASSERT_NE(WaitForWindow(), "");
    ASSERT_TRUE(server.WaitForWords(1)) << "nothing said at the start";
    EXPECT_EQ(Texts(server.Said()), std::vector<std::string>{"de: Hauptmenü"});

    const auto pressed = Clock::now();
    Key("Right");
    ASSERT_TRUE(server.WaitForWords(2));
    const double ms = std::chrono::duration<double, std::milli>(server.Said()[1].When - pressed).count();
    std::printf("key to words at the speech server: %.1f ms (the key's hold of 80 ms included)\n", ms);
    Key("Right");
    Key("Right");
    ASSERT_TRUE(server.WaitForWords(4));
    Key(RedLetterKey(GermanWords, LabelCredits));
    ASSERT_TRUE(server.WaitForWords(5));
    EXPECT_EQ(Texts(server.Said()),
              (std::vector<std::string>{"de: Hauptmenü", "de: Neues Spiel", "de: Spiel Laden", "de: Optionen",
                                        "de: Mitwirkende. Projektleitung. Talvenor. Programmierung. Talvenor. "
                                        "Quorvath. Optionen"}));
    EXPECT_GE(server.Cancels(), 4) << "each utterance cuts off the one before";
    // The last page was asked for by a key the test did not wait on, so
    // Escape is not waited on either: the second one ends the program.
    Key("Escape");
    Key("Escape");
    EXPECT_EQ(WaitExit(p), 0);
}

// [SECTION] The desktop's switch

// A private session bus with the desktop's accessibility service on it, as
// GNOME and KDE run it; the switch is flipped as their shortcut does.
class PrivateSessionBus {
public:
    explicit PrivateSessionBus(bool withAccessibility = true) {
        const std::string out = e2e::Run("dbus-daemon --session --fork --print-address=1 --print-pid=1 --nopidfile");
        const size_t newline = out.find('\n');
        if (newline == std::string::npos) return;
        Address = out.substr(0, newline);
        DaemonPid = std::atoi(out.c_str() + newline + 1);
        if (!withAccessibility) {
            Ready = true;
            return;
        }
        Launcher = e2e::Run("DBUS_SESSION_BUS_ADDRESS='" + Address +
                       "' sh -c '/usr/libexec/at-spi-bus-launcher >/dev/null 2>&1 & echo $!'");
        // It starts as the desktop's settings say; the test starts from off.
        Ready = WaitUntil([&] { return Read().rfind("(<", 0) == 0; }, 10);
        if (Ready) Flip(false);
        Ready = Ready && WaitUntil([&] { return Read() == "(<false>,)"; }, 5);
    }
    ~PrivateSessionBus() {
        if (!Launcher.empty()) kill(std::atoi(Launcher.c_str()), SIGTERM);
        if (DaemonPid > 0) kill(DaemonPid, SIGTERM);
    }
    std::string Gdbus(const std::string& method, const std::string& args) {
        return e2e::Run("DBUS_SESSION_BUS_ADDRESS='" + Address +
                   "' gdbus call --session --dest org.a11y.Bus --object-path /org/a11y/bus --method "
                   "org.freedesktop.DBus.Properties." + method + " org.a11y.Status ScreenReaderEnabled " + args +
                   " 2>/dev/null");
    }
    std::string Read() { return Gdbus("Get", ""); }
    void Flip(bool on) { Gdbus("Set", on ? "'<true>'" : "'<false>'"); }
    std::string Address, Launcher;
    int DaemonPid = -1;
    bool Ready = false;
};

TEST(SpeechE2e, FollowsTheDesktopsScreenReaderSwitchWhileTheMenuRuns) {
    NEED_DISPLAY();
    if (access("/usr/libexec/at-spi-bus-launcher", X_OK) != 0) GTEST_SKIP() << "no at-spi-bus-launcher";
    const std::string dir = MakeWorkDir("speech-switch");
    StandInSpeechServer server(dir);
    PrivateSessionBus bus;
    ASSERT_TRUE(bus.Ready) << "the private bus or its accessibility service did not come up";
    Program p = StartSpeaking(dir, {"settings.language = English"},
                              {{"SPEECHD_ADDRESS", server.Address()}, {"DBUS_SESSION_BUS_ADDRESS", bus.Address}});
    ASSERT_NE(WaitForWindow(), "");
    Key("Right");
    ASSERT_TRUE(WaitUntil([&] { return IsRunning(p); }, 1));
    EXPECT_TRUE(server.Said().empty()) << "the screen reader is off: nothing is said";

    const auto flipped = Clock::now();
    bus.Flip(true);
    ASSERT_TRUE(server.WaitForWords(1, 10)) << "the switch turned on, and nothing was said";
    std::printf("switch on to words: %.0f ms\n",
                std::chrono::duration<double, std::milli>(server.Said()[0].When - flipped).count());
    EXPECT_LT(server.Said()[0].When - flipped, std::chrono::seconds(1));
    EXPECT_EQ(Texts(server.Said()), std::vector<std::string>{"en: Speech on. Main Menu. New Game"});

    const int cancels = server.Cancels();   // read first: the cut may come before gdbus returns
    bus.Flip(false);
    ASSERT_TRUE(WaitUntil([&] { return server.Cancels() > cancels; }, 5)) << "turned off, not cut off";
    Key("Right");
    Key(RedLetterKey(EnglishWords, LabelCredits));
    ASSERT_TRUE(WaitForWindowState(InputWindow(), WindowState::Focused));
    EXPECT_EQ(server.Said().size(), 1u) << "the switch is off: nothing more is said";
    Key("Escape");
    Key("Escape");
    EXPECT_EQ(WaitExit(p), 0);
}

// A bus without the desktop's accessibility service is off, and asking it
// starts no such service (the bus could start one for whoever asks).
TEST(SpeechE2e, ABusWithoutTheSwitchIsOffAndGetsNoServiceStarted) {
    NEED_DISPLAY();
    const std::string dir = MakeWorkDir("speech-bare-bus");
    StandInSpeechServer server(dir);
    PrivateSessionBus bus(/*withAccessibility=*/false);
    ASSERT_TRUE(bus.Ready);
    Program p = StartSpeaking(dir, {}, {{"SPEECHD_ADDRESS", server.Address()}, {"DBUS_SESSION_BUS_ADDRESS", bus.Address}});
    ASSERT_NE(WaitForWindow(), "");
    EXPECT_TRUE(Press(RedLetterKey(GermanWords, LabelOptions)));
    EXPECT_EQ(e2e::Run("DBUS_SESSION_BUS_ADDRESS='" + bus.Address +
                       "' gdbus call --session --dest org.freedesktop.DBus --object-path /org/freedesktop/DBus "
                       "--method org.freedesktop.DBus.NameHasOwner org.a11y.Bus 2>&1"),
              "(false,)")
        << "asking for the switch started the desktop's accessibility service";
    EXPECT_TRUE(server.Said().empty());
    Key("Escape");
    Key("Escape");
    EXPECT_EQ(WaitExit(p), 0);
}

// [SECTION] No answer, no trouble

TEST(SpeechE2e, ASpeechServerThatNeverAnswersHoldsNothingUp) {
    NEED_DISPLAY();
    const std::string dir = MakeWorkDir("speech-hung");
    StandInSpeechServer server(dir, /*silent=*/true);
    Program p = StartSpeaking(dir, {"settings.speech = 1"}, {{"SPEECHD_ADDRESS", server.Address()}});
    ASSERT_NE(WaitForWindow(), "");
    EXPECT_TRUE(Press(RedLetterKey(GermanWords, LabelOptions))) << "the menu does not answer the player";
    const auto quit = Clock::now();
    Key("Escape");
    Key("Escape");
    EXPECT_EQ(WaitExit(p, 10), 0);
    const double seconds = std::chrono::duration<double>(Clock::now() - quit).count();
    std::printf("quit with a hung speech server: %.2f s from the first Escape\n", seconds);
    EXPECT_LT(seconds, 3.0) << "the end waited for the speech server";
}

// [SECTION] Real speech

// speech-dispatcher, started by the program itself where none runs, speaks
// through espeak-ng into the test's null-sink sound server, recorded, so
// where the words begin is read in the sound: the first 20 ms window from
// frame `from` on that is loud, -1 none.
long FirstLoud(const std::string& file, long from) {
    const Sound sound = ReadSound(file);
    constexpr long Window = SoundRate / 50;
    for (long at = std::max(0L, from); at + Window <= sound.Frames(); at += Window)
        if (sound.Rms(at, at + Window) > 0.01) return at;
    return -1;
}

TEST(SpeechE2e, RealSpeechIsHeardWhenOnAndNothingWhenOff) {
    NEED_DISPLAY();
    const char* pulse = std::getenv("VELDRUNE_TEST_PULSE_SERVER");
    if (!pulse || access("/usr/bin/speech-dispatcher", X_OK) != 0 || access("/usr/bin/parec", X_OK) != 0)
        GTEST_SKIP() << "needs the test sound server, speech-dispatcher and parec";
    const std::string dir = MakeWorkDir("speech-real");
    const std::string runtime = dir + "/run";
    e2e::Run("mkdir -p -m 700 '" + runtime + "'");
    const Environment env = {{"XDG_RUNTIME_DIR", runtime}, {"PULSE_SERVER", pulse}, {"SPEECHD_ADDRESS", ""}};
    // Starts the program, waits for its first words to end, presses Right;
    // returns where the next words begin after the key, in ms of sound, or
    // -1 when nothing was heard at all.
    auto pressRight = [&](const std::string& speech, const std::string& file) {
        const std::string sound = dir + "/" + file;
        const pid_t recorder = RecordSink(pulse, sound);
        Program p = StartSpeaking(dir, {"settings.music = 0", "settings.speech = " + speech}, env);
        EXPECT_NE(WaitForWindow(), "");
        double after = -1;
        // The page's name, then a quiet moment.
        if (WaitUntil([&] { return FirstLoud(sound, 0) >= 0; }, 6)) {
            WaitUntil([&] {
                const long n = ReadSound(sound).Frames();
                return n > SoundRate && FirstLoud(sound, n - SoundRate / 2) < 0;
            }, 10);
            const long pressedAt = ReadSound(sound).Frames();
            Key("Right");
            long loud = -1;
            WaitUntil([&] { return (loud = FirstLoud(sound, pressedAt)) >= 0; }, 5);
            if (loud >= 0) after = 1000.0 * double(loud - pressedAt) / SoundRate;
        } else {
            // No words at the start: none after a key either, within the deadline.
            Key("Right");
            if (WaitUntil([&] { return FirstLoud(sound, 0) >= 0; }, 2)) after = 0;
        }
        EXPECT_EQ(EscapeToTheEnd(p), 0);
        EndRecording(recorder);
        return after;
    };
    const double onset = pressRight("1", "on.raw");
    EXPECT_GE(onset, 0) << "speech on, and nothing heard";
    if (onset >= 0) std::printf("key to the words heard in the sound server: %.0f ms\n", onset);
    EXPECT_LT(pressRight("0", "off.raw"), 0) << "speech off, and words heard";
    // The speech server the program started, found by its socket's folder.
    e2e::Run("pkill -f -- '--socket-path " + runtime + "/' 2>/dev/null");
}

}  // namespace
