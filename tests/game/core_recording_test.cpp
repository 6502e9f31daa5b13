// core_recording_test.cpp — the recording platform itself: the KeyReleased
// algorithm every page relies on, and the object bookkeeping tests read.
#include <cstdint>
#include <vector>

#include "recording/harness.h"

namespace {

void Hold(std::initializer_list<int> keys) {
    for (bool& down : Rec.KeyDown) down = false;
    for (int key : keys) Rec.KeyDown[key] = true;
    ASSERT_TRUE(PollKeyboard());
}

}  // namespace

// [SECTION] KeyReleased

TEST_F(GameTest, KeyReleasedIsTrueOnceAfterAKeyWasSeenDown) {
    Hold({KeyEscape});
    EXPECT_FALSE(KeyReleased(KeyEscape)) << "a key held down is not released";
    Hold({});
    EXPECT_TRUE(KeyReleased(KeyEscape));
    EXPECT_FALSE(KeyReleased(KeyEscape)) << "the release is consumed by the first call";
    Hold({});
    EXPECT_FALSE(KeyReleased(KeyEscape)) << "and stays consumed in later frames";
}

TEST_F(GameTest, KeyReleasedNeedsACallWhileTheKeyWasDown) {
    Hold({KeyN});   // nobody asks about N while it is held
    Hold({});
    EXPECT_FALSE(KeyReleased(KeyN));
}

TEST_F(GameTest, KeyReleasedIsFalseBeforeTheFirstPollAndAfterAFailedOne) {
    Rec.KeyDown[KeyA] = true;
    EXPECT_FALSE(KeyReleased(KeyA)) << "no snapshot yet";
    Hold({KeyA});
    EXPECT_FALSE(KeyReleased(KeyA));
    Rec.KeyDown[KeyA] = false;
    Rec.PollKeyboardFails = true;
    EXPECT_FALSE(PollKeyboard());
    EXPECT_FALSE(KeyReleased(KeyA)) << "a failed poll makes every release of the frame false";
    Rec.PollKeyboardFails = false;
    Hold({});
    EXPECT_TRUE(KeyReleased(KeyA)) << "the mark survived the failed frame";
}

TEST_F(GameTest, AnyKeyWalksEverySlotAndConsumesAllReleases) {
    Hold({KeyA, KeyRightAlt, 254});
    EXPECT_FALSE(KeyReleased(KeyAny)) << "keys down only get their marks";
    Hold({KeyRightAlt});
    EXPECT_TRUE(KeyReleased(KeyAny)) << "A and slot 254 came up";
    EXPECT_FALSE(KeyReleased(KeyA)) << "any key consumed A's release";
    EXPECT_FALSE(KeyReleased(KeyAny));
    Hold({});
    EXPECT_TRUE(KeyReleased(KeyRightAlt));
}

TEST_F(GameTest, KeyReleasedIgnoresKeysOutsideTheSlots) {
    Hold({});
    EXPECT_FALSE(KeyReleased(KeySlotCount));
    EXPECT_FALSE(KeyReleased(-7));
}

// [SECTION] Objects and the record

TEST_F(GameTest, MakeBlendableNeedsAnExistingBlendableSprite) {
    EXPECT_FALSE(MakeBlendable(5, 9)) << "no sprite 9";
    ASSERT_TRUE(CreateBlankSprite(9, 20, 10, 0));
    EXPECT_FALSE(MakeBlendable(5, 9)) << "sprite 9 lacks flag 4";
    ASSERT_TRUE(CreateBlankSprite(9, 20, 10, SpriteBlendable));
    EXPECT_TRUE(MakeBlendable(5, 9));
    EXPECT_EQ(Rec.Blendables.at(5), 9);

    const uint8_t notPng[30] = {1, 2, 3};
    EXPECT_FALSE(LoadSpriteFromMemory(9, notPng, sizeof notPng, SpriteBlendable));
    EXPECT_EQ(Rec.Sprites.count(9), 0u) << "a failed load leaves no sprite under the number";
}

TEST_F(GameTest, DescribeWritesOneLinePerCall) {
    DrawTextAt(1, 10, "FPS: ", Color{250, 250, 250});
    DrawBlended(4, 0, 0, 255);
    PresentFrame();
    ClearFrame(Color{});
    EXPECT_EQ(Described(0), (std::vector<std::string>{"DrawTextAt 1 10 FPS:  (250,250,250)",
                                                      "DrawBlended 4 0 0 255", "PresentFrame"}));
    EXPECT_EQ(Described(1), (std::vector<std::string>{"ClearFrame (0,0,0)"}));
    EXPECT_EQ(Described(-1, {"DrawBlended"}), (std::vector<std::string>{"DrawBlended 4 0 0 255"}));
}

TEST_F(GameTest, ExclusiveSaveFindsAnExistingFile) {
    ASSERT_TRUE(CaptureFrame(0, 0, 0, 8, 8));
    EXPECT_EQ(SaveSpriteAsPng(0, "shot.png", true), SaveOk);
    EXPECT_EQ(SaveSpriteAsPng(0, "shot.png", true), SaveExists);
    EXPECT_EQ(SaveSpriteAsPng(0, "shot.png", false), SaveOk);
    DeleteSprite(0);
    EXPECT_EQ(SaveSpriteAsPng(0, "other.png", false), SaveFailed) << "no sprite 0 any more";
}
