#!/usr/bin/env bash
# Builds the program if needed and starts it on the shipped sample bank.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
exec build/qcm
