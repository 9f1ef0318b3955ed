#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# scripts/check-spdx.sh on a scratch repository: which files it lists, where
# --fix puts the line for each kind of file (a script's #! and an XML
# declaration stay first), that it leaves data files alone, that a second
# --fix changes nothing and that the check then passes.
#   bash tests/scripts/test_check_spdx.sh SOURCE-DIR
set -euo pipefail
src=$(realpath "$1")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cd "$work"
git init -q .
mkdir -p scripts core fuzz/x/corpus translations tests/data man .ci
cp "$src/scripts/check-spdx.sh" scripts/

# path | content (printf format) | first lines wanted after --fix ("-": untouched)
cases=(
  'core/a.cpp|int a;\n|// SPDX-License-Identifier: MIT\nint a;'
  'core/a.h|#pragma once\n|// SPDX-License-Identifier: MIT\n#pragma once'
  'core/CMakeLists.txt|add_library(x)\n|# SPDX-License-Identifier: MIT\nadd_library(x)'
  'cmake/x.cmake.in|@PACKAGE_INIT@\n|# SPDX-License-Identifier: MIT\n@PACKAGE_INIT@'
  'scripts/run.sh|#!/bin/sh\necho hi\n|#!/bin/sh\n# SPDX-License-Identifier: MIT\necho hi'
  '.ci/run|#!/usr/bin/env bash\ntrue\n|#!/usr/bin/env bash\n# SPDX-License-Identifier: MIT\ntrue'
  'core/form.ui|<?xml version="1.0"?>\n<ui/>\n|<?xml version="1.0"?>\n<!-- SPDX-License-Identifier: MIT -->\n<ui/>'
  'core/r.qrc|<!DOCTYPE RCC>\n<RCC/>\n|<!-- SPDX-License-Identifier: MIT -->\n<!DOCTYPE RCC>'
  'core/i.svg|<svg/>|<!-- SPDX-License-Identifier: MIT -->\n<svg/>'
  'man/tool.1|.TH TOOL 1\n|.\\" SPDX-License-Identifier: MIT\n.TH TOOL 1'
  'core/empty.h||// SPDX-License-Identifier: MIT'
  'core/done.cpp|// x\n// SPDX-License-Identifier: MIT\nint b;\n|-'
  'fuzz/x/corpus/seed.svg|<svg/>\n|-'
  'tests/data/page.h|raw bytes\n|-'
  'translations/q_en.ts|<TS/>\n|-'
  'README.md|# Title\n|-'
  'data.bin|\x01\x02\n|-'
)
for c in "${cases[@]}"; do
  IFS='|' read -r path content _ <<<"$c"
  mkdir -p "$(dirname "$path")"
  printf "$content" >"$path"
done
chmod +x scripts/run.sh
git add -A

# The check lists exactly the files that lack the line, and fails.
if out=$(bash scripts/check-spdx.sh 2>&1); then fail "the check passed with files missing the line"; fi
for c in "${cases[@]}"; do
  IFS='|' read -r path _ want <<<"$c"
  if [ "$want" = "-" ]; then
    grep -qF "$path " <<<"$out" && fail "$path listed, though it needs no line: $out"
  else
    grep -qF "$path " <<<"$out" || fail "$path not listed: $out"
  fi
done

bash scripts/check-spdx.sh --fix >/dev/null
for c in "${cases[@]}"; do
  IFS='|' read -r path content want <<<"$c"
  if [ "$want" = "-" ]; then
    want_bytes=$(printf "$content" | od -An -tx1)
    [ "$(od -An -tx1 "$path")" = "$want_bytes" ] || fail "$path was changed"
  else
    lines=$(printf "$want" | wc -l)
    got=$(head -n $((lines + 1)) "$path")
    [ "$got" = "$(printf "$want")" ] || fail "$path begins with:\n$got\nwanted:\n$(printf "$want")"
  fi
done
[ -x scripts/run.sh ] || fail "--fix lost the script's executable bit"
# The file's own check and a second --fix: nothing more to do.
before=$(git ls-files -z | xargs -0 cat | md5sum)
bash scripts/check-spdx.sh >/dev/null || fail "the check fails after --fix"
[ -z "$(bash scripts/check-spdx.sh --fix)" ] || fail "a second --fix changed files"
[ "$(git ls-files -z | xargs -0 cat | md5sum)" = "$before" ] || fail "a second --fix changed files"
echo "check-spdx: all cases pass"
