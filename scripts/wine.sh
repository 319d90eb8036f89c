# Sourced after scripts/setup.sh: runs Windows programs under Debian's Wine,
# the 32-bit ones under the 32-bit loader and the 64-bit ones under wine64,
# each in a prefix of its own below a build tree, with the code page 936
# (GBK) that the module's users have.

# The Debian packages that wine_run needs, 32-bit Wine among them, and what
# the tests use to show and answer a window on a virtual display (a CJK
# font, so that the question is legible in the screenshot).
ZORVANE_WINE_PACKAGES=(wine wine32:i386 wine64 locales xvfb xdotool imagemagick
  fonts-wqy-microhei)

# ensure_wine: 32-bit packages allowed, Wine installed, zh_CN.UTF-8 generated.
ensure_wine() {
  local sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    $sudo dpkg --add-architecture i386
    # ensure_packages updates the lists only when something is missing;
    # the new architecture makes wine32:i386 missing.
  fi
  ensure_packages "${ZORVANE_WINE_PACKAGES[@]}"
  if ! locale -a 2>/dev/null | grep -qix 'zh_CN.utf8'; then
    echo "Generating the zh_CN.UTF-8 locale"
    if grep -q '^# *zh_CN.UTF-8 UTF-8' /etc/locale.gen; then
      $sudo sed -i 's/^# *zh_CN.UTF-8 UTF-8/zh_CN.UTF-8 UTF-8/' /etc/locale.gen
    elif ! grep -q '^zh_CN.UTF-8 UTF-8' /etc/locale.gen; then
      echo 'zh_CN.UTF-8 UTF-8' | $sudo tee -a /etc/locale.gen >/dev/null
    fi
    $sudo locale-gen >/dev/null
  fi
}

# wine_loader ARCH: the loader for win32 or win64 programs.
wine_loader() {
  case $1 in
    win32) dpkg -L wine32 | grep -m1 '/wine/wine$' ;;
    win64) dpkg -L wine64 | grep -m1 '/wine/wine64$' ;;
    *) echo "wine_loader: unknown arch '$1'" >&2 && return 1 ;;
  esac
}

# wine_runs ARCH: true when this machine can start ARCH's Wine loader. Some
# kernels run 64-bit programs only and refuse every 32-bit one.
wine_runs() {
  local loader
  loader=$(wine_loader "$1") && "$loader" --version >/dev/null 2>&1
}

# wine_server ARCH PREFIX-DIR [ARGS...]: the prefix's wineserver, e.g. -p to
# keep it running between programs (a program then starts in about a
# second instead of five) or -k to end it.
wine_server() {
  local arch=$1 prefix=$2
  shift 2
  local server
  case $arch in
    win32) server=$(dpkg -L wine32 | grep -m1 '/wineserver32$') ;;
    win64) server=$(dpkg -L wine64 | grep -m1 '/wineserver64$') ;;
    *) echo "wine_server: unknown arch '$arch'" >&2 && return 1 ;;
  esac
  WINEPREFIX=$(realpath -m "$prefix") "$server" "$@"
}

# wine_prefix ARCH PREFIX-DIR: creates the prefix once (this takes minutes)
# and keeps its wineserver running; later calls reuse both.
wine_prefix() {
  local arch=$1 prefix=$2
  if [ ! -f "$prefix/system.reg" ]; then
    echo "Creating the $arch Wine prefix $prefix"
    DISPLAY="" wine_run "$arch" "$prefix" wineboot --init
  fi
  # Fails harmlessly when the server is running already.
  wine_server "$arch" "$prefix" -p </dev/null >/dev/null 2>&1 || true
}

# wine_run ARCH PREFIX-DIR PROGRAM [ARGS...]: runs PROGRAM in the prefix,
# creating the prefix on first use. No Mono or Gecko install prompts.
wine_run() {
  local arch=$1 prefix=$2
  shift 2
  local loader
  loader=$(wine_loader "$arch")
  mkdir -p "$(dirname "$prefix")"
  WINEPREFIX=$(realpath -m "$prefix") WINEARCH=$arch LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8 \
    WINEDEBUG=${WINEDEBUG:--all} WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=} \
    "$loader" "$@"
}

