#!/usr/bin/env bash
# compare.sh [BUILD]: the riddle site under load, measured in one run, after
# a build of BUILD (default build/release) made zorvane-site and site_load.
#
# 1. Throughput: wrk with 64 keep-alive connections from 127.0.0.1 against
#    nginx serving the pages of `zorvane-site export` as static files, and
#    against zorvane-site itself serving the same riddles (its console open,
#    its log going to a file), in turns; prints each round, the medians,
#    their ratio and the median of the rounds' ratios, and the CPU time
#    each server spent a request.
# 2. Under attack: site_load holds IDLE idle and TRICKLE trickling
#    connections from 127.0.0.2 and up against a fresh zorvane-site while it
#    times GETs of a riddle page and of /console/ from 127.0.0.1; prints
#    p50/p99/max and the site's memory.
#
# Environment: ROUNDS (3), WRK_SECONDS (10), LOAD_SECONDS (30), IDLE (1000),
# TRICKLE (200), LOG=1 to have nginx log every request to a file too.
set -euo pipefail
cd "$(dirname "$0")/../.."
build=${1:-build/release}
source scripts/setup.sh
ensure_packages "${ZORVANE_BENCH_PACKAGES[@]}"
rounds=${ROUNDS:-3}
wrk_seconds=${WRK_SECONDS:-10}
page=/dmmy/19499.html

work=$(mktemp -d)
# nginx started as root serves as an unprivileged user, who must read the pages.
chmod a+rx "$work"
pids=()
# shellcheck disable=SC2317  # runs from the trap
cleanup() {
  for pid in "${pids[@]}"; do
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
  rm -rf "$work"
}
trap cleanup EXIT

free_port() {
  python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'
}

