#!/usr/bin/env bash
# demo_against_site.sh RIDDLE_SITE HOST_SIMULATOR MODULE [--script | --demo] [ARGS...]
#
# Starts the riddle site on a free port and plays the host simulator's demo
# with the test build of the module pointed at that site and at a fresh run
# directory, so that nothing depends on port 8723 or on earlier games.
# With --script it plays a short script instead and checks the transcript.
# ARGS go to the simulator (--signin-module PATH, say). RIDDLE_SITE may be
# any command that starts a site taking --port 0 (a Windows one under Wine,
# say); SITE_START_SECONDS (default 10) is how long it may take to start
# listening.
set -euo pipefail
site=$1
simulator=$2
module=$3
mode=${4:---demo}
shift $(($# < 4 ? $# : 4))

source "$(dirname "$0")/../../scripts/riddle_site.sh"
work=$(mktemp -d)
# shellcheck disable=SC2317  # runs from the trap
cleanup() {
  stop_riddle_site
  rm -rf "$work"
}
trap cleanup EXIT

start_riddle_site "$site" "$work/site.log" "${SITE_START_SECONDS:-10}"
port=$site_port

mkdir "$work/run"
status=0
if [ "$mode" = --script ]; then
  cat >"$work/script" <<'SCRIPT'
# comments and blank lines are skipped

Zorva 开始
/give 5
/balances
/riddle
/quit
this line is never sent
SCRIPT
  timeout --kill-after=5 60 "$simulator" --script "$work/script" --module "$module" \
    --site "http://127.0.0.1:$port" --run-dir "$work/run" --group 123456 "$@" \
    >"$work/transcript" || status=$?
  cat "$work/transcript"
  expected=("> Zorva 开始" "一口咬掉牛尾巴（打一字）" "paid 5 to 10001, who now has 105"
    "10001: 105  (you)" "is at page /dmmy/19499.html; a riddle is open")
  for line in "${expected[@]}"; do
    grep -qF -- "$line" "$work/transcript" || { echo "missing: $line" >&2 && status=1; }
  done
  if grep -q "never sent\|comments" "$work/transcript"; then
    echo "the script went on after /quit, or sent a comment" >&2
    status=1
  fi
else
  timeout --kill-after=5 60 "$simulator" --demo --module "$module" \
    --site "http://127.0.0.1:$port" --run-dir "$work/run" --group 123456 "$@" || status=$?
fi

# The game keeps its position in the run directory given to the module.
if [ "$status" -eq 0 ] && [ ! -f "$work/run/Zorva/123456.ini" ]; then
  echo "the module kept no game state in the run directory it was given" >&2
  status=1
fi
if [ "$status" -ne 0 ]; then
  echo "--- riddle site log" >&2
  cat "$work/site.log" >&2
fi
exit "$status"