# Kernels without IA-32 emulation refuse every 32-bit program. There 32-bit
# Wine runs under qemu-i386 from Debian's bookworm-backports (version 10):
# bookworm's own qemu-user treats MAP_FIXED_NOREPLACE as a mere hint, and
# Wine then fails to reserve its shared user data.
ZORVANE_QEMU_SUITE=bookworm-backports

# debian_mirror: the machine's Debian archive (not its security archive).
debian_mirror() {
  local mirror
  mirror=$(cat /etc/apt/sources.list.d/*.sources 2>/dev/null |
    sed -n 's|^URIs: *\([^ ]*/debian\)/\?$|\1|p' | head -n1)
  [ -n "$mirror" ] || mirror=$(sed -n 's|^deb \(\[[^]]*\] \)\?\([^ ]*/debian\)/\? .*|\2|p' \
    /etc/apt/sources.list 2>/dev/null | head -n1)
  echo "${mirror:-http://deb.debian.org/debian}"
}

# fetch_qemu_i386 DIR: DIR/qemu-i386, the binary alone out of the backport
# of qemu-user, fetched with apt through lists of our own, so the machine's
# apt configuration stays as it is. On failure prints why in one line.
fetch_qemu_i386() {
  local dir=$1
  [ -x "$dir/qemu-i386" ] && return 0
  rm -rf "$dir/apt" "$dir/deb" && mkdir -p "$dir/apt/lists/partial" "$dir/apt/parts" "$dir/deb"
  echo "deb $(debian_mirror) $ZORVANE_QEMU_SUITE main" >"$dir/apt/sources.list"
  local apt=(apt-get -q -o "Dir::Etc::SourceList=$dir/apt/sources.list"
    -o "Dir::Etc::SourceParts=$dir/apt/parts" -o "Dir::State::Lists=$dir/apt/lists"
    -o "Dir::Cache=$dir/apt/cache" -o APT::Sandbox::User=root)
  echo "Fetching qemu-i386 from $ZORVANE_QEMU_SUITE" >&2
  if ! { "${apt[@]}" update && (cd "$dir/deb" && "${apt[@]}" download "qemu-user/$ZORVANE_QEMU_SUITE"); } \
    >"$dir/apt.log" 2>&1; then
    echo "cannot fetch qemu-user from $ZORVANE_QEMU_SUITE (see $dir/apt.log)"
    return 1
  fi
  dpkg-deb --fsys-tarfile "$dir"/deb/qemu-user_*.deb | tar -xO ./usr/bin/qemu-i386 >"$dir/qemu-i386.part" &&
    chmod +x "$dir/qemu-i386.part" && mv "$dir/qemu-i386.part" "$dir/qemu-i386" || {
    echo "the qemu-user package from $ZORVANE_QEMU_SUITE holds no usable qemu-i386"
    return 1
  }
  rm -rf "$dir/deb"
}

# make_i386_probe FILE: a tiny i386 program that maps a page, then maps the
# same page again with MAP_FIXED_NOREPLACE, and exits 0 only when that second
# map fails with EEXIST, as on a real kernel. An emulator that takes the flag
# for a hint maps elsewhere instead, and cannot run Wine.
make_i386_probe() {
  local file=$1
  [ -x "$file" ] && return 0
  as --32 -o "$file.o" - <<'PROBE' && ld -m elf_i386 -o "$file" "$file.o"
.globl _start
_start:
  mov $192, %eax        # mmap2(0, 4096, read|write, private|anonymous, -1, 0)
  xor %ebx, %ebx
  mov $4096, %ecx
  mov $3, %edx
  mov $0x22, %esi
  mov $-1, %edi
  xor %ebp, %ebp
  int $0x80
  cmp $-4096, %eax
  jae unfit
  mov %eax, %ebx        # the same page again, with MAP_FIXED_NOREPLACE
  mov $192, %eax
  mov $0x100022, %esi
  int $0x80
  cmp $-17, %eax        # -EEXIST
  jne unfit
  mov $1, %eax
  xor %ebx, %ebx
  int $0x80
unfit:
  mov $1, %eax
  mov $1, %ebx
  int $0x80
PROBE
  rm -f "$file.o"
}

