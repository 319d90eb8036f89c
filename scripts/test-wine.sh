#!/usr/bin/env bash
# The Windows DLLs run for real: after the Linux build (build/release) and
# the Windows builds (build/win32, build/win64), plays the end-to-end
# scenarios through each DLL under Wine, compares the files both sides
# write, races each DLL's ledger writes against a sign-in thread, and
# answers the update offer on a virtual display. The screenshot
# of the question is saved in build/wine-artifacts.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/setup.sh
source scripts/wine.sh
ensure_wine

export ZORVANE_WINE_ARTIFACTS=$PWD/build/wine-artifacts
started_prefixes=()
xvfb_pid=""
cleanup() {
  local entry
  for entry in "${started_prefixes[@]}"; do
    wine_server "${entry%%:*}" "${entry#*:}" -k 2>/dev/null || true
  done
  if [ -n "$xvfb_pid" ]; then
    kill "$xvfb_pid" 2>/dev/null || true
  fi
}
trap cleanup EXIT

# Each DLL whose Wine can run here, with a prefix in its build tree.
for arch in win64 win32; do
  build=build/$arch
  if ! wine_runs "$arch"; then
    echo "NOTE: this machine cannot run $arch programs (the kernel refuses them);" \
      "the $arch DLL is checked by scripts/check-exports.sh only."
    continue
  fi
  wine_prefix "$arch" "$build/wine-prefix"
  started_prefixes+=("$arch:$build/wine-prefix")
  variable=ZORVANE_$(echo "$arch" | tr a-z A-Z)_BUILD
  export "$variable=$PWD/$build"
done
if [ ${#started_prefixes[@]} -eq 0 ]; then
  echo "FAIL: no Windows DLL can run under Wine here" >&2
  exit 1
fi

# Without a display first. Programs that share a wineserver also share its
# desktop, made by the first of them with or without a display, so the
# runs on the virtual display below get a server of their own.
build/release/tests/game_tests --gtest_brief=1 \
  --gtest_filter='Scenarios/EndToEnd.Plays/Win*:WindowsProduct.*:SameFiles.*:UpdateOffer.WithoutADisplay*'

# The ledger shared with a sign-in module: 2,000 wrong guesses on the
# host's thread against 2,000 sign-ins on another, each DLL beside the
# program in a folder of its own (tests/wine/ledger_race.cpp).
for entry in "${started_prefixes[@]}"; do
  arch=${entry%%:*} prefix=${entry#*:}
  race_folder=$(mktemp -d)
  cp "$(dirname "$prefix")/tests/wine/ledger_race.exe" "$(dirname "$prefix")/zorvane.dll" \
    "$race_folder/"
  echo "Ledger race, $arch DLL (rounds, sign-ins lost, charges lost, balances missing," \
    "temporaries left):"
  if ! wine_run "$arch" "$prefix" "$race_folder/ledger_race.exe" race 2000; then
    rm -rf "$race_folder"
    echo "FAIL: the $arch DLL lost ledger updates or balances" >&2
    exit 1
  fi
  rm -rf "$race_folder"
done

for entry in "${started_prefixes[@]}"; do
  wine_server "${entry%%:*}" "${entry#*:}" -k 2>/dev/null || true
  wine_server "${entry%%:*}" "${entry#*:}" -w 2>/dev/null || true
  wine_prefix "${entry%%:*}" "${entry#*:}"
done

# A virtual display on the first free number from 90 on.
display=90
while [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ]; do
  display=$((display + 1))
done
Xvfb ":$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 50); do
  DISPLAY=":$display" xdotool getdisplaygeometry >/dev/null 2>&1 && break
  sleep 0.1
done
export ZORVANE_WINE_DISPLAY=":$display"
build/release/tests/game_tests --gtest_brief=1 \
  --gtest_filter='UpdateOffer.*-UpdateOffer.WithoutADisplay*'
