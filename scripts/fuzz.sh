#!/usr/bin/env bash
# Runs one fuzz target for a given time:
#   scripts/fuzz.sh TARGET SECONDS [LIBFUZZER OPTIONS...]
# TARGET is one of the names in tests/fuzz/CMakeLists.txt (settings_reader,
# settings_writer, query_parser, bank_text, key_filter, date_slashes,
# access_reader). The targets are built with clang, libFuzzer and the address
# and undefined-behaviour sanitizers in build-fuzz/. Further options go to
# libFuzzer: access_reader, whose library crashes on some files, runs best
# with -fork=1 -ignore_crashes=1 -ignore_timeouts=1 -ignore_ooms=1, its
# findings then sorted by whether our code is on their stack.
# The run starts from the committed corpus tests/fuzz/corpus/TARGET; inputs it
# finds go to build-fuzz/corpus/TARGET, crashes and hangs to
# build-fuzz/findings/TARGET/. Copy a finding into the committed corpus once
# fixed, so that the tests replay it.
# It runs at the lowest priority, one process: the machine is shared.
set -euo pipefail
cd "$(dirname "$0")/.."

if [ $# -lt 2 ]; then
  echo "usage: scripts/fuzz.sh TARGET SECONDS [LIBFUZZER OPTIONS...]" >&2
  exit 2
fi
target=$1
seconds=$2

. scripts/packages.sh
ensure_packages clang libclang-rt-14-dev cmake ninja-build qt6-base-dev libsqlite3-dev mdbtools-dev

cmake -S . -B build-fuzz -G Ninja -DQCM_FUZZ=ON -DCMAKE_CXX_COMPILER=clang++ \
      -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build-fuzz -j2 --target "fuzz_$target"

work=build-fuzz/corpus/$target
findings=build-fuzz/findings/$target
mkdir -p "$work" "$findings"
options=(-max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -use_value_profile=1
         -print_final_stats=1 -artifact_prefix="$findings/")
[ -f "tests/fuzz/$target.dict" ] && options+=(-dict="tests/fuzz/$target.dict")
options+=("${@:3}")
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1}
exec nice -n 19 "build-fuzz/tests/fuzz/fuzz_$target" "${options[@]}" "$work" "tests/fuzz/corpus/$target"