# wine32_route SCRIPT [ARGS...]: makes 32-bit Windows programs run for this
# script and every program it starts. Call it near the top of a script,
# after ensure_wine and anything else that installs packages, as
# `wine32_route path/to/script "$@" || exit 1` (SCRIPT as found from the
# current folder). Where the kernel runs 32-bit Wine, it returns at once.
# Where it does not (or where ZORVANE_WINE32_EMULATE=1 asks for the emulated
# route), it fetches qemu-i386 into build/qemu-i386, checks it with the
# probe, and runs SCRIPT ARGS again inside a private user and mount
# namespace in which binfmt_misc hands every i386 program to qemu-i386; the
# machine's own binfmt table is left alone. Everything that shares a 32-bit
# wineserver must then run in that one namespace. ZORVANE_WINE32_ROUTE names
# the route taken ("native", "qemu-i386 10.0.2"). When no route can be set
# up, prints why in one line and returns 1.
wine32_route() {
  local why
  if [ -n "${ZORVANE_WINE32_ROUTE:-}" ]; then
    wine_runs win32 && return 0
    why="32-bit Wine does not start on the route '$ZORVANE_WINE32_ROUTE'"
  elif [ "${ZORVANE_WINE32_EMULATE:-0}" != 1 ] && wine_runs win32; then
    export ZORVANE_WINE32_ROUTE=native
    return 0
  elif [ ! -d /proc/sys/fs/binfmt_misc ]; then
    why="the kernel refuses i386 programs and has no binfmt_misc to hand them to qemu-i386"
  else
    local dir
    dir=$(realpath -m build/qemu-i386)
    mkdir -p "$dir"
    if ! why=$(fetch_qemu_i386 "$dir"); then
      :
    elif ! make_i386_probe "$dir/probe" >"$dir/probe.log" 2>&1; then
      why="cannot assemble the i386 probe (see $dir/probe.log)"
    elif ! "$dir/qemu-i386" "$dir/probe"; then
      why="$dir/qemu-i386 takes MAP_FIXED_NOREPLACE for a hint; 32-bit Wine cannot run under it"
    else
      local version
      version=$("$dir/qemu-i386" --version | sed -n '1s/^qemu-i386 version \([^ ]*\).*/\1/p')
      export ZORVANE_WINE32_ROUTE="qemu-i386 $version" ZORVANE_QEMU_I386=$dir/qemu-i386
      echo "32-bit programs take $ZORVANE_WINE32_ROUTE: $1 starts again in a namespace of its own"
      # The magic and mask of i386 executables and shared objects; F opens
      # the emulator now, so it runs whatever the program's mounts.
      exec unshare --user --map-root-user --mount -- bash -c '
        fail() { echo "FAIL: no route for 32-bit Windows programs: $*" >&2; exit 1; }
        mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc 2>/dev/null ||
          fail "cannot mount binfmt_misc in a user namespace"
        printf "%s\n" ":zorvane-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:$ZORVANE_QEMU_I386:F" \
          >/proc/sys/fs/binfmt_misc/register 2>/dev/null || fail "cannot register qemu-i386 with binfmt_misc"
        "${ZORVANE_QEMU_I386%/*}/probe" || fail "i386 programs do not reach qemu-i386 through binfmt_misc"
        exec "$@"' wine32-route "$@"
    fi
  fi
  echo "FAIL: no route for 32-bit Windows programs: $why" >&2
  return 1
}
