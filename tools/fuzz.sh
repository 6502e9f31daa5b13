#!/usr/bin/env bash
# Builds the settings-text fuzzer with clang (libFuzzer, AddressSanitizer,
# UndefinedBehaviorSanitizer) and runs it for a number of seconds over the
# committed seed corpus.
#   tools/fuzz.sh [SECONDS]        default 60
# New inputs found go to a scratch corpus beside the build, not into the
# repository; a crash leaves its input in build-fuzz/ and fails the script.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"
out=build-fuzz
mkdir -p "$out/corpus"
clang++ -std=c++20 -g -O1 -I. -Wall -Wextra \
    -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all \
    tests/fuzz/settings_fuzzer.cpp formats/settings_text.cpp \
    -o "$out/settings_fuzzer"
echo "running the settings fuzzer for ${seconds} s"
"$out/settings_fuzzer" -max_total_time="$seconds" -max_len=4096 -rss_limit_mb=1024 \
    -timeout=10 -print_final_stats=1 -artifact_prefix="$out/" \
    "$out/corpus" tests/fuzz/corpus
