#!/usr/bin/env bash
# The web server library on Windows: cross-builds its tests with the riddle
# site's Windows toolchain (MinGW-w64 i686, POSIX threads, Debian's Boost
# headers) and runs them under 32-bit Wine, natively or on the emulated
# route (wine32_route in scripts/wine.sh).
#
#   scripts/test-web-server-wine.sh [GTEST-ARGS...]
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/setup.sh
source scripts/wine.sh

build=build/win32-web-server
tests=$build/tools/web_server/web_server_tests.exe
# Built once, before the emulated route (if taken) starts this script again.
if [ -z "${ZORVANE_WEB_SERVER_BUILT:-}" ]; then
  ensure_packages "${ZORVANE_LINUX_PACKAGES[@]}" "${ZORVANE_WINDOWS_PACKAGES[@]}"
  werror=()
  [ -n "${ZORVANE_WERROR:-}" ] && werror=(-DZORVANE_WERROR="$ZORVANE_WERROR")
  cmake -S . -B "$build" -Wno-dev "${werror[@]}" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686-posix.cmake -DZORVANE_WINDOWS_WEB_SERVER=ON \
    -DZORVANE_BENCH=OFF >/dev/null
  cmake --build "$build" -j "$ZORVANE_JOBS" --target web_server_tests
  export ZORVANE_WEB_SERVER_BUILT=1
fi

ensure_wine
wine32_route scripts/test-web-server-wine.sh "$@" || exit 1
echo "== The web server's tests under Wine ($ZORVANE_WINE32_ROUTE)"
# The prefix of the DLL's build tree, which the other Wine stages use too.
prefix=build/win32/wine-prefix
wine_prefix win32 "$prefix"
trap 'wine_server win32 "$prefix" -k 2>/dev/null || true' EXIT
# The first program of a wineserver starts Wine's services, which keep its
# output open for as long as they run: let that be /dev/null.
wine_run win32 "$prefix" "$tests" --gtest_list_tests >/dev/null
wine_run win32 "$prefix" "$tests" "$@"
