# Sourced after scripts/setup.sh: runs Windows programs under Debian's Wine,
# the 32-bit ones under the 32-bit loader and the 64-bit ones under wine64,
# each in a prefix of its own below a build tree, with the code page 936
# (GBK) that the module's users have.

# The Debian packages that wine_run needs, 32-bit Wine among them.
ZORVANE_WINE_PACKAGES=(wine wine32:i386 wine64 locales xvfb xdotool)

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
