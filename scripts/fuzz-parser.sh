#!/bin/sh
# Fuzzes the HTML parser for SECONDS seconds: builds html/fuzz with clang
# (libFuzzer, AddressSanitizer, UndefinedBehaviorSanitizer) in build/fuzz-parser
# and runs it from the seed corpus in html/fuzz/corpus. Exits non-zero on any
# finding; the failing input is left in build/fuzz-parser/.
set -eu

if [ $# -ne 1 ] || ! [ "$1" -gt 0 ] 2>/dev/null; then
  echo "usage: $0 SECONDS" >&2
  exit 2
fi
seconds=$1
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build/fuzz-parser

cmake -S "$root/html/fuzz" -B "$build" -G Ninja \
  -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j2

# New inputs go to a working corpus; the seeds in the repository stay as they are.
mkdir -p "$build/corpus"
exec "$build/krhtml_fuzz" \
  -max_total_time="$seconds" -max_len=65536 -timeout=20 -rss_limit_mb=2560 \
  -dict="$root/html/fuzz/html.dict" -print_final_stats=1 -artifact_prefix="$build/" \
  "$build/corpus" "$root/html/fuzz/corpus"
