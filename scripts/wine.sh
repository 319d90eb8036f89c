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
