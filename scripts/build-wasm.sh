#!/bin/sh
# Builds the WebAssembly module of the engine (quenby_engine.js) and the
# command line over Node's file system (quenby-toc.js) with Debian's
# emscripten, in BUILD_DIR (default build/wasm), and copies both into npm/dist.
set -eu
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-build/wasm}
case $build in /*) ;; *) build=$here/$build ;; esac

if ! command -v emcmake >/dev/null 2>&1; then
  echo "build-wasm.sh: emscripten is missing: bash scripts/install-deps.sh all" >&2
  exit 2
fi
# Debian's emscripten runs its JavaScript optimizer on the system's Node,
# which finds the optimizer's modules only here.
NODE_PATH=/usr/share/nodejs${NODE_PATH:+:$NODE_PATH}
export NODE_PATH

generator=
command -v ninja >/dev/null 2>&1 && generator="-G Ninja"
# shellcheck disable=SC2086
emcmake cmake -S "$here/wasm" -B "$build" $generator -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j "${QUENBY_BUILD_JOBS:-2}"

mkdir -p "$here/npm/dist"
cp "$build/quenby_engine.js" "$build/quenby-toc.js" "$here/cli/quenby-toc.1" "$here/npm/dist/"
