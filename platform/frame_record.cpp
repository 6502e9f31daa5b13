// frame_record.cpp — the frame's record of what it drew on the screen, its
// comparison with the last presented frame, and its replay into the
// renderer. The drawing itself is sdl_graphics.cpp's; when to present and
// how to wait is sdl_platform.cpp's.
#include "platform/frame_record.h"

FrameRecordState Frames;

bool operator==(const FrameOp& a, const FrameOp& b) {
    return a.Kind == b.Kind && a.Number == b.Number && a.Identity == b.Identity && a.X == b.X && a.Y == b.Y &&
           a.Alpha == b.Alpha && a.Colour.r == b.Colour.r && a.Colour.g == b.Colour.g &&
           a.Colour.b == b.Colour.b && a.Words == b.Words;
}

// [SECTION] Identity of pixels

uint64_t NewPixelsIdentity() {
    // Only the game thread creates and changes sprites and fonts.
    static uint64_t last = 0;
    return ++last;
}

// [SECTION] Recording

namespace {

void RenderOne(const FrameOp& op) {
    switch (op.Kind) {
        case FrameOpClear: RenderClearNow(op.Colour); break;
        case FrameOpSprite: RenderSpriteNow(op.Number, op.X, op.Y, op.Alpha); break;
        case FrameOpText: RenderTextNow(op.Number, op.X, op.Y, op.Words, op.Colour); break;
    }
}

void Add(FrameOp&& op) {
    Frames.Open.push_back(std::move(op));
    if (Frames.DrawingThrough && SelectBackBuffer()) RenderOne(Frames.Open.back());
}

// Only a frame that begins by filling the whole back buffer is a picture of
// its own; draws on top of whatever was there before are never taken as
// "unchanged", since drawing them again would blend them twice.
bool IsWholePicture(const std::vector<FrameOp>& ops) { return !ops.empty() && ops.front().Kind == FrameOpClear; }

// The back buffer holds, fully rendered, the same picture the open record
// describes.
bool BackBufferAlreadyHoldsOpen() {
    return Frames.BackBufferHoldsShown && IsWholePicture(Frames.Open) && Frames.Open == Frames.Shown;
}

}  // namespace

void RecordClear(Color c) {
    FrameOp op;
    op.Kind = FrameOpClear;
    op.Colour = c;
    Add(std::move(op));
}

void RecordSprite(int sprite, uint64_t identity, int x, int y, int alpha) {
    FrameOp op;
    op.Kind = FrameOpSprite;
    op.Number = sprite;
    op.Identity = identity;
    op.X = x;
    op.Y = y;
    op.Alpha = alpha;
    Add(std::move(op));
}

void RecordText(int font, uint64_t identity, int x, int y, const std::string& words, Color c) {
    FrameOp op;
    op.Kind = FrameOpText;
    op.Number = font;
    op.Identity = identity;
    op.X = x;
    op.Y = y;
    op.Colour = c;
    op.Words = words;
    Add(std::move(op));
}

void RenderFrameOps(const std::vector<FrameOp>& ops) {
    for (const FrameOp& op : ops) RenderOne(op);
}

// [SECTION] Keeping the back buffer true

void BringBackBufferUpToDate() {
    if (!SelectBackBuffer()) return;
    if (Frames.DrawingThrough) return;
    if (!BackBufferAlreadyHoldsOpen()) {
        // A frame without a clear of its own draws over what the back
        // buffer holds, as its draws would have done at once.
        RenderFrameOps(Frames.Open);
        Frames.BackBufferHoldsShown = false;
    }
    Frames.DrawingThrough = true;
}

void BeforePixelsChange() {
    if (!Frames.Open.empty() && !Frames.DrawingThrough) BringBackBufferUpToDate();
}

// [SECTION] Presenting

bool PrepareFramePresent() {
    if (Frames.DrawingThrough) {
        // The back buffer holds the frame already.
        const bool unchanged = IsWholePicture(Frames.Open) && Frames.Open == Frames.Shown;
        return Frames.ScreenSpoilt || !unchanged;
    }
    if (BackBufferAlreadyHoldsOpen()) {
        // A spoilt window only needs the back buffer shown again.
        return Frames.ScreenSpoilt;
    }
    if (SelectBackBuffer()) RenderFrameOps(Frames.Open);
    return true;
}

void FinishFramePresent(bool presented) {
    if (presented) {
        ++Frames.Presents;
        Frames.ScreenSpoilt = false;
    }
    // After a present the back buffer holds this frame; after a skip it holds
    // the frame shown, which equals this one.
    if (presented || Frames.DrawingThrough) Frames.BackBufferHoldsShown = true;
    Frames.Shown.swap(Frames.Open);
    Frames.Open.clear();
    Frames.DrawingThrough = false;
}

void SpoilScreen() { Frames.ScreenSpoilt = true; }

void ForgetBackBuffer() {
    // The open record stays: the frame is rendered whole from it at the
    // present.
    Frames.DrawingThrough = false;
    Frames.BackBufferHoldsShown = false;
    Frames.ScreenSpoilt = true;
}

void ResetFrameRecord() {
    Frames.Open.clear();
    Frames.Shown.clear();
    ForgetBackBuffer();
}
