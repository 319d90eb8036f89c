#!/usr/bin/env bash
# wine-exec.sh ARCH PREFIX PROGRAM [ARGS...]: runs a Windows program the way
# scripts/wine.sh does, for tests that start it from C++.
set -euo pipefail
here=$(dirname "$0")
source "$here/setup.sh"
source "$here/wine.sh"
wine_run "$@"
