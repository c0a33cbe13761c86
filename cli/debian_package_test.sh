#!/bin/sh
# The Debian package that "cpack -G DEB" makes of a native build: its name,
# dependencies and files, and the program unpacked from it at work.
#   debian_package_test.sh BUILD_DIR
build=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
passed=0 failed=0
check() {  # check NAME COMMAND...: the command must succeed
  name=$1; shift
  if "$@"; then passed=$((passed + 1)); else failed=$((failed + 1)); echo "FAILED: $name"; fi
}

(cd "$work" && cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1) ||
  { cat "$work/cpack.log"; echo "FAILED: cpack"; exit 1; }
package=$(ls "$work"/out/quenby-toc_*.deb 2>/dev/null | head -n 1)
check "a package is made" test -f "$package"
dpkg-deb -f "$package" Package Version Depends Section > "$work/fields"
check "named quenby-toc" grep -qx 'Package: quenby-toc' "$work/fields"
check "version 1.0" grep -qx 'Version: 1.0' "$work/fields"
check "depends on the C library" grep -q '^Depends:.*libc6' "$work/fields"
dpkg-deb -c "$package" | awk '{print $NF}' > "$work/files"
for file in ./usr/bin/quenby-toc ./usr/lib/quenby/kr_px_regex.so ./usr/share/man/man1/quenby-toc.1; do
  check "holds $file" grep -qx "$file" "$work/files"
done

# Unpacked where dpkg would put it, the program finds its library and works.
dpkg-deb -x "$package" "$work/root"
printf '<html><body>\r\n<h1>Intro</h1>\r\n</body></html>' > "$work/a.html"
check "unpacked program runs" "$work/root/usr/bin/quenby-toc" --stamp 42 "$work/a.html"
check "unpacked program made the TOC" grep -q '<h1 id="intro" data-kryn-toc>' "$work/a.html"
check "manual page reads" sh -c "MANWIDTH=80 man -l '$work/root/usr/share/man/man1/quenby-toc.1' 2>/dev/null | grep -q 'CONTENTS PAGE'"

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
