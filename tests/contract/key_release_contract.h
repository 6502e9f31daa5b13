// key_release_contract.h — the rules KeyReleased keeps on every platform,
// written once and run against each: the SDL platform (tests/x11) and the
// recording platform the game tests drive (tests/game). The menu is written
// against these rules, so the two must not drift apart.
//
// A platform joins with a fixture that has SetKeys(keys): from now on exactly
// these keys are physically down. The contract polls by itself.
#pragma once

#include <gtest/gtest.h>

#include <initializer_list>

#include "platform/platform.h"

template <class Keyboard>
class KeyReleaseContract : public Keyboard {
protected:
    // Exactly these keys down, then one snapshot, as a frame takes it.
    void Hold(std::initializer_list<int> keys) {
        this->SetKeys(keys);
        ASSERT_TRUE(PollKeyboard());
    }
};

TYPED_TEST_SUITE_P(KeyReleaseContract);

TYPED_TEST_P(KeyReleaseContract, NothingIsReleasedBeforeTheFirstSnapshot) {
    this->SetKeys({KeyA});
    EXPECT_FALSE(KeyReleased(KeyA));
    this->SetKeys({});
    EXPECT_FALSE(KeyReleased(KeyA));
    EXPECT_FALSE(KeyReleased(KeyAny));
}

TYPED_TEST_P(KeyReleaseContract, AHeldKeyIsReportedOnceAfterItIsLetGo) {
    this->Hold({KeyReturn});
    EXPECT_FALSE(KeyReleased(KeyReturn)) << "a key held down is not released";
    this->Hold({KeyReturn});
    EXPECT_FALSE(KeyReleased(KeyReturn)) << "still held";
    this->Hold({});
    EXPECT_TRUE(KeyReleased(KeyReturn));
    EXPECT_FALSE(KeyReleased(KeyReturn)) << "a second call in the frame: consumed";
    this->Hold({});
    EXPECT_FALSE(KeyReleased(KeyReturn)) << "and it stays consumed in later frames";
}

TYPED_TEST_P(KeyReleaseContract, AKeyNobodyAskedAboutWhileHeldIsNeverReported) {
    this->Hold({KeyW});
    this->Hold({});
    EXPECT_FALSE(KeyReleased(KeyW));
}

TYPED_TEST_P(KeyReleaseContract, AnyKeyWalksEverySlotAndConsumesEveryRelease) {
    this->Hold({KeyA, KeyRightAlt, KeySlotCount - 1});
    EXPECT_FALSE(KeyReleased(KeyAny)) << "keys down only get their marks";
    this->Hold({KeyRightAlt});
    EXPECT_TRUE(KeyReleased(KeyAny)) << "A and the highest slot came up";
    EXPECT_FALSE(KeyReleased(KeyA)) << "the any-key test consumed A's release";
    EXPECT_FALSE(KeyReleased(KeyAny));
    this->Hold({});
    EXPECT_TRUE(KeyReleased(KeyRightAlt)) << "a key still held kept its mark";
}

TYPED_TEST_P(KeyReleaseContract, AnyKeyTakesTheMarkOfASingleKeysTest) {
    this->Hold({KeySpace});
    EXPECT_FALSE(KeyReleased(KeySpace));   // marks Space only
    this->Hold({});
    EXPECT_TRUE(KeyReleased(KeyAny)) << "Space was seen down by its own test";
    EXPECT_FALSE(KeyReleased(KeySpace)) << "consumed";
}

TYPED_TEST_P(KeyReleaseContract, KeysOutsideTheSlotsAreNeverReleased) {
    this->Hold({});
    EXPECT_FALSE(KeyReleased(KeySlotCount));
    EXPECT_FALSE(KeyReleased(-7));
}

REGISTER_TYPED_TEST_SUITE_P(KeyReleaseContract, NothingIsReleasedBeforeTheFirstSnapshot,
                            AHeldKeyIsReportedOnceAfterItIsLetGo, AKeyNobodyAskedAboutWhileHeldIsNeverReported,
                            AnyKeyWalksEverySlotAndConsumesEveryRelease, AnyKeyTakesTheMarkOfASingleKeysTest,
                            KeysOutsideTheSlotsAreNeverReleased);
