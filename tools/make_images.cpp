// make_images.cpp — draws the 91 embedded menu images (backdrops, labels,
// dividers, pointer) into assets/images/ with FreeType and the PNG codec, and
// the desktop icon (PNG at the usual sizes and a scalable SVG) into
// packaging/icons/.
//
//   make_images [image folder [icon folder]]
//       (defaults: the source tree's assets/images and packaging/icons)
//
// The output is deterministic: no randomness, no time, fixed font files, so
// running it twice gives byte-identical files. The game's build does not run
// it; the PNG files are committed.
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <numbers>
#include <string>
#include <vector>

#include "assets/menu_words.h"
#include "formats/png_codec.h"

#ifndef VELDRUNE_IMAGE_DIR
#define VELDRUNE_IMAGE_DIR "assets/images"
#endif
#ifndef VELDRUNE_ICON_DIR
#define VELDRUNE_ICON_DIR "packaging/icons"
#endif

// [SECTION] Catalogue

namespace {

// The fonts, from Debian's fonts-linuxlibertine and fonts-ebgaramond (free
// to ship: SIL OFL / GPL with font exception).
const char* const TitleFontPath = "/usr/share/fonts/opentype/linux-libertine/LinLibertine_RZ.otf";
const char* const HeadingFontPath = "/usr/share/fonts/opentype/ebgaramond/EBGaramond12-Regular.otf";
const char* const LabelFontPath = "/usr/share/fonts/opentype/linux-libertine/LinBiolinum_RB.otf";

const char* const GameTitle = "Veldrune";
// The first chapter's name, shown under the title on the main page. A place
// name reads the same on a German and an English screen.
const char* const FirstChapterName = "I \u00b7 Morvenhal";

struct BackdropSize {
    int width, height;
    int bandTop, bandBottom;   // the logo band: title, ornament and heading stay inside
};
const BackdropSize BackdropSizes[3] = {
    {800, 600, 60, 153},
    {1024, 768, 79, 196},
    {1280, 720, 73, 184},
};

struct BackdropPageRow {
    const char* name;      // identifier part: "Main", "NewGameDe", ...
    const char* heading;
};
const BackdropPageRow BackdropPages[11] = {
    {"Main", FirstChapterName},
    {"NewGameDe", "Neues Spiel"},
    {"LoadGameDe", "Spiel Laden"},
    {"OptionsDe", "Optionen"},
    {"CreditsDe", "Produzenten und Mitwirkende"},
    {"QuitDe", "Beenden"},
    {"NewGameEn", "New Game"},
    {"LoadGameEn", "Load Game"},
    {"OptionsEn", "Options"},
    {"CreditsEn", "Credits"},
    {"QuitEn", "Quit"},
};

// The labels' words and hotkey letters are the menu's own (assets/menu_words.h);
// only their pictures' names are made here, from the catalogue's label list.
#define VELDRUNE_LABEL_NAME(kind, name, lang) #name,
const char* const LabelNames[MenuLabelCount] = {VELDRUNE_MENU_LABELS(VELDRUNE_LABEL_NAME, )};
#undef VELDRUNE_LABEL_NAME

constexpr int LabelWidth = 150, LabelHeight = 25;
constexpr int PointerSize = 32;

// [SECTION] Pixel buffers

// Coverage or intensity, 0..1 per pixel.
struct Mask {
    int width = 0, height = 0;
    std::vector<float> value;
    Mask() = default;
    Mask(int w, int h) : width(w), height(h), value(size_t(w) * h, 0.0f) {}
    float& at(int x, int y) { return value[size_t(y) * width + x]; }
    float get(int x, int y) const {
        return (x < 0 || y < 0 || x >= width || y >= height) ? 0.0f : value[size_t(y) * width + x];
    }
};

struct Rgb {
    float r, g, b;
};

// Linear colour, 0..1 per channel; black is the see-through colour.
struct Canvas {
    int width = 0, height = 0;
    std::vector<Rgb> pixel;
    Canvas(int w, int h) : width(w), height(h), pixel(size_t(w) * h, Rgb{0, 0, 0}) {}
    Rgb& at(int x, int y) { return pixel[size_t(y) * width + x]; }
};

// Paints `colour` over the canvas with the mask as coverage, the mask's
// (0, 0) at canvas (ox, oy).
void PaintOver(Canvas& canvas, const Mask& mask, int ox, int oy, Rgb colour, float strength = 1.0f) {
    for (int y = 0; y < mask.height; ++y) {
        int cy = oy + y;
        if (cy < 0 || cy >= canvas.height) continue;
        for (int x = 0; x < mask.width; ++x) {
            int cx = ox + x;
            if (cx < 0 || cx >= canvas.width) continue;
            float a = std::clamp(mask.value[size_t(y) * mask.width + x] * strength, 0.0f, 1.0f);
            if (a <= 0) continue;
            Rgb& p = canvas.at(cx, cy);
            p.r += (colour.r - p.r) * a;
            p.g += (colour.g - p.g) * a;
            p.b += (colour.b - p.b) * a;
        }
    }
}

// Adds light like a glow does: screen blending, never darker than before.
void ScreenAdd(Canvas& canvas, const Mask& mask, int ox, int oy, Rgb colour, float strength) {
    for (int y = 0; y < mask.height; ++y) {
        int cy = oy + y;
        if (cy < 0 || cy >= canvas.height) continue;
        for (int x = 0; x < mask.width; ++x) {
            int cx = ox + x;
            if (cx < 0 || cx >= canvas.width) continue;
            float a = std::clamp(mask.value[size_t(y) * mask.width + x] * strength, 0.0f, 1.0f);
            Rgb& p = canvas.at(cx, cy);
            p.r = 1 - (1 - p.r) * (1 - colour.r * a);
            p.g = 1 - (1 - p.g) * (1 - colour.g * a);
            p.b = 1 - (1 - p.b) * (1 - colour.b * a);
        }
    }
}

// Below this a pixel is background; above it, it must never come out as the
// see-through (0, 0, 0), or an anti-aliased edge or a glow's tail would punch
// black holes into the picture once keyed.
constexpr float InkThreshold = 1.5f / 255.0f;

uint8_t ToByte(float v) { return uint8_t(std::lround(std::clamp(v, 0.0f, 1.0f) * 255.0f)); }

RgbaImage ToRgba(const Canvas& canvas) {
    RgbaImage image;
    image.width = canvas.width;
    image.height = canvas.height;
    image.pixels.resize(size_t(canvas.width) * canvas.height * 4);
    for (size_t i = 0; i < canvas.pixel.size(); ++i) {
        const Rgb& p = canvas.pixel[i];
        uint8_t* out = &image.pixels[i * 4];
        float ink = std::max({p.r, p.g, p.b});
        if (ink < InkThreshold) {
            out[0] = out[1] = out[2] = 0;
        } else {
            out[0] = ToByte(p.r), out[1] = ToByte(p.g), out[2] = ToByte(p.b);
            if (out[0] == 0 && out[1] == 0 && out[2] == 0) out[0] = out[1] = out[2] = 1;
        }
        out[3] = 255;
    }
    return image;
}

// Separable Gaussian blur, for the title's glow.
Mask Blur(const Mask& in, float sigma) {
    int radius = int(std::ceil(sigma * 3));
    std::vector<float> kernel(size_t(radius) * 2 + 1);
    float sum = 0;
    for (int i = -radius; i <= radius; ++i) sum += kernel[size_t(i + radius)] = std::exp(-0.5f * i * i / (sigma * sigma));
    for (float& k : kernel) k /= sum;
    Mask across(in.width, in.height), out(in.width, in.height);
    for (int y = 0; y < in.height; ++y)
        for (int x = 0; x < in.width; ++x) {
            float v = 0;
            for (int i = -radius; i <= radius; ++i) v += kernel[size_t(i + radius)] * in.get(x + i, y);
            across.at(x, y) = v;
        }
    for (int y = 0; y < in.height; ++y)
        for (int x = 0; x < in.width; ++x) {
            float v = 0;
            for (int i = -radius; i <= radius; ++i) v += kernel[size_t(i + radius)] * across.get(x, y + i);
            out.at(x, y) = v;
        }
    return out;
}

// [SECTION] Strokes

struct Point {
    float x, y;
};

float DistanceToSegment(Point p, Point a, Point b, float& along) {
    float dx = b.x - a.x, dy = b.y - a.y;
    float len2 = dx * dx + dy * dy;
    along = len2 > 0 ? std::clamp(((p.x - a.x) * dx + (p.y - a.y) * dy) / len2, 0.0f, 1.0f) : 0.0f;
    float ex = a.x + along * dx - p.x, ey = a.y + along * dy - p.y;
    return std::sqrt(ex * ex + ey * ey);
}

// Strokes a polyline whose width runs from widths[i] at points[i]; edges are
// anti-aliased by distance. Coverage combines by maximum, so joints do not
// double up.
void StrokePolyline(Mask& mask, const std::vector<Point>& points, const std::vector<float>& widths) {
    for (size_t i = 0; i + 1 < points.size(); ++i) {
        Point a = points[i], b = points[i + 1];
        float maxHalf = std::max(widths[i], widths[i + 1]) / 2 + 1;
        int x0 = std::max(0, int(std::floor(std::min(a.x, b.x) - maxHalf)));
        int x1 = std::min(mask.width - 1, int(std::ceil(std::max(a.x, b.x) + maxHalf)));
        int y0 = std::max(0, int(std::floor(std::min(a.y, b.y) - maxHalf)));
        int y1 = std::min(mask.height - 1, int(std::ceil(std::max(a.y, b.y) + maxHalf)));
        for (int y = y0; y <= y1; ++y)
            for (int x = x0; x <= x1; ++x) {
                float along;
                float d = DistanceToSegment({x + 0.5f, y + 0.5f}, a, b, along);
                float half = (widths[i] + (widths[i + 1] - widths[i]) * along) / 2;
                float c = std::clamp(half - d + 0.5f, 0.0f, 1.0f);
                if (half < 0.5f) c *= half * 2;   // hairlines fade instead of vanishing
                mask.at(x, y) = std::max(mask.at(x, y), c);
            }
    }
}

// A filled lozenge (rhombus) centred at c, anti-aliased by distance.
void FillLozenge(Mask& mask, Point c, float halfWidth, float halfHeight) {
    for (int y = int(c.y - halfHeight - 2); y <= int(c.y + halfHeight + 2); ++y)
        for (int x = int(c.x - halfWidth - 2); x <= int(c.x + halfWidth + 2); ++x) {
            if (x < 0 || y < 0 || x >= mask.width || y >= mask.height) continue;
            float u = std::fabs(x + 0.5f - c.x) / halfWidth, v = std::fabs(y + 0.5f - c.y) / halfHeight;
            // Signed distance to the edge, in pixels, roughly.
            float edge = (1 - u - v) * halfWidth * halfHeight / std::sqrt(halfWidth * halfWidth + halfHeight * halfHeight);
            float cov = std::clamp(edge + 0.5f, 0.0f, 1.0f);
            mask.at(x, y) = std::max(mask.at(x, y), cov);
        }
}

// [SECTION] Text

struct Font {
    FT_Face face = nullptr;
    int pixelSize = 0;
};

FT_Library FreeType = nullptr;

Font OpenFont(const char* path, int pixelSize) {
    Font font;
    if (FT_New_Face(FreeType, path, 0, &font.face) != 0) {
        std::fprintf(stderr, "make_images: cannot open font %s\n", path);
        std::exit(1);
    }
    FT_Set_Pixel_Sizes(font.face, 0, FT_UInt(pixelSize));
    font.pixelSize = pixelSize;
    return font;
}

std::vector<char32_t> DecodeUtf8(const std::string& text) {
    std::vector<char32_t> out;
    for (size_t i = 0; i < text.size();) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        int extra = c < 0x80 ? 0 : c < 0xE0 ? 1 : c < 0xF0 ? 2 : 3;
        char32_t cp = extra == 0 ? c : extra == 1 ? (c & 0x1F) : extra == 2 ? (c & 0x0F) : (c & 0x07);
        for (int k = 1; k <= extra && i + k < text.size(); ++k) cp = (cp << 6) | (text[i + k] & 0x3F);
        out.push_back(cp);
        i += size_t(extra) + 1;
    }
    return out;
}

