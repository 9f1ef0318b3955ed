#!/usr/bin/env bash
# Configures and builds qvPreview in ./build (tests, benchmarks, examples).
set -euo pipefail
cd "$(dirname "$0")/.."
# ccache keys on paths relative to the source folder, so that the packaging
# build (scripts/package.sh, in build-deb/) reuses these objects.
export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$PWD} CCACHE_NOHASHDIR=${CCACHE_NOHASHDIR:-true}
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j2
