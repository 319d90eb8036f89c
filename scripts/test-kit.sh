#!/usr/bin/env bash
# The release kit and the riddle site for Windows: makes the kit from the
# DLLs' build (build/win32), checks what it holds, and under Wine checks the
# site's errors, plays a game on it with the Linux module, and plays as a new
# operator's host would from the kit alone: both DLLs of the kit loaded into
# one Windows host, the kit's site on the address built into them, and a
# member who signs in, starts a riddle and wins. The Linux build
# (build/release) must have made the Linux module and the tests. The site,
# the DLLs and the host are 32-bit programs, run natively or on the emulated
# route (wine32_route in scripts/wine.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/setup.sh
source scripts/wine.sh
source scripts/riddle_site.sh

fail() {
  echo "test-kit: $*" >&2
  exit 1
}

scripts/make-kit.sh
kit=$(ls build/win32-site/zorvane-*-win32.zip)
work=build/win32-site/kit-test
rm -rf "$work" && mkdir -p "$work"
(cd "$work" && cmake -E tar xf "../$(basename "$kit")")
dir=$work/$(basename "$kit" .zip)

echo "== What the kit holds"
for file in zorvane.dll zorvane-signin.dll zorvane-site.exe riddles.tsv GUIDE-zh.txt \
  GUIDE-en.txt; do
  [ -f "$dir/$file" ] || fail "$kit lacks $file"
done
for file in zorvane.dll zorvane-signin.dll; do
  cmp -s "$dir/$file" "build/win32/$file" || fail "the kit's $file is not build/win32's"
done
cmp -s "$dir/riddles.tsv" tools/riddle_site/riddles.tsv || fail "the kit's riddles are not ours"
i686-w64-mingw32-objdump -f "$dir/zorvane-site.exe" | grep -q 'file format pei-i386' ||
  fail "zorvane-site.exe is no 32-bit Windows program"
# Linked statically: nothing beside it but what every Windows has.
if i686-w64-mingw32-objdump -p "$dir/zorvane-site.exe" | grep -i 'DLL Name' |
  grep -qiv 'kernel32\|msvcrt\|ws2_32\|mswsock\|user32\|advapi32'; then
  i686-w64-mingw32-objdump -p "$dir/zorvane-site.exe" | grep -i 'DLL Name' >&2
  fail "zorvane-site.exe needs DLLs that Windows lacks"
fi

# Where the kernel refuses 32-bit programs, the stage starts again (the kit
# made already) on the emulated route.
ensure_wine
wine32_route scripts/test-kit.sh "$@" || exit 1
echo "== The site under Wine ($ZORVANE_WINE32_ROUTE)"
arch=win32
exe=$dir/zorvane-site.exe
# The prefix of the DLL's build tree, which the other Wine stages use too.
prefix=build/$arch/wine-prefix
wine_prefix "$arch" "$prefix"
trap 'wine_server "$arch" "$prefix" -k 2>/dev/null || true' EXIT
site() {
  wine_run "$arch" "$prefix" "$exe" "$@"
}
# The first program of a wineserver starts Wine's services, which keep its
# output open for as long as they run: let that be /dev/null, not one of the
# captures below, which would then never end.
site --help >/dev/null

printf 'question\tanswer\n一口咬掉牛尾巴\t\n' >"$work/bad.tsv"
if output=$(site --riddles "$work/bad.tsv" --port 0 2>&1); then
  fail "a bad riddle file was served"
fi
grep -qF "bad.tsv:2: the answer is empty" <<<"$output" || fail "bad riddle file: $output"

if output=$(site export "$dir/riddles.tsv/pages" 2>&1); then
  fail "an export below a file succeeded"
fi
grep -qF "cannot make the folder" <<<"$output" || fail "unwritable export: $output"
site export "$work/export" --update-link http://127.0.0.1:1/new.zip >/dev/null
cmp -s "$work/export/dmmy/19499.html" <(build/release/tools/riddle_site/zorvane-site export \
  "$work/export-linux" >/dev/null && cat "$work/export-linux/dmmy/19499.html") ||
  fail "the Windows site's pages differ from the Linux site's"

# A site that starts under Wine and stops when it is told to.
cat >"$work/wine-site" <<WRAPPER
#!/usr/bin/env bash
cd "$PWD"
source scripts/setup.sh
source scripts/wine.sh
wine_run $arch "$prefix" "$exe" "\$@" &
child=\$!
trap 'kill \$child 2>/dev/null; wait \$child' TERM INT
wait \$child
WRAPPER
chmod +x "$work/wine-site"

