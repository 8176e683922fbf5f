#!/usr/bin/env bash
# Runs a command on a private virtual LAN with simulated instruments, as on an office network:
#
#   vlan-run.sh [--sim PROGRAM] --instrument "ADDRESS NAME [SIMULATOR OPTIONS...]" ... \
#               -- COMMAND [ARGS...]
#
# Everything happens inside new network, mount and UTS namespaces (nothing reaches a real
# network): a switch (a bridge in a namespace of its own), the PC (this namespace: loopback and
# one Ethernet link "lan0" with 192.0.2.1/24) and one namespace per instrument, linked to the
# switch by a veth pair and served by its own listforge-sim on ADDRESS (TEST-NET-1, 192.0.2.0/24
# only). NAME goes into the PC's /etc/hosts ("-" for none), which otherwise reads as a stock
# Debian install writes it: the host name "listforge-pc" on 127.0.1.1. The simulator options
# follow the address, e.g. "--model GKR550X --fault portmapper-delay=300"; PROGRAM defaults to
# $LISTFORGE_BUILD_DIR/listforge-sim.
#
# COMMAND runs in the PC namespace with LISTFORGE_IN_VLAN=1 and LISTFORGE_VLAN_INSTRUMENTS
# ("ADDRESS NAME MODEL" for each instrument, separated by ";"). The exit status is COMMAND's, or
# 77 (CTest's "skipped") where namespaces, veth pairs or bridges are not permitted.
set -u

if [ "${LISTFORGE_IN_VLAN:-}" != 1 ]; then
    if ! unshare -n -m -u true 2>/dev/null; then
        echo "vlan-run: namespaces are not permitted here; skipping" >&2
        exit 77
    fi
    exec env LISTFORGE_IN_VLAN=1 unshare -n -m -u -- "$0" "$@"
fi

skip() {
    echo "vlan-run: $*; skipping" >&2
    exit 77
}
die() {
    echo "vlan-run: $*" >&2
    exit 2
}

sim="${LISTFORGE_BUILD_DIR:-.}/listforge-sim"
specs=()
while [ $# -gt 0 ]; do
    case "$1" in
    --sim) sim="$2"; shift 2 ;;
    --instrument) specs+=("$2"); shift 2 ;;
    --) shift; break ;;
    *) die "unknown option '$1'" ;;
    esac
done
[ $# -gt 0 ] || die "no command given"
[ ${#specs[@]} -gt 0 ] || die "no instrument given"
[ -x "$sim" ] || die "no simulator at '$sim'"
command -v nsenter >/dev/null || skip "nsenter is missing"

work=$(mktemp -d /tmp/listforge-vlan-XXXXXX) || die "no temporary folder"
holders=()
sims=()
cleanup() {
    local pid
    for pid in "${sims[@]}" "${holders[@]}"; do
        kill "$pid" 2>/dev/null
    done
    wait 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

# A namespace is kept alive by a sleeping process; the links are moved into it by its process id
# once it has left this namespace.
new_namespace() {
    unshare -n -- sleep infinity &
    local pid=$! own
    own=$(readlink /proc/$$/ns/net)
    for _ in $(seq 200); do
        [ "$(readlink /proc/$pid/ns/net 2>/dev/null)" != "$own" ] && break
        sleep 0.01
    done
    holders+=("$pid")
    namespace=$pid
}
in_ns() {
    local pid=$1
    shift
    nsenter -t "$pid" -n -- "$@"
}

ip link set lo up || skip "no loopback"
hostname listforge-pc || skip "no private host name"
{
    printf '127.0.0.1\tlocalhost\n127.0.1.1\tlistforge-pc\n'
    for spec in "${specs[@]}"; do
        read -r address name _ <<<"$spec"
        [ "$name" != - ] && printf '%s\t%s\n' "$address" "$name"
    done
} >"$work/hosts"
chmod 644 "$work/hosts"
mount --bind "$work/hosts" /etc/hosts || skip "cannot replace /etc/hosts"

new_namespace
switch=$namespace
in_ns "$switch" ip link add name br0 type bridge 2>/dev/null || skip "bridges are not permitted"
in_ns "$switch" ip link set br0 up || die "bridge does not come up"

# Connects a new veth end in this namespace to a port of the switch.
plug() {
    local end=$1 port=$2
    ip link add name "$end" type veth peer name "$port" 2>/dev/null || skip "veth pairs are not permitted"
    ip link set "$port" netns "$switch" || die "cannot move $port"
    in_ns "$switch" ip link set "$port" master br0 up || die "cannot attach $port"
}

plug lan0 port0
ip addr add 192.0.2.1/24 brd + dev lan0 || die "cannot address lan0"
ip link set lan0 up || die "lan0 does not come up"

list=""
index=0
for spec in "${specs[@]}"; do
    index=$((index + 1))
    read -r address name options <<<"$spec"
    case "$address" in 192.0.2.*) ;; *) die "instrument address '$address' is not in 192.0.2.0/24" ;; esac
    new_namespace
    instrument=$namespace
    plug "eth$index" "port$index"
    ip link set "eth$index" netns "$instrument" || die "cannot move eth$index"
    in_ns "$instrument" ip link set lo up
    in_ns "$instrument" ip addr add "$address/24" brd + dev "eth$index" || die "cannot address $address"
    in_ns "$instrument" ip link set "eth$index" up || die "eth$index does not come up"
    out="$work/sim$index.out"
    # shellcheck disable=SC2086 # the options are words by design
    in_ns "$instrument" "$sim" --address "$address" $options >"$out" 2>&1 &
    sims+=("$!")
    for _ in $(seq 400); do
        grep -qx ready "$out" && break
        kill -0 "$!" 2>/dev/null || break
        sleep 0.025
    done
    grep -qx ready "$out" || die "simulator on $address did not start: $(cat "$out")"
    model=$(awk '$1 == "#" { print $3; exit }' "$out")
    list="$list${list:+;}$address $name $model"
done

# The scanner uses running interfaces only, and a veth link reports its carrier a moment after
# it is set up: hand over a network whose PC link is really up.
for _ in $(seq 200); do
    [ "$(cat /sys/class/net/lan0/operstate 2>/dev/null)" = up ] && break
    sleep 0.025
done
export LISTFORGE_VLAN_INSTRUMENTS="$list"
"$@"
exit $?
