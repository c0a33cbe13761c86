#!/usr/bin/env bash
# Placeholder until the TOC engine lands: builds the native build and runs its tests' smallest demo.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash scripts/install-deps.sh
cmake -S . -B build/native -G Ninja >/dev/null
cmake --build build/native --target value_test
build/native/value/value_test --gtest_brief=1
