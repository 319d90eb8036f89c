# Sourced: starting a riddle site on a free port for a test.

# start_riddle_site COMMAND LOG [SECONDS [PORT]]: runs COMMAND --port PORT
# (default 0: a free one) in the background with its output in LOG and waits
# up to SECONDS (default 10) for it to print the port it listens on (a
# Windows site ends the line with CR LF). Sets site_pid and site_port; on
# failure prints why and returns 1.
start_riddle_site() {
  local command=$1 log=$2 seconds=${3:-10} port=${4:-0}
  # Made here: the child that becomes the site may open it only later.
  : >"$log"
  "$command" --port "$port" >"$log" 2>&1 </dev/null &
  site_pid=$!
  site_port=""
  for _ in $(seq $((seconds * 10))); do
    site_port=$(sed -n 's/^listening on \([0-9][0-9]*\)\r\?$/\1/p' "$log")
    [ -n "$site_port" ] && return 0
    if ! kill -0 "$site_pid" 2>/dev/null; then
      echo "the riddle site ended before listening:" >&2
      cat "$log" >&2
      site_pid=""
      return 1
    fi
    sleep 0.1
  done
  echo "the riddle site did not start listening within $seconds seconds" >&2
  return 1
}

# stop_riddle_site: ends the site that start_riddle_site started, if any.
stop_riddle_site() {
  if [ -n "${site_pid:-}" ]; then
    kill "$site_pid" 2>/dev/null || true
    wait "$site_pid" 2>/dev/null || true
  fi
}
