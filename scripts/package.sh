#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds the Debian packages of qvPreview and checks them with lintian:
#   libqvpreview1     the shared library (by its soname), its catalogue and Setup
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
# The packages are compiled and linked with Debian's flags, as dpkg-buildflags
# gives them to every package (debian/rules does the same): fortified libc
# calls (-D_FORTIFY_SOURCE=2 at -O2), a stack protector, read-only
# relocations bound at load time (-z relro -z now) for the library, the
# programs and the Designer plugin (a module, linked with its own flags).
# They are never sanitized, whatever the environment says (CI's build/ is).
export DEB_BUILD_MAINT_OPTIONS=${DEB_BUILD_MAINT_OPTIONS:-hardening=+all}
# The changelog's date and the files' times: the last commit's, so that two
# builds of one commit give the same packages.
if [ -z "${SOURCE_DATE_EPOCH:-}" ] && git rev-parse --git-dir >/dev/null 2>&1; then
  SOURCE_DATE_EPOCH=$(git log -1 --format=%ct)
  export SOURCE_DATE_EPOCH
fi
export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$PWD} CCACHE_NOHASHDIR=${CCACHE_NOHASHDIR:-true}
cppflags=$(dpkg-buildflags --get CPPFLAGS)
cxxflags=$(dpkg-buildflags --get CXXFLAGS)
ldflags=$(dpkg-buildflags --get LDFLAGS)
# When build/ is sanitized (CI), no object can be shared with it: the
# packages are then compiled without debug information, which CPack strips
# anyway, and sooner.
if grep -qs '^QV_SANITIZE:BOOL=ON' build/CMakeCache.txt; then
  cxxflags=$(sed -e 's/\(^\| \)-g\( \|$\)/ /g' <<<"$cxxflags")
fi
# The build type adds only -DNDEBUG: the optimisation is dpkg-buildflags'.
cmake -S . -B "$out" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_INSTALL_PREFIX=/usr \
  -DCMAKE_CXX_FLAGS="$cppflags $cxxflags" -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-DNDEBUG" \
  -DCMAKE_EXE_LINKER_FLAGS="$ldflags" -DCMAKE_SHARED_LINKER_FLAGS="$ldflags" -DCMAKE_MODULE_LINKER_FLAGS="$ldflags" \
  -DQV_BUILD_TESTS=OFF -DQV_BUILD_BENCH=OFF -DQV_BUILD_EXAMPLES=OFF -DQV_BUILD_TOOLS=ON \
  -DQV_DEBIAN_FILES=ON -DQV_SANITIZE=OFF >/dev/null
cmake --build "$out" -j2
# The API reference as a Qt help file, for the development package (where
# Doxygen and qhelpgenerator are installed).
if cmake --build "$out" --target help | grep -w docs >/dev/null; then
  cmake --build "$out" --target docs >/dev/null
fi
rm -rf "$out/packages"
# CPack strips the programs and the library (CPACK_STRIP_FILES) and runs
# dpkg-shlibdeps for the dependencies.
(cd "$out" && cpack -G DEB >cpack.log 2>&1) || { cat "$out/cpack.log"; exit 1; }
for deb in "$out"/packages/*.deb; do
  echo "package: $(basename "$deb")"
  dpkg-deb -f "$deb" Package Version Multi-Arch Depends Recommends | sed 's/^/  /'
done
if command -v lintian >/dev/null; then
  # Every tag down to the pedantic ones is shown; an error or a warning fails
  # the run. The informational and pedantic tags that remain are explained
  # in docs/packaging.md.
  lintian -I -E --pedantic --fail-on error,warning "$out"/packages/*.deb
  echo "package: lintian reports no errors and no warnings"
else
  echo "package: lintian not installed, packages not checked"
fi
