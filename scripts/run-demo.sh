#!/usr/bin/env bash
# Starts ListForge from the build tree given as first argument.
set -euo pipefail
build=${1:-build}
exec "$build/listforge" "${@:2}"
