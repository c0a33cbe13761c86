#!/bin/sh
# quenby-toc as a shell runs it: exit codes, pipes, several files, and an
# installation into a scratch prefix that must work on its own.
#   quenby_toc_program_test.sh PROGRAM BUILD_DIR SOURCE_DIR
program=$1 build=$2 source=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
passed=0 failed=0
check() {  # check NAME COMMAND...: the command must succeed
  name=$1; shift
  if "$@"; then passed=$((passed + 1)); else failed=$((failed + 1)); echo "FAILED: $name"; fi
}
status_of() { "$@" >/dev/null 2>&1; echo $?; }

printf '<html><body>\r\n<h1>Intro</h1>\r\n</body></html>' > "$work/a.html"
cp "$work/a.html" "$work/b.html"
cp "$work/a.html" "$work/original.html"

check "help exits 0" test "$(status_of "$program" --help)" = 0
for option in --check --diff --levels --anchors --names --skip-class --within --style --number --remove --max-size; do
  check "help names $option" sh -c "'$program' --help | grep -q -- '$option'"
  check "manual page names $option" grep -q -- "$(echo "$option" | sed 's/-/\\\\-/g')" "$source/cli/quenby-toc.1"
done
check "no FILE is bad usage" test "$(status_of "$program")" = 2
check "unknown option is bad usage" test "$(status_of "$program" --nope a)" = 2
err=$("$program" --nope=1 a 2>&1)
check "usage error is one line and a hint" test "$err" = "quenby-toc: unknown option '--nope=1'
Try 'quenby-toc --help' for more information."
check "a unique prefix is the option" sh -c "'$program' --vers | grep -q quenby-toc"

SOURCE_DATE_EPOCH=42 "$program" - < "$work/a.html" > "$work/piped.html"
check "stdin to stdout" grep -q '<nav class="toc" aria-label="Table of contents">' "$work/piped.html"
SOURCE_DATE_EPOCH=42 "$program" -s classic - < "$work/a.html" | grep -q kryn_link_1_42
check "the stamp from SOURCE_DATE_EPOCH" test $? = 0
check "stdin leaves no temporary files" test -z "$(ls "${TMPDIR:-/tmp}" | grep '^quenby-toc-')"
"$program" --stamp 42 -s details --names slug - < "$work/a.html" > "$work/details.html"
check "options through a pipe" grep -q '<h1 id="intro" data-kryn-toc>Intro</h1>' "$work/details.html"

"$program" --stamp 42 "$work/b.html"
check "in place equals piped" cmp -s "$work/b.html" "$work/piped.html"
"$program" --stamp 42 -o - "$work/a.html" > "$work/dash.html"
check "-o - writes standard output" cmp -s "$work/dash.html" "$work/piped.html"
check "-o - leaves the FILE" cmp -s "$work/a.html" "$work/original.html"
check "check of a done file exits 0" test "$(status_of "$program" -c "$work/b.html")" = 0
check "check of a fresh file exits 1" test "$(status_of "$program" -c "$work/a.html")" = 1
check "missing file exits 2" test "$(status_of "$program" "$work/none.html" "$work/b.html")" = 2
err=$("$program" "$work/none.html" 2>&1)
check "missing file is one line" test "$err" = "quenby-toc: $work/none.html: no such file"
check "directory exits 2" test "$(status_of "$program" "$work")" = 2

# An installation works without the build tree: the program finds its library.
cmake --install "$build" --prefix "$work/prefix" >/dev/null
check "installed program" test -x "$work/prefix/bin/quenby-toc"
check "installed manual page" test -f "$work/prefix/share/man/man1/quenby-toc.1"
check "installed library" test -f "$work/prefix/lib/quenby/kr_px_regex.so"
cp "$work/a.html" "$work/c.html"
check "installed program runs" "$work/prefix/bin/quenby-toc" --stamp 42 "$work/c.html"
check "installed program gives the same bytes" cmp -s "$work/c.html" "$work/piped.html"

# Without its library the program refuses to run.
cp "$program" "$work/alone"
check "no library, exit 2" test "$(status_of "$work/alone" "$work/a.html")" = 2
check "no library, says so" sh -c "'$work/alone' '$work/a.html' 2>&1 | grep -q kr_px_regex"
check "no library, file untouched" cmp -s "$work/a.html" "$work/original.html"

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