// A line of text rendered into coverage masks: all glyphs, and separately
// the one highlighted glyph (the hotkey letter), both in the same frame.
struct TextImage {
    Mask all, highlight;
    int baselineX = 0, baselineY = 0;   // where the pen started, in the masks
    int inkLeft = 0, inkRight = 0, inkTop = 0, inkBottom = 0;   // ink box, inclusive
};

// Lays the text out with the face's advances and kerning, plus `tracking`
// pixels between letters, rendering outlines at their fractional positions.
// `highlightIndex` is the index of the code point to mask separately (-1: none).
TextImage RenderText(const Font& font, const std::string& text, float tracking, int highlightIndex, bool hinted) {
    std::vector<char32_t> codes = DecodeUtf8(text);
    const int margin = font.pixelSize;
    // Generous frame: ascender above, descender below, margins both sides.
    int width = int(codes.size()) * font.pixelSize * 2 + margin * 2;
    int height = font.pixelSize * 3;
    TextImage out;
    out.all = Mask(width, height);
    out.highlight = Mask(width, height);
    out.baselineX = margin;
    out.baselineY = font.pixelSize * 2;
    FT_Int32 loadFlags = hinted ? (FT_LOAD_TARGET_LIGHT | FT_LOAD_NO_BITMAP) : (FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP);
    double pen = 0;
    FT_UInt previous = 0;
    for (size_t i = 0; i < codes.size(); ++i) {
        FT_UInt glyph = FT_Get_Char_Index(font.face, codes[i]);
        if (previous != 0 && FT_HAS_KERNING(font.face)) {
            FT_Vector kern;
            if (FT_Get_Kerning(font.face, previous, glyph, FT_KERNING_UNFITTED, &kern) == 0) pen += kern.x / 64.0;
        }
        if (FT_Load_Glyph(font.face, glyph, loadFlags) != 0) continue;
        FT_GlyphSlot slot = font.face->glyph;
        double whole = std::floor(pen);
        FT_Outline_Translate(&slot->outline, FT_Pos(std::lround((pen - whole) * 64)), 0);
        if (FT_Render_Glyph(slot, FT_RENDER_MODE_NORMAL) != 0) continue;
        const FT_Bitmap& bitmap = slot->bitmap;
        int left = out.baselineX + int(whole) + slot->bitmap_left;
        int top = out.baselineY - slot->bitmap_top;
        for (unsigned row = 0; row < bitmap.rows; ++row)
            for (unsigned col = 0; col < bitmap.width; ++col) {
                int x = left + int(col), y = top + int(row);
                if (x < 0 || y < 0 || x >= width || y >= height) continue;
                float c = bitmap.buffer[row * unsigned(bitmap.pitch) + col] / 255.0f;
                // Overlapping glyphs add up like ink, capped at full.
                out.all.at(x, y) = std::min(1.0f, out.all.at(x, y) + c);
                if (int(i) == highlightIndex) out.highlight.at(x, y) = std::min(1.0f, out.highlight.at(x, y) + c);
            }
        pen += (hinted ? slot->advance.x : slot->linearHoriAdvance / 1024) / 64.0 + tracking;
        previous = glyph;
    }
    out.inkLeft = width, out.inkRight = -1, out.inkTop = height, out.inkBottom = -1;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if (out.all.at(x, y) > 0) {
                out.inkLeft = std::min(out.inkLeft, x), out.inkRight = std::max(out.inkRight, x);
                out.inkTop = std::min(out.inkTop, y), out.inkBottom = std::max(out.inkBottom, y);
            }
    return out;
}

