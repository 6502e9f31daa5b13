#!/usr/bin/env python3
"""soak.py — a monkey test of the real program under an X server that is
already running (DISPLAY set; tools/soak.sh provides one).

  soak.py SECONDS PROGRAM windowed|fullscreen REPORT

Random named and unnamed keys (never Escape, so the program is not asked to
end), random relative pointer motion and clicks, the overlay key, the
screenshot key, and every ~20 s the focus taken away by another window and
given back. Every 5 s the resident memory is sampled. In each focus round
the game must give way (its window minimised) and come back when activated
(its window shown with the focus); then it must answer the overlay key (it is
not hung), and then it rests for 3 s on the Control page, which reads the settings file
once a pass: the file's openings count the passes, and more than twice the
display's refresh rate is a spinning loop; the CPU it uses there, on a page
that does not change, must stay below SOAK_IDLE_SHARE of a core (default
0.5). The share of a core it uses while the monkey plays is only reported:
a software GL renders on several cores and may honestly use more than one.
It must never end by itself except through a restart for a new size, whose
new instance is followed. At the end Escape walks back to the main page and
ends it; it must end with code 0, and a sanitizer report in its output
fails the soak.

Nothing here waits for a fixed time: each step waits for what the window,
the screen or the settings file shows, with a deadline (DEADLINE seconds)
that only bounds a failure. The sleeps that remain are a key's or a button's
hold, the monkey's random pace and the spans over which CPU is measured.

Writes a summary to REPORT and exits 1 on any fault.
"""
import ctypes
import os
import random
import re
import shutil
import struct
import subprocess
import sys
import time

from x_readback import DEADLINE, ReadBack, game_window, wait_until, x

HERE = os.path.dirname(os.path.abspath(__file__))

NAMED = list("abcdefghijklmnopqrstuvwxyz0123456789") + [
    "F1", "F2", "F3", "F4", "F5", "F6", "F7", "F8", "F9", "F10", "F11", "F12",
    "space", "Return", "Tab", "Shift_L", "Control_L", "Alt_L", "BackSpace",
]
UNNAMED = ["bracketleft", "semicolon", "minus", "equal", "Insert", "Home", "End",
           "Prior", "Next", "KP_Multiply", "KP_Add", "Menu", "Pause", "comma",
           "slash", "backslash", "Up", "Down", "Left", "Right", "Caps_Lock", "Num_Lock"]

faults = []
notes = []


def fault(message):
    """Records a fault; the soak ends its loop at the first and reports them all."""
    faults.append(message)
    print("soak: FAULT: " + message, flush=True)


def press(key, hold=0.05):
    x("keydown", key)
    time.sleep(hold)
    x("keyup", key)


def click(button=1):
    x("mousedown", str(button))
    time.sleep(0.07)
    x("mouseup", str(button))


def pids_of(binary):
    found = []
    for name in os.listdir("/proc"):
        if not name.isdigit():
            continue
        try:
            if os.readlink("/proc/%s/exe" % name) != binary:
                continue
            with open("/proc/%s/stat" % name) as f:
                state = f.read().rsplit(")", 1)[1].split()[0]
            if state != "Z":
                found.append(int(name))
        except OSError:
            pass
    return sorted(found)


def rss_kb(pid):
    try:
        with open("/proc/%d/status" % pid) as f:
            for line in f:
                if line.startswith("VmRSS:"):
                    return int(line.split()[1])
    except OSError:
        pass
    return None


def cpu_ticks(pid):
    try:
        with open("/proc/%d/stat" % pid) as f:
            fields = f.read().rsplit(")", 1)[1].split()
        return int(fields[11]) + int(fields[12])   # utime + stime
    except OSError:
        return None


def minimised(wid):
    """Whether the window manager holds the window iconic (WM_STATE)."""
    try:
        out = subprocess.run(["xprop", "-id", wid, "WM_STATE"], capture_output=True, text=True,
                             timeout=10).stdout
    except (OSError, subprocess.TimeoutExpired):
        return False
    return "window state: Iconic" in out


def focused(wid):
    return bool(wid) and x("getwindowfocus") == wid


def other_window_focused(process):
    """Whether the soak's other window (xmessage, started as `process`) holds
    the focus; activates it when it is shown without."""
    ids = x("search", "--onlyvisible", "--class", "Xmessage").split()
    if process.poll() is not None or not ids:
        return False
    if not focused(ids[-1]):
        x("windowactivate", "--sync", ids[-1], timeout=5)
    return focused(ids[-1])


