#!/usr/bin/env bash
# Installs the build tree under /usr in a staging folder, then runs the installed programs as a
# user of the packages would: each finds its own installed VISA library (not the build tree's),
# PyVISA talks to the simulator through it, and the desktop files pass their validators.
#   staged-install.sh BUILD STAGE VERSION LIBDIR      (inside a private network namespace)
set -euo pipefail
build=$1 stage=$2 version=$3 libdir=$4
fail() { echo "FAIL: $*" >&2; exit 1; }
rm -rf "$stage" && mkdir -p "$stage/home" && export HOME=$stage/home
DESTDIR=$stage cmake --install "$build" --prefix /usr >/dev/null
usr=$stage/usr bin=$stage/usr/bin

for p in listforge listforge-cli listforge-sim; do
    [ "$("$bin/$p" --version)" = "$p $version" ] || fail "$p --version: $("$bin/$p" --version)"
    [[ $("$bin/$p" --help) == *--version* ]] || fail "$p --help does not list --version"
    [[ $(man -l "$usr/share/man/man1/$p.1.gz") == *"ListForge $version"* ]] || fail "manual page of $p"
done
"$bin/listforge-cli" datalist --prbs 9 --bits 40 --modulation QPSK -o "$stage/t.dm_iqd"
[[ $("$bin/listforge-cli" info "$stage/t.dm_iqd") == *"Bits: 40"* ]] || fail "datalist/info"

"$bin/listforge-sim" --portmapper-port 0 --storage "$stage" > "$stage/sim.out" &
sim=$!
trap 'kill $sim 2>/dev/null || true' EXIT
for _ in $(seq 100); do grep -q '^ready' "$stage/sim.out" && break; sleep 0.1; done
grep -q '^ready' "$stage/sim.out" || fail "simulator did not start"
res=TCPIP0::127.0.0.1::5025::SOCKET
[[ $("$bin/listforge-cli" scpi --resource $res "*IDN?") == *Tarvik,ZOY550X* ]] || fail "installed CLI over VISA"
"$bin/listforge-cli" upload --resource $res "$stage/t.dm_iqd" || fail "upload"

# (A sanitizer build hands over the runtime the interpreter must load first.)
LD_PRELOAD=${LISTFORGE_FOREIGN_PRELOAD:-} ASAN_OPTIONS=detect_leaks=0 \
    /usr/bin/python3 - "$usr/$libdir/libvisa32.so.1" $res <<'PY' || fail "PyVISA with the installed library"
import sys, pyvisa
rm = pyvisa.ResourceManager(sys.argv[1])
assert rm.resource_info(sys.argv[2]).resource_class == "SOCKET"
inst = rm.open_resource(sys.argv[2], read_termination="\n", write_termination="\n")
idn = inst.query("*IDN?")
assert idn.startswith("Tarvik,ZOY550X"), idn
inst.close()
rm.close()
PY

desktop=$usr/share/applications/com.tarvik.listforge.desktop
desktop-file-validate "$desktop" || fail "desktop entry"
appstreamcli validate --no-net "$usr/share/metainfo/com.tarvik.listforge.metainfo.xml" || fail "metainfo"
grep -q "<release version=\"$version\"" "$usr/share/metainfo/com.tarvik.listforge.metainfo.xml" || fail "release"
[ -x "$bin/$(sed -n 's/^Exec=//p' "$desktop")" ] || fail "Exec= is not an installed program"
icon=$(sed -n 's/^Icon=//p' "$desktop")
for s in 16 22 24 32 48 64 128 256; do
    [[ $(file -b "$usr/share/icons/hicolor/${s}x$s/apps/$icon.png") == "PNG image data, $s x $s, 8-bit/color RGBA"* ]] ||
        fail "icon ${s}x$s"
done
grep -q "<svg" "$usr/share/icons/hicolor/scalable/apps/$icon.svg" || fail "scalable icon"
echo "staged install OK"
