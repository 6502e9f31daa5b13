// embedded_music.cpp — the menu's music, an Ogg Vorbis file that the build
// composes (tools/make_music.cpp), built into the program with .incbin as
// the pictures are, so there is no file to lose.
#include "assets/assets.h"

#ifndef VELDRUNE_MUSIC_FILE
#error "VELDRUNE_MUSIC_FILE must name the generated Ogg Vorbis file"
#endif

asm(".pushsection .rodata.veldrune_music,\"a\",@progbits\n"
    ".balign 16\n"
    ".globl VeldruneMusic\n"
    ".hidden VeldruneMusic\n"
    "VeldruneMusic:\n"
    ".incbin \"" VELDRUNE_MUSIC_FILE "\"\n"
    "VeldruneMusic_End:\n"
    ".balign 8\n"
    ".globl VeldruneMusic_Size\n"
    ".hidden VeldruneMusic_Size\n"
    "VeldruneMusic_Size:\n"
    ".quad VeldruneMusic_End - VeldruneMusic\n"
    ".popsection\n");
extern "C" const uint8_t VeldruneMusic[];
extern "C" const uint64_t VeldruneMusic_Size;

const EmbeddedFile MenuMusicTrack{VeldruneMusic, size_t(VeldruneMusic_Size)};
