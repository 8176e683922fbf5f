#!/usr/bin/env bash
# scripts/run-demo.sh with a stand-in for the program that keeps the settings it was started
# with: the demo pool entry is refreshed on every run (resource, enabled) and nothing else is
# touched; the INSTR resource is listed only while the simulator serves it. Runs in a private
# network namespace, where the fixed ports 5025 and 111 are free.
set -u
build=$(realpath "$1")
script=$(realpath "$2")
work=$(mktemp -d)
blocker=
trap '[ -n "$blocker" ] && kill "$blocker"; rm -rf "$work"' EXIT
mkdir "$work/build"
ln -s "$build/listforge-sim" "$work/build/listforge-sim"
printf '#!/bin/sh\ncp "$XDG_CONFIG_HOME/Tarvik/ListForge.ini" "$XDG_CONFIG_HOME/seen.ini"\n' >"$work/build/listforge"
chmod +x "$work/build/listforge"
seen=$work/build/demo-config/seen.ini
fails=0
check() { # description, then a command that must succeed
    local what=$1
    shift
    "$@" || { echo "FAIL: $what" >&2; fails=$((fails + 1)); }
}

# A first run: the entry is made; the portmapper is served (port 111 is free in here).
out=$("$script" "$work/build" 2>&1)
check "socket resource listed" grep -qx '  TCPIP0::127.0.0.1::5025::SOCKET' <<<"$out"
check "INSTR listed while served" grep -qx '  TCPIP0::127.0.0.1::INSTR' <<<"$out"
check "entry made" grep -qx 'VisaResource0=TCPIP0::127.0.0.1::5025::SOCKET' "$seen"
check "entry enabled" grep -qx 'Enabled0=1' "$seen"
check "pool ends after it" grep -qx 'VisaResource1=' "$seen"

# A stale entry (another port, disabled by the program) behind another instrument, and port 111
# taken by a second simulator: the entry is refreshed in place, INSTR is not listed.
cat >"$work/build/demo-config/Tarvik/ListForge.ini" <<'INI'
[General]
size=@Size(900 640)

[InstrManage]
Comment0=LAN Manual
Comment1=Simulated generator (listforge-sim)
Enabled0=0
Enabled1=0
Firmware0=1.0
Firmware1=0.9
Interface0=TCPIP0
Interface1=TCPIP0
SerialNum0=102030
SerialNum1=100777
Type0=GKR550X
Type1=ZOY550X
VisaResource0=TCPIP0::192.0.2.7::INSTR
VisaResource1=TCPIP0::127.0.0.1::6100::SOCKET
VisaResource2=
INI
"$build/listforge-sim" --model GKR550X --port 0 --portmapper-port 111 --hislip-port 0 >"$work/blocker.log" 2>&1 &
blocker=$!
for _ in $(seq 100); do grep -q '^ready' "$work/blocker.log" && break; sleep 0.1; done
check "port 111 taken" grep -qE 'portmapper 111( |$)' "$work/blocker.log"
out=$(LISTFORGE_DEMO_PORT=5026 "$script" "$work/build" 2>&1)
check "socket resource listed" grep -qx '  TCPIP0::127.0.0.1::5026::SOCKET' <<<"$out"
check "INSTR not listed while not served" bash -c '! grep -qx "  TCPIP0::127.0.0.1::INSTR" <<<"$0"' "$out"
check "entry refreshed" grep -qx 'VisaResource1=TCPIP0::127.0.0.1::5026::SOCKET' "$seen"
check "entry enabled again" grep -qx 'Enabled1=1' "$seen"
check "one entry of the demo" test "$(grep -c '^SerialNum[0-9]*=100777$' "$seen")" = 1
for line in 'VisaResource0=TCPIP0::192.0.2.7::INSTR' 'Enabled0=0' 'Type0=GKR550X' 'VisaResource2=' \
    'size=@Size(900 640)'; do
    check "kept: $line" grep -qxF "$line" "$seen"
done
exit $((fails > 0))
