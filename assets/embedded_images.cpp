// embedded_images.cpp — the 91 PNG files of assets/images/, built into the
// program with the assembler's .incbin, listed in decoding order.
#include "assets/assets.h"

#include <iterator>
#include <string_view>

#ifndef VELDRUNE_IMAGE_DIR
#error "VELDRUNE_IMAGE_DIR must name the folder of the PNG files"
#endif

// [SECTION] The files

// Each file becomes a read-only symbol VeldruneImage_<id>, followed by its
// length in bytes as VeldruneImage_<id>_Size (the assembler measures it);
// both are hidden, so the data is addressed directly. The identifier is the
// three pieces of the catalogue's lists pasted together (numbered_objects.h).
#define VELDRUNE_EMBED(kind, name, variant)                                                  \
    asm(".pushsection .rodata.veldrune_images,\"a\",@progbits\n"                             \
        ".balign 16\n"                                                                       \
        ".globl VeldruneImage_" #kind #name #variant "\n"                                    \
        ".hidden VeldruneImage_" #kind #name #variant "\n"                                   \
        "VeldruneImage_" #kind #name #variant ":\n"                                          \
        ".incbin \"" VELDRUNE_IMAGE_DIR "/" #kind #name #variant ".png\"\n"                  \
        "VeldruneImage_" #kind #name #variant "_End:\n"                                      \
        ".balign 8\n"                                                                        \
        ".globl VeldruneImage_" #kind #name #variant "_Size\n"                               \
        ".hidden VeldruneImage_" #kind #name #variant "_Size\n"                              \
        "VeldruneImage_" #kind #name #variant "_Size:\n"                                     \
        ".quad VeldruneImage_" #kind #name #variant "_End - VeldruneImage_" #kind #name #variant "\n" \
        ".popsection\n");                                                                    \
    extern "C" const uint8_t VeldruneImage_##kind##name##variant[];                          \
    extern "C" const uint64_t VeldruneImage_##kind##name##variant##_Size;

#define VELDRUNE_ROW(kind, name, variant) \
    {#kind #name #variant, VeldruneImage_##kind##name##variant, size_t(VeldruneImage_##kind##name##variant##_Size)},
#define VELDRUNE_IDENTIFIER(kind, name, variant) #kind #name #variant,

// Every image once, in decoding order: dividers, pointer, backdrops by size,
// German labels, English labels.
#define VELDRUNE_ALL_IMAGES(M)                                                                      \
    M(Divider, 800, ) M(Divider, 1024, ) M(Divider, 1280, ) M(Pointer, , )                          \
    VELDRUNE_BACKDROP_PAGES(M, 800) VELDRUNE_BACKDROP_PAGES(M, 1024) VELDRUNE_BACKDROP_PAGES(M, 1280) \
    VELDRUNE_MENU_LABELS(M, De) VELDRUNE_MENU_LABELS(M, En)

VELDRUNE_ALL_IMAGES(VELDRUNE_EMBED)

// The places the catalogue's numbers count on.
namespace {
constexpr std::string_view Identifiers[] = {VELDRUNE_ALL_IMAGES(VELDRUNE_IDENTIFIER)};
static_assert(std::size(Identifiers) == EmbeddedImageCount, "the embedded image list and EmbeddedImageCount disagree");
static_assert(Identifiers[ImageDividerFirst] == "Divider800" && Identifiers[ImagePointer] == "Pointer" &&
                  Identifiers[ImageBackdropFirst] == "BackdropMain800" &&
                  Identifiers[ImageBackdropFirst + BackdropPageCount] == "BackdropMain1024" &&
                  Identifiers[ImageLabelFirst] == "LabelNewGameDe" &&
                  Identifiers[ImageLabelFirst + MenuLabelCount] == "LabelNewGameEn" &&
                  Identifiers[EmbeddedImageCount - 1] == "LabelQuitEn",
              "each kind of picture starts where the catalogue's numbers count from");
}  // namespace

// [SECTION] The table

const EmbeddedImage EmbeddedImages[EmbeddedImageCount] = {VELDRUNE_ALL_IMAGES(VELDRUNE_ROW)};
