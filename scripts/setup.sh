# Sourced by ./play and ./test: installs the Debian packages the build needs
# when they are missing (as root on a fresh machine), then offers helpers.

# ensure_packages PKG...: apt-get installs those that are not installed yet.
ensure_packages() {
  local missing=()
  local pkg
  for pkg in "$@"; do
    dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed" ||
      missing+=("$pkg")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing: ${missing[*]}"
  local sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  # Another apt-get on the machine holds dpkg's lock for a while: wait for it.
  local wait=(-o DPkg::Lock::Timeout=900)
  $sudo apt-get "${wait[@]}" update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get "${wait[@]}" install -y -qq --no-install-recommends \
    "${missing[@]}" >/dev/null
}

# Packages for the Linux build, its tests, benchmarks and tools.
ZORVANE_LINUX_PACKAGES=(g++ cmake make pkg-config libgtest-dev libgmock-dev libbenchmark-dev
  libcurl4-openssl-dev libcpp-httplib-dev libreadline-dev libboost1.81-dev nlohmann-json3-dev)
# Cross compilers for the Windows DLLs.
ZORVANE_WINDOWS_PACKAGES=(g++-mingw-w64-i686 g++-mingw-w64-x86-64 binutils-mingw-w64-i686
  binutils-mingw-w64-x86-64)

# The web server's load harness (bench/site_load/compare.sh).
ZORVANE_BENCH_PACKAGES=(nginx wrk curl python3)

# The headless browser that drives the riddle site's console in the tests.
ZORVANE_BROWSER_PACKAGES=(chromium chromium-driver python3-selenium fonts-wqy-microhei)

ZORVANE_JOBS=$(nproc 2>/dev/null || echo 2)

# configure_and_build DIR [CMAKE-ARGS...]: warnings are errors when
# ZORVANE_WERROR=ON (as ./test sets it), else the tree's own setting stays.
configure_and_build() {
  local dir=$1
  shift
  local werror=()
  [ -n "${ZORVANE_WERROR:-}" ] && werror=(-DZORVANE_WERROR="$ZORVANE_WERROR")
  cmake -S . -B "$dir" -Wno-dev "${werror[@]}" "$@" >/dev/null
  cmake --build "$dir" -j "$ZORVANE_JOBS"
}

# Node.js and npm for the Koishi plug-in: Debian's when the machine has none.
ensure_node() {
  command -v node >/dev/null && command -v npm >/dev/null && return 0
  ensure_packages nodejs npm
}
