#!/usr/bin/env bash
# Makes the release kit, build/win32-site/zorvane-<version>-win32.zip: the
# 32-bit modules from the DLLs' build (build/win32, made here when missing):
# zorvane.dll and zorvane-signin.dll, then zorvane-site.exe, the riddle
# collection and the operator's guides.
#
#   scripts/make-kit.sh [CMAKE-ARGS...]   e.g. -DRIDDLE_SITE_BASE=http://riddles.example:8723
#
# CMAKE-ARGS go to the DLLs' build when this script makes it.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/setup.sh
ensure_packages "${ZORVANE_LINUX_PACKAGES[@]}" "${ZORVANE_WINDOWS_PACKAGES[@]}"

dll_build=build/win32
site_build=build/win32-site

if [ ! -f "$dll_build/zorvane.dll" ] || [ ! -f "$dll_build/zorvane-signin.dll" ] ||
  [ $# -gt 0 ]; then
  echo "== The 32-bit modules"
  configure_and_build "$dll_build" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake "$@"
fi

# The site serves on the web server (tools/web_server), which reads Debian's
# Boost headers for Windows too.
echo "== The riddle site for Windows and the kit"
configure_and_build "$site_build" -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686-posix.cmake -DZORVANE_WINDOWS_SITE=ON \
  -DZORVANE_TESTS=OFF -DZORVANE_BENCH=OFF -DZORVANE_KIT_DLL="$PWD/$dll_build/zorvane.dll"
(cd "$site_build" && cpack -G ZIP >cpack.log) || {
  cat "$site_build/cpack.log" >&2
  exit 1
}
ls "$site_build"/zorvane-*-win32.zip