# A port that another program holds is refused.
start_riddle_site build/release/tools/riddle_site/zorvane-site "$work/linux-site.log"
port=$site_port
status=0
output=$(site --port "$port" 2>&1) || status=$?
stop_riddle_site
[ "$status" -ne 0 ] && grep -qF "cannot listen on 127.0.0.1:$port" <<<"$output" ||
  fail "a busy port was not refused ($status): $output"

echo "== A game on the Windows site, played by the Linux module"
SITE_START_SECONDS=120 tools/host_simulator/demo_against_site.sh "$work/wine-site" \
  build/release/tools/host_simulator/host_simulator build/release/zorvane_testable.so

# The console of the Windows site asks for its password and then serves a
# page.
echo "== The console of the Windows site: a login and a page"
console_password=kit-console-$RANDOM$RANDOM
cat >"$work/wine-console-site" <<WRAPPER
#!/bin/sh
exec "$PWD/$work/wine-site" --console-password "$console_password" "\$@"
WRAPPER
chmod +x "$work/wine-console-site"
console_fail() {
  cat "$work/console-site.log" >&2
  fail "$@"
}
start_riddle_site "$work/wine-console-site" "$work/console-site.log" 120 ||
  fail "the Windows site with a console password did not start"
console=http://127.0.0.1:$site_port/console
# request [CURL-ARGS...] URL: the status, then the Location header if any.
request() {
  curl -sS --max-time 30 -o "$work/console-page" -w '%{http_code} %{redirect_url}' "$@" || true
}
status=$(request "$console/")
[ "$status" = "303 $console/login" ] ||
  console_fail "without a login the console answered $status"
# The login form's page gives its token, and a cookie that holds it too; the
# form goes back from the console's own origin, as a browser sends it.
status=$(request -c "$work/cookies" "$console/login")
token=$(grep -o 'name="csrf" value="[0-9a-f]*"' "$work/console-page" | cut -d'"' -f4)
[ "$status" = "200 " ] && [ -n "$token" ] || console_fail "the login page: $status"
log_in() {
  request -b "$work/cookies" -c "$work/cookies" -H "Origin: http://127.0.0.1:$site_port" \
    --data-urlencode "csrf=$token" --data-urlencode "password=$1" "$console/login"
}
status=$(log_in "not-$console_password")
[ "$status" = "403 " ] && grep -qF "密码不对" "$work/console-page" ||
  console_fail "a wrong password was not refused: $status"
status=$(log_in "$console_password")
[ "$status" = "303 $console/" ] && grep -q 'zorvane_console' "$work/cookies" ||
  console_fail "the password was not taken: $status"
status=$(request -b "$work/cookies" -G --data-urlencode "q=牛尾巴" "$console/riddles")
[ "$status" = "200 " ] && grep -qF "一口咬掉牛尾巴" "$work/console-page" ||
  console_fail "the riddles page after the login: $status"
stop_riddle_site

# From the kit alone: the kit's site where the kit's DLLs look for it, and
# a Windows host with both DLLs beside it (tests/game/kit_game_test.cpp).
echo "== A new operator's host with both DLLs of the kit, under Wine"
site_base=$(sed -n 's/^RIDDLE_SITE_BASE:[A-Z]*=//p' build/win32/CMakeCache.txt)
[[ "$site_base" =~ ^http://127\.0\.0\.1:([0-9]+)$ ]] ||
  fail "the kit's DLLs look for their riddles at '$site_base', which no site here can serve"
start_riddle_site "$work/wine-site" "$work/kit-site.log" 120 "${BASH_REMATCH[1]}" || {
  cat "$work/kit-site.log" >&2
  fail "the kit's site cannot serve ${BASH_REMATCH[1]}, the DLLs' port (is another site there?)"
}
status=0
ZORVANE_KIT_DIR=$PWD/$dir ZORVANE_WIN32_BUILD=$PWD/build/win32 \
  build/release/tests/game_tests --gtest_brief=1 --gtest_filter='Kit.*' \
  --gtest_output="xml:$work/kit-game.xml" || status=$?
stop_riddle_site
[ "$status" -eq 0 ] && grep -q 'name="AMemberOfANewOperatorsHostSignsInStartsARiddleAndWins"' \
  "$work/kit-game.xml" && ! grep -q 'result="skipped"' "$work/kit-game.xml" ||
  fail "the kit's game under Wine did not pass"
echo "From the kit alone: a member signed in, started a riddle and won"

echo "The kit: $kit"
