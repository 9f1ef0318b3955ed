#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs the Debian packages that scripts/package.sh built (apt pulls their
# dependencies), builds a small host against the installed development
# package with find_package and with pkg-config, runs it without a display
# (it records two pages, renders page 1 to PNG and prints both to PDF),
# checks the tool and Setup, and removes the packages again, also when a
# step fails. Needs root (or sudo).
#   bash scripts/package-test.sh [BUILD-DIR]   (default: build-deb)
# With QV_PACKAGE_TEST_OUT=DIR the hosts' PNG and PDF files are kept there.
set -euo pipefail
cd "$(dirname "$0")/.."
out=$(realpath "${1:-build-deb}")
SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
debs=("$out"/packages/*.deb)
[ -e "${debs[0]}" ] || { echo "package-test: no packages in $out/packages (bash scripts/package.sh)" >&2; exit 1; }
names=()
for deb in "${debs[@]}"; do names+=("$(dpkg-deb -f "$deb" Package)"); done
# The test removes what it installed: it does not touch packages that were
# there before it.
for name in "${names[@]}"; do
  if dpkg-query -W -f '${Status}' "$name" 2>/dev/null | grep -q 'installed'; then
    echo "package-test: $name is installed already; remove it first (sudo dpkg --purge ${names[*]})" >&2
    exit 1
  fi
done

work=$(mktemp -d)
cleanup() {
  $SUDO dpkg --purge "${names[@]}" >/dev/null 2>&1 || true
  rm -rf "$work"
}
trap cleanup EXIT

DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${debs[@]}" >/dev/null
dpkg -l "${names[@]}" | grep '^ii' | awk '{print "package-test: installed " $2 " " $3}'

cat >"$work/host.cpp" <<'CPP'
// Records two pages, renders page 1 to a PNG file and prints the document to a PDF file.
#include <qvpreview/PrintOptions.h>
#include <qvpreview/PrintPreview.h>
#include <qvpreview/SpoolFile.h>

#include <QApplication>

#include <cstdio>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: host OUT.png OUT.pdf\n");
        return 2;
    }
    try {
        qv::PrintPreview pp;
        pp.setScaleMode(qv::SM_Millimeters);
        pp.setFontSize(14);
        pp.StampaCentrato(20, "Pacchetto installato");
        pp.linea(20, 30, 190, 60, true, false);
        pp.NuovaPagina();
        pp.StampaTesto(20, 20, "Seconda pagina");
        const qv::SpoolFile spool(pp.spoolPath());
        const QSize size = spool.savePage(1, 96, QString::fromLocal8Bit(argv[1]));
        qv::PrintOptions options;
        options.pdfFile = QString::fromLocal8Bit(argv[2]);
        spool.print(options);
        std::printf("pages %d, page 1 %dx%d pixels\n", spool.pageCount(), size.width(), size.height());
        pp.AnnullaStampa();
    } catch (const qv::Error &e) {
        std::fprintf(stderr, "error %d: %s\n", e.number(), e.what());
        return 1;
    }
    return 0;
}
CPP
cat >"$work/CMakeLists.txt" <<'CMAKE'
cmake_minimum_required(VERSION 3.25)
project(host LANGUAGES CXX)
set(CMAKE_CXX_STANDARD 20)
find_package(QvPreview 1.2 REQUIRED)
add_executable(host host.cpp)
target_link_libraries(host PRIVATE QvPreview::qvpreview)
CMAKE

# Both hosts run as a user would start them: a clean environment, no display.
mkdir -m 0700 "$work/runtime"
run_host() {
  local host=$1 tag=$2
  env -i PATH=/usr/bin:/bin HOME="$work" TMPDIR="$work" XDG_RUNTIME_DIR="$work/runtime" QT_QPA_PLATFORM=offscreen \
    "$host" "$work/$tag.png" "$work/$tag.pdf"
  file "$work/$tag.png" | grep -q 'PNG image data' || { echo "package-test: $tag.png is no PNG" >&2; exit 1; }
  pdfinfo "$work/$tag.pdf" | grep -q '^Pages: *2$' || { echo "package-test: $tag.pdf has not 2 pages" >&2; exit 1; }
  local text
  text=$(pdftotext "$work/$tag.pdf" -)
  for want in "Pacchetto installato" "Seconda pagina"; do
    grep -q "$want" <<<"$text" || { echo "package-test: $tag.pdf lacks \"$want\"" >&2; exit 1; }
  done
  echo "package-test: $tag host ok ($(file -b "$work/$tag.png" | cut -d, -f2 | xargs), $tag.pdf 2 pages)"
  if [ -n "${QV_PACKAGE_TEST_OUT:-}" ]; then
    mkdir -p "$QV_PACKAGE_TEST_OUT"
    cp "$work/$tag.png" "$work/$tag.pdf" "$QV_PACKAGE_TEST_OUT/"
  fi
}

cmake -S "$work" -B "$work/build" >/dev/null
cmake --build "$work/build" >/dev/null
run_host "$work/build/host" find_package

# pkg-config: the library is in a system folder, so no run path is needed.
# shellcheck disable=SC2046
c++ -std=c++20 -fPIC "$work/host.cpp" -o "$work/host-pc" $(pkg-config --cflags --libs qvpreview)
run_host "$work/host-pc" pkg-config

env -i PATH=/usr/bin:/bin qvpreview --version
setup=$(dpkg -L "${names[@]}" | grep '/Setup$')
# Setup in a folder of its own below the library folder, beside a link to the
# packaged library, never in the library folder that dpkg and ldconfig own.
case "$setup" in
  */qvpreview1/Setup) ;;
  *) echo "package-test: Setup is $setup, not in a qvpreview1/ folder" >&2; exit 1 ;;
esac
[ "$(readlink -f "$(dirname "$setup")/libqvpreview.so.1")" = "$(readlink -f "$(dirname "$setup")/../libqvpreview.so.1")" ] || {
  echo "package-test: the library beside Setup is not the packaged one" >&2; exit 1; }
env -i PATH=/usr/bin:/bin "$setup" --version
# The API reference for Qt Creator and Assistant, where Qt keeps its own.
qch=$(dpkg -L "${names[@]}" | grep '\.qch$' || true)
if [ -n "$qch" ]; then
  file "$qch" | grep -q 'SQLite' || { echo "package-test: $qch is no Qt help file" >&2; exit 1; }
  echo "package-test: Qt help file ok ($qch)"
fi
# The Designer plugin, when it was packaged: in the designer/ folder of Qt's
# plugin folder, where Designer looks, and its libraries all found.
plugin=$(dpkg -L "${names[@]}" | grep '/designer/libqvpreviewdesigner\.so$' || true)
if [ -n "$plugin" ]; then
  qtplugins=$(qtpaths6 --query QT_INSTALL_PLUGINS 2>/dev/null || /usr/lib/qt6/bin/qtpaths --query QT_INSTALL_PLUGINS)
  [ "$plugin" = "$qtplugins/designer/libqvpreviewdesigner.so" ] || {
    echo "package-test: the Designer plugin is $plugin, not in $qtplugins/designer" >&2; exit 1; }
  if env -i PATH=/usr/bin:/bin ldd "$plugin" | grep -q 'not found'; then
    echo "package-test: the Designer plugin misses a library:" >&2
    ldd "$plugin" >&2
    exit 1
  fi
  echo "package-test: Designer plugin ok ($plugin)"
fi
man -w qvpreview >/dev/null 2>&1 && echo "package-test: man qvpreview found" || echo "package-test: man qvpreview not found (man-db?)"
echo "package-test: removing ${names[*]}"
