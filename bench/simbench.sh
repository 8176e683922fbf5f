# Sourced, after netns-enter.sh, by the benchmarks that drive listforge-sim through our VISA
# library: fails early when the build lacks one of the files named (the simulator and the library
# always), points VISA clients at the build's library, and gives a scratch folder ($work) and a
# simulator slot ($sim, the PID once started) that are cleaned up on exit.
for f in listforge-sim libvisa32.so "$@"; do
    [ -e "$build/$f" ] || { echo "missing $build/$f (build it first)" >&2; exit 1; }
done
export LISTFORGE_VISA_LIBRARY="$build/libvisa32.so"
work=$(mktemp -d)
sim=
cleanup() { [ -n "$sim" ] && kill "$sim" 2>/dev/null && wait "$sim" 2>/dev/null; rm -rf "$work"; }
trap cleanup EXIT
