#!/usr/bin/env bash
# Writes src/app/startup-order.txt: the functions of the program that a start
# runs, as callgrind sees them. The program's link puts them first and
# together (src/app/CMakeLists.txt), so that starting maps a few pages of the
# program rather than most of it. Run it again when what
# start-up does changes much; a stale list costs memory, never correctness.
# The list is sorted, so that its changes read as functions added or gone.
#
#   tools/startup-order.sh [build folder, build by default]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
cmake --build "$build" --target qcm-startbench shipped_files qcm-makebank
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$build"/share/qcm/* "$build"/bench/qcm-startbench "$work"/
# A first domain larger than what the practice window reads at once, so that
# its count is taken, then kept, as on a club's bank.
awk 'BEGIN { print "DOMAINE 1 | Aérologie"
             for (n = 1; n <= 200; n++)
               printf "QUESTION %d | ParapenteSolo\nQuestion %d ?\nA | 6 | Oui.\nB | 0 | Non.\n\n", n, n }' \
  > "$work"/banque.txt
"$build"/tools/qcm-makebank "$work"/banque.txt "$work"/VAR-irururiza.zov.new
mv "$work"/VAR-irururiza.zov.new "$work"/VAR-irururiza.zov
# Twice: the first start counts the first domain and ends once the question
# is painted; the next one takes the count the first one kept and stays a
# few seconds, past the splash's timer.
(cd "$work" && QT_QPA_PLATFORM=offscreen valgrind --tool=callgrind --demangle=no --compress-strings=no \
  --callgrind-out-file=profile.1 ./qcm-startbench >/dev/null 2>&1)
(cd "$work" && QT_QPA_PLATFORM=offscreen QCM_BENCH_STAY=1 timeout -s TERM 30 valgrind --tool=callgrind \
  --demangle=no --compress-strings=no --callgrind-out-file=profile.2 ./qcm-startbench >/dev/null 2>&1) || true
test -s "$work"/profile.2
awk '/^ob=/ { ob = substr($0, 4) }
     /^fn=/ { fn = substr($0, 4); sub(/^\([0-9]+\) ?/, "", fn)
              if (ob ~ /qcm-startbench$/ && fn != "" && fn !~ /^0x/ && !seen[fn]++) print fn }' \
  "$work"/profile.1 "$work"/profile.2 | LC_ALL=C sort > src/app/startup-order.txt
echo "$(wc -l < src/app/startup-order.txt) fonctions dans src/app/startup-order.txt"
