#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Checks that every tracked source and build file carries the line
# "SPDX-License-Identifier: MIT" within its first lines, and lists those that
# do not (exit 1). With --fix it inserts the line, as a comment of the file's
# own kind, and lists what it changed:
#   C++ (.cpp .h ...)                        // SPDX-License-Identifier: MIT
#   CMake, shell, pkg-config, dpkg triggers,  # SPDX-License-Identifier: MIT
#     .clang-format, .gitignore, .desktop,    (after the #! line of a script)
#     sanitizer suppressions, scripts
#   .ui, .qrc, .svg                          <!-- ... --> (after <?xml ...?>)
#   manual pages (.1 to .8)                  .\" SPDX-License-Identifier: MIT
# Left out: the catalogue (.ts, which lupdate writes anew), Markdown, the
# fuzz corpora and the tests' data files (read byte by byte), the Debian
# copyright and changelog (formats without comments) and LICENSE itself.
#   bash scripts/check-spdx.sh [--fix]
set -euo pipefail
cd "$(dirname "$0")/.."
fix=0
case "${1:-}" in
  --fix) fix=1 ;;
  "") ;;
  *) echo "usage: $0 [--fix]" >&2; exit 2 ;;
esac

tag="SPDX-License-Identifier: MIT"
# How many lines from the top the line may be found in.
near=5

# The comment style of a file, or nothing for a file that carries no line.
kind() {
  local path=$1 name=${1##*/}
  case "$path" in
    */corpus/* | */data/* | translations/*.ts | *.md | LICENSE) return ;;
  esac
  case "$name" in
    *.cpp | *.cc | *.cxx | *.c | *.h | *.hpp) echo cpp ;;
    CMakeLists.txt | *.cmake | *.cmake.in | *.pc.in | *.sh | *.desktop | *.supp | triggers | .clang-format | .gitignore) echo hash ;;
    *.ui | *.qrc | *.svg) echo xml ;;
    *.[1-8]) echo roff ;;
    *) if [ -f "$path" ] && head -c 2 "$path" | grep -q '^#!'; then echo hash; fi ;;
  esac
}

insert() {
  local path=$1 style=$2 line after="" tmp
  case "$style" in
    cpp) line="// $tag" ;;
    roff) line=".\\\" $tag" ;;
    hash) line="# $tag" after='^#!' ;;
    xml) line="<!-- $tag -->" after='^<[?]xml' ;;
  esac
  tmp=$(mktemp "$path.XXXXXX")
  # The line goes first, or right after a first line that must stay first
  # (a script's #!, an XML declaration); an empty file gets the line alone.
  # (Through the environment: awk -v would read the backslash of roff's.)
  SPDX_LINE=$line SPDX_AFTER=$after awk '
    BEGIN { line = ENVIRON["SPDX_LINE"]; after = ENVIRON["SPDX_AFTER"] }
    NR == 1 && after != "" && $0 ~ after { print; print line; next }
    NR == 1 { print line }
    { print }
    END { if (NR == 0) print line }' "$path" >"$tmp"
  chmod --reference="$path" "$tmp"
  mv "$tmp" "$path"
}

missing=0
while IFS= read -r -d '' path; do
  [ -f "$path" ] || continue
  style=$(kind "$path")
  [ -n "$style" ] || continue
  head -n "$near" "$path" | grep -qF "$tag" && continue
  if [ "$fix" = 1 ]; then
    insert "$path" "$style"
    echo "check-spdx: added to $path"
  else
    echo "check-spdx: $path has no \"$tag\" line" >&2
    missing=$((missing + 1))
  fi
done < <(git ls-files -z)

if [ "$missing" -gt 0 ]; then
  echo "check-spdx: $missing file(s) without a licence line (bash scripts/check-spdx.sh --fix)" >&2
  exit 1
fi
[ "$fix" = 1 ] || echo "check-spdx: every source file names its licence"
