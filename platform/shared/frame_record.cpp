// frame_record.cpp — the frame's record of what it drew on the screen, its
// comparison with the last presented frame, and the plan of what to render
// and present. The replay is sdl_graphics.cpp's; when to present and how to
// wait is sdl_screen.cpp's.
#include "platform/shared/frame_record.h"

#include <algorithm>
#include <cassert>

FrameRecordState Frames;

// [SECTION] Boxes

bool operator==(const FrameBox& a, const FrameBox& b) {
    return a.X == b.X && a.Y == b.Y && a.W == b.W && a.H == b.H;
}

bool BoxIsEmpty(const FrameBox& b) { return b.W <= 0 || b.H <= 0; }

bool BoxesOverlap(const FrameBox& a, const FrameBox& b) {
    return !BoxIsEmpty(a) && !BoxIsEmpty(b) && a.X < b.X + b.W && b.X < a.X + a.W && a.Y < b.Y + b.H &&
           b.Y < a.Y + a.H;
}

FrameBox BoxUnion(const FrameBox& a, const FrameBox& b) {
    if (BoxIsEmpty(a)) return b;
    if (BoxIsEmpty(b)) return a;
    const int x0 = std::min(a.X, b.X), y0 = std::min(a.Y, b.Y);
    const int x1 = std::max(a.X + a.W, b.X + b.W), y1 = std::max(a.Y + a.H, b.Y + b.H);
    return {x0, y0, x1 - x0, y1 - y0};
}

FrameBox BoxIntersection(const FrameBox& a, const FrameBox& b) {
    const int x0 = std::max(a.X, b.X), y0 = std::max(a.Y, b.Y);
    const int x1 = std::min(a.X + a.W, b.X + b.W), y1 = std::min(a.Y + a.H, b.Y + b.H);
    if (x1 <= x0 || y1 <= y0) return {};
    return {x0, y0, x1 - x0, y1 - y0};
}

namespace {
long long Area(const FrameBox& b) { return BoxIsEmpty(b) ? 0 : (long long)b.W * b.H; }
}  // namespace

bool operator==(const FrameOp& a, const FrameOp& b) {
    return a.Kind == b.Kind && a.Number == b.Number && a.Identity == b.Identity && a.X == b.X && a.Y == b.Y &&
           a.Alpha == b.Alpha && a.Colour.r == b.Colour.r && a.Colour.g == b.Colour.g &&
           a.Colour.b == b.Colour.b && a.Words == b.Words && a.Box == b.Box;
}

// [SECTION] Identity of pixels

uint64_t NewPixelsIdentity() {
    // Only the game thread creates and changes sprites and fonts.
    return ++Frames.LastPixelsIdentity;
}

// [SECTION] Recording

namespace {

bool Add(FrameOp&& op) {
    Frames.Open.push_back(std::move(op));
    return Frames.DrawingThrough;
}

// Only a frame that begins by filling the whole buffer is a picture of its
// own; draws on top of whatever was there before are never taken as
// "unchanged", since drawing them again would blend them twice.
bool IsWholePicture(const std::vector<FrameOp>& ops) { return !ops.empty() && ops.front().Kind == FrameOpClear; }

bool OpenEqualsShown() { return IsWholePicture(Frames.Open) && Frames.Open == Frames.Shown; }

}  // namespace

bool RecordClear(Color c, FrameBox screen) {
    FrameOp op;
    op.Kind = FrameOpClear;
    op.Colour = c;
    op.Box = screen;
    return Add(std::move(op));
}

bool RecordSprite(int sprite, uint64_t identity, int x, int y, int alpha, FrameBox box) {
    FrameOp op;
    op.Kind = FrameOpSprite;
    op.Number = sprite;
    op.Identity = identity;
    op.X = x;
    op.Y = y;
    op.Alpha = alpha;
    op.Box = box;
    return Add(std::move(op));
}

bool RecordText(int font, uint64_t identity, int x, int y, const std::string& words, Color c, FrameBox box) {
    FrameOp op;
    op.Kind = FrameOpText;
    op.Number = font;
    op.Identity = identity;
    op.X = x;
    op.Y = y;
    op.Colour = c;
    op.Words = words;
    op.Box = box;
    return Add(std::move(op));
}

// [SECTION] Keeping the buffer true

bool StartDrawingThrough() {
    if (Frames.DrawingThrough) return false;
    Frames.DrawingThrough = true;
    if (Frames.BufferHoldsShown && OpenEqualsShown()) return false;
    // A frame without a clear of its own draws over what the buffer holds,
    // as its draws would have done at once.
    Frames.BufferHoldsShown = false;
    return true;
}

bool PixelsChangeNeedsRendering() { return !Frames.Open.empty() && !Frames.DrawingThrough; }

// [SECTION] Deciding what to present