# wait_for_page PORT: until the server answers the riddle page.
wait_for_page() {
  for _ in $(seq 100); do
    curl -sf -o /dev/null "http://127.0.0.1:$1$page" && return 0
    sleep 0.1
  done
  echo "compare: nothing answers on port $1" >&2
  cat "$work"/nginx/error.log "$work"/*.log >&2 2>/dev/null || true
  exit 1
}

site=$build/tools/riddle_site/zorvane-site
"$site" export "$work/pages" >/dev/null

# nginx as an unprivileged instance of its own, tuned for static files.
nginx_port=$(free_port)
mkdir -p "$work/nginx/temp"
access_log=off
[ "${LOG:-0}" = 1 ] && access_log=$work/nginx/access.log
cat >"$work/nginx/nginx.conf" <<CONF
worker_processes auto;
daemon off;
pid $work/nginx/nginx.pid;
error_log $work/nginx/error.log;
events { worker_connections 4096; }
http {
  access_log $access_log;
  open_file_cache max=10000 inactive=60s;
  sendfile on;
  tcp_nopush on;
  keepalive_requests 1000;
  keepalive_timeout 5s;
  charset gbk;
  types { text/html html; }
  default_type application/octet-stream;
  client_body_temp_path $work/nginx/temp/body;
  proxy_temp_path $work/nginx/temp/proxy;
  fastcgi_temp_path $work/nginx/temp/fastcgi;
  uwsgi_temp_path $work/nginx/temp/uwsgi;
  scgi_temp_path $work/nginx/temp/scgi;
  server {
    listen 127.0.0.1:$nginx_port;
    root $work/pages;
  }
}
CONF
nginx -p "$work/nginx" -c "$work/nginx/nginx.conf" -e "$work/nginx/error.log" &
nginx_pid=$!
pids+=("$nginx_pid")
wait_for_page "$nginx_port"
mapfile -t nginx_pids < <(echo "$nginx_pid" && pgrep -P "$nginx_pid")

# start_server LOG: the riddle site on the bundled riddles; sets server_port
# and server_pid.
start_server() {
  local log=$1
  : >"$log"
  "$site" --port 0 >"$log" 2>&1 &
  server_pid=$!
  pids+=("$server_pid")
  server_port=""
  for _ in $(seq 100); do
    server_port=$(sed -n 's/^listening on \([0-9][0-9]*\)$/\1/p' "$log" | head -n1)
    [ -n "$server_port" ] && break
    sleep 0.1
  done
  wait_for_page "$server_port"
}
start_server "$work/server.log"

echo "== Throughput: wrk -t2 -c64 -d${wrk_seconds}s http://127.0.0.1:PORT$page, $rounds rounds"
echo "   $(nginx -v 2>&1), wrk $(wrk -v 2>&1 | sed -n 's/^wrk \([^ ]*\).*/\1/p'); nginx: $(nproc) workers," \
  "open_file_cache, access_log $access_log; ours: zorvane-site, its log to a file"
# cpu_ticks PID...: the clock ticks of user and system time the processes
# have used so far.
cpu_ticks() {
  local total=0 pid
  for pid in "$@"; do
    total=$((total + $(awk '{ print $14 + $15 }' "/proc/$pid/stat")))
  done
  echo "$total"
}
# rate PORT PID...: requests a second, and the CPU time the processes spent
# a request (µs), which the other programs on the machine disturb less.
rate() {
  local port=$1 before after output
  shift
  before=$(cpu_ticks "$@")
  output=$(wrk -t2 -c64 -d"${wrk_seconds}s" "http://127.0.0.1:$port$page")
  after=$(cpu_ticks "$@")
  awk -v rate="$(sed -n 's/^Requests\/sec: *//p' <<<"$output")" \
    -v requests="$(sed -n 's/^ *\([0-9]*\) requests in.*/\1/p' <<<"$output")" \
    -v ticks=$((after - before)) -v hz="$(getconf CLK_TCK)" \
    'BEGIN { printf "%s %.2f\n", rate, ticks / hz * 1e6 / requests }'
}
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { print a / b }'; }
nginx_rates=()
our_rates=()
nginx_cpu=()
our_cpu=()
ratios=()
measure_nginx() {
  read -r rate cpu < <(rate "$nginx_port" "${nginx_pids[@]}")
  nginx_rates+=("$rate")
  nginx_cpu+=("$cpu")
}
measure_ours() {
  read -r rate cpu < <(rate "$server_port" "$server_pid")
  our_rates+=("$rate")
  our_cpu+=("$cpu")
}
for round in $(seq "$rounds"); do
  # Each goes first every other round.
  if [ $((round % 2)) -eq 1 ]; then
    measure_nginx
    measure_ours
  else
    measure_ours
    measure_nginx
  fi
  ratios+=("$(ratio "${our_rates[-1]}" "${nginx_rates[-1]}")")
  printf '   round %d: nginx %.0f/s (%s µs CPU a request), ours %.0f/s (%s µs), ratio %.2f\n' \
    "$round" "${nginx_rates[-1]}" "${nginx_cpu[-1]}" "${our_rates[-1]}" "${our_cpu[-1]}" \
    "${ratios[-1]}"
done
median() { printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
nginx_median=$(median "${nginx_rates[@]}")
our_median=$(median "${our_rates[@]}")
# The rounds' own ratios, each of two runs back to back, vary less with the
# load of the machine than the ratio of the medians.
printf '   median: nginx %.0f/s, ours %.0f/s (ratio %.2f); median of the rounds'"'"' ratios: %.2fx\n' \
  "$nginx_median" "$our_median" "$(ratio "$our_median" "$nginx_median")" "$(median "${ratios[@]}")"
printf '   median CPU time a request: nginx %s µs, ours %s µs\n' "$(median "${nginx_cpu[@]}")" \
  "$(median "${our_cpu[@]}")"

# A fresh server, so that its memory is this run's alone.
kill "$server_pid"
wait "$server_pid" 2>/dev/null || true
start_server "$work/server-attacked.log"
load=("$build/bench/site_load/site_load" --port "$server_port" --pid "$server_pid"
  --idle "${IDLE:-1000}" --trickle "${TRICKLE:-200}" --seconds "${LOAD_SECONDS:-30}" "$page" /console/)
echo "== Under attack: ${load[*]}"
"${load[@]}" | sed 's/^/   /'