// The face's cap height in pixels (from the H), for centring words optically.
float CapHeight(const Font& font) {
    FT_Load_Char(font.face, 'H', FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP);
    FT_BBox box;
    FT_Outline_Get_CBox(&font.face->glyph->outline, &box);
    return box.yMax / 64.0f;
}

// [SECTION] Dividers

// White over the middle three fifths, falling evenly to black at x 0 and at
// the last column.
RgbaImage MakeDivider(int width) {
    Canvas canvas(width, 2);
    const int left = width / 5, right = width * 4 / 5;
    for (int x = 0; x < width; ++x) {
        float v = 1.0f;
        if (x < left) v = float(x) / float(left);
        if (x > right) v = float(width - 1 - x) / float(width - 1 - right);
        for (int y = 0; y < 2; ++y) canvas.at(x, y) = Rgb{v, v, v};
    }
    return ToRgba(canvas);
}

// [SECTION] Pointer

// Signed distance to a drop: a circle of radius `r` at distance `h` along
// the axis from a rounded point of radius `tipRadius` (an uneven capsule).
float DropDistance(float px, float py, float tipRadius, float r, float h) {
    px = std::fabs(px);
    float b = (tipRadius - r) / h;
    float a = std::sqrt(1 - b * b);
    float k = -b * px + a * py;
    if (k < 0) return std::sqrt(px * px + py * py) - tipRadius;
    if (k > a * h) return std::sqrt(px * px + (py - h) * (py - h)) - r;
    return a * px + b * py - tipRadius;
}

