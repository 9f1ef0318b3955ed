#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Configures and builds qvPreview in ./build (tests, benchmarks, examples).
# From the environment: QV_SANITIZE=ON builds everything with AddressSanitizer
# and UndefinedBehaviorSanitizer, QV_WERROR=ON fails on any compiler warning
# (CI sets both; both default to OFF, and a run without them switches an
# existing build back).
set -euo pipefail
cd "$(dirname "$0")/.."
# ccache keys on paths relative to the source folder, so that the packaging
# build (scripts/package.sh, in build-deb/) reuses these objects.
export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$PWD} CCACHE_NOHASHDIR=${CCACHE_NOHASHDIR:-true}
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DQV_SANITIZE="${QV_SANITIZE:-OFF}" -DQV_WERROR="${QV_WERROR:-OFF}" >/dev/null
cmake --build build -j2
