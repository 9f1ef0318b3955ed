#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Checks that every C++ file of the project is laid out as .clang-format
# says; with --fix, lays them out. CI runs the check.
set -euo pipefail
cd "$(dirname "$0")/.."
FORMAT=${CLANG_FORMAT:-clang-format}
if ! command -v "$FORMAT" >/dev/null 2>&1; then
  echo "check-format: $FORMAT is not installed (scripts/install-deps.sh installs it)" >&2
  exit 2
fi
mapfile -t files < <(git ls-files '*.cpp' '*.h')
if [ "${1:-}" = "--fix" ]; then
  "$FORMAT" -i "${files[@]}"
  exit 0
fi
if ! "$FORMAT" --dry-run -Werror "${files[@]}" 2>/tmp/check-format.$$; then
  grep -o '^[^:]*\.\(cpp\|h\)' /tmp/check-format.$$ | sort -u | sed 's/^/check-format: not formatted: /' >&2
  rm -f /tmp/check-format.$$
  echo "check-format: run scripts/check-format.sh --fix" >&2
  exit 1
fi
rm -f /tmp/check-format.$$
echo "check-format: ${#files[@]} files formatted as .clang-format says"
