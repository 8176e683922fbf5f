#!/usr/bin/env bash
# Renders the icon sources in svg/ into the PNG files that the resource file compiles in.
# Run after editing an SVG; the PNGs are committed so that a build needs no renderer.
set -euo pipefail
cd "$(dirname "$0")"
render() { convert -background none -density 96 "svg/$1.svg" -resize "${3:-32}x${3:-32}" "PNG32:$2/$1.png"; }
for i in Red Yellow Green Bin Attention Plus; do render $i Misc; done
render ListForge Misc 64
for i in info warn error debug; do render $i TraceLog; done
for i in InstrConnected InstrBusy InstrOffline; do render $i Instrument; done
render reload icons16
