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
ensure_packages "${ZORVANE_LINUX_PACKAGES[@]}" "${ZORVANE_WINDOWS_PACKAGES[@]}" patch xz-utils

dll_build=build/win32
site_build=build/win32-site

if [ ! -f "$dll_build/zorvane.dll" ] || [ ! -f "$dll_build/zorvane-signin.dll" ] ||
  [ $# -gt 0 ]; then
  echo "== The 32-bit modules"
  configure_and_build "$dll_build" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake "$@"
fi

# fetch_httplib DIR: DIR/include/httplib.h, the whole header-only library of
# the cpp-httplib version that Debian ships. Debian's package splits it into
# a header and a Linux library; its source package holds the whole header,
# which Windows builds need. Fetched with apt through lists of our own, so
# the machine's apt configuration stays as it is.
fetch_httplib() {
  local dir=$1
  [ -f "$dir/include/httplib.h" ] && return 0
  local version
  version=$(dpkg-query -W -f='${source:Version}' libcpp-httplib-dev)
  rm -rf "$dir" && mkdir -p "$dir/apt/lists/partial" "$dir/apt/parts" "$dir/src" "$dir/include"
  # The machine's Debian package sources, as source-package sources.
  local parts
  for parts in /etc/apt/sources.list.d/*.sources; do
    [ -f "$parts" ] && grep -q 'debian' "$parts" &&
      sed 's/^Types: *deb$/Types: deb-src/' "$parts" >"$dir/apt/parts/$(basename "$parts")"
  done
  if [ -f /etc/apt/sources.list ]; then
    sed -n 's/^deb \(.*debian.*\)/deb-src \1/p' /etc/apt/sources.list >"$dir/apt/sources.list"
  else
    : >"$dir/apt/sources.list"
  fi
  local apt=(apt-get -q -o "Dir::Etc::SourceList=$PWD/$dir/apt/sources.list"
    -o "Dir::Etc::SourceParts=$PWD/$dir/apt/parts" -o "Dir::State::Lists=$PWD/$dir/apt/lists"
    -o "Dir::Cache=$PWD/$dir/apt/cache" -o APT::Sandbox::User=root)
  echo "Fetching the source of cpp-httplib $version"
  "${apt[@]}" update >"$dir/apt.log" 2>&1 || true
  (cd "$dir/src" && "${apt[@]}" source --download-only "cpp-httplib=$version") >>"$dir/apt.log" 2>&1 || {
    cat "$dir/apt.log" >&2
    echo "make-kit: cannot fetch the source of cpp-httplib $version" >&2
    return 1
  }
  (
    cd "$dir/src"
    mkdir tree && tar -xf ./*.orig.tar.* -C tree --strip-components=1
    tar -xf ./*.debian.tar.* -C tree
    # Debian's fixes of the header, in their order.
    if [ -f tree/debian/patches/series ]; then
      grep -v '^\s*#' tree/debian/patches/series | while read -r fix _; do
        [ -n "$fix" ] && patch -s -d tree -p1 <"tree/debian/patches/$fix"
      done
    fi
  )
  cp "$dir/src/tree/httplib.h" "$dir/include/httplib.h"
}

echo "== The riddle site for Windows and the kit"
fetch_httplib build/httplib
configure_and_build "$site_build" -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686-posix.cmake -DZORVANE_WINDOWS_SITE=ON \
  -DZORVANE_TESTS=OFF -DZORVANE_BENCH=OFF -DZORVANE_HTTPLIB_DIR="$PWD/build/httplib/include" \
  -DZORVANE_KIT_DLL="$PWD/$dll_build/zorvane.dll"
(cd "$site_build" && cpack -G ZIP >cpack.log) || {
  cat "$site_build/cpack.log" >&2
  exit 1
}
ls "$site_build"/zorvane-*-win32.zip
