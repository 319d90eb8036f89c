#!/usr/bin/env bash
# scripts/test-console.sh [BUILD_DIR]
#
# The riddle site's console in a real browser: starts BUILD_DIR's (default
# build/release) zorvane-site with a password and a host folder, plays a
# game into that folder with the host simulator and the test module against
# the same site, then lets headless Chromium log in, add, edit and delete a
# riddle, have a bad one refused, and read the groups and the traffic
# (tests/console/console_in_browser.py). Screenshots go to
# build/console-artifacts/. Every wait is bounded; every process it starts
# ends with it.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/setup.sh
source scripts/riddle_site.sh
ensure_packages "${ZORVANE_BROWSER_PACKAGES[@]}"
build=${1:-build/release}
site=$build/tools/riddle_site/zorvane-site
simulator=$build/tools/host_simulator/host_simulator
module=$build/zorvane_testable.so
artifacts=build/console-artifacts

fail() {
  echo "test-console: $*" >&2
  exit 1
}

for program in "$site" "$simulator" "$module"; do
  [ -e "$program" ] || fail "$program is missing: build $build first"
done
site=$(realpath "$site") simulator=$(realpath "$simulator") module=$(realpath "$module")

work=$(mktemp -d "${TMPDIR:-/tmp}/zorvane-console-XXXXXX")
browser_pid=""
# shellcheck disable=SC2317  # runs from the trap
cleanup() {
  # The browser driver, Chromium and its helpers share the driver script's
  # process group.
  if [ -n "$browser_pid" ]; then
    kill -- -"$browser_pid" 2>/dev/null || true
    wait "$browser_pid" 2>/dev/null || true
  fi
  stop_riddle_site
  rm -rf "$work"
}
trap cleanup EXIT
rm -rf "$artifacts" && mkdir -p "$artifacts"

# The console writes the riddle file: a copy, never the bundled one.
cp tools/riddle_site/riddles.tsv "$work/riddles.tsv"
mkdir "$work/host"
password="zorvane-console-$RANDOM$RANDOM"
# start_riddle_site takes a command: one that becomes the site, so that
# stopping it stops the site.
cat >"$work/console-site" <<SITE
#!/bin/sh
exec "$site" --riddles "$work/riddles.tsv" --host-folder "$work/host" \\
  --console-password "$password" "\$@"
SITE
chmod +x "$work/console-site"
start_riddle_site "$work/console-site" "$work/site.log" || fail "the site did not start"
url=http://127.0.0.1:$site_port

echo "== Two groups play on the site through the host simulator"
# Group 20261208 solves three riddles among four members; group 77001 has
# its first riddle open after a wrong guess.
cat >"$work/game" <<'GAME'
/group 20261208
/member 10001
Zorva 开始
告
/member 10002
/give 40
Zorva 开始
不是这个
拿
/member 10003
/give 15
Zorva 开始
花生
/member 10004
/give 12
/group 77001
/member 20001
Zorva 开始
猜错了
/quit
GAME
timeout --kill-after=5 60 "$simulator" --script "$work/game" --module "$module" --site "$url" \
  --run-dir "$work/host" --group 20261208 >"$work/transcript" ||
  { cat "$work/transcript" "$work/site.log" >&2 && fail "the host simulator's game failed"; }
grep -qF "十个哥哥" "$work/transcript" || fail "the game did not reach the fourth riddle"

echo "== The console in headless Chromium"
# Its own process group, so that Chromium's processes end with it.
setsid timeout --kill-after=10 240 /usr/bin/python3 tests/console/console_in_browser.py \
  --site "$url" --password "$password" --artifacts "$artifacts" --profile "$work/profile" &
browser_pid=$!
status=0
wait "$browser_pid" || status=$?
browser_pid=""
if [ "$status" -ne 0 ]; then
  echo "--- riddle site log" >&2
  tail -n 50 "$work/site.log" >&2
  fail "the console failed in the browser (status $status); see $artifacts/"
fi
for page in riddles groups traffic; do
  [ -s "$artifacts/$page.png" ] || fail "no screenshot of the $page page"
done
echo "The console passed in Chromium; screenshots in $artifacts/"
