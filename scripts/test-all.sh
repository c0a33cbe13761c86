#!/usr/bin/env bash
# Builds both builds and runs every test: the native tests, the Windows tests
# under Wine (and Xvfb for windows), and the fuzzers for a short while.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

bash scripts/install-deps.sh

status=0
echo "== Native build"
cmake -S . -B build/native -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build/native -j"$(nproc)"
echo "== Native tests"
ctest --test-dir build/native --output-on-failure -j"$(nproc)" || status=1

echo "== Windows build"
cmake -S . -B build/win -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-i686.cmake \
      -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build/win -j"$(nproc)"
echo "== Windows tests (Wine)"
source scripts/wine-env.sh
ctest --test-dir build/win --output-on-failure || status=1

for fuzz in scripts/fuzz-*.sh; do
  [ -f "$fuzz" ] || continue
  name=$(basename "$fuzz" .sh)
  case "$name" in
    fuzz-regex) seconds=30 ;;
    *) seconds=60 ;;
  esac
  echo "== $name for $seconds s"
  bash "$fuzz" "$seconds" || status=1
done

[ $status -eq 0 ] && echo "All tests passed." || echo "Some tests FAILED."
exit $status
