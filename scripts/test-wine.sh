#!/usr/bin/env bash
# The Windows DLLs run for real: after the Linux build (build/release) and
# the Windows builds (build/win32, build/win64), plays the end-to-end
# scenarios through each build's DLLs under Wine (the game alone, and the
# game with the sign-in module in one host), compares the files both sides
# write, races each build's game DLL against its sign-in DLL on another
# thread of one host, checks the GBK converter's Windows side against the
# Linux one's cases, plays a JSON script through each build's
# zorvane-host.exe with its DLL, and answers the update offer on a virtual
# display. The 32-bit DLLs run natively where the kernel runs i386 programs
# and through qemu-i386 where it does not (wine32_route in scripts/wine.sh);
# no Windows run may be skipped. Ends with a line per build: passed, failed
# and skipped runs. The screenshots of the question and the test reports are
# saved in
# build/wine-artifacts.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/setup.sh
source scripts/wine.sh
ensure_wine
wine32_route scripts/test-wine.sh "$@" || exit 1

export ZORVANE_WINE_ARTIFACTS=$PWD/build/wine-artifacts
mkdir -p "$ZORVANE_WINE_ARTIFACTS"
rm -f "$ZORVANE_WINE_ARTIFACTS"/*.xml
archs=(win64 win32)
xvfb_pid=""
cleanup() {
  local arch
  for arch in "${archs[@]}"; do
    wine_server "$arch" "build/$arch/wine-prefix" -k 2>/dev/null || true
  done
  if [ -n "$xvfb_pid" ]; then
    kill "$xvfb_pid" 2>/dev/null || true
  fi
}
trap cleanup EXIT

for arch in "${archs[@]}"; do
  if ! wine_runs "$arch"; then
    echo "FAIL: $arch Wine does not start here" >&2
    exit 1
  fi
  wine_prefix "$arch" "build/$arch/wine-prefix"
done

# run_tests ARCH REPORT FILTER: the game tests in FILTER with ARCH's DLL
# alone, so that each DLL's runs are counted apart; the results go to
# REPORT.xml. A failure is remembered and the stage goes on.
failed=0
run_tests() {
  local arch=$1 report=$ZORVANE_WINE_ARTIFACTS/$2.xml filter=$3
  local variable
  variable=ZORVANE_$(echo "$arch" | tr '[:lower:]' '[:upper:]')_BUILD
  env -u ZORVANE_WIN32_BUILD -u ZORVANE_WIN64_BUILD "$variable=$PWD/build/$arch" \
    build/release/tests/game_tests --gtest_brief=1 --gtest_output="xml:$report" \
    --gtest_filter="$filter" || failed=1
}

# Name parts of each DLL's tests: Win64 or Win32.
part() { echo "Win${1#win}"; }

# Without a display first. Programs that share a wineserver also share its
# desktop, made by the first of them with or without a display, so the
# runs on the virtual display below get a server of their own. The files
# that both sides write are compared with the 64-bit DLL.
for arch in "${archs[@]}"; do
  filter="Scenarios/EndToEnd.Plays/$(part "$arch")*:WindowsProduct.*"
  filter+=":Windows/UpdateOffer.WithoutADisplay*/$(part "$arch")"
  [ "$arch" = win64 ] && filter+=":SameFiles.*"
  run_tests "$arch" "$arch-no-display" "$filter"
done

# The ledger shared with the sign-in module: 2,000 wrong guesses on the
# host's thread against 2,000 sign-ins of the same members through
# zorvane-signin.dll on another, each build's two DLLs beside the program in
# a folder of its own (tests/wine/ledger_race.cpp). Nothing may be lost.
for arch in "${archs[@]}"; do
  race_folder=$(mktemp -d)
  cp "build/$arch/tests/wine/ledger_race.exe" "build/$arch/zorvane.dll" \
    "build/$arch/zorvane-signin.dll" "$race_folder/"
  echo "Ledger race, $arch DLLs (rounds, sign-ins lost, charges lost, keys missing or" \
    "changed, temporaries left):"
  if ! wine_run "$arch" "build/$arch/wine-prefix" "$race_folder/ledger_race.exe" race 2000; then
    echo "FAIL: the $arch DLLs lost ledger updates or keys" >&2
    failed=1
  fi
  rm -rf "$race_folder"
