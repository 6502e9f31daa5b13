// frame_record.h — what a frame draws on the screen, kept as a list instead
// of being rendered at once, so that a frame that draws exactly what the
// last presented one showed costs neither rendering nor presenting.
//
// The drawing calls that end on the screen (ClearFrame, DrawBlended,
// DrawTextAt on the screen) add one entry each to the frame's record. At
// PresentFrame the record is compared with the one of the last presented
// frame: equal, with nothing on the window spoilt in between, and the pass
// only waits for the display's next refresh; different, and the record is
// rendered into the back buffer and presented. Whatever reads the back
// buffer earlier (CaptureFrame), or changes a sprite or font while the
// frame's record is open, first brings the back buffer up to date; from then
// on the frame's draws also go straight to the renderer, exactly as if
// nothing had been deferred.
//
// Drawing into sprites (labels, BeginTextOn a sprite) is never deferred.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/platform.h"

// [SECTION] The record

enum FrameOpKind : uint8_t {
    FrameOpClear,    // the whole back buffer filled with Colour
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
};
bool operator==(const FrameOp& a, const FrameOp& b);

struct FrameRecordState {
    std::vector<FrameOp> Open;     // what the frame being built has drawn so far
    std::vector<FrameOp> Shown;    // what the last presented frame drew
    bool DrawingThrough = false;   // the back buffer holds Open and this frame's draws go straight to it
    bool BackBufferHoldsShown = false;  // the back buffer still holds Shown, rendered in full
    bool ScreenSpoilt = true;      // the window may not show Shown: the next present draws in full
    uint64_t Presents = 0;         // frames actually presented, for the platform tests
};
extern FrameRecordState Frames;

// [SECTION] Identity of pixels

// A number never handed out before; every sprite and font takes a new one
// whenever its pixels are created, replaced or drawn into, so equal records
// mean equal pictures.
uint64_t NewPixelsIdentity();

// [SECTION] Recording (from the drawing calls)

void RecordClear(Color c);
void RecordSprite(int sprite, uint64_t identity, int x, int y, int alpha);
void RecordText(int font, uint64_t identity, int x, int y, const std::string& words, Color c);

// [SECTION] Keeping the back buffer true

// Renders the open record into the back buffer unless it already holds it;
// the frame's later draws then go straight through. For reading the back
// buffer (CaptureFrame).
void BringBackBufferUpToDate();
// Called just before a sprite or font changes or goes away: a frame that has
// already drawn must show the old pixels, as an immediate draw would have.
void BeforePixelsChange();

// [SECTION] Presenting

// True when the pass must present: the back buffer then holds the frame,
// rendered here if it was not yet. False when the frame equals the last
// presented one and the window still shows it: nothing to render or present.
bool PrepareFramePresent();
// Ends the frame either way: its record becomes the shown one.
void FinishFramePresent(bool presented);
// The window's content may have been lost or changed (exposed, restored,
// resized, moved between displays, a mode switch, the focus regained, a
// renderer reset): the next present draws and presents in full.
void SpoilScreen();
// The back buffer's pixels are gone or new (a screen opened or closed, a
// renderer reset): nothing may be taken from it and the next present draws
// in full; the frame being built keeps what it drew so far.
void ForgetBackBuffer();
// A screen opened or closed: no frame is open and none has been shown.
void ResetFrameRecord();

// [SECTION] Rendering (sdl_graphics.cpp)

// Renders the ops into the renderer's current target, in order.
void RenderFrameOps(const std::vector<FrameOp>& ops);
// Makes the back buffer the renderer's target; false when there is none.
bool SelectBackBuffer();
// The primitive renderers the replay calls, drawing into the current target.
void RenderClearNow(Color c);
void RenderSpriteNow(int sprite, int x, int y, int alpha);
void RenderTextNow(int font, int x, int y, const std::string& words, Color c);
