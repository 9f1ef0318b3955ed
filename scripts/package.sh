#!/usr/bin/env bash
# Builds the Debian packages of qvPreview and checks them with lintian:
#   libqvpreview1     the shared library (by its soname) and Setup
#   libqvpreview-dev  headers, CMake package, pkg-config file
#   qvpreview-tools   the command-line tool qvpreview and its man page
#   qvpreview-designer-plugin  the Qt Designer plugin (where Designer's
#                     development files are installed, qt6-tools-dev)
# from a build of only these (no tests, benchmarks or examples) configured
# for /usr in BUILD-DIR; the packages land in BUILD-DIR/packages/.
#   bash scripts/package.sh [BUILD-DIR]        (default: build-deb)
# scripts/package-test.sh installs them, builds a host against them and
# removes them again.
set -euo pipefail
cd "$(dirname "$0")/.."
out=${1:-build-deb}
for tool in cpack dpkg-shlibdeps fakeroot; do
  command -v "$tool" >/dev/null || { echo "package: $tool is missing (bash scripts/install-deps.sh)" >&2; exit 1; }
done
# The library's objects are compiled with the flags of an unsanitized build/
# (scripts/build.sh), so ccache serves them from that build: paths relative
# to the source folder. The packages are never sanitized, whatever the
# environment says (CI's build/ is).
export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$PWD} CCACHE_NOHASHDIR=${CCACHE_NOHASHDIR:-true}
# When build/ is sanitized (CI), no object can be shared with it: the
# packages are then compiled without debug information, which CPack strips
# anyway, and sooner.
relflags="-O2 -g -DNDEBUG" # CMake's own for RelWithDebInfo
if grep -qs '^QV_SANITIZE:BOOL=ON' build/CMakeCache.txt; then
  relflags="-O2 -DNDEBUG"
fi
flags=(-DCMAKE_CXX_FLAGS_RELWITHDEBINFO="$relflags" -DCMAKE_C_FLAGS_RELWITHDEBINFO="$relflags")
cmake -S . -B "$out" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_INSTALL_PREFIX=/usr "${flags[@]}" \
  -DQV_BUILD_TESTS=OFF -DQV_BUILD_BENCH=OFF -DQV_BUILD_EXAMPLES=OFF -DQV_BUILD_TOOLS=ON \
  -DQV_DEBIAN_FILES=ON -DQV_SANITIZE=OFF -DCMAKE_EXE_LINKER_FLAGS="-Wl,-z,relro -Wl,-z,now" \
  -DCMAKE_SHARED_LINKER_FLAGS="-Wl,-z,relro -Wl,-z,now" >/dev/null
cmake --build "$out" -j2
rm -rf "$out/packages"
# CPack strips the programs and the library (CPACK_STRIP_FILES) and runs
# dpkg-shlibdeps for the dependencies.
(cd "$out" && cpack -G DEB >cpack.log 2>&1) || { cat "$out/cpack.log"; exit 1; }
for deb in "$out"/packages/*.deb; do
  echo "package: $(basename "$deb")"
  dpkg-deb -f "$deb" Package Version Depends | sed 's/^/  /'
done
if command -v lintian >/dev/null; then
  # Errors fail the run; warnings and notes are shown.
  lintian --fail-on error --info --display-level '>=warning' "$out"/packages/*.deb
  echo "package: lintian reports no errors"
else
  echo "package: lintian not installed, packages not checked"
fi
