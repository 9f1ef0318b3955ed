#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Runs the whole test suite: starts the services the tests need, then ctest.
set -euo pipefail
cd "$(dirname "$0")/.."
[ -d build ] || bash scripts/build.sh
source scripts/services.sh
export QV_XVFB_DISPLAY=:99
ctest --test-dir build --output-on-failure -j2 --timeout 600
