#!/bin/sh
# with_screenshots.sh SHOT_FOLDER COMMAND...
# Runs COMMAND (a Windows test program under Wine) and answers its screenshot
# requests: a request names the picture and the screen rectangle to take.
shots=$1
shift
requests=$shots/requests
mkdir -p "$requests"
rm -f "$requests"/*.request
QUENBY_SCREENSHOT_REQUESTS=$requests
export QUENBY_SCREENSHOT_REQUESTS

"$@" &
test_pid=$!
while kill -0 "$test_pid" 2>/dev/null; do
  for request in "$requests"/*.request; do
    [ -f "$request" ] || continue
    geometry=$(head -n 1 "$request")
    case "$geometry" in
      *x*+*+*) ;;
      *) continue ;;   # still being written
    esac
    name=$(basename "$request" .request)
    if ! import -window root -crop "$geometry" +repage "$shots/$name.png"; then
      echo "with_screenshots: no picture of $name" >&2
    fi
    rm -f "$request"
  done
  sleep 0.2
done
wait "$test_pid"
