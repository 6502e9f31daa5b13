// core_recording_test.cpp — the recording platform itself: the KeyReleased
// rules every page relies on (the contract both platforms keep), and the
// object bookkeeping tests read.
#include <cstdint>
#include <vector>

#include "contract/key_release_contract.h"
#include "menu_test_support.h"

// [SECTION] KeyReleased

// The recording platform under the rules every platform keeps: the menu's
// tests may trust it to answer as the real one does.
struct RecordedKeyboard : GameTest {
    void SetKeys(std::initializer_list<int> keys) { HoldOnly(keys); }
};
INSTANTIATE_TYPED_TEST_SUITE_P(Recording, KeyReleaseContract, RecordedKeyboard);

// What only the recording platform can do: fail a snapshot.
TEST_F(GameTest, AFailedPollReleasesNothingAndKeepsTheMarks) {
    Rec.KeyDown[KeyA] = true;
    ASSERT_TRUE(PollKeyboard());
    EXPECT_FALSE(KeyReleased(KeyA));
    Rec.KeyDown[KeyA] = false;
    Rec.PollKeyboardFails = true;
    EXPECT_FALSE(PollKeyboard());
    EXPECT_FALSE(KeyReleased(KeyA)) << "a failed poll makes every release of the frame false";
    Rec.PollKeyboardFails = false;
    ASSERT_TRUE(PollKeyboard());
    EXPECT_TRUE(KeyReleased(KeyA)) << "the mark survived the failed frame";
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
    EXPECT_EQ(Described(0), (Lines{"DrawTextAt 1 10 FPS:  (250,250,250)", "DrawBlended 4 0 0 255", "PresentFrame"}));
    EXPECT_EQ(Described(1), (Lines{"ClearFrame (0,0,0)"}));
    EXPECT_EQ(Described(-1, {"DrawBlended"}), (Lines{"DrawBlended 4 0 0 255"}));
}

TEST_F(GameTest, ExclusiveSaveFindsAnExistingFile) {
    ASSERT_TRUE(CaptureFrame(0, 0, 0, 8, 8));
    EXPECT_EQ(SaveSpriteAsPng(0, "shot.png", true), SaveOk);
    EXPECT_EQ(SaveSpriteAsPng(0, "shot.png", true), SaveExists);
    EXPECT_EQ(SaveSpriteAsPng(0, "shot.png", false), SaveOk);
    DeleteSprite(0);
    EXPECT_EQ(SaveSpriteAsPng(0, "other.png", false), SaveFailed) << "no sprite 0 any more";
}