done

# zorvane-host.exe of each build (the 32-bit one with the i686 DLL, the
# 64-bit one with the x86_64 DLL) plays a short JSON script, against the
# Linux riddle site on the address built into the DLL, in a network
# namespace of its own (tools/zorvane_host/host_script_test.sh). Wine's
# server opens the programs' sockets, so the prefix's server is ended first
# and starts again in that namespace; it is ended after the script too.
# end_wine_server ARCH: ends the server of ARCH's prefix and waits for it.
end_wine_server() {
  wine_server "$1" "build/$1/wine-prefix" -k 2>/dev/null || true
  wine_server "$1" "build/$1/wine-prefix" -w 2>/dev/null || true
}
for arch in "${archs[@]}"; do
  end_wine_server "$arch"
  runner=$(mktemp)
  cat >"$runner" <<RUNNER
#!/usr/bin/env bash
source "$PWD/scripts/wine.sh"
wine_run $arch "$PWD/build/$arch/wine-prefix" "\$@"
RUNNER
  chmod +x "$runner"
  echo "zorvane-host.exe with the $arch DLL:"
  if ! tools/zorvane_host/host_script_test.sh build/release/tools/riddle_site/zorvane-site \
    "build/$arch/tools/zorvane_host/zorvane-host.exe" "build/$arch/zorvane.dll" "$runner"; then
    echo "FAIL: zorvane-host.exe with the $arch DLL" >&2
    failed=1
  fi
  rm -f "$runner"
  end_wine_server "$arch"
done

# The converter's Windows side (code page 936) on the cases that the Linux
# tests check (tests/wine/conversion_check.cpp).
for arch in "${archs[@]}"; do
  echo "Conversions between GBK and UTF-8, $arch:"
  if ! wine_run "$arch" "build/$arch/wine-prefix" "build/$arch/tests/wine/conversion_check.exe"; then
    echo "FAIL: the $arch converter gives what the Linux one does not" >&2
    failed=1
  fi
done

for arch in "${archs[@]}"; do
  end_wine_server "$arch"
  wine_prefix "$arch" "build/$arch/wine-prefix"
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
for arch in "${archs[@]}"; do
  run_tests "$arch" "$arch-display" \
    "Windows/UpdateOffer.*/$(part "$arch")-Windows/UpdateOffer.WithoutADisplay*"
done

# The results of ARCH's tests from its reports; a run that left no report
# (a crash) counts as one failure.
summarize() {
  local arch=$1 passed=0 failures=0 skipped=0 report cases
  for report in "$ZORVANE_WINE_ARTIFACTS/$arch-no-display.xml" \
    "$ZORVANE_WINE_ARTIFACTS/$arch-display.xml"; do
    if [ ! -f "$report" ]; then
      failures=$((failures + 1))
      continue
    fi
    cases=$(grep '<testcase ' "$report" || true)
    # A test that passed is one element; one that failed holds its failures.
    passed=$((passed + $(grep 'result="completed"' <<<"$cases" | grep -c '/>$' || true)))
    failures=$((failures + $(grep 'result="completed"' <<<"$cases" | grep -vc '/>$' || true)))
    skipped=$((skipped + $(grep -c 'result="skipped"' <<<"$cases" || true)))
  done
  local name="Windows x86_64" route=wine64
  if [ "$arch" = win32 ]; then
    name="Windows i686"
    route=$ZORVANE_WINE32_ROUTE
    [ "$route" = native ] && route="wine32, native"
  fi
  echo "$name ($route): $passed passed, $failures failed, $skipped skipped"
  [ "$failures" -eq 0 ] && [ "$skipped" -eq 0 ] && [ "$passed" -gt 0 ]
}
for arch in "${archs[@]}"; do
  summarize "$arch" || failed=1
done
exit "$failed"
