#!/usr/bin/env bash
# Random-operation soak of the whole program, for as long as asked:
#   scripts/soak.sh SECONDS [SEED]
# New seeds each run (or SEED, SEED+1… to repeat a whole soak); every third
# run on a bank of 20,000 questions. Each seed is printed; a failure prints
# its last operations and the command that replays it. Builds first.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:?usage: scripts/soak.sh SECONDS [SEED]}
if [ ! -f build/build.ninja ]; then
  scripts/setup.sh
fi
cmake --build build -j2 --target soak_tests >/dev/null
export QT_QPA_PLATFORM=offscreen LC_ALL=C.UTF-8
exec build/tests/soak/soak_tests --seconds "$seconds" ${2:+--seed "$2"}
