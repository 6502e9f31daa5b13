// The frame record's decisions without a display: which boxes of the screen
// two frames may differ in, how they are merged, and what a present must
// render and send.
#include <gtest/gtest.h>

#include <algorithm>

#include "platform/shared/frame_record.h"

namespace {

const FrameBox Screen{0, 0, 800, 600};

FrameOp Clear(Color c = {0, 0, 0}) { return {FrameOpClear, 0, 0, 0, 0, 255, c, "", Screen}; }

FrameOp Sprite(int number, int x, int y, int w, int h, int alpha = 255) {
    return {FrameOpSprite, number, uint64_t(number) * 100, x, y, alpha, {}, "", {x, y, w, h}};
}

// A page: backdrop, two items, the pointer last.
std::vector<FrameOp> Page(int pointerX, int pointerY, int itemAlpha = 140) {
    return {Clear(), Sprite(1, 0, 0, 800, 600), Sprite(2, 325, 180, 150, 20, itemAlpha),
            Sprite(3, 325, 210, 150, 20), Sprite(9, pointerX, pointerY, 16, 16)};
}

bool Covers(const std::vector<FrameBox>& boxes, int x, int y) {
    for (const FrameBox& b : boxes)
        if (x >= b.X && x < b.X + b.W && y >= b.Y && y < b.Y + b.H) return true;
    return false;
}

// Presents a frame through the record as the platform does.
FramePlan Present(const std::vector<FrameOp>& ops, bool canPresentRects = true, bool bufferKeepsFrame = true) {
    for (const FrameOp& op : ops) {
        if (op.Kind == FrameOpClear) RecordClear(op.Colour, op.Box);
        else RecordSprite(op.Number, op.Identity, op.X, op.Y, op.Alpha, op.Box);
    }
    FramePlan plan = PlanFramePresent(800, 600, canPresentRects);
    FinishFramePresent(plan.Present, plan.Present && !plan.RenderAll && !plan.Rects.empty(), bufferKeepsFrame);
    return plan;
}

}  // namespace

TEST(FrameRecordChanges, OnlyTheOpsOutsideTheCommonRunInOrderAreChanged) {
    EXPECT_TRUE(ChangedBoxes(Page(700, 30), Page(700, 30)).empty());
    // The pointer moved: its old and its new box.
    const auto moved = ChangedBoxes(Page(700, 30), Page(710, 40));
    ASSERT_EQ(moved.size(), 2u);
    EXPECT_TRUE(Covers(moved, 700, 30) && Covers(moved, 725, 55));
    // An item lit up: its box alone.
    const auto lit = ChangedBoxes(Page(700, 30), Page(700, 30, 255));
    ASSERT_EQ(lit.size(), 2u);
    EXPECT_EQ(lit[0], (FrameBox{325, 180, 150, 20}));
    // An item drawn only now, in the middle: its box alone.
    auto more = Page(700, 30);
    more.insert(more.begin() + 3, Sprite(5, 100, 100, 30, 30));
    const auto inserted = ChangedBoxes(Page(700, 30), more);
    ASSERT_EQ(inserted.size(), 1u);
    EXPECT_EQ(inserted[0], (FrameBox{100, 100, 30, 30}));
    // Two overlapping sprites drawn in the other order blend differently:
    // the boxes where that shows must count as changed.
    std::vector<FrameOp> ab = {Clear(), Sprite(1, 0, 0, 50, 50), Sprite(2, 25, 25, 50, 50)};
    std::vector<FrameOp> ba = {Clear(), Sprite(2, 25, 25, 50, 50), Sprite(1, 0, 0, 50, 50)};
    EXPECT_TRUE(Covers(ChangedBoxes(ab, ba), 30, 30));
    // Another clear colour changes every pixel.
    auto red = Page(700, 30);
    red[0] = Clear({255, 0, 0});
    EXPECT_EQ(ChangedBoxes(Page(700, 30), red), std::vector<FrameBox>{Screen});
}

