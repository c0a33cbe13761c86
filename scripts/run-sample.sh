#!/usr/bin/env bash
# Builds the native build when needed and makes the TOC of the bundled sample
# page: samples/sample.html stays as it is; the result is build/sample-with-toc.html.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash scripts/install-deps.sh native
if [ ! -f build/native/build.ninja ]; then
  cmake -S . -B build/native -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
cmake --build build/native --target quenby-toc >/dev/null
out=build/sample-with-toc.html
cp samples/sample.html "$out"
build/native/bin/quenby-toc "$out"
echo "The sample with its table of contents: $root/$out"
