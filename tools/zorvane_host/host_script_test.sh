#!/usr/bin/env bash
# host_script_test.sh SITE HOST MODULE [RUNNER...]
#
# Plays host_script.txt through the zorvane-host program HOST with MODULE,
# both copied into a fresh folder, the run folder; RUNNER (e.g. a script
# that runs Windows programs under Wine) runs the host when given. The module
# reads its riddles from 127.0.0.1:8723, so this runs in a network namespace
# of its own, where the Linux riddle site SITE serves that address. Each
# answer must match its pattern; then the game's files must be in the run
# folder.
set -euo pipefail
site=$(realpath "$1")
host=$(realpath "$2")
module=$(realpath "$3")
shift 3
script=$(dirname "$(realpath "$0")")/host_script.txt

if [ -z "${ZORVANE_OWN_NETWORK:-}" ]; then
  exec unshare --net --map-root-user -- env ZORVANE_OWN_NETWORK=1 \
    sh -c 'ip link set lo up && exec "$@"' sh "$0" "$site" "$host" "$module" "$@"
fi

work=$(mktemp -d)
site_pid=""
cleanup() {
  [ -n "$site_pid" ] && kill "$site_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
folder=$work/run
mkdir "$folder"
cp "$host" "$module" "$folder/"
"$site" --port 8723 --host-folder "$folder" >"$work/site.log" 2>&1 &
site_pid=$!
for _ in $(seq 100); do
  grep -q '^listening on 8723' "$work/site.log" && break
  sleep 0.1
done

sed -n 's/^> //p' "$script" >"$work/requests"
timeout --kill-after=5 120 "$@" "$folder/$(basename "$host")" <"$work/requests" | tr -d '\r' >"$work/answers" || {
  echo "FAIL: the host ended with status $?" >&2
  cat "$work/answers" >&2
  exit 1
}
failed=0
exec 3<"$work/answers"
while IFS= read -r pattern; do
  IFS= read -r answer <&3 || answer="(no answer)"
  if ! grep -qxE -- "$pattern" <<<"$answer"; then
    echo "FAIL: $answer" >&2
    echo "  does not match $pattern" >&2
    failed=1
  fi
done < <(sed -n 's/^< //p' "$script")
if IFS= read -r extra <&3; then
  echo "FAIL: an answer too many: $extra" >&2
  failed=1
fi
for file in "$folder"/Zorva/10001.ini "$folder"/config/*10001.ini; do
  [ -f "$file" ] || { echo "FAIL: no $file in the run folder" >&2 && failed=1; }
done
[ "$failed" -eq 0 ] && echo "$(grep -c '^> ' "$script") requests answered as expected"
exit "$failed"
