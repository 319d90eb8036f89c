#!/usr/bin/env bash
# check-exports.sh BUILD-DIR: the module exports exactly info and Zorvane,
# and a Windows DLL needs no MinGW runtime DLLs.
set -euo pipefail
dir=$1
if [ -f "$dir/zorvane.so" ]; then
  exports=$(nm -D --defined-only "$dir/zorvane.so" | awk '{print $3}' | sort | tr '\n' ' ')
  expected="Zorvane info "
elif [ -f "$dir/zorvane.dll" ]; then
  dump=$(objdump -p "$dir/zorvane.dll")
  exports=$(echo "$dump" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' |
    awk 'NR>1 && NF {print $NF}' | sort | tr '\n' ' ')
  expected="Zorvane info "
  imports=$(echo "$dump" | awk '/DLL Name:/ {print $3}' | sort -u | tr '\n' ' ')
  echo "$dir/zorvane.dll imports: $imports"
  if echo "$imports" | grep -qiE 'libstdc|libgcc|libwinpthread'; then
    echo "FAIL: $dir/zorvane.dll needs MinGW runtime DLLs" >&2
    exit 1
  fi
else
  echo "FAIL: no module in $dir" >&2
  exit 1
fi
if [ "$exports" != "$expected" ]; then
  echo "FAIL: $dir exports '$exports', expected '$expected'" >&2
  exit 1
fi
echo "$dir exports exactly: $exports"
