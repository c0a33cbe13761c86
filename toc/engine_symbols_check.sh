#!/bin/sh
# The engine works on bytes alone: its library must not call anything that
# opens a file, starts a thread or loads a library. Fails naming what crept
# in. Usage: engine_symbols_check.sh NM LIBRARY
nm_tool=$1
library=$2
symbols=$("$nm_tool" -C "$library") || { echo "cannot read $library" >&2; exit 2; }
found=$(printf '%s\n' "$symbols" | awk '
  NF >= 2 && $(NF-1) == "U" && $NF ~ /^_*(open|open64|openat|creat|fopen|fopen64|freopen|_wopen|_wfopen|dlopen|dlsym|LoadLibrary[AW]?|CreateFile[AW]?|pthread_[a-z_]+|CreateThread|_beginthreadex)$/ { print; next }
  /std::thread|std::filesystem|std::__cxx11::basic_[io]?fstream|std::basic_[io]?fstream|std::jthread/ { print }')
if [ -n "$found" ]; then
  echo "$library uses what the engine must not:" >&2
  printf '%s\n' "$found" >&2
  exit 1
fi
echo "$library: no file, thread or library loading"
