#!/usr/bin/env bash
# build-web.sh [OUT]
# Assembles the offline web page in OUT (default build/web): web/'s page,
# style and scripts, the engine module and its API, and fflate's browser
# build. The engine's files are taken from QUENBY_ENGINE_JS (default
# build/wasm/quenby_engine.js) and QUENBY_API_JS (default npm/lib/quenby_api.js).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-$root/build/web}
engine=${QUENBY_ENGINE_JS:-$root/build/wasm/quenby_engine.js}
api=${QUENBY_API_JS:-$root/npm/lib/quenby_api.js}
fflate=$root/web/node_modules/fflate/umd/index.js

for needed in "$engine" "$api"; do
  [ -f "$needed" ] || { echo "build-web.sh: $needed is missing (build the WebAssembly engine first)" >&2; exit 1; }
done
[ -f "$fflate" ] || { echo "build-web.sh: $fflate is missing (run: npm ci --prefix web)" >&2; exit 1; }

mkdir -p "$out"
cp "$root"/web/index.html "$root"/web/style.css "$root"/web/*.js "$out"/
cp "$engine" "$out/quenby_engine.js"
cp "$api" "$out/quenby_api.js"
cp "$fflate" "$out/fflate.js"
cp "$root/web/node_modules/fflate/LICENSE" "$out/fflate-LICENSE.txt"
echo "The web page is in $out/index.html"
