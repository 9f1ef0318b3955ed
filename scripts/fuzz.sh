#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds the libFuzzer targets with clang (ASan + UBSan) in ./build-fuzz and
# runs each one on its committed seed corpus, then for QV_FUZZ_SECONDS more
# (default 60). Any crash fails the run; its input is left in
# build-fuzz/artifacts/ to be fixed and added to the seed corpus.
set -euo pipefail
cd "$(dirname "$0")/.."
SECONDS_PER_TARGET=${QV_FUZZ_SECONDS:-60}
if ! command -v clang++ >/dev/null 2>&1; then
  echo "fuzz: clang++ not installed, skipped"
  exit 0
fi
CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQV_BUILD_FUZZ=ON \
  -DQV_BUILD_TESTS=OFF -DQV_BUILD_BENCH=OFF -DQV_BUILD_EXAMPLES=OFF -DQV_BUILD_TOOLS=OFF >/dev/null
cmake --build build-fuzz -j2
mkdir -p build-fuzz/artifacts
export QT_QPA_PLATFORM=offscreen
# Qt keeps caches alive until exit; leaks are not what these targets look for.
export ASAN_OPTIONS=detect_leaks=0:allocator_may_return_null=1
status=0
for target in $(find build-fuzz/fuzz -maxdepth 2 -type f -name 'fuzz_*' -perm -u+x | sort); do
  name=$(basename "$target")
  seeds="fuzz/${name#fuzz_}/corpus"
  work=$(mktemp -d)
  echo "fuzz: $name for ${SECONDS_PER_TARGET}s on $seeds"
  if ! "$target" -max_total_time="$SECONDS_PER_TARGET" -timeout=10 -rss_limit_mb=2048 \
       -max_len=65536 -print_final_stats=1 -artifact_prefix=build-fuzz/artifacts/"$name"- \
       "$work" "$seeds" 2>build-fuzz/"$name".log; then
    echo "fuzz: $name FAILED, see build-fuzz/$name.log"; tail -40 build-fuzz/"$name".log
    status=1
  else
    grep -E 'stat::number_of_executed_units|Done [0-9]+ runs' build-fuzz/"$name".log | tail -2
  fi
  rm -rf "$work"
done
exit $status
