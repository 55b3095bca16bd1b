#!/usr/bin/env bash
# Builds the program and runs every test (windows are driven offscreen).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
QT_QPA_PLATFORM=offscreen ctest --test-dir build --output-on-failure
