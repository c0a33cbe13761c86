#!/usr/bin/env bash
# test-web.sh
# Assembles the offline web page in build/web and runs its test in headless
# Chromium: the page's results against the native quenby-toc's, its preview,
# its zip; a screenshot of the page after a run lands in build/web-test/.
# QUENBY_TOC names the native program (default build/native/bin/quenby-toc);
# QUENBY_ENGINE_JS and QUENBY_API_JS the engine's files (see build-web.sh);
# without QUENBY_ENGINE_JS, scripts/build-wasm.sh brings build/wasm up to date.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

export QUENBY_TOC=$(realpath -m "${QUENBY_TOC:-$root/build/native/bin/quenby-toc}")
if [ -z "${QUENBY_ENGINE_JS:-}" ] && [ -f scripts/build-wasm.sh ]; then
  bash scripts/build-wasm.sh
fi
export QUENBY_ENGINE_JS=${QUENBY_ENGINE_JS:-$root/build/wasm/quenby_engine.js}
export QUENBY_API_JS=${QUENBY_API_JS:-$root/npm/lib/quenby_api.js}
export QUENBY_WEB_DIR=$root/build/web
export QUENBY_WEB_TEST_OUT=$root/build/web-test
export CHROMIUM=${CHROMIUM:-/usr/bin/chromium}

[ -x "$QUENBY_TOC" ] || { echo "test-web.sh: $QUENBY_TOC is missing (build build/native first)" >&2; exit 1; }
[ -d web/node_modules ] || { echo "test-web.sh: run 'npm ci' in web/ first (scripts/install-deps.sh does)" >&2; exit 1; }

rm -rf "$QUENBY_WEB_DIR" "$QUENBY_WEB_TEST_OUT"
bash scripts/build-web.sh "$QUENBY_WEB_DIR"
(cd web && node --test test/)
echo "The page after a run: $QUENBY_WEB_TEST_OUT/web-page.png"
