#!/usr/bin/env bash
# Packs the Koishi plug-in with its programs prebuilt:
# build/koishi/koishi-plugin-zorvane-<version>.tgz holds, beside the plug-in,
#   prebuilt/linux-x64/  zorvane-host, zorvane.so, zorvane-site, riddles.tsv
#   prebuilt/win32/      zorvane-host.exe and zorvane.dll (both i686, for 32-bit
#                        and 64-bit Windows), zorvane-site.exe, riddles.tsv
# built with the project's trees and toolchains: build/release for the Linux
# host, module and site, build/win32 (the DLL's toolchain) for the Windows
# host and module, and the release kit's
# build/win32-site for the Windows site. Only what the package needs is
# built; trees that are there already are brought up to date.
#
#   scripts/pack-koishi.sh [CMAKE-ARGS...]   e.g. -DRIDDLE_SITE_BASE=http://127.0.0.1:9000
#
# CMAKE-ARGS go to every tree, so that the hosts and modules agree.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/setup.sh
ensure_packages "${ZORVANE_LINUX_PACKAGES[@]}" "${ZORVANE_WINDOWS_PACKAGES[@]}"
ensure_node

# build_targets DIR CMAKE-ARGS... -- TARGET...: configures DIR (warnings are
# errors when ZORVANE_WERROR=ON, as in configure_and_build) and builds only
# the targets named.
build_targets() {
  local dir=$1 args=()
  shift
  while [ "$1" != -- ]; do args+=("$1") && shift; done
  shift
  local werror=()
  [ -n "${ZORVANE_WERROR:-}" ] && werror=(-DZORVANE_WERROR="$ZORVANE_WERROR")
  cmake -S . -B "$dir" -Wno-dev "${werror[@]}" "${args[@]}" >/dev/null
  cmake --build "$dir" -j "$ZORVANE_JOBS" --target "$@"
}

echo "== Linux: host, module and riddle site"
build_targets build/release -DCMAKE_BUILD_TYPE=Release "$@" -- zorvane zorvane-host zorvane-site
echo "== Windows (i686): host and module"
build_targets build/win32 -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake \
  "$@" -- zorvane zorvane-host
if [ ! -f build/win32-site/tools/riddle_site/zorvane-site.exe ] || [ $# -gt 0 ]; then
  echo "== Windows: the riddle site (the release kit's build)"
  scripts/make-kit.sh "$@" >/dev/null
fi
stage=build/koishi/stage
rm -rf "$stage" build/koishi/*.tgz
mkdir -p "$stage/prebuilt/linux-x64" "$stage/prebuilt/win32"
package=tools/koishi-plugin-zorvane
cp -r "$package/package.json" "$package/README.md" "$package/lib" "$stage/"
riddles=tools/riddle_site/riddles.tsv
cp build/release/zorvane.so build/release/tools/zorvane_host/zorvane-host \
  build/release/tools/riddle_site/zorvane-site "$riddles" "$stage/prebuilt/linux-x64/"
cp build/win32/zorvane.dll build/win32/tools/zorvane_host/zorvane-host.exe \
  build/win32-site/tools/riddle_site/zorvane-site.exe "$riddles" "$stage/prebuilt/win32/"
strip --strip-unneeded "$stage"/prebuilt/linux-x64/zorvane{-host,.so,-site}
i686-w64-mingw32-strip --strip-unneeded "$stage"/prebuilt/win32/*.{exe,dll}

(cd "$stage" && npm pack --silent --pack-destination ..) >/dev/null
ls build/koishi/koishi-plugin-zorvane-*.tgz
