#!/usr/bin/env bash
# site_cli_test.sh ZORVANE_SITE: what an operator meets on the command line:
# a bad riddle file, an unwritable export folder, an export, another listen
# address, a busy port, hostile clients, the log, and Ctrl-C.
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
  # Made here: the child that becomes the site may open it only later.
  : >"$log"
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

# status_of: sends stdin as a request and prints the answer's status, or
# "none" when there is none within 5 s.
status_of() {
  exec 3<>"/dev/tcp/127.0.0.1/$port"
  cat >&3 2>/dev/null || true
  local line=""
  IFS=' ' read -r -t 5 _ line _ <&3 || true
  exec 3<&-
  echo "${line:-none}"
}

# trickle: a client that sends one header line every 3 s, never ending its head.
trickle() {
  exec 3<>"/dev/tcp/127.0.0.1/$port"
  printf 'GET / HTTP/1.1\r\n' >&3
  while printf 'X-Slow: a\r\n' >&3 2>/dev/null; do sleep 3; done
}

# Requests that would take the site's memory.
many_header_lines() {
  printf 'GET / HTTP/1.1\r\n'
  seq -f 'X-Filler-%g: a' 1000 | sed 's/$/\r/'
  printf '\r\n'
}
long_header_line() {
  printf 'GET / HTTP/1.1\r\nX-Long: %s\r\n\r\n' "$(head -c 40000 /dev/zero | tr '\0' a)"
}
chunked_body() {
  printf 'POST / HTTP/1.1\r\nTransfer-Encoding: chunked\r\n\r\n'
  for _ in 1 2 3 4; do
    printf '10000\r\n%s\r\n' "$(head -c 65536 /dev/zero | tr '\0' a)"
  done
  printf '0\r\n\r\n'
}
huge_length() {
  printf 'POST / HTTP/1.1\r\nContent-Length: 10000000000\r\n\r\n'
}

printf 'question\tanswer\tkind\n十个哥哥\t克\t打一字\n\t口\t打一字\n' >"$work/bad.tsv"
expect_refusal "bad riddle file" "bad.tsv:3: the question is empty" \
  "$site" --riddles "$work/bad.tsv"
printf 'id\tquestion\tanswer\n5\tQ\tA\n' >"$work/no-first.tsv"
expect_refusal "riddle file without the first page" "every new group starts there" \
  "$site" --riddles "$work/no-first.tsv"
expect_refusal "missing riddle file" "missing.tsv: cannot be read" \
  "$site" --riddles "$work/missing.tsv"
touch "$work/file"
expect_refusal "export below a file" "cannot make the folder $work/file/dmmy" \
  "$site" export "$work/file"
expect_refusal "bad port" "bad port: 65536" "$site" --port 65536

# Links planted in the folder are replaced, their targets left alone.
mkdir -p "$work/export/dmmy"
echo kept >"$work/kept"
ln -s "$work/kept" "$work/export/dmmy/19499.html"
ln -s "$work/planted" "$work/export/update.html"
"$site" export "$work/export" --update-link http://127.0.0.1:1/new.zip >/dev/null
[ "$(cat "$work/kept")" = kept ] || fail "the export wrote through a link"
[ ! -e "$work/planted" ] || fail "the export made a link's target"
[ ! -L "$work/export/dmmy/19499.html" ] || fail "the export left a link in place of a page"
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

# post HOST PORT PATH FORM [HEADER...]: the response to a POST of a
# urlencoded form, as the console's own page sends it.
post() {
  exec 3<>"/dev/tcp/$1/$2"
  printf 'POST %s HTTP/1.0\r\nHost: %s:%s\r\nOrigin: http://%s:%s\r\n' "$3" "$1" "$2" "$1" "$2" >&3
  printf 'Content-Type: application/x-www-form-urlencoded\r\n' >&3
  local header
  for header in "${@:5}"; do
    printf '%s\r\n' "$header" >&3
  done
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
# The login form's page gives its token, and a cookie that holds it too.
login_page=$(get 127.0.0.1 "$port" /console/login)
login_cookie=$(sed -n 's/^Set-Cookie: \(zorvane_login=[0-9a-f]*\);.*/\1/p' <<<"$login_page")
login_token=$(grep -o 'name="csrf" value="[0-9a-f]*"' <<<"$login_page" | cut -d'"' -f4)
post 127.0.0.1 "$port" /console/login "csrf=$login_token&password=s3cret" "Cookie: $login_cookie" |
  grep -q "^Set-Cookie: zorvane_console=[0-9a-f]*; Path=/console; HttpOnly; SameSite=Strict" ||
  fail "the password of the file did not log in"
printf '\nsecond\n' >"$work/empty-password"
expect_refusal "empty password file" "starts with an empty line" \
  "$site" --console-password-file "$work/empty-password"

# A busy port is refused.
start_site "$work/first.log" --port 0
site_pid=${pids[-1]}
expect_refusal "busy port" "cannot listen on 127.0.0.1:$port" "$site" --port "$port"
get 127.0.0.1 "$port" /dmmy/19499.html | grep -q "^HTTP/1.1 200" || fail "the first site stopped"

# Oversized heads and bodies are refused before they fill the memory.
for case in "431 many_header_lines" "431 long_header_line" "413 chunked_body" "413 huge_length"; do
  read -r want request <<<"$case"
  got=$("$request" | status_of)
  [ "$got" = "$want" ] || fail "$request: answered $got, not $want"
done

# Clients that trickle in their heads do not hold up the others.
for _ in 1 2 3 4 5 6 7 8; do
  trickle 2>/dev/null &
  pids+=($!)
  sleep 0.1
done
got=$(printf 'GET /dmmy/19499.html HTTP/1.0\r\n\r\n' | status_of)
[ "$got" = 200 ] || fail "with eight slow clients a page was answered $got"

# A path cannot forge log lines or send escape sequences to the terminal.
get 127.0.0.1 "$port" '/dmmy/%0Aforged%20404%1B[2J' >/dev/null
# The log is written a moment after the request.
for _ in $(seq 20); do
  grep -qF 'GET /dmmy/\x0Aforged 404\x1B[2J 404' "$work/first.log" && break
  sleep 0.1
done
grep -q '^forged' "$work/first.log" && fail "a request forged a log line"
grep -qF 'GET /dmmy/\x0Aforged 404\x1B[2J 404' "$work/first.log" ||
  fail "the log does not show the request's control bytes escaped"

# Ctrl-C stops the site cleanly at once, even with slow clients connected.
kill -INT "$site_pid"
for _ in $(seq 40); do
  kill -0 "$site_pid" 2>/dev/null || break
  sleep 0.1
done
kill -0 "$site_pid" 2>/dev/null && fail "Ctrl-C did not stop the site within 4 s"
status=0
wait "$site_pid" || status=$?
[ "$status" -eq 0 ] || fail "Ctrl-C ended the site with status $status"
tail -1 "$work/first.log" | grep -qx stopped || fail "the site did not stop cleanly"
echo "site command line: all checks passed"