def come_back(screen):
    """Activates the game's window until it is shown with the focus and its
    picture has come to rest; False after the deadline."""
    def back():
        wid = game_window()
        if not wid:
            return False
        if not focused(wid) or minimised(wid):
            x("windowactivate", "--sync", wid, timeout=5)
        return focused(wid) and not minimised(wid)
    return wait_until(back, every=0.2) and screen.settled()


IN_OPEN, IN_Q_OVERFLOW = 0x20, 0x4000
IN_CLOSE = 0x08 | 0x10   # both kinds of close, so successive openings are never merged


class FileOpenings:
    """Counts the openings of one file in a folder (inotify)."""

    def __init__(self, folder, name):
        self.libc = ctypes.CDLL(None, use_errno=True)
        self.fd = self.libc.inotify_init1(os.O_NONBLOCK | os.O_CLOEXEC)
        self.name = name.encode()
        self.count = 0
        self.overflowed = False
        if self.fd >= 0:
            self.libc.inotify_add_watch(self.fd, folder.encode(), IN_OPEN | IN_CLOSE)

    def drain(self):
        while self.fd >= 0:
            try:
                data = os.read(self.fd, 65536)
            except BlockingIOError:
                return
            at = 0
            while at + 16 <= len(data):
                _, mask, _, length = struct.unpack_from("iIII", data, at)
                name = data[at + 16:at + 16 + length].rstrip(b"\0")
                if mask & IN_Q_OVERFLOW:
                    self.overflowed = True
                elif mask & IN_OPEN and name == self.name:
                    self.count += 1
                at += 16 + length

    def close(self):
        if self.fd >= 0:
            os.close(self.fd)


def refresh_rate():
    """The display's current refresh rate in Hz; 60 when it reports none."""
    try:
        out = subprocess.run(["xrandr", "--current"], capture_output=True, text=True, timeout=10).stdout
    except (OSError, subprocess.TimeoutExpired):
        out = ""
    m = re.search(r"\s(\d+(?:\.\d+)?)\*", out)
    rate = float(m.group(1)) if m else 0.0
    return rate if rate >= 1 else 60.0


def rest_on_control_page(cfg, pid, hz, screen):
    """Opens the Control page, leaves the program alone for 3 s and returns
    (passes per second, share of a core), or None when it read no settings
    (it was not on a key page)."""
    press("o", 0.08)           # Options, from any page (a capture page takes it as a key and goes back)
    # The Options page ignores its sub column's letters until a delay of
    # frames has passed, which shows nothing: T is pressed until the Control
    # page shows itself by reading the settings file (T is no key there).
    watch = FileOpenings(os.path.dirname(cfg), os.path.basename(cfg))

    def on_control_page():
        press("t", 0.08)
        return wait_until(lambda: watch.drain() or watch.count > 0, 0.5)
    wait_until(on_control_page)
    screen.settled()           # the slide
    watch.drain()
    watch.count = 0
    ticks_from, start = cpu_ticks(pid), time.monotonic()
    while time.monotonic() - start < 3.0:
        time.sleep(0.05)
        watch.drain()
    elapsed = time.monotonic() - start
    ticks_to = cpu_ticks(pid)
    watch.drain()
    watch.close()
    if ticks_from is None or ticks_to is None:
        return None
    passes = float("inf") if watch.overflowed else watch.count / elapsed
    if passes == 0:
        return None
    return passes, (ticks_to - ticks_from) / hz / elapsed


def overlay_flag(cfg):
    try:
        data = open(cfg, "rb").read().decode("utf-8", "replace")
    except OSError:
        return None
    m = re.search(r"\r\nsettings\.debugger = (-?\d+)\r\n", data)
    return m.group(1) if m else "absent"


