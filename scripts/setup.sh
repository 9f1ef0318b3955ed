#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs the packages, builds qvPreview and runs the example host.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh
if [ -x build/examples/invoice/qv_invoice ]; then
  build/examples/invoice/qv_invoice
fi
