#!/usr/bin/env bash
# Installs what is missing, builds Tessivar into build/ and starts the editor.
# Usage: ./run.sh [circuit.tvm]
set -euo pipefail
cd "$(dirname "$0")"
source scripts/common.sh

ensure_packages
configure_build build
build build --target tessivar
say "Starting Tessivar"
exec ./build/src/app/tessivar "$@"
