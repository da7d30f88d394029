#!/usr/bin/env bash
# Checks that every tracked C++ file is formatted as the committed .clang-format says
# (clang-format 14). Changes nothing; lists the files that drift and fails if any do.
set -euo pipefail
cd "$(dirname "$0")/../.."

CLANG_FORMAT=${CLANG_FORMAT:-clang-format-14}
mapfile -t files < <(git ls-files '*.cpp' '*.h')
drifting=()
for file in "${files[@]}"; do
    if ! "$CLANG_FORMAT" --dry-run --Werror "$file" > /dev/null 2>&1; then
        drifting+=("$file")
    fi
done

if ((${#drifting[@]} > 0)); then
    printf '%s\n' "${drifting[@]}"
    echo "format: ${#drifting[@]} of ${#files[@]} files differ from .clang-format (run $CLANG_FORMAT -i on them)" >&2
    exit 1
fi
echo "format: ${#files[@]} files as .clang-format says"