// A thin drop-shaped ring pointing to the upper left, its point at (9, 9),
// white at the point shading to red along the lower right.
RgbaImage MakePointer() {
    Canvas canvas(PointerSize, PointerSize);
    const Point tip{9.0f, 9.0f};
    const float bodyRadius = 5.6f, tipRadius = 0.7f, halfStroke = 0.8f;
    const float axis = 9.4f;                                  // point to body centre
    const float reach = axis + bodyRadius;                    // point to far edge: ~15 px
    const float diag = std::sqrt(0.5f);
    const int samples = 4;
    for (int y = 0; y < PointerSize; ++y)
        for (int x = 0; x < PointerSize; ++x) {
            float covered = 0, along = 0;
            for (int sy = 0; sy < samples; ++sy)
                for (int sx = 0; sx < samples; ++sx) {
                    float px = x + (sx + 0.5f) / samples - tip.x, py = y + (sy + 0.5f) / samples - tip.y;
                    // Rotate so the axis runs down +y: u across, v along.
                    float u = (px - py) * diag, v = (px + py) * diag;
                    if (std::fabs(DropDistance(u, v + tipRadius, tipRadius, bodyRadius, axis)) <= halfStroke) {
                        covered += 1;
                        along += v;
                    }
                }
            if (covered == 0) continue;
            float t = std::clamp(along / covered / reach, 0.0f, 1.0f);
            float fade = 1 - std::pow(t, 1.4f);   // green and blue leave as the ring runs to the lower right
            float c = covered / (samples * samples);
            canvas.at(x, y) = Rgb{c, c * fade, c * fade};
        }
    return ToRgba(canvas);
}

// [SECTION] Labels

RgbaImage MakeLabel(const Font& font, const std::string& text, char hotkey) {
    std::vector<char32_t> codes = DecodeUtf8(text);
    int highlight = -1;
    for (size_t i = 0; i < codes.size() && hotkey != 0; ++i)
        if (codes[i] == char32_t(hotkey)) {
            highlight = int(i);
            break;
        }
    if (hotkey != 0 && highlight < 0) {
        std::fprintf(stderr, "make_images: hotkey %c not in \"%s\"\n", hotkey, text.c_str());
        std::exit(1);
    }
    TextImage image = RenderText(font, text, 0.4f, highlight, true);
    Canvas canvas(LabelWidth, LabelHeight);
    // Centre the ink across, and the capitals on the label's middle row, so
    // every word stands on the same baseline whatever its letters.
    int inkWidth = image.inkRight - image.inkLeft + 1;
    int ox = (LabelWidth - inkWidth) / 2 - image.inkLeft;
    int baseline = int(std::lround(12.5f + CapHeight(font) / 2));
    int oy = baseline - image.baselineY;
    Mask plain = image.all;
    for (size_t i = 0; i < plain.value.size(); ++i) plain.value[i] = std::max(0.0f, plain.value[i] - image.highlight.value[i]);
    PaintOver(canvas, plain, ox, oy, Rgb{1, 1, 1});
    PaintOver(canvas, image.highlight, ox, oy, Rgb{1, 0, 0});
    return ToRgba(canvas);
}

// [SECTION] Backdrops

// The logo is drawn the same on every page of a size; only the heading differs.
struct Logo {
    Mask ornament, glow, title;   // all canvas-sized
};

