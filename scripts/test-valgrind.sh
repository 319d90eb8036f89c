#!/usr/bin/env bash
# scripts/test-valgrind.sh BUILD_DIR [EVENTS_UNDER_VALGRIND] [EVENTS_FOR_MEMORY]
#
# The long run: the long_run driver of BUILD_DIR plays EVENTS_UNDER_VALGRIND
# (default 2000) chat events through the exports against the riddle site
# under valgrind memcheck, which must report no error and no leak; then
# EVENTS_FOR_MEMORY (default 20000) events without valgrind, whose peak RSS
# may exceed that after the first EVENTS_UNDER_VALGRIND events by at most
# ZORVANE_RSS_SLACK_KB (default 256 kB).
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/setup.sh
ensure_packages valgrind
build=$1
short=${2:-2000}
long=${3:-20000}
slack=${ZORVANE_RSS_SLACK_KB:-256}

# In memory where the machine allows: every ledger write is flushed to disk,
# and the run is about the module's memory, not the disk's speed.
scratch_root=/tmp
[ -d /dev/shm ] && [ -w /dev/shm ] && scratch_root=/dev/shm
work=$(mktemp -d "$scratch_root/zorvane-long-run-XXXXXX")
source scripts/riddle_site.sh
# shellcheck disable=SC2317  # runs from the trap
cleanup() {
  stop_riddle_site
  rm -rf "$work"
}
trap cleanup EXIT

start_riddle_site "$build/tools/riddle_site/zorvane-site" "$work/site.log"
site="http://127.0.0.1:$site_port"

echo "== $short events under valgrind memcheck"
mkdir "$work/run-valgrind"
start=$(date +%s)
valgrind --quiet --error-exitcode=99 --leak-check=full --show-leak-kinds=definite,indirect,possible \
  --errors-for-leak-kinds=definite,indirect,possible --track-origins=yes \
  "$build/tests/long_run" --site "$site" --run-dir "$work/run-valgrind" --events "$short"
echo "valgrind run: $(($(date +%s) - start)) s, no error, no leak"

echo "== $long events: peak memory"
mkdir "$work/run-memory"
start=$(date +%s)
"$build/tests/long_run" --site "$site" --run-dir "$work/run-memory" --events "$long" \
  --report-rss-at "$short" | tee "$work/memory.out"
echo "memory run: $(($(date +%s) - start)) s"
early=$(sed -n "s/^peak RSS after $short events: \([0-9]*\) kB.*$/\1/p" "$work/memory.out")
late=$(sed -n "s/^peak RSS after $long events: \([0-9]*\) kB.*$/\1/p" "$work/memory.out")
if [ -z "$early" ] || [ -z "$late" ] || [ $((late - early)) -gt "$slack" ]; then
  echo "memory grew from ${early:-?} kB to ${late:-?} kB (allowed: $slack kB)" >&2
  exit 1
fi
echo "memory flat: ${early} kB after $short events, ${late} kB after $long"
