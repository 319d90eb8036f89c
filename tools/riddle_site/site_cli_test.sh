#!/usr/bin/env bash
# site_cli_test.sh ZORVANE_SITE: what an operator meets on the command line:
# a bad riddle file, an unwritable export folder, an export, another listen
# address, a busy port, and Ctrl-C.
set -euo pipefail
site=$1
work=$(mktemp -d)
pids=()
# shellcheck disable=SC2317  # runs from the trap
cleanup() {
  for pid in "${pids[@]}"; do
    kill "$pid" 2>/dev/null || true
  done
  rm -rf "$work"
}
trap cleanup EXIT

fail() {
  echo "FAILED: $*" >&2
  exit 1
}

# expect_refusal WHAT TEXT COMMAND...: the command fails and says TEXT.
expect_refusal() {
  local what=$1 text=$2 status=0
  shift 2
  output=$("$@" 2>&1) || status=$?
  [ "$status" -ne 0 ] || fail "$what: succeeded"
  grep -qF -- "$text" <<<"$output" || fail "$what: said '$output', not '$text'"
}

# start_site LOG ARGS...: starts the site and sets port once it listens.
start_site() {
  local log=$1
  shift
  "$site" "$@" >"$log" 2>&1 &
  pids+=($!)
  port=""
  for _ in $(seq 100); do
    port=$(sed -n 's/^listening on \([0-9][0-9]*\)$/\1/p' "$log")
    [ -n "$port" ] && return 0
    sleep 0.1
  done
  cat "$log" >&2
  fail "the site did not start"
}

# get HOST PORT PATH: the response to a GET, through bash's own TCP.
get() {
  exec 3<>"/dev/tcp/$1/$2"
  printf 'GET %s HTTP/1.0\r\nHost: %s\r\n\r\n' "$3" "$1" >&3
  cat <&3
  exec 3<&-
}

printf 'question\tanswer\tkind\n十个哥哥\t克\t打一字\n\t口\t打一字\n' >"$work/bad.tsv"
expect_refusal "bad riddle file" "bad.tsv:3: the question is empty" \
  "$site" --riddles "$work/bad.tsv"
expect_refusal "missing riddle file" "missing.tsv: cannot be read" \
  "$site" --riddles "$work/missing.tsv"
touch "$work/file"
expect_refusal "export below a file" "cannot make the folder $work/file/dmmy" \
  "$site" export "$work/file"
expect_refusal "bad port" "bad port: 65536" "$site" --port 65536

"$site" export "$work/export" --update-link http://127.0.0.1:1/new.zip >/dev/null
[ "$(find "$work/export/dmmy" -name '*.html' | wc -l)" -eq "$(grep -vc '^#' "$(dirname "$0")/riddles.tsv")" ] ||
  fail "the export does not hold one page per riddle"
grep -q "http://127.0.0.1:1/new.zip" "$work/export/update.html" || fail "no update link exported"
[ -f "$work/export/index.html" ] || fail "no index exported"

# Another listen address: served there, not on 127.0.0.1.
start_site "$work/other.log" --listen 127.0.0.2 --port 0
get 127.0.0.2 "$port" /dmmy/19499.html | grep -q "^HTTP/1.1 200" || fail "nothing at 127.0.0.2"
if get 127.0.0.1 "$port" / 2>/dev/null | grep -q HTTP; then
  fail "the site listening on 127.0.0.2 answered on 127.0.0.1"
fi

# post HOST PORT PATH FORM: the response to a POST of a urlencoded form.
post() {
  exec 3<>"/dev/tcp/$1/$2"
  printf 'POST %s HTTP/1.0\r\nHost: %s\r\nContent-Type: application/x-www-form-urlencoded\r\n' \
    "$3" "$1" >&3
  printf 'Content-Length: %d\r\n\r\n%s' "${#4}" "$4" >&3
  cat <&3
  exec 3<&-
}

# The console's password from the first line of a file, blanks trimmed.
printf '  s3cret \r\nnot this\n' >"$work/password"
start_site "$work/console.log" --port 0 --console-password-file "$work/password"
grep -q "console at http://127.0.0.1:$port/console/ (asks for the password)" "$work/console.log" ||
  fail "the console's address is not announced"
get 127.0.0.1 "$port" /console/riddles | grep -q "^Location: /console/login" ||
  fail "the console showed a page without a login"
post 127.0.0.1 "$port" /console/login "password=s3cret" |
  grep -q "^Set-Cookie: zorvane_console=[0-9a-f]*; Path=/console; HttpOnly; SameSite=Strict" ||
  fail "the password of the file did not log in"
printf '\nsecond\n' >"$work/empty-password"
expect_refusal "empty password file" "starts with an empty line" \
  "$site" --console-password-file "$work/empty-password"

# A busy port is refused; Ctrl-C stops the site cleanly.
start_site "$work/first.log" --port 0
expect_refusal "busy port" "cannot listen on 127.0.0.1:$port" "$site" --port "$port"
get 127.0.0.1 "$port" /dmmy/19499.html | grep -q "^HTTP/1.1 200" || fail "the first site stopped"
kill -INT "${pids[-1]}"
status=0
wait "${pids[-1]}" || status=$?
[ "$status" -eq 0 ] || fail "Ctrl-C ended the site with status $status"
tail -1 "$work/first.log" | grep -qx stopped || fail "the site did not stop cleanly"
echo "site command line: all checks passed"