Logo MakeLogo(const BackdropSize& size) {
    const float s = float(size.bandBottom - size.bandTop + 1) / 94.0f;
    const float cx = size.width / 2.0f;
    Logo logo;
    logo.ornament = Mask(size.width, size.height);
    logo.title = Mask(size.width, size.height);

    // Title: large, letter-spaced old-style capitals and lower case.
    Font titleFont = OpenFont(TitleFontPath, int(std::lround(60 * s)));
    TextImage title = RenderText(titleFont, GameTitle, 3.0f * s, -1, false);
    const int baseline = size.bandTop + int(std::lround(57 * s));
    int inkWidth = title.inkRight - title.inkLeft + 1;
    int ox = int(std::lround(cx - inkWidth / 2.0f)) - title.inkLeft;
    int oy = baseline - title.baselineY;
    for (int y = 0; y < title.all.height; ++y)
        for (int x = 0; x < title.all.width; ++x) {
            int tx = ox + x, ty = oy + y;
            if (tx >= 0 && ty >= 0 && tx < size.width && ty < size.height) logo.title.at(tx, ty) = title.all.at(x, y);
        }
    FT_Done_Face(titleFont.face);
    const float titleHalf = inkWidth / 2.0f;
    const float midY = baseline - 17 * s;   // the middle of the lower-case letters

    // Ornament: an arch over the title, tapered rules out of both sides that
    // end in curls, and lozenges where the rules leave the title.
    std::vector<Point> arch;
    std::vector<float> archWidths;
    const float archHalf = titleHalf + 46 * s, archTop = size.bandTop + 4 * s, archFoot = midY - 4 * s;
    for (int i = 0; i <= 160; ++i) {
        float a = std::numbers::pi_v<float> * (0.12f + 0.76f * i / 160.0f);
        arch.push_back({cx - archHalf * std::cos(a), archFoot - (archFoot - archTop) * std::sin(a)});
        archWidths.push_back(0.3f + 1.1f * std::sin(a) * std::sin(a));
    }
    StrokePolyline(logo.ornament, arch, archWidths);
    for (int side = -1; side <= 1; side += 2) {
        const float inner = cx + side * (titleHalf + 24 * s), outer = cx + side * (titleHalf + 150 * s);
        std::vector<Point> rule;
        std::vector<float> widths;
        const int steps = 80;
        for (int i = 0; i <= steps; ++i) {
            float f = float(i) / steps;
            rule.push_back({inner + (outer - inner) * f, midY});
            widths.push_back(1.8f * s - 0.9f * s * f);
        }
        // The curl: a spiral turning up and back towards the title.
        const float curlRadius = 9 * s;
        Point centre{outer, midY - curlRadius};
        for (int i = 1; i <= 90; ++i) {
            float f = i / 90.0f;
            float angle = std::numbers::pi_v<float> / 2 - f * std::numbers::pi_v<float> * 1.6f;   // from the bottom of the curl, turning up
            float radius = curlRadius * (1 - 0.55f * f);
            rule.push_back({centre.x + side * radius * std::cos(angle), centre.y + radius * std::sin(angle)});
            widths.push_back(0.9f * s * (1 - 0.6f * f));
        }
        StrokePolyline(logo.ornament, rule, widths);
        // A short parallel hairline under the rule.
        std::vector<Point> hair{{inner + side * 10 * s, midY + 4 * s}, {outer - side * 30 * s, midY + 4 * s}};
        StrokePolyline(logo.ornament, hair, {0.9f * s, 0.3f * s});
        FillLozenge(logo.ornament, {inner - side * 9 * s, midY}, 4.5f * s, 3 * s);
        FillLozenge(logo.ornament, {outer + side * 15 * s, midY - curlRadius}, 2.2f * s, 1.6f * s);
    }
    // The finial on the arch's crown.
    FillLozenge(logo.ornament, {cx, archTop + 0.5f}, 4 * s, 3 * s);

    logo.glow = Blur(logo.title, 3.6f * s);
    return logo;
}

RgbaImage MakeBackdrop(const BackdropSize& size, const Logo& logo, const Font& headingFont, const std::string& heading) {
    const float s = float(size.bandBottom - size.bandTop + 1) / 94.0f;
    Canvas canvas(size.width, size.height);
    const Rgb grey{0.30f, 0.30f, 0.32f}, glow{0.80f, 0.86f, 1.0f}, white{1, 1, 1}, headingGrey{0.62f, 0.62f, 0.64f};
    PaintOver(canvas, logo.ornament, 0, 0, grey);
    ScreenAdd(canvas, logo.glow, 0, 0, glow, 1.6f);
    PaintOver(canvas, logo.title, 0, 0, white);

    TextImage text = RenderText(headingFont, heading, 1.2f * s, -1, false);
    int inkWidth = text.inkRight - text.inkLeft + 1;
    int ox = int(std::lround(size.width / 2.0f - inkWidth / 2.0f)) - text.inkLeft;
    int oy = size.bandTop + int(std::lround(84 * s)) - text.baselineY;
    PaintOver(canvas, text.all, ox, oy, headingGrey);
    return ToRgba(canvas);
}

// [SECTION] Output

// The encoding that decodes fastest for these mostly-black pictures, as
// measured with bench_decode: no row filter (rows inflate straight into
// place, nothing to undo) and zlib's fastest level, whose greedy matching
// leaves the inflater about half the work of level 9 on long black runs
// (about 57 ms against 104 ms of CPU for all 91 files) for 1.8 MB of files
// instead of 1.3 MB. Row filters cost more to undo than they save, and
// run-length matching cannot see the four-byte period of an RGBA pixel.
const PngEncoding FileEncoding{1, 0, 0x08};

