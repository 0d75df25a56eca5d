#!/usr/bin/env bash
# Builds the benchmarks without sanitizers and runs each; every one prints, last, a line per
# figure with its baseline measured in the same run and their ratio. Without names it runs
# the native ones, then those under Wine (tools/bench-wine.sh).
#   tools/bench.sh [NAME...]     e.g. tools/bench.sh list_bench, tools/bench.sh wine
set -euo pipefail
source "$(dirname "$0")/lib/common.sh"
brevlo_setup >/dev/null
dir=$brevlo_build/bench
cmake -S "$brevlo_top" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBREVLO_SANITIZE=OFF \
  -Wno-dev >/dev/null
names=()
wine=no
for name in "$@"; do
  if [ "$name" = wine ]; then wine=yes; else names+=("$name"); fi
done
if [ $# -eq 0 ]; then
  for src in "$brevlo_top"/bench/*_bench.cpp; do names+=("$(basename "$src" .cpp)"); done
  wine=yes
fi
if [ ${#names[@]} -gt 0 ]; then
  brevlo_quiet_build "$dir" --target "${names[@]}"
fi
for name in "${names[@]}"; do
  echo "== $name"
  "$dir/$name"
done
if [ $wine = yes ]; then
  echo "== under Wine"
  "$brevlo_top/tools/bench-wine.sh"
fi
