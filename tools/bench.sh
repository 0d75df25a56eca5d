#!/usr/bin/env bash
# Builds the benchmarks without sanitizers and runs each; every one prints, last, a line per
# figure with its baseline measured in the same run and their ratio.
#   tools/bench.sh [NAME...]     e.g. tools/bench.sh list_bench
set -euo pipefail
source "$(dirname "$0")/lib/common.sh"
brevlo_setup >/dev/null
dir=$brevlo_build/bench
cmake -S "$brevlo_top" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBREVLO_SANITIZE=OFF \
  -Wno-dev >/dev/null
names=("$@")
if [ ${#names[@]} -eq 0 ]; then
  for src in "$brevlo_top"/bench/*_bench.cpp; do names+=("$(basename "$src" .cpp)"); done
fi
cmake --build "$dir" --target "${names[@]}" >/dev/null
for name in "${names[@]}"; do
  echo "== $name"
  "$dir/$name"
done
