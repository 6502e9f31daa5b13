// picture_decode.h — the SDL platform's pictures from PNG bytes: decoded,
// keyed on black and cut to the box of their visible pixels; and the
// decoding of pictures ahead of time on a second thread, while the screen
// and the fonts come up. No SDL here: plain pixels in and out.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// A picture keyed on black (exact black is see-through, alpha 0; every other
// colour opaque) and held as the bounding box of its visible pixels: outside
// the box the picture is all see-through, so drawing the box at its place
// shows the same as drawing the whole picture.
struct KeyedPicture {
    int Width = 0, Height = 0;          // the whole picture
    int CropX = 0, CropY = 0;           // the box's top-left corner in the picture
    int CropW = 0, CropH = 0;           // the box; 0 x 0 when nothing is visible
    std::vector<uint32_t> Pixels;       // CropW * CropH pixels, ARGB, rows top to bottom
};

// The key itself, one ARGB pixel at a time (its alpha is ignored). The SDL
// platform keys its captures and the labels written on with the same rule,
// so that a picture looks the same however it came to be.
inline uint32_t KeyedOnBlack(uint32_t argb) {
    const uint32_t rgb = argb & 0x00FFFFFFu;
    return rgb == 0 ? 0u : (rgb | 0xFF000000u);
}

// Decodes, keys and crops. False on bytes that are no readable PNG.
bool DecodeKeyedPicture(const uint8_t* png, size_t size, KeyedPicture& out);

// [SECTION] Decoding ahead

// Starts decoding the given PNGs on a second thread, in the order given. The
// bytes must stay valid for the rest of the run (the program's own embedded
// files). A second call while a batch is still running adds nothing.
void DecodePicturesAhead(const uint8_t* const* pngs, const size_t* sizes, int count);

// The picture for these bytes if they were handed to DecodePicturesAhead
// and not taken yet: waits for it (or decodes it here when the thread has
// not got to it), and hands it over once. False when the bytes were not
// announced or were taken already; `decoded` then tells nothing.
bool TakePictureDecodedAhead(const uint8_t* png, size_t size, bool& decoded, KeyedPicture& out);

// Whether the bytes were announced to DecodePicturesAhead: such bytes live
// for the whole run and can be decoded again later without a copy.
bool PictureBytesLiveForTheRun(const uint8_t* png, size_t size);

// Waits for the thread and forgets everything not taken (StopPlatform).
void StopDecodingAhead();

// [SECTION] Views for the tests

// Called on the decoding thread just before it decodes the batch's picture
// number `job` (in the order announced), so that a test can hold the thread
// there and choose who decodes what. Set only while no batch runs.
void SetDecodeAheadHookForTests(void (*hook)(int job));
// The announced pictures that neither thread has begun to decode.
int PicturesPendingAheadForTests();
// Waits for the thread to go through its batch, keeping what it decoded.
void FinishDecodingAheadForTests();
