#!/usr/bin/env bash
# Starts a simulated ZOY550X generator on loopback, then ListForge from the build tree given as
# first argument; closing ListForge stops the simulator. Further arguments go to ListForge.
#
# ListForge runs with a configuration folder of its own (BUILD/demo-config), whose instrument
# pool already holds the simulated generator, so it can be assigned at once from the instrument
# box. Your own settings are not touched.
#
# The simulator serves TCPIP0::127.0.0.1::5025::SOCKET always, and TCPIP0::127.0.0.1::INSTR when
# it may open the portmapper port 111 (as root); the script lists the INSTR resource only then.
# Its mass memory is a temporary folder.
set -euo pipefail
build=$(realpath "${1:-build}")
shift || true

port=${LISTFORGE_DEMO_PORT:-5025}
serial=100777
resource="TCPIP0::127.0.0.1::${port}::SOCKET"

log=$(mktemp "${TMPDIR:-/tmp}/listforge-sim.XXXXXX")
"$build/listforge-sim" --model ZOY550X --serial "$serial" --address 127.0.0.1 --port "$port" >"$log" 2>&1 &
sim=$!
cleanup() {
    kill "$sim" 2>/dev/null || true
    wait "$sim" 2>/dev/null || true
    rm -f "$log"
}
trap cleanup EXIT

for _ in $(seq 100); do
    grep -q '^ready' "$log" && break
    if ! kill -0 "$sim" 2>/dev/null; then
        echo "The simulated generator did not start (is port $port taken? set LISTFORGE_DEMO_PORT):" >&2
        cat "$log" >&2
        exit 1
    fi
    sleep 0.1
done
echo "Simulated generator:"
grep -E '::SOCKET$' "$log" | sed 's/^/  /'
# INSTR resources need the portmapper (VXI-11) or the HiSLIP port, which the simulator gives up
# where the port is taken or not permitted; its summary line then names port 0 for it.
summary=$(grep -E '^# ' "$log" | head -n 1)
if [[ $summary =~ portmapper\ [1-9] ]]; then
    grep -E '::INSTR$' "$log" | grep -v '::hislip' | sed 's/^/  /'
fi
if [[ $summary =~ hislip\ [1-9] ]]; then
    grep -E '::hislip[0-9]+(,[0-9]+)?::INSTR$' "$log" | sed 's/^/  /'
fi

# Identify the simulated generator as a real one would be identified, for the pool entry.
exec 3<>"/dev/tcp/127.0.0.1/$port"
printf '*IDN?\n' >&3
IFS= read -r -t 5 idn <&3 || idn=""
exec 3>&-
firmware=$(printf '%s' "$idn" | tr -d '\r' | cut -d, -f4)

export XDG_CONFIG_HOME="$build/demo-config"
settings="$XDG_CONFIG_HOME/Tarvik/ListForge.ini"
mkdir -p "$(dirname "$settings")"
touch "$settings"
# The pool entry of the simulated generator is refreshed on every run: an earlier run may have
# used another port, and the program disables an entry it could not reach at start-up. Other
# entries and settings stay as they are. The pool is the list VisaResource0, 1, ... up to the
# first empty one; the demo entry is the one with this type and serial number, else a new one.
tmp=$(mktemp "$settings.XXXXXX")
awk -v res="$resource" -v serial="$serial" -v fw="$firmware" '
    function unquote(v) { gsub(/^"|"$/, "", v); return v }
    function entry(i) {
        return "VisaResource" i "=" res "\nType" i "=ZOY550X\nSerialNum" i "=" serial "\nFirmware" i "=" fw \
               "\nInterface" i "=TCPIP0\nComment" i "=Simulated generator (listforge-sim)\nEnabled" i "=1\n"
    }
    FNR == NR {
        if ($0 ~ /^\[/) { section = $0; next }
        if (section == "[InstrManage]" && match($0, /^[A-Za-z]+[0-9]+=/)) {
            key = substr($0, 1, RLENGTH - 1); value[key] = unquote(substr($0, RLENGTH + 1))
        }
        next
    }
    function locate() {
        for (count = 0; value["VisaResource" count] != ""; ++count)
            if (value["Type" count] == "ZOY550X" && value["SerialNum" count] == serial) demo = count + 1
        slot = demo ? demo - 1 : count
        located = 1
    }
    FNR == 1 { locate() }
    /^\[/ {
        if (section == "[InstrManage]" && !written) { printf "%s", entry(slot); if (!demo) print "VisaResource" count + 1 "="; written = 1 }
        section = $0; print; next
    }
    section == "[InstrManage]" {
        if (match($0, /^[A-Za-z]+[0-9]+=/)) {
            key = substr($0, 1, RLENGTH - 1); name = key; sub(/[0-9]+$/, "", name); idx = substr(key, length(name) + 1)
            if (idx == slot "" && name ~ /^(VisaResource|Type|SerialNum|Firmware|Interface|Comment|Enabled)$/) next
            if (!demo && key == "VisaResource" count + 1) next
        }
    }
    { print }
    END {
        if (!located) locate()
        if (section == "[InstrManage]" && !written) { printf "%s", entry(slot); if (!demo) print "VisaResource" count + 1 "="; written = 1 }
        if (!written) { print ""; print "[InstrManage]"; printf "%s", entry(slot); print "VisaResource" slot + 1 "=" }
    }
' "$settings" "$settings" >"$tmp" && mv "$tmp" "$settings"

"$build/listforge" "$@"
