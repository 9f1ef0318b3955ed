#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Makes a service-pack folder: the installer Setup and the control library
# libqvpreview.so.1 side by side, as they travel to the machines to update.
# There an administrator runs ./Setup from that folder; it installs the
# library into the system folder ($QVPREVIEW_SYSTEM_DIR, else the library
# folder the build was configured for, /usr/local/lib by default) when the
# installed one is older, and registers it.
#   bash scripts/service-pack.sh [FOLDER]     (default: build/service-pack)
set -euo pipefail
cd "$(dirname "$0")/.."
out=${1:-build/service-pack}
if [ ! -x build/setup/Setup ] || [ ! -e build/libqvpreview.so.1 ]; then
  bash scripts/build.sh
fi
# A library built with the sanitizers (QV_SANITIZE=ON, as CI builds) needs
# their runtime loaded first in every host: it never travels.
if grep -q '^QV_SANITIZE:BOOL=ON$' build/CMakeCache.txt; then
  echo "service-pack: build/ is built with the sanitizers; rebuild it without (bash scripts/build.sh)" >&2
  exit 1
fi
mkdir -p "$out"
install -m 0755 build/setup/Setup "$out/Setup"
# The file itself, not the link the build tree keeps under that name.
install -m 0755 "$(readlink -f build/libqvpreview.so.1)" "$out/libqvpreview.so.1"
echo "service pack in $out:"
ls -l "$out"
