#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs what a fresh Debian machine needs to build, run and test qvPreview.
set -euo pipefail
SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
PACKAGES=(
  build-essential cmake ccache pkg-config clang lld clang-format
  qt6-base-dev qt6-svg-dev libgl-dev
  # Qt's tools: the translation tools and catalogues, and Designer's
  # development files for the Designer plugin (Qt6Designer's CMake package
  # needs Qt6OpenGL's, which qt6-tools-dev does not pull in).
  qt6-tools-dev qt6-l10n-tools qt6-translations-l10n libqt6opengl6-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  fonts-liberation2 locales
  cups cups-client printer-driver-cups-pdf
  libsqlite3-dev libmspack-dev libglib2.0-dev libglib2.0-bin
  poppler-utils qpdf desktop-file-utils
  xvfb xauth x11-utils
  # A Wayland session for the window's test: Qt's Wayland platform and a
  # compositor that runs headless.
  qt6-wayland weston
  libxcb1-dev libxcb-ewmh-dev openbox
  # The API reference and its Qt help file (qhelpgenerator).
  doxygen qt6-documentation-tools
  dpkg-dev fakeroot lintian file man-db
)
missing=()
for p in "${PACKAGES[@]}"; do
  dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
