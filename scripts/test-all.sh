#!/usr/bin/env bash
# Builds both builds and runs every test: the native tests, the Windows tests
# under Wine (and Xvfb for windows), and the fuzzers for a short while.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

bash scripts/install-deps.sh

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

echo "== Windows build"
cmake -S . -B build/win -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-i686.cmake \
      -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build/win -j"$(nproc)"
echo "== Windows tests (Wine)"
source scripts/wine-env.sh
ctest --test-dir build/win --output-on-failure ||
  { status=1; failed+=("Windows tests: $(failed_tests build/win)"); }

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