std::vector<FrameBox> ChangedBoxes(const std::vector<FrameOp>& shown, const std::vector<FrameOp>& open) {
    assert(IsWholePicture(shown) && IsWholePicture(open) && "changed boxes are only defined between whole pictures");
    std::vector<FrameBox> boxes;
    if (!(shown.front() == open.front())) return {shown.front().Box};
    // Most of a frame equals the last one: strip the common ends first, then
    // find the longest common run of what is left.
    size_t head = 0;
    while (head < shown.size() && head < open.size() && shown[head] == open[head]) ++head;
    size_t tail = 0;
    while (tail < shown.size() - head && tail < open.size() - head &&
           shown[shown.size() - 1 - tail] == open[open.size() - 1 - tail])
        ++tail;
    const size_t n = shown.size() - head - tail, m = open.size() - head - tail;
    // A table of n x m would be large for records far longer than any page
    // draws: their boxes are all changed then.
    if (n * m > 1u << 20) {
        for (size_t k = head; k < shown.size() - tail; ++k) boxes.push_back(shown[k].Box);
        for (size_t k = head; k < open.size() - tail; ++k) boxes.push_back(open[k].Box);
        return boxes;
    }
    const FrameOp* a = shown.data() + head;
    const FrameOp* b = open.data() + head;
    // lcs[i][j]: the longest common run of a[i..] and b[j..].
    std::vector<uint16_t> lcs((n + 1) * (m + 1), 0);
    const auto at = [&](size_t i, size_t j) -> uint16_t& { return lcs[i * (m + 1) + j]; };
    for (size_t i = n; i-- > 0;)
        for (size_t j = m; j-- > 0;)
            at(i, j) = a[i] == b[j] ? uint16_t(at(i + 1, j + 1) + 1) : std::max(at(i + 1, j), at(i, j + 1));
    size_t i = 0, j = 0;
    while (i < n || j < m) {
        if (i < n && j < m && a[i] == b[j]) {
            ++i;
            ++j;
        } else if (j < m && (i == n || at(i, j + 1) >= at(i + 1, j))) {
            boxes.push_back(b[j++].Box);   // drawn only now
        } else {
            boxes.push_back(a[i++].Box);   // drawn only before
        }
    }
    return boxes;
}

std::vector<FrameBox> MergeBoxes(std::vector<FrameBox> boxes, FrameBox screen, int maxCount) {
    assert(maxCount >= 1 && "at least one box must be allowed");
    std::vector<FrameBox> out;
    for (const FrameBox& b : boxes) {
        const FrameBox clipped = BoxIntersection(b, screen);
        if (!BoxIsEmpty(clipped)) out.push_back(clipped);
    }
    // Overlapping boxes become one, until none overlap.
    for (bool merged = true; merged;) {
        merged = false;
        for (size_t i = 0; i < out.size() && !merged; ++i)
            for (size_t j = i + 1; j < out.size() && !merged; ++j)
                if (BoxesOverlap(out[i], out[j]) || out[i] == out[j]) {
                    out[i] = BoxUnion(out[i], out[j]);
                    out.erase(out.begin() + long(j));
                    merged = true;
                }
    }
    // Too many: join the pair that adds the least area, and again.
    while (int(out.size()) > maxCount) {
        size_t bi = 0, bj = 1;
        long long best = -1;
        for (size_t i = 0; i < out.size(); ++i)
            for (size_t j = i + 1; j < out.size(); ++j) {
                const long long added = Area(BoxUnion(out[i], out[j])) - Area(out[i]) - Area(out[j]);
                if (best < 0 || added < best) best = added, bi = i, bj = j;
            }
        out[bi] = BoxUnion(out[bi], out[bj]);
        out.erase(out.begin() + long(bj));
        // A join may make boxes overlap again; overlapping ones must not be
        // rendered twice over the same pixels.
        for (size_t k = 0; k < out.size(); ++k)
            if (k != bi && BoxesOverlap(out[bi], out[k])) {
                out[bi] = BoxUnion(out[bi], out[k]);
                out.erase(out.begin() + long(k));
                if (k < bi) --bi;
                k = size_t(-1);
            }
    }
    return out;
}

FramePlan PlanFramePresent(int screenW, int screenH, bool canPresentRects) {
    FramePlan plan;
    const FrameBox screen{0, 0, screenW, screenH};
    if (Frames.DrawingThrough) {
        // The buffer holds the frame already.
        plan.Present = Frames.ScreenSpoilt || !OpenEqualsShown();
        return plan;
    }
    if (OpenEqualsShown()) {
        // The window shows this very frame (unless spoilt); the buffer may
        // not hold it any more (a window's GL buffer is emptied by each present).
        plan.Present = Frames.ScreenSpoilt;
        plan.RenderAll = Frames.ScreenSpoilt && !Frames.BufferHoldsShown;
        return plan;
    }
    plan.Present = true;
    plan.RenderAll = true;
    if (!Frames.BufferHoldsShown || !IsWholePicture(Frames.Open) || !IsWholePicture(Frames.Shown)) return plan;
    std::vector<FrameBox> rects = MergeBoxes(ChangedBoxes(Frames.Shown, Frames.Open), screen, MaxRedrawRects);
    long long area = 0;
    for (const FrameBox& r : rects) area += Area(r);
    // Past half the screen, one whole pass is cheaper than clipped ones.
    if (area * 2 > Area(screen)) return plan;
    plan.RenderAll = false;
    plan.Rects = std::move(rects);
    plan.PresentWhole = Frames.ScreenSpoilt || !canPresentRects;
    return plan;
}

void FinishFramePresent(bool presented, bool partial, bool bufferKeepsFrame) {
    if (presented) {
        ++Frames.Presents;
        if (partial) ++Frames.PartialPresents;
        Frames.ScreenSpoilt = false;
        Frames.BufferHoldsShown = bufferKeepsFrame;
    }
    // After a skip the buffer still holds what it held: the frame shown,
    // which equals this one, or (drawing through) this one.
    if (!presented && Frames.DrawingThrough) Frames.BufferHoldsShown = true;
    Frames.Shown.swap(Frames.Open);
    Frames.Open.clear();
    Frames.DrawingThrough = false;
}

// [SECTION] What spoils the window or the buffer

void SpoilScreen() { Frames.ScreenSpoilt = true; }

void ForgetBackBuffer() {
    // The open record stays: the frame is rendered whole from it at the
    // present.
    Frames.DrawingThrough = false;
    Frames.BufferHoldsShown = false;
    Frames.ScreenSpoilt = true;
}

void ResetFrameRecord() {
    Frames.Open.clear();
    Frames.Shown.clear();
    ForgetBackBuffer();
}
