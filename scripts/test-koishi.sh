#!/usr/bin/env bash
# The Koishi plug-in as users get it: packs it (scripts/pack-koishi.sh),
# checks the tarball's programs, installs it into a fresh Koishi app made
# from the committed lockfile (build/koishi/app) and runs its tests with
# node's test runner: the plug-in's parts on their own, then the app played
# through Koishi's mock client and through the OneBot adapter, and the
# faults it must ride out. Ends with a short run of the benchmark.
#
# The packed module reads its riddles from 127.0.0.1:8723, the address built
# into it. The end-to-end tests therefore run in network namespaces of their
# own, one a test file, where that port is theirs whatever this machine runs.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/setup.sh
ensure_node
package=tools/koishi-plugin-zorvane

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

scripts/pack-koishi.sh
tarball=$(realpath build/koishi/koishi-plugin-zorvane-*.tgz)

echo "== The tarball's programs"
listing=$(tar -tzf "$tarball")
for file in lib/index.js README.md prebuilt/linux-x64/{zorvane-host,zorvane.so,zorvane-site,riddles.tsv} \
  prebuilt/win32/{zorvane-host.exe,zorvane.dll,zorvane-site.exe,riddles.tsv}; do
  grep -qx "package/$file" <<<"$listing" || fail "the tarball lacks $file"
done
unpacked=build/koishi/unpacked
rm -rf "$unpacked" && mkdir -p "$unpacked" && tar -xzf "$tarball" -C "$unpacked"
for file in zorvane-host.exe zorvane.dll zorvane-site.exe; do
  i686-w64-mingw32-objdump -f "$unpacked/package/prebuilt/win32/$file" | grep -q 'file format pei-i386' ||
    fail "prebuilt/win32/$file is not a 32-bit Windows program"
done
# The packed site must start on any Linux machine: it may need nothing but
# the C and C++ runtimes.
if ldd "$unpacked/package/prebuilt/linux-x64/zorvane-site" | grep -v -E \
  'linux-vdso|ld-linux|lib(c|m|stdc\+\+|gcc_s)\.so' | grep -q .; then
  fail "the packed zorvane-site needs libraries beyond the C and C++ runtimes"
fi
echo "$(basename "$tarball"): $(du -k "$tarball" | cut -f1) KiB, $(wc -l <<<"$listing") files"

echo "== A fresh Koishi app with the packed plug-in"
app=build/koishi/app
rm -rf "$app" && mkdir -p "$app"
cp "$package/test/app/package.json" "$package/test/app/package-lock.json" "$app/"
(cd "$app" && npm ci --no-audit --no-fund --loglevel=error &&
  npm install --no-save --no-audit --no-fund --loglevel=error "$tarball")
export ZORVANE_TEST_APP=$PWD/$app

# in_own_network COMMAND...: runs COMMAND in a network namespace of its own
# with only loopback up.
in_own_network() {
  unshare --net --map-root-user -- sh -c 'ip link set lo up && exec "$@"' sh "$@"
}
in_own_network true || fail "cannot make a network namespace for the end-to-end tests (unshare --net)"

echo "== The plug-in's parts"
node --test --test-reporter=spec "$package"/test/unit/*.test.js

echo "== The packed plug-in in Koishi, one network namespace a test file"
for file in "$package"/test/e2e/*.test.js; do
  in_own_network node --test --test-reporter=spec "$file" || fail "$file"
done

echo "== Benchmark (short run)"
in_own_network node bench/koishi/plugin_bench.js --short