TEST(FrameRecordChanges, MergedBoxesCoverEveryChangeOnTheScreenWithoutOverlapping) {
    std::vector<FrameBox> boxes = {{-20, -20, 40, 40}, {10, 10, 20, 20}, {790, 590, 30, 30}};
    for (int i = 0; i < 12; ++i) boxes.push_back({60 * i, 300 + 7 * i, 25, 25});
    const auto merged = MergeBoxes(boxes, Screen, MaxRedrawRects);
    EXPECT_LE(int(merged.size()), MaxRedrawRects);
    for (size_t i = 0; i < merged.size(); ++i) {
        EXPECT_EQ(BoxIntersection(merged[i], Screen), merged[i]) << "a box reaches off the screen";
        for (size_t j = i + 1; j < merged.size(); ++j)
            EXPECT_FALSE(BoxesOverlap(merged[i], merged[j])) << "pixels would be rendered twice";
    }
    for (const FrameBox& b : boxes)
        for (int y = std::max(0, b.Y); y < std::min(600, b.Y + b.H); ++y)
            for (int x = std::max(0, b.X); x < std::min(800, b.X + b.W); ++x)
                ASSERT_TRUE(Covers(merged, x, y)) << "the change at " << x << "," << y << " is not redrawn";
}

TEST(FrameRecordPlan, ASoftwareSurfaceRedrawsAndSendsOnlyWhatChanged) {
    ResetFrameRecord();
    const uint64_t presents = Frames.Presents;
    FramePlan first = Present(Page(700, 30));
    EXPECT_TRUE(first.Present && first.RenderAll) << "the first frame is drawn whole";
    EXPECT_FALSE(Present(Page(700, 30)).Present) << "an unchanged frame is presented again";
    FramePlan moved = Present(Page(705, 33));
    EXPECT_TRUE(moved.Present && !moved.RenderAll && !moved.PresentWhole);
    EXPECT_TRUE(Covers(moved.Rects, 700, 30) && Covers(moved.Rects, 720, 48) && !Covers(moved.Rects, 400, 400));
    EXPECT_EQ(Frames.Presents, presents + 2);

    // A spoilt window is sent whole, though only the changes are redrawn.
    SpoilScreen();
    FramePlan spoilt = Present(Page(710, 36));
    EXPECT_TRUE(spoilt.Present && !spoilt.RenderAll && spoilt.PresentWhole);
    SpoilScreen();
    FramePlan same = Present(Page(710, 36));
    EXPECT_TRUE(same.Present && !same.RenderAll && same.Rects.empty()) << "the buffer holds the frame already";

    // A lost buffer, or a change over most of the screen, is drawn whole.
    ForgetBackBuffer();
    EXPECT_TRUE(Present(Page(700, 30)).RenderAll);
    auto big = Page(700, 30);
    big[1] = Sprite(4, 0, 0, 800, 600);
    EXPECT_TRUE(Present(big).RenderAll);
}

TEST(FrameRecordPlan, AWindowBufferSwappedAwayByEachPresentIsAlwaysDrawnWhole) {
    ResetFrameRecord();
    Present(Page(700, 30), false, false);
    FramePlan moved = Present(Page(705, 33), false, false);
    EXPECT_TRUE(moved.Present && moved.RenderAll);
    EXPECT_FALSE(Present(Page(705, 33), false, false).Present);
    // A frame whose buffer must be read (a screenshot) draws through: the
    // present then only shows it.
    RecordClear({0, 0, 0}, Screen);
    EXPECT_TRUE(StartDrawingThrough()) << "the buffer does not hold the frame, it must be rendered";
    EXPECT_TRUE(RecordSprite(9, 900, 705, 33, 255, {705, 33, 16, 16})) << "later draws go straight through";
    FramePlan through = PlanFramePresent(800, 600, false);
    EXPECT_TRUE(through.Present && !through.RenderAll && through.Rects.empty());
    FinishFramePresent(true, false, false);
}
