// input_edges.h — the two rules of every input snapshot: what it holds
// ("down now, or pressed since the last poll") and how it tells that a key
// or button was let go ("up now, and seen held by an earlier call"). Plain code
// over the caller's flags, no SDL, so that the real platform and the test
// platform answer KeyReleased and ControllerButtonReleased alike.
#pragma once

// [SECTION] Snapshots

// Held in a snapshot: down now, or gone down since the last poll even if it
// is up again, so a quick tap is never lost. The press's mark is taken.
inline bool TakeHeld(bool down, bool& pressedSincePoll) {
    const bool held = down || pressedSincePoll;
    pressedSincePoll = false;
    return held;
}

// [SECTION] Releases

// One slot. A call that sees it down marks it and says no; the first call that
// sees it up after that clears the mark and says yes. The release is consumed:
// a second call on the same snapshot says no, and a slot nobody asked about
// while it was held never reports its release.
bool TakeRelease(bool down, bool& seenDown);

// Every slot of the arrays at once ("any key"): each is taken as above, so
// all the releases of this snapshot are consumed; true when there was any.
bool TakeAnyRelease(const bool* down, bool* seenDown, int count);
