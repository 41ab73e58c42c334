#!/usr/bin/env bash
# Fails when a source file differs from what clang-format (the repository's .clang-format) makes of it.
# Usage: format_check.sh <source dir> <clang-format program>
set -euo pipefail
root=${1:?usage: format_check.sh <source dir> <clang-format>}
formatter=${2:-clang-format}
cd "$root"
mapfile -t files < <(find app context document view text keyboard about media tools tests bench \
  -path tests/fuzz/corpus -prune -o -path tests/data -prune -o \( -name '*.cpp' -o -name '*.h' \) -print | sort)
"$formatter" --dry-run -Werror "${files[@]}"
echo "${#files[@]} files formatted"