void Save(const std::string& folder, const std::string& identifier, const RgbaImage& image) {
    std::vector<uint8_t> bytes;
    if (!EncodeRgbaPng(image, FileEncoding, bytes)) {
        std::fprintf(stderr, "make_images: cannot encode %s\n", identifier.c_str());
        std::exit(1);
    }
    std::string path = folder + "/" + identifier + ".png";
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    if (!out) {
        std::fprintf(stderr, "make_images: cannot write %s\n", path.c_str());
        std::exit(1);
    }
}

// [SECTION] Icon

// The desktop icon: the title's first letter in the title face, white with the
// title's blue-white glow, under the logo's arch with its finial and over a
// tapered rule with a lozenge, on a dark tile with rounded corners. The same
// geometry is drawn twice: rasterised for the PNG sizes and written as paths
// for the SVG. All positions are fractions of the icon's side.
namespace icon {

const float TileInset = 0.035f;           // transparent margin around the tile
const float TileRadius = 0.17f;           // corner radius
const float BorderWidth = 0.012f;         // the tile's grey edge
const float LetterSize = 0.76f;           // pixel size of the letter's face
const float LetterBaseline = 0.77f;
const float GlowSigma = 0.03f;
const float ArchHalf = 0.34f, ArchTop = 0.115f, ArchFoot = 0.30f;
const float RuleY = 0.845f, RuleHalf = 0.25f, RuleWidth = 0.022f;
const Rgb Tile{0.035f, 0.035f, 0.045f}, Grey{0.42f, 0.42f, 0.45f}, Glow{0.80f, 0.86f, 1.0f}, White{1, 1, 1};

// The arch over the letter: a polyline and its widths, in icon fractions.
void Arch(std::vector<Point>& points, std::vector<float>& widths) {
    for (int i = 0; i <= 120; ++i) {
        float a = std::numbers::pi_v<float> * (0.12f + 0.76f * i / 120.0f);
        points.push_back({0.5f - ArchHalf * std::cos(a), ArchFoot - (ArchFoot - ArchTop) * std::sin(a)});
        widths.push_back(0.004f + 0.016f * std::sin(a) * std::sin(a));
    }
}

// The rule under the letter: thickest in the middle, tapering to both ends.
void Rule(std::vector<Point>& points, std::vector<float>& widths) {
    for (int i = 0; i <= 60; ++i) {
        float f = i / 60.0f;
        points.push_back({0.5f - RuleHalf + 2 * RuleHalf * f, RuleY});
        widths.push_back(RuleWidth * (0.25f + 0.75f * std::sin(std::numbers::pi_v<float> * f)));
    }
}

struct Lozenge {
    Point centre;
    float halfWidth, halfHeight;
};
const Lozenge Lozenges[] = {
    {{0.5f, ArchTop}, 0.030f, 0.022f},          // the arch's finial
    {{0.5f, RuleY}, 0.045f, 0.026f},            // the rule's middle
    {{0.5f - RuleHalf - 0.035f, RuleY}, 0.018f, 0.013f},
    {{0.5f + RuleHalf + 0.035f, RuleY}, 0.018f, 0.013f},
};

// Coverage of the rounded tile (inset by `inset` more) at a pixel centre, for
// a canvas of side `side`.
float TileCoverage(float x, float y, float side, float inset) {
    float lo = (TileInset + inset) * side, hi = side - lo, r = std::max(0.0f, TileRadius - inset) * side;
    float dx = std::max({lo + r - x, x - (hi - r), 0.0f}), dy = std::max({lo + r - y, y - (hi - r), 0.0f});
    float outside = std::sqrt(dx * dx + dy * dy) - r;               // corners
    outside = std::max({outside, lo - x, x - hi, lo - y, y - hi});  // straight edges
    return std::clamp(0.5f - outside, 0.0f, 1.0f);
}

// Draws the icon at `side` pixels: everything at `scale` times the size, then
// averaged down, so every size shows the same shapes. Lines never get
// thinner than one pixel of the result.
RgbaImage Raster(int side) {
    const int scale = std::max(4, 1024 / side);
    const int big = side * scale;
    const float S = float(big), minWidth = float(scale);
    auto width = [&](float w) { return std::max(w * S, minWidth); };

    Canvas canvas(big, big);
    Mask tile(big, big), inner(big, big);
    for (int y = 0; y < big; ++y)
        for (int x = 0; x < big; ++x) {
            tile.at(x, y) = TileCoverage(x + 0.5f, y + 0.5f, S, 0);
            inner.at(x, y) = TileCoverage(x + 0.5f, y + 0.5f, S, BorderWidth * std::max(1.0f, minWidth / (BorderWidth * S)));
            canvas.at(x, y) = Grey;   // the edge: what shows between tile and inner
        }
    PaintOver(canvas, inner, 0, 0, Tile);

    Mask ornament(big, big);
    std::vector<Point> points;
    std::vector<float> widths;
    Arch(points, widths);
    for (Point& p : points) p = {p.x * S, p.y * S};
    for (float& w : widths) w = width(w);
    StrokePolyline(ornament, points, widths);
    points.clear(), widths.clear();
    Rule(points, widths);
    for (Point& p : points) p = {p.x * S, p.y * S};
    for (float& w : widths) w = width(w);
    StrokePolyline(ornament, points, widths);
    for (const Lozenge& l : Lozenges)
        FillLozenge(ornament, {l.centre.x * S, l.centre.y * S}, std::max(l.halfWidth * S, minWidth), std::max(l.halfHeight * S, minWidth * 0.7f));
    PaintOver(canvas, ornament, 0, 0, Grey);

    Font font = OpenFont(TitleFontPath, int(std::lround(LetterSize * S)));
    TextImage letter = RenderText(font, "V", 0, -1, false);
    FT_Done_Face(font.face);
    Mask placed(big, big);
    float inkCentre = (letter.inkLeft + letter.inkRight + 1) / 2.0f;
    int ox = int(std::lround(S / 2 - inkCentre)), oy = int(std::lround(LetterBaseline * S)) - letter.baselineY;
    for (int y = 0; y < letter.all.height; ++y)
        for (int x = 0; x < letter.all.width; ++x) {
            int tx = ox + x, ty = oy + y;
            if (tx >= 0 && ty >= 0 && tx < big && ty < big) placed.at(tx, ty) = letter.all.at(x, y);
        }
    ScreenAdd(canvas, Blur(placed, GlowSigma * S), 0, 0, Glow, 1.6f);
    PaintOver(canvas, placed, 0, 0, White);

    // Average each scale x scale block; the colour is weighted by the tile's
    // coverage so the rounded edge does not darken.
    RgbaImage image;
    image.width = image.height = side;
    image.pixels.resize(size_t(side) * side * 4);
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x) {
            float r = 0, g = 0, b = 0, a = 0;
            for (int sy = 0; sy < scale; ++sy)
                for (int sx = 0; sx < scale; ++sx) {
                    int px = x * scale + sx, py = y * scale + sy;
                    float c = tile.at(px, py);
                    const Rgb& p = canvas.at(px, py);
                    r += p.r * c, g += p.g * c, b += p.b * c, a += c;
                }
            uint8_t* out = &image.pixels[(size_t(y) * side + x) * 4];
            out[0] = a > 0 ? ToByte(r / a) : 0;
            out[1] = a > 0 ? ToByte(g / a) : 0;
            out[2] = a > 0 ? ToByte(b / a) : 0;
            out[3] = ToByte(a / float(scale * scale));
        }
    return image;
}