def main():
    seconds, program, mode, report = float(sys.argv[1]), sys.argv[2], sys.argv[3], sys.argv[4]
    rng = random.Random(os.environ.get("SOAK_SEED", str(int(time.time()))))
    work = subprocess.run(["mktemp", "-d", "/tmp/veldrune-soak.XXXXXX"], capture_output=True,
                          text=True).stdout.strip()
    # A private copy of the program, so that its instances (restarts included)
    # are told apart from every other process by their executable.
    binary = os.path.join(work, "veldrune")
    shutil.copy2(program, binary)
    cfg = os.path.join(work, "Veldrune.cfg")
    screenmode = "3" if mode == "fullscreen" else "1"
    subprocess.run([os.path.join(HERE, "menu_folder.sh"), work, "[Screen]", "ScreenW = 800", "ScreenH = 600",
                    "[Settings]", "settings.screenmode = " + screenmode, "settings.font = DejaVu Sans",
                    "settings.fps = 1"], check=True)
    log = open(os.path.join(work, "program.log"), "wb")
    first = subprocess.Popen([binary], cwd=work, stdout=log, stderr=subprocess.STDOUT)

    hz = os.sysconf("SC_CLK_TCK")
    start = time.monotonic()
    end = start + seconds
    samples = {}          # pid -> [(seconds since the instance was first seen, rss kB)]
    born = {}
    restarts = 0
    focus_rounds = 0
    liveness_checks = 0
    current = first.pid
    born[current] = time.monotonic()
    peak_cpu = 0.0
    actions = 0
    round_growth = []   # kB of resident memory gained across each focus round
    rests = []          # (passes a second, share of a core) of each rest on the Control page
    display_hz = refresh_rate()
    screen = ReadBack()

    # Up with its first frame at rest, and given the keyboard; the clocks of
    # the rounds start from there, so a slow start cannot eat the monkey's time.
    if not wait_until(game_window, 2 * DEADLINE) or not come_back(screen):
        fault("no window of the program came up")
    next_sample = next_focus = next_cpu = time.monotonic()
    next_focus += 20
    cpu_mark = (time.monotonic(), cpu_ticks(current) or 0)

    while time.monotonic() < end and not faults:
        now = time.monotonic()
        alive = pids_of(binary)
        if current not in alive:
            if alive:
                restarts += 1
                current = alive[-1]
                born[current] = now
                cpu_mark = (now, cpu_ticks(current) or 0)
                wait_until(game_window)
                continue
            # A restart may be between the two instances.
            if not wait_until(lambda: pids_of(binary), 5):
                code = first.poll()
                fault("the program ended by itself (exit %s)" % code)
                break
            continue
        if len(alive) > 1 and now - born[current] > 10:
            fault("%d instances running: %s" % (len(alive), alive))

        if now >= next_sample:
            value = rss_kb(current)
            if value:
                samples.setdefault(current, []).append((now - born[current], value))
            next_sample = now + 5
        if now >= next_cpu + 10:
            ticks = cpu_ticks(current)
            if ticks is not None and cpu_mark[1] is not None:
                peak_cpu = max(peak_cpu, (ticks - cpu_mark[1]) / hz / (now - cpu_mark[0]))
            cpu_mark = (now, ticks)
            next_cpu = now

        if now >= next_focus:
            # The round starts from the game at rest with the focus: an
            # instance a restart has just started (slow on a busy machine)
            # would otherwise still be opening, and take the focus from the
            # other window as the window the player just asked for.
            if not come_back(screen):
                fault("the game's window did not hold the focus before focus round %d" % (focus_rounds + 1))
                break
            rss_before_round = rss_kb(current)
            # Another client takes the focus; the game gives way and waits.
            other = subprocess.Popen(["xmessage", "-center", "soak: focus taken"],
                                     stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            # The player clicks it if need be: a window manager may decline to
            # hand a new window the focus (openbox's focus-stealing prevention
            # weighs the focused window's last input against the new map).
            # Activated as a pager would, it should get it; when it cannot,
            # the fault says who keeps the focus.
            if not wait_until(lambda: other_window_focused(other), every=0.2):
                holder = x("getwindowfocus")
                fault("no other window could take the focus in round %d (xmessage %s; the focus is on %s \"%s\", "
                      "the game's window is %s)" % (focus_rounds + 1, "running" if other.poll() is None else "ended",
                                                    holder, x("getwindowname", holder) if holder else "",
                                                    game_window()))
            # Windowed, its window is minimised; full screen, the screen
            # closes and a minimised stand-by window waits.
            if not wait_until(lambda: minimised(game_window()), every=0.1):
                fault("the program did not give way to another window in round %d" % (focus_rounds + 1))
            waiting_from = cpu_ticks(current)
            time.sleep(1.0)    # the span its CPU is measured over while it waits
            waiting_to = cpu_ticks(current)
            if waiting_from is not None and waiting_to is not None and (waiting_to - waiting_from) / hz > 0.3:
                fault("the program used %.2f s of CPU in 1 s while it waited for the focus"
                      % ((waiting_to - waiting_from) / hz))
            other.kill()
            other.wait()
            focus_rounds += 1
            if not come_back(screen):
                fault("the window did not come back with the focus after focus round %d" % focus_rounds)
            # Liveness: the overlay key must reach the file. Pressed again
            # when 3 s pass without an answer (a capture page the monkey left
            # open takes the first press as the key to bind).
            before = overlay_flag(cfg)
            answered = wait_until(lambda: press("grave", 0.08) or
                                  wait_until(lambda: overlay_flag(cfg) != before, 3))
            liveness_checks += 1
            if not answered and current in pids_of(binary):
                fault("no answer to the overlay key after focus round %d (hung?)" % focus_rounds)
            rss_after_round = rss_kb(current)
            if rss_before_round and rss_after_round:
                round_growth.append(rss_after_round - rss_before_round)
            # Spinning: passes far above the display's rate, or a page at
            # rest that still costs a large share of a core.
            rest = rest_on_control_page(cfg, current, hz, screen) if answered else None
            if rest:
                passes, share = rest
                rests.append(rest)
                if passes > 2 * display_hz + 10:
                    fault("%.0f passes a second at rest on a %.0f Hz display (spinning)" % (passes, display_hz))
                if share > float(os.environ.get("SOAK_IDLE_SHARE", "0.5")):
                    fault("the program used %.0f%% of a core on a page at rest" % (share * 100))
            cpu_mark = (time.monotonic(), cpu_ticks(current))
            next_focus = time.monotonic() + 15 + rng.random() * 10
            continue

        roll = rng.random()
        if roll < 0.30:
            press(rng.choice(NAMED))
        elif roll < 0.45:
            press(rng.choice(UNNAMED))
        elif roll < 0.70:
            x("mousemove_relative", "--", str(rng.randint(-300, 300)), str(rng.randint(-300, 300)))
        elif roll < 0.85:
            click(1 if rng.random() < 0.85 else 3)
        elif roll < 0.93:
            press("grave")
        else:
            press("F12")
        actions += 1
        time.sleep(rng.random() * 0.08)

    # The end: Escape walks back to the main page and ends the program.
    ended_cleanly = False
    if not faults:
        come_back(screen)
        # Each Escape is answered by another page (or the end) before the next.
        for _ in range(8):
            if not pids_of(binary):
                break
            before = screen.picture(game_window())
            press("Escape", 0.08)
            wait_until(lambda: not pids_of(binary) or screen.changed_from(before, 0.5))
        wait_until(lambda: not pids_of(binary))
        if pids_of(binary):
            fault("the program did not end on Escape")
        elif current == first.pid:
            code = first.wait()
            ended_cleanly = code == 0
            if code != 0:
                fault("the program ended with code %s" % code)
        else:
            ended_cleanly = True
    for pid in pids_of(binary):
        os.kill(pid, 9)
    if first.poll() is None:
        first.kill()
        first.wait()
    log.close()

    output = open(os.path.join(work, "program.log"), "rb").read().decode("utf-8", "replace")
    reports = re.findall(r"(ERROR: (?:Address|Leak)Sanitizer[^\n]*|runtime error:[^\n]*)", output)
    for r in reports[:5]:
        fault("sanitizer: " + r)

    lines = ["soak (%s): %.0f s, %d actions, %d focus rounds, %d liveness checks, %d restarts, "
             "peak CPU %.0f%% of a core, ended cleanly: %s"
             % (mode, seconds, actions, focus_rounds, liveness_checks, restarts, peak_cpu * 100,
                "yes" if ended_cleanly else "no")]
    if rests:
        lines.append("  at rest on the Control page (%.0f Hz display): %s" % (display_hz, " ".join(
            "%.0f passes/s %.0f%%" % (passes, share * 100) for passes, share in rests)))
    else:
        lines.append("  no rest on the Control page was measured")
    if round_growth:
        lines.append("  RSS across a focus round: %s MB" % " ".join(
            "%+.1f" % (kb / 1024) for kb in round_growth))
    for pid, series in samples.items():
        settled = [kb for t, kb in series if t >= 60]
        first_minute = [kb for t, kb in series if t < 60]
        text = "  instance %d: %d samples, RSS first minute max %.1f MB" % (
            pid, len(series), max(first_minute or [0]) / 1024)
        if len(settled) >= 3:
            spread = (max(settled) - min(settled)) / 1024
            text += ", after it %.1f..%.1f MB (spread %.1f MB)" % (
                min(settled) / 1024, max(settled) / 1024, spread)
            limit = float(os.environ.get("SOAK_RSS_SPREAD_MB", "8"))
            if spread > limit:
                fault("resident memory grew by %.1f MB after the first minute" % spread)
        lines.append(text)
    lines += ["  FAULT: " + f for f in faults]
    with open(report, "a") as f:
        f.write("\n".join(lines) + "\n")
    print("\n".join(lines), flush=True)
    if faults:
        print("soak: the folder is kept at " + work, flush=True)
    else:
        shutil.rmtree(work, ignore_errors=True)
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
