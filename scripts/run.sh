#!/usr/bin/env bash
# Installs what is missing, builds and starts the program on its delivered cookbook.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh --run
scripts/build.sh build
exec build/kelvor "$@"
