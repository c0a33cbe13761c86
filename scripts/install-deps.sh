#!/usr/bin/env bash
# Makes sure the Debian packages the builds and tests need are installed.
# As root it installs what is missing; otherwise it names what to install.
set -euo pipefail

packages=(cmake ninja-build g++ libgtest-dev googletest g++-mingw-w64-i686-posix
          wine wine32:i386 fonts-wine xvfb x11-utils imagemagick clang libclang-rt-14-dev
          python3-html5lib patch)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
  echo "Missing Debian packages: ${missing[*]}" >&2
  echo "Install them as root with:" >&2
  echo "  dpkg --add-architecture i386 && apt-get update && apt-get install -y ${missing[*]}" >&2
  exit 1
fi

echo "Installing: ${missing[*]}"
dpkg --add-architecture i386
export DEBIAN_FRONTEND=noninteractive
apt-get update -q
apt-get install -y -q --no-install-recommends "${missing[@]}" >/dev/null
