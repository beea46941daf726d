#!/usr/bin/env bash
# Installs what is missing, builds Tessivar and its command-line runner into build/ and starts the
# editor.
# Usage: ./run.sh [circuit.tvm]
set -euo pipefail
cd "$(dirname "$0")"
source scripts/common.sh

ensure_packages
configure_build build
build build --target tessivar tessivar-cli
say "Built build/src/app/tessivar and build/src/cli/tessivar-cli"

# The editor is a window: without a display Qt could only stop with its own message.
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
    cat >&2 <<'MESSAGE'
Tessivar's editor needs a desktop session to show its window, and none was found here.
Start ./run.sh from a terminal in your desktop, or without one through a virtual display:
    xvfb-run ./run.sh [circuit.tvm]
The command-line runner needs no display:
    ./build/src/cli/tessivar-cli --help
MESSAGE
    exit 1
fi
say "Starting Tessivar"
exec ./build/src/app/tessivar "$@"
