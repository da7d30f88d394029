#!/usr/bin/env bash
# Runs every libFuzzer target of build/fuzz for a bounded time on its committed seed
# corpus, then replays its regression inputs. Any finding fails the run.
#   tools/scripts/fuzz.sh [SECONDS_PER_TARGET] [TARGET...]
# New corpus entries go to build/fuzz/corpus/TARGET (the committed seeds stay as they are);
# an input that fails is kept as build/fuzz/findings/TARGET-crash-*, to be added to
# tests/fuzz/regressions/TARGET once the fault is mended.
set -euo pipefail
cd "$(dirname "$0")/../.."

SECONDS_PER_TARGET=${1:-30}
shift || true
FUZZ_DIR=tests/fuzz
BIN=build/fuzz/fuzz
if (($# > 0)); then
    TARGETS=("$@")
else
    TARGETS=()
    for seeds in "$FUZZ_DIR"/corpus/*/; do
        TARGETS+=("$(basename "$seeds")")
    done
fi

failed=()
for target in "${TARGETS[@]}"; do
    binary=$BIN/$target
    if [[ ! -x $binary ]]; then
        echo "fuzz: $binary is missing (cmake --preset fuzz && cmake --build --preset fuzz)" >&2
        failed+=("$target")
        continue
    fi
    corpus=build/fuzz/corpus/$target
    findings=build/fuzz/findings
    log=build/fuzz/logs/$target.log
    mkdir -p "$corpus" "$findings" "$(dirname "$log")"
    options=(-max_total_time="$SECONDS_PER_TARGET" -timeout=10 -rss_limit_mb=2048
        -artifact_prefix="$findings/$target-" -print_final_stats=1)
    if [[ -f $FUZZ_DIR/$target.options ]]; then
        mapfile -t extra < <(grep -v '^#' "$FUZZ_DIR/$target.options")
        options+=("${extra[@]}")
    fi
    echo "== fuzz $target: ${SECONDS_PER_TARGET}s"
    if ! "$binary" "${options[@]}" "$corpus" "$FUZZ_DIR/corpus/$target" > "$log" 2>&1; then
        echo "fuzz $target: FINDING (log: $log)"
        grep -A1 -E "fuzz check failed" "$log" | head -2
        grep -E "ERROR: |SUMMARY: |Test unit written" "$log" | head -20
        failed+=("$target")
        continue
    fi
    grep -E "^stat::number_of_executed_units|^Done" "$log" | tr '\n' ' '
    echo
    mapfile -t regressions < <(find "$FUZZ_DIR/regressions/$target" -type f 2>/dev/null | sort)
    if ((${#regressions[@]} > 0)); then
        echo "== regressions $target: ${#regressions[@]} inputs"
        if ! "$binary" "${regressions[@]}" > "$log.regressions" 2>&1; then
            echo "fuzz $target: a regression input fails (log: $log.regressions)"
            grep -E "fuzz check failed|ERROR: |SUMMARY: |Running: " "$log.regressions" | tail -20
            failed+=("$target")
        fi
    fi
done

if ((${#failed[@]} > 0)); then
    echo "fuzz: findings in ${failed[*]}" >&2
    exit 1
fi
echo "fuzz: no finding in ${TARGETS[*]}"
