// frame_record.h — what a frame draws on the screen, kept as a list instead
// of being rendered at once, and the decision what of it must be rendered
// and presented. Plain data and plain decisions: nothing here draws; the
// SDL side replays the ops it is told to (sdl_graphics.cpp).
//
// The drawing calls that end on the screen (ClearFrame, DrawBlended,
// DrawTextAt on the screen) add one op each to the frame's record, with the
// box of screen pixels the op may change. At PresentFrame the record is
// compared with the one of the last presented frame:
//   - equal, with nothing on the window spoilt in between: nothing is
//     rendered or presented, the pass only waits for the next refresh;
//   - different, and the buffer the frames are drawn into still holds the
//     frame on show: only the boxes of the ops that differ are rendered
//     again (clipped to those boxes), and where the window shows that buffer
//     at its own size only those boxes are presented;
//   - otherwise the record is rendered whole and presented.
// Whatever reads the buffer earlier (CaptureFrame), or changes a sprite or
// font while the frame's record is open, first brings the buffer up to date;
// from then on the frame's draws also go straight to the renderer, exactly
// as if nothing had been deferred.
//
// Drawing into sprites (labels, BeginTextOn a sprite) is never deferred.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/platform.h"

// [SECTION] The record

// A box of screen pixels: left, top, width, height. Empty when W or H <= 0.
struct FrameBox {
    int X = 0, Y = 0, W = 0, H = 0;
};
bool operator==(const FrameBox& a, const FrameBox& b);
bool BoxIsEmpty(const FrameBox& b);
bool BoxesOverlap(const FrameBox& a, const FrameBox& b);
FrameBox BoxUnion(const FrameBox& a, const FrameBox& b);
FrameBox BoxIntersection(const FrameBox& a, const FrameBox& b);

enum FrameOpKind : uint8_t {
    FrameOpClear,    // the whole buffer filled with Colour
    FrameOpSprite,   // sprite Number at (X, Y) with Alpha
    FrameOpText,     // Words in font Number at (X, Y) in Colour
};

struct FrameOp {
    FrameOpKind Kind = FrameOpClear;
    int Number = 0;          // sprite number (FrameOpSprite) or font number (FrameOpText)
    uint64_t Identity = 0;   // that sprite's or font's pixels identity when it was drawn
    int X = 0, Y = 0;        // top-left corner on the screen
    int Alpha = 255;         // opacity 1..255 (FrameOpSprite)
    Color Colour;            // clear colour or text colour
    std::string Words;       // the text (FrameOpText)
    FrameBox Box;            // every screen pixel the op may change (the whole screen for a clear)
};
bool operator==(const FrameOp& a, const FrameOp& b);

struct FrameRecordState {
    std::vector<FrameOp> Open;     // what the frame being built has drawn so far
    std::vector<FrameOp> Shown;    // what the last presented frame drew
    bool DrawingThrough = false;   // the buffer holds Open and this frame's draws go straight to it
    bool BufferHoldsShown = false; // the buffer drawn into still holds Shown, rendered in full
    bool ScreenSpoilt = true;      // the window may not show Shown: the next present shows the whole frame
    uint64_t Presents = 0;         // frames actually presented, for the platform tests
    uint64_t PartialPresents = 0;  // of those, the ones that rendered only changed boxes
    // The last number NewPixelsIdentity handed out. Never set back, not even
    // by ResetFrameRecord: a sprite kept over a screen's close keeps its number,
    // and no other pixels may ever get it. Game thread only.
    uint64_t LastPixelsIdentity = 0;
};
extern FrameRecordState Frames;

// [SECTION] Identity of pixels

// A number never handed out before; every sprite and font takes a new one
// whenever its pixels are created, replaced or drawn into, so equal records
// mean equal pictures.
uint64_t NewPixelsIdentity();

// [SECTION] Recording (from the drawing calls)

// Each returns true when the frame draws through: the caller must then also
// render the op at once.
bool RecordClear(Color c, FrameBox screen);
bool RecordSprite(int sprite, uint64_t identity, int x, int y, int alpha, FrameBox box);
bool RecordText(int font, uint64_t identity, int x, int y, const std::string& words, Color c, FrameBox box);

// [SECTION] Keeping the buffer true

// For reading the buffer (CaptureFrame), or before a sprite or font that the
// open frame has drawn changes: from now on the frame draws through. True
// when the caller must first render the whole open record into the buffer
// (it does not hold it yet).
bool StartDrawingThrough();
// Whether a sprite or font change must bring the buffer up to date first:
// the frame has drawn, and only into its record.
bool PixelsChangeNeedsRendering();

// [SECTION] Deciding what to present

struct FramePlan {
    bool Present = false;          // something new must reach the window
    bool RenderAll = false;        // render the open record whole into the buffer
    std::vector<FrameBox> Rects;   // else render it only inside these (none: the buffer holds the frame)
    bool PresentWhole = true;      // present the whole buffer, else only Rects
};
// At most this many boxes are redrawn separately; more are merged.
constexpr int MaxRedrawRects = 8;
// Decides the present of the open frame on a screen of that size.
// `canPresentRects`: the window shows the buffer itself at its own size and
// can be sent only parts of it.
FramePlan PlanFramePresent(int screenW, int screenH, bool canPresentRects);
// Ends the frame either way: its record becomes the shown one.
// `bufferKeepsFrame`: after the present the buffer still holds the frame
// (a window's GL buffer is swapped away; a back buffer or a software
// window surface keeps it).
void FinishFramePresent(bool presented, bool partial, bool bufferKeepsFrame);

// The boxes of screen pixels in which `open` may differ from `shown`, both
// whole pictures (beginning with the same clear): the boxes of the ops that
// are not part of their longest common run in order. Outside those boxes
// every pixel is made by the same ops in the same order in both.
std::vector<FrameBox> ChangedBoxes(const std::vector<FrameOp>& shown, const std::vector<FrameOp>& open);
// Clips the boxes to the screen, merges overlapping ones, and merges further
// (least added area first) until at most `maxCount` are left.
std::vector<FrameBox> MergeBoxes(std::vector<FrameBox> boxes, FrameBox screen, int maxCount);

// [SECTION] What spoils the window or the buffer

// The window's content may have been lost or changed (exposed, restored,
// moved between displays, a mode switch, the focus regained): the next
// present shows the whole frame.
void SpoilScreen();
// The buffer's pixels are gone or new (a screen opened or closed, a resize,
// a renderer reset, the frame moving between the window and a back buffer):
// nothing may be taken from it and the next present draws in full; the
// frame being built keeps what it drew so far.
void ForgetBackBuffer();
// A screen opened or closed: no frame is open and none has been shown.
void ResetFrameRecord();