// [SECTION] Icon as SVG

std::string Number(float v) {
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", double(v));
    std::string s = text;
    if (s == "-0.00") s = "0.00";
    return s;
}

std::string Hex(const Rgb& c) {
    char text[8];
    std::snprintf(text, sizeof text, "#%02x%02x%02x", ToByte(c.r), ToByte(c.g), ToByte(c.b));
    return text;
}

// A tapered polyline as a closed outline: one side out, the other back.
std::string StrokePath(const std::vector<Point>& points, const std::vector<float>& widths, float side) {
    std::vector<Point> left, right;
    for (size_t i = 0; i < points.size(); ++i) {
        Point a = points[i == 0 ? 0 : i - 1], b = points[i + 1 < points.size() ? i + 1 : i];
        float dx = b.x - a.x, dy = b.y - a.y, len = std::sqrt(dx * dx + dy * dy);
        float nx = -dy / len, ny = dx / len, half = widths[i] / 2;
        left.push_back({points[i].x + nx * half, points[i].y + ny * half});
        right.push_back({points[i].x - nx * half, points[i].y - ny * half});
    }
    std::string d = "M";
    for (const Point& p : left) d += Number(p.x * side) + "," + Number(p.y * side) + " ";
    for (size_t i = right.size(); i-- > 0;) d += Number(right[i].x * side) + "," + Number(right[i].y * side) + " ";
    d.back() = 'Z';
    return d;
}

// Collects a glyph outline as SVG path data (y down, in the icon's units).
struct OutlineWriter {
    std::string d;
    float dx = 0, dy = 0;   // where the outline's origin goes
    std::string At(const FT_Vector* v) const { return Number(dx + v->x / 64.0f) + "," + Number(dy - v->y / 64.0f); }
};
int OutlineMove(const FT_Vector* to, void* user) {
    auto* w = static_cast<OutlineWriter*>(user);
    if (!w->d.empty()) w->d += "Z";
    w->d += "M" + w->At(to);
    return 0;
}
int OutlineLine(const FT_Vector* to, void* user) {
    auto* w = static_cast<OutlineWriter*>(user);
    w->d += "L" + w->At(to);
    return 0;
}
int OutlineConic(const FT_Vector* control, const FT_Vector* to, void* user) {
    auto* w = static_cast<OutlineWriter*>(user);
    w->d += "Q" + w->At(control) + " " + w->At(to);
    return 0;
}
int OutlineCubic(const FT_Vector* c1, const FT_Vector* c2, const FT_Vector* to, void* user) {
    auto* w = static_cast<OutlineWriter*>(user);
    w->d += "C" + w->At(c1) + " " + w->At(c2) + " " + w->At(to);
    return 0;
}

