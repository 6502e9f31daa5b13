// embedded_images.cpp — the 91 PNG files of assets/images/, built into the
// program with the assembler's .incbin, listed in decoding order.
#include "assets/assets.h"

#ifndef VELDRUNE_IMAGE_DIR
#error "VELDRUNE_IMAGE_DIR must name the folder of the PNG files"
#endif

// [SECTION] The files

// Each file becomes a read-only symbol VeldruneImage_<id>, followed by its
// length in bytes as VeldruneImage_<id>_Size (the assembler measures it);
// both are hidden, so the data is addressed directly.
#define VELDRUNE_EMBED(id)                                                              \
    asm(".pushsection .rodata.veldrune_images,\"a\",@progbits\n"                        \
        ".balign 16\n"                                                                  \
        ".globl VeldruneImage_" #id "\n"                                                \
        ".hidden VeldruneImage_" #id "\n"                                               \
        "VeldruneImage_" #id ":\n"                                                      \
        ".incbin \"" VELDRUNE_IMAGE_DIR "/" #id ".png\"\n"                              \
        "VeldruneImage_" #id "_End:\n"                                                  \
        ".balign 8\n"                                                                   \
        ".globl VeldruneImage_" #id "_Size\n"                                           \
        ".hidden VeldruneImage_" #id "_Size\n"                                          \
        "VeldruneImage_" #id "_Size:\n"                                                 \
        ".quad VeldruneImage_" #id "_End - VeldruneImage_" #id "\n"                     \
        ".popsection\n");                                                               \
    extern "C" const uint8_t VeldruneImage_##id[];                                      \
    extern "C" const uint64_t VeldruneImage_##id##_Size;

#define VELDRUNE_ROW(id) {#id, VeldruneImage_##id, size_t(VeldruneImage_##id##_Size)}

// The backdrops of one size, in page order.
#define VELDRUNE_BACKDROPS(M, size)                                                                         \
    M(BackdropMain##size) M(BackdropNewGameDe##size) M(BackdropLoadGameDe##size) M(BackdropOptionsDe##size)  \
    M(BackdropCreditsDe##size) M(BackdropQuitDe##size) M(BackdropNewGameEn##size) M(BackdropLoadGameEn##size) \
    M(BackdropOptionsEn##size) M(BackdropCreditsEn##size) M(BackdropQuitEn##size)

// The labels of one language, in item order.
#define VELDRUNE_LABELS(M, lang)                                                                             \
    M(LabelNewGame##lang) M(LabelLoadGame##lang) M(LabelOptions##lang) M(LabelControl##lang)                 \
    M(LabelForward##lang) M(LabelBackward##lang) M(LabelLeft##lang) M(LabelRight##lang) M(LabelDuck##lang)   \
    M(LabelJump##lang) M(LabelJournal##lang) M(LabelScreenshot##lang) M(LabelGameplay##lang)                 \
    M(LabelLanguage##lang) M(LabelGerman##lang) M(LabelEnglish##lang) M(LabelGraphic##lang)                  \
    M(LabelResolution##lang) M(LabelRes800##lang) M(LabelRes1024##lang) M(LabelRes1280##lang)                \
    M(LabelSound##lang) M(LabelMusic##lang) M(LabelOn##lang) M(LabelOff##lang) M(LabelCredits##lang)         \
    M(LabelQuit##lang)

// Every image once, in decoding order: dividers, pointer, backdrops by size,
// German labels, English labels.
#define VELDRUNE_ALL_IMAGES(M)                                                      \
    M(Divider800) M(Divider1024) M(Divider1280) M(Pointer)                          \
    VELDRUNE_BACKDROPS(M, 800) VELDRUNE_BACKDROPS(M, 1024) VELDRUNE_BACKDROPS(M, 1280) \
    VELDRUNE_LABELS(M, De) VELDRUNE_LABELS(M, En)

VELDRUNE_ALL_IMAGES(VELDRUNE_EMBED)

#define VELDRUNE_COMMA_ROW(id) VELDRUNE_ROW(id),
#define VELDRUNE_COUNT_ONE(id) +1
static_assert((0 VELDRUNE_ALL_IMAGES(VELDRUNE_COUNT_ONE)) == EmbeddedImageCount,
              "the embedded image list and EmbeddedImageCount disagree");

// [SECTION] The table

const EmbeddedImage EmbeddedImages[EmbeddedImageCount] = {VELDRUNE_ALL_IMAGES(VELDRUNE_COMMA_ROW)};

// Images 0..36 (dividers, pointer, backdrops) take sprites 97..133; the 54
// labels take 140..193, leaving 134..139 unused.
int EmbeddedImageSprite(int index) {
    if (index < 0 || index >= EmbeddedImageCount) return 0;
    constexpr int LabelsStart = 37;
    return index < LabelsStart ? 97 + index : 140 + (index - LabelsStart);
}
