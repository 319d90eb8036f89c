#!/usr/bin/env bash
# check-exports.sh BUILD-DIR: each module exports exactly info and its event
# export (the game Zorvane, the sign-in module ZorvaneSignin), and a Windows
# DLL needs no MinGW runtime DLLs. The 32-bit DLLs must also load on Windows
# XP and Server 2003 and keep the host's stack balanced.
set -euo pipefail
# Names sort as bytes: capitals first.
export LC_ALL=C
dir=$1

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

# check_legacy_loadable DLL DUMP EVENT-EXPORT: no implicit TLS directory,
# imports from the system DLLs that old Windows has (and none of
# GetTickCount64), and an event export that removes its five arguments, 20
# bytes, on return.
check_legacy_loadable() {
  local dll=$1 dump=$2 event=$3
  local tls
  tls=$(echo "$dump" | awk '/Thread Storage Directory/ {print $3}')
  [ "$tls" = "00000000" ] || fail "$dll has a TLS directory ($tls bytes)"
  local name
  for name in $(echo "$dump" | awk '/DLL Name:/ {print toupper($3)}'); do
    case $name in
      KERNEL32.DLL | USER32.DLL | SHELL32.DLL | WININET.DLL | OLE32.DLL | MSVCRT.DLL) ;;
      *) fail "$dll imports from $name" ;;
    esac
  done
  if grep -qw GetTickCount64 <<<"$dump"; then
    fail "$dll imports GetTickCount64"
  fi
  local base rva index
  base=$(echo "$dump" | awk '/^ImageBase/ {print $2}')
  # Brackets dropped: "[   0] Zorvane" and "[   0] +base[   1] 15b0 Export RVA".
  index=$(echo "$dump" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' | tr -d '[]' |
    awk -v name="$event" '$2 == name {print $1}')
  rva=$(echo "$dump" | sed -n '/Export Address Table -- Ordinal Base/,/^$/p' | tr -d '[]' |
    awk -v i="$index" '$1 == i && $2 == "+base" {print $4}')
  [ -n "$rva" ] || fail "$dll: no address for $event"
  local start=$((0x$base + 0x$rva))
  local code ret
  code=$(objdump -d --no-show-raw-insn --start-address=$start --stop-address=$((start + 4096)) "$dll")
  ret=$(grep -m1 -E '\sret' <<<"$code" | sed 's/.*\(ret.*\)/\1/' | tr -s ' ')
  [ "$ret" = 'ret $0x14' ] || fail "$dll: $event returns with '$ret', not 'ret \$0x14'"
  echo "$dll: no TLS directory, old-Windows imports only, $event ends with $ret"
}

# check_module NAME EVENT-EXPORT: the module NAME.so or NAME.dll in dir.
check_module() {
  local name=$1 event=$2
  local expected exports
  expected="$event info "
  if [ -f "$dir/$name.so" ]; then
    exports=$(nm -D --defined-only "$dir/$name.so" | awk '{print $3}' | sort | tr '\n' ' ')
  elif [ -f "$dir/$name.dll" ]; then
    local dll=$dir/$name.dll dump imports
    dump=$(objdump -p "$dll")
    exports=$(echo "$dump" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' |
      awk 'NR>1 && NF {print $NF}' | sort | tr '\n' ' ')
    imports=$(echo "$dump" | awk '/DLL Name:/ {print $3}' | sort -u | tr '\n' ' ')
    echo "$dll imports: $imports"
    if echo "$imports" | grep -qiE 'libstdc|libgcc|libwinpthread'; then
      fail "$dll needs MinGW runtime DLLs"
    fi
    if grep -q "file format pei-i386" <<<"$dump"; then
      check_legacy_loadable "$dll" "$dump" "$event"
    fi
  else
    fail "no module $name in $dir"
  fi
  if [ "$exports" != "$expected" ]; then
    fail "$name in $dir exports '$exports', expected '$expected'"
  fi
  echo "$name in $dir exports exactly: $exports"
}

check_module zorvane Zorvane
check_module zorvane-signin ZorvaneSignin
