#!/usr/bin/env bash
# Runs the same settings scenarios and number conversions through the Windows
# API and msvcrt (a small x86_64 Windows program under wine64) and through the
# Linux build, and fails on any difference that is not explained.
# Usage: scripts/test-differential.sh [LINUX-BUILD-DIR]   (default build/release)
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/setup.sh
source scripts/wine.sh
ensure_wine

build=${1:-build/release}
cmake --build "$build" -j "$ZORVANE_JOBS" --target settings_differential
out=$build/differential
mkdir -p "$out"
x86_64-w64-mingw32-g++-posix -std=c++20 -O2 -Wall -Wextra -Werror -static -Itests \
  -o "$out/windows_probe.exe" tests/differential/windows_probe.cpp

# The prefix of the 64-bit DLL's build tree, which the other Wine stages use too.
prefix=$PWD/build/win64/wine-prefix
wine_prefix win64 "$prefix"
trap 'wine_server win64 "$prefix" -k 2>/dev/null || true' EXIT

rm -rf "$out/run"
mkdir -p "$out/run"
"$build/tests/settings_differential" prepare "$out/run"
(cd "$out/run" && wine_run win64 "$prefix" ../windows_probe.exe script.txt >windows.txt)
"$build/tests/settings_differential" compare "$out/run"
