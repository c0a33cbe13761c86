#!/usr/bin/env bash
# install-deps.sh [native|all]
# Makes sure the Debian packages a set of builds and tests needs are installed:
#   native  the native build (what the sample needs);
#   all     (the default) besides those, the native tests' tools, the Windows
#           builds and Wine of both word sizes with a virtual display, and the
#           fuzzers, emscripten, chromium, and the npm dependencies of npm/
#           and web/ (npm ci, from their package-lock.json).
# As root it installs what is missing; otherwise it names what to install.
set -euo pipefail

native=(cmake ninja-build g++ libgtest-dev googletest)
# The native tests' markup check, --diff's patch, the pre-commit hooks'
# file and the Debian package's dependencies.
native_tests=(python3-html5lib python3-yaml patch dpkg-dev)
# Both cross compilers and both Wines: the tests run the 32-bit build where
# the machine runs 32-bit programs and the 64-bit build where it cannot.
# groff turns the manual page into the plain text of quenby-toc.exe's zip.
windows=(g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix wine wine32:i386 wine64
         fonts-wine xvfb x11-utils imagemagick groff-base)
fuzzers=(clang libclang-rt-14-dev)
# The WebAssembly builds; Node and npm come with the machine. The web page's
# test drives Debian's chromium.
wasm=(emscripten)
web=(chromium)

case "${1:-all}" in
  native) packages=("${native[@]}") ;;
  all) packages=("${native[@]}" "${native_tests[@]}" "${windows[@]}" "${fuzzers[@]}" "${wasm[@]}" "${web[@]}") ;;
  *) echo "usage: install-deps.sh [native|all]" >&2; exit 2 ;;
esac

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

# The npm packages of the package (npm/: Eleventy for its test) and of the
# web page (web/: fflate for its zip, playwright-core for its test, which
# drives Debian's chromium and never downloads a browser of its own), exactly
# as locked, where a lock is newer than what is installed.
npm_ci() {
  [ "${1:-all}" = all ] || return 0
  local here dir
  here=$(cd "$(dirname "$0")/.." && pwd)
  for dir in "$here/npm" "$here/web"; do
    [ -f "$dir/node_modules/.package-lock.json" ] &&
      [ ! "$dir/package-lock.json" -nt "$dir/node_modules/.package-lock.json" ] && continue
    if ! command -v npm >/dev/null 2>&1; then
      echo "npm is missing: install Node.js 18 or later with npm" >&2
      return 1
    fi
    (cd "$dir" && PLAYWRIGHT_SKIP_BROWSER_DOWNLOAD=1 npm ci --no-audit --no-fund --silent)
  done
}
trap 'npm_ci "${1:-all}" || exit 1' EXIT
[ ${#missing[@]} -eq 0 ] && exit 0

# The 32-bit Wine comes from the i386 architecture, which must be added first.
add_i386=
case " ${missing[*]}" in *:i386*) add_i386=yes ;; esac

if [ "$(id -u)" -ne 0 ]; then
  echo "Missing Debian packages: ${missing[*]}" >&2
  echo "Install them as root with:" >&2
  echo "  ${add_i386:+dpkg --add-architecture i386 && }apt-get update && apt-get install -y ${missing[*]}" >&2
  exit 1
fi

echo "Installing: ${missing[*]}"
[ -z "$add_i386" ] || dpkg --add-architecture i386
export DEBIAN_FRONTEND=noninteractive
# A mirror caught mid-sync fails one index now and then: try again, and go on
# with the indexes that did arrive if it keeps failing.
for attempt in 1 2 3; do
  apt-get update -q && break
  [ $attempt -lt 3 ] || break
  echo "apt-get update failed (attempt $attempt); trying again" >&2
  sleep $((attempt * 10))
done
if ! apt-get install -y -q --no-install-recommends "${missing[@]}" >/dev/null; then
  # The 32-bit packages need i386 indexes of the same versions as the amd64
  # ones, which a mirror caught mid-sync does not always give. Without them
  # the Windows tests run the 64-bit build under 64-bit Wine, as on machines
  # that cannot run 32-bit programs at all (scripts/wine-env.sh chooses).
  rest=()
  for p in "${missing[@]}"; do
    case "$p" in *:i386) ;; *) rest+=("$p") ;; esac
  done
  [ ${#rest[@]} -lt ${#missing[@]} ] || exit 1
  echo "install-deps: the 32-bit packages could not be installed; the Windows tests will take the 64-bit path" >&2
  [ ${#rest[@]} -eq 0 ] || apt-get install -y -q --no-install-recommends "${rest[@]}" >/dev/null
fi
