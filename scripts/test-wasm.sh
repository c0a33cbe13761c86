#!/usr/bin/env bash
# test-wasm.sh [NATIVE_BUILD [WASM_BUILD]]: builds the WebAssembly module and
# command line (scripts/build-wasm.sh) and runs the npm package's tests: its
# bytes against the native quenby-toc of NATIVE_BUILD (default build/native,
# which must be built), the packed package installed in a scratch folder, and
# an Eleventy site. Needs emscripten and npm ci in npm/ (install-deps.sh all).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
native=${1:-build/native}
case $native in /*) ;; *) native=$root/$native ;; esac

if [ ! -x "$native/bin/quenby-toc" ]; then
  echo "test-wasm.sh: no native quenby-toc in $native/bin (build it first)" >&2
  exit 2
fi
bash scripts/build-wasm.sh "${2:-build/wasm}"
cd npm
QUENBY_NATIVE_TOC=$native/bin/quenby-toc node --test test/*.test.mjs
