#!/usr/bin/env bash
# Builds both builds and runs every test: the native tests, the Windows tests
# under Wine (and Xvfb for windows), and the fuzzers for a short while.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

bash scripts/install-deps.sh all

status=0
failed=()   # what failed, repeated at the end where a log's tail shows it

# The names of the tests that failed in the last ctest run of a build.
failed_tests() {
  local log="$1/Testing/Temporary/LastTestsFailed.log"
  if [ -f "$log" ]; then tr '\n' ' ' <"$log"; fi
}

# A fuzzer's findings, kept in the log (the build folder may not outlive the
# run): each failing input's name and its first 4 KiB in base64.
findings=()
fuzz_findings() {
  local input
  local dir=build/$1
  for input in "$dir"/crash-* "$dir"/timeout-* "$dir"/oom-* "$dir"/leak-* "$dir"/artifacts/*; do
    [ -f "$input" ] || continue
    findings+=("$input: $(head -c 4096 "$input" | base64 -w0)")
  done
}

echo "== Native build"
cmake -S . -B build/native -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build/native -j"$(nproc)"
echo "== Native tests"
ctest --test-dir build/native --output-on-failure -j"$(nproc)" ||
  { status=1; failed+=("native tests: $(failed_tests build/native)"); }

echo "== WebAssembly module and npm package"
bash scripts/test-wasm.sh build/native || { status=1; failed+=("WebAssembly and npm tests"); }

echo "== Web page (headless Chromium)"
bash scripts/test-web.sh || { status=1; failed+=("web page"); }

# The shipped build is the 32-bit one: it is built, and its distribution
# assembled, on every machine.
echo "== Windows build (32-bit, the distribution)"
cmake -S . -B build/win -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-i686.cmake \
      -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build/win -j"$(nproc)"

# Its tests run under 32-bit Wine where this machine runs 32-bit programs;
# elsewhere (or with QUENBY_WINE_BITS=64) the 64-bit build's run under 64-bit
# Wine, and the 32-bit build's distribution is checked without Wine.
source scripts/wine-env.sh
echo "== Wine: the Windows tests run the $QUENBY_WINE_BITS-bit build under $QUENBY_WINE_BITS-bit Wine, as $QUENBY_WINE_REASON"
if [ "$QUENBY_WINE_BITS" = 64 ]; then
  ctest --test-dir build/win --output-on-failure -R '^distribution_' ||
    { status=1; failed+=("32-bit distribution: $(failed_tests build/win)"); }
  echo "== Windows build (64-bit, for the tests)"
  cmake -S . -B build/win64 -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
        -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  cmake --build build/win64 -j"$(nproc)"
fi
echo "== Windows tests (Wine, $QUENBY_WINE_BITS-bit)"
ctest --test-dir "$QUENBY_WINDOWS_BUILD" --output-on-failure ||
  { status=1; failed+=("Windows tests ($QUENBY_WINE_BITS-bit): $(failed_tests "$QUENBY_WINDOWS_BUILD")"); }

for fuzz in scripts/fuzz-*.sh; do
  [ -f "$fuzz" ] || continue
  name=$(basename "$fuzz" .sh)
  case "$name" in
    fuzz-regex) seconds=30 ;;
    *) seconds=60 ;;
  esac
  echo "== $name for $seconds s"
  bash "$fuzz" "$seconds" || { status=1; failed+=("$name"); fuzz_findings "$name"; }
done

if [ $status -eq 0 ]; then
  echo "All tests passed."
else
  echo "Some tests FAILED:"
  printf '  %s\n' "${failed[@]}"
  [ ${#findings[@]} -eq 0 ] || printf '  %s\n' "${findings[@]}"
fi
exit $status
