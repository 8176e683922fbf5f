#!/usr/bin/env bash
# Starts a simulated ZOY550X generator on loopback, then ListForge from the build tree given as
# first argument; closing ListForge stops the simulator. Further arguments go to ListForge.
#
# ListForge runs with a configuration folder of its own (BUILD/demo-config), whose instrument
# pool already holds the simulated generator, so it can be assigned at once from the instrument
# box. Your own settings are not touched.
#
# The simulator serves TCPIP0::127.0.0.1::5025::SOCKET always, and TCPIP0::127.0.0.1::INSTR when
# it may open the portmapper port 111 (as root). Its mass memory is a temporary folder.
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
grep -E '^TCPIP' "$log" | sed 's/^/  /'

# Identify the simulated generator as a real one would be identified, for the pool entry.
exec 3<>"/dev/tcp/127.0.0.1/$port"
printf '*IDN?\n' >&3
IFS= read -r -t 5 idn <&3 || idn=""
exec 3>&-
firmware=$(printf '%s' "$idn" | tr -d '\r' | cut -d, -f4)

export XDG_CONFIG_HOME="$build/demo-config"
settings="$XDG_CONFIG_HOME/Tarvik/ListForge.ini"
if ! grep -qs '^\[InstrManage\]' "$settings"; then
    mkdir -p "$(dirname "$settings")"
    cat >>"$settings" <<INI
[InstrManage]
VisaResource0=$resource
Type0=ZOY550X
SerialNum0=$serial
Firmware0=$firmware
Interface0=TCPIP0
Comment0=Simulated generator (listforge-sim)
Enabled0=1
VisaResource1=
INI
fi

"$build/listforge" "$@"
