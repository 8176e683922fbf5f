# Sourced by the benchmark scripts that run a simulator on its standard ports: runs the calling
# script again inside a private network namespace (only loopback, brought up here), with the
# arguments given to `source`. Where namespaces are not permitted the benchmark is skipped.
if [ "${LISTFORGE_IN_NETNS:-}" != 1 ]; then
    if ! unshare -n -u true 2>/dev/null; then
        echo "network namespaces are not permitted here; benchmark skipped" >&2
        exit 0
    fi
    exec env LISTFORGE_IN_NETNS=1 unshare -n -u -- "$0" "$@"
fi
ip link set lo up
