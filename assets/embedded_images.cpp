// embedded_images.cpp — the 91 PNG files of assets/images/, built into the
// program with the assembler's .incbin, listed in decoding order.
#include "assets/assets.h"
#include "assets/embed_file.h"

#include <iterator>
#include <string_view>

#ifndef VELDRUNE_IMAGE_DIR
#error "VELDRUNE_IMAGE_DIR must name the folder of the PNG files"
#endif

// [SECTION] The files

// Each file becomes a read-only symbol VeldruneImage_<id> with its length
// VeldruneImage_<id>_Size. The identifier is the three pieces of the
// catalogue's lists pasted together (numbered_objects.h).
#define VELDRUNE_EMBED(kind, name, variant) \
    VELDRUNE_EMBED_FILE(VeldruneImage_##kind##name##variant, VELDRUNE_IMAGE_DIR "/" #kind #name #variant ".png")

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
