#!/bin/sh
# Fuzzes the regular-expression engine for SECONDS seconds (default 60) with
# libFuzzer, AddressSanitizer and UndefinedBehaviorSanitizer, starting from the
# seeds in regex/fuzz/corpus. Builds in build/fuzz-regex with clang, apart
# from the main build. Exits non-zero on any finding (crash, sanitizer report,
# broken invariant, timeout, memory blow-up); the input is left in
# build/fuzz-regex/artifacts.
set -eu
seconds=${1:-60}
root=$(cd "$(dirname "$0")/.." && pwd)
out="$root/build/fuzz-regex"
mkdir -p "$out/corpus" "$out/artifacts"

CXX=${CXX_FUZZ:-clang++}
"$CXX" -std=c++17 -O1 -g -fno-omit-frame-pointer \
  -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
  -I"$root" \
  "$root/regex/fuzz/regex_fuzz.cpp" \
  "$root/regex/parse.cpp" "$root/regex/compile.cpp" "$root/regex/dfa.cpp" \
  "$root/regex/submatch.cpp" "$root/regex/regex_core.cpp" \
  -o "$out/regex_fuzz"

# The working corpus grows in build/; the kept seeds stay small.
cp "$root"/regex/fuzz/corpus/* "$out/corpus/"
cd "$out"
UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
ASAN_OPTIONS=detect_leaks=1 \
./regex_fuzz -max_total_time="$seconds" -max_len=512 -timeout=10 -rss_limit_mb=2048 \
  -artifact_prefix="$out/artifacts/" -print_final_stats=1 \
  "$out/corpus"
