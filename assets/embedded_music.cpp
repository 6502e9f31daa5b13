// embedded_music.cpp — the menu's music, an Ogg Vorbis file that the build
// composes (tools/make_music.cpp), built into the program with .incbin as
// the pictures are, so there is no file to lose.
#include "assets/assets.h"
#include "assets/embed_file.h"

#ifndef VELDRUNE_MUSIC_FILE
#error "VELDRUNE_MUSIC_FILE must name the generated Ogg Vorbis file"
#endif

VELDRUNE_EMBED_FILE(VeldruneMusic, VELDRUNE_MUSIC_FILE)

const EmbeddedFile MenuMusicTrack{VeldruneMusic, size_t(VeldruneMusic_Size)};
