// embed_file.h — builds a file into the program with the assembler's
// .incbin, so there is no file to lose and the bytes are never copied.
#pragma once

#include <cstdint>

// Defines the read-only symbol SYMBOL holding the file at PATH (a string
// literal) and SYMBOL_Size, its length in bytes as the assembler measured
// it; both hidden, so the data is addressed directly.
#define VELDRUNE_EMBED_FILE(symbol, path)                                  \
    asm(".pushsection .rodata.veldrune_embedded,\"a\",@progbits\n"         \
        ".balign 16\n"                                                     \
        ".globl " #symbol "\n"                                             \
        ".hidden " #symbol "\n" #symbol ":\n"                              \
        ".incbin \"" path "\"\n" #symbol "_End:\n"                         \
        ".balign 8\n"                                                      \
        ".globl " #symbol "_Size\n"                                        \
        ".hidden " #symbol "_Size\n" #symbol "_Size:\n"                    \
        ".quad " #symbol "_End - " #symbol "\n"                            \
        ".popsection\n");                                                  \
    extern "C" const uint8_t symbol[];                                     \
    extern "C" const uint64_t symbol##_Size;
