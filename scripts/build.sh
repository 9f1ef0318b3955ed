#!/usr/bin/env bash
# Configures and builds qvPreview in ./build (tests, benchmarks, examples).
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j2