std::string Svg() {
    const float S = 256;
    Font font = OpenFont(TitleFontPath, int(std::lround(LetterSize * S)));
    FT_Load_Char(font.face, 'V', FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP);
    FT_BBox box;
    FT_Outline_Get_CBox(&font.face->glyph->outline, &box);
    OutlineWriter letter;
    letter.dx = S / 2 - (box.xMin + box.xMax) / 128.0f;
    letter.dy = LetterBaseline * S;
    const FT_Outline_Funcs funcs{OutlineMove, OutlineLine, OutlineConic, OutlineCubic, 0, 0};
    FT_Outline_Decompose(&font.face->glyph->outline, &funcs, &letter);
    letter.d += "Z";
    FT_Done_Face(font.face);

    std::vector<Point> points;
    std::vector<float> widths;
    Arch(points, widths);
    std::string arch = StrokePath(points, widths, S);
    points.clear(), widths.clear();
    Rule(points, widths);
    std::string rule = StrokePath(points, widths, S);
    std::string lozenges;
    for (const Lozenge& l : Lozenges) {
        float x = l.centre.x * S, y = l.centre.y * S, w = l.halfWidth * S, h = l.halfHeight * S;
        lozenges += "M" + Number(x - w) + "," + Number(y) + " " + Number(x) + "," + Number(y - h) + " " +
                    Number(x + w) + "," + Number(y) + " " + Number(x) + "," + Number(y + h) + "Z";
    }
    float inset = TileInset * S + BorderWidth * S / 2, extent = S - 2 * inset;
    std::ostringstream svg;
    svg << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"256\" height=\"256\" viewBox=\"0 0 256 256\">\n"
        << "  <title>" << GameTitle << "</title>\n"
        << "  <defs>\n"
        << "    <filter id=\"glow\" x=\"-50%\" y=\"-50%\" width=\"200%\" height=\"200%\">\n"
        << "      <feGaussianBlur stdDeviation=\"" << Number(GlowSigma * S) << "\"/>\n"
        << "    </filter>\n"
        << "  </defs>\n"
        << "  <rect x=\"" << Number(inset) << "\" y=\"" << Number(inset) << "\" width=\"" << Number(extent)
        << "\" height=\"" << Number(extent) << "\" rx=\"" << Number(TileRadius * S - BorderWidth * S / 2)
        << "\" fill=\"" << Hex(Tile) << "\" stroke=\"" << Hex(Grey) << "\" stroke-width=\""
        << Number(BorderWidth * S) << "\"/>\n"
        << "  <path fill=\"" << Hex(Grey) << "\" d=\"" << arch << rule << lozenges << "\"/>\n"
        << "  <path fill=\"" << Hex(Glow) << "\" filter=\"url(#glow)\" d=\"" << letter.d << "\"/>\n"
        << "  <path fill=\"" << Hex(White) << "\" d=\"" << letter.d << "\"/>\n"
        << "</svg>\n";
    return svg.str();
}

}  // namespace icon

const int IconSizes[] = {48, 64, 128, 256};

void SaveIcons(const std::string& folder) {
    for (int side : IconSizes) {
        std::vector<uint8_t> bytes;
        std::string path = folder + "/veldrune-" + std::to_string(side) + ".png";
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        if (EncodeRgbaPng(icon::Raster(side), PngEncoding{9, 0, 0xF8}, bytes))
            out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        if (bytes.empty() || !out) {
            std::fprintf(stderr, "make_images: cannot write %s\n", path.c_str());
            std::exit(1);
        }
    }
    std::string path = folder + "/veldrune.svg";
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << icon::Svg();
    if (!out) {
        std::fprintf(stderr, "make_images: cannot write %s\n", path.c_str());
        std::exit(1);
    }
}

}  // namespace

int main(int argc, char** argv) {
    const std::string folder = argc > 1 ? argv[1] : VELDRUNE_IMAGE_DIR;
    const std::string iconFolder = argc > 2 ? argv[2] : VELDRUNE_ICON_DIR;
    if (FT_Init_FreeType(&FreeType) != 0) {
        std::fprintf(stderr, "make_images: FreeType does not start\n");
        return 1;
    }
    const int sizes[3] = {800, 1024, 1280};
    for (int width : sizes) Save(folder, "Divider" + std::to_string(width), MakeDivider(width));
    Save(folder, "Pointer", MakePointer());

    for (int i = 0; i < 3; ++i) {
        const BackdropSize& size = BackdropSizes[i];
        Logo logo = MakeLogo(size);
        const float s = float(size.bandBottom - size.bandTop + 1) / 94.0f;
        Font headingFont = OpenFont(HeadingFontPath, int(std::lround(19 * s)));
        for (const BackdropPageRow& page : BackdropPages) {
            Save(folder, std::string("Backdrop") + page.name + std::to_string(size.width),
                 MakeBackdrop(size, logo, headingFont, page.heading));
        }
        FT_Done_Face(headingFont.face);
    }

    Font labelFont = OpenFont(LabelFontPath, 18);
    for (const MenuWords* words : {&GermanWords, &EnglishWords})
        for (int label = 0; label < MenuLabelCount; ++label)
            Save(folder, std::string("Label") + LabelNames[label] + (words == &GermanWords ? "De" : "En"),
                 MakeLabel(labelFont, words->Labels[label].Text, words->Labels[label].Hotkey));
    FT_Done_Face(labelFont.face);
    SaveIcons(iconFolder);
    FT_Done_FreeType(FreeType);
    std::printf("make_images: 91 images written to %s, the icon to %s\n", folder.c_str(), iconFolder.c_str());
    return 0;
}
