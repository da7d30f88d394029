#!/usr/bin/env bash
# Installs what is missing and runs every check, each part timed:
#   ci        build with warnings as errors, run every test
#   ci-asan   the same build with AddressSanitizer and UBSan, every test again (a finding fails)
#             except the package tests (they install, run system libraries without the sanitizer
#             runtime and build a host with the plain compiler, which the ci part already covers) and
#             the screen-reader test (label atspi: the host on Xvfb loads xkbcommon, whose
#             uninstrumented code trips AddressSanitizer)
#   fuzz      build the libFuzzer targets, run each for FUZZ_SECONDS (30) plus its regression inputs
#   format    the tracked C++ files against .clang-format
# Every part runs even when an earlier one fails; the run fails if any part did.
set -euo pipefail
cd "$(dirname "$0")/../.."

FUZZ_SECONDS=${FUZZ_SECONDS:-30}
export QT_QPA_PLATFORM=offscreen

tools/scripts/install-deps.sh

results=()
failed=0
part() {
    local name=$1
    shift
    local start=$SECONDS
    echo "==== $name"
    local status=passed
    if ! "$@"; then
        status=FAILED
        failed=1
    fi
    results+=("$(printf '%-16s %-7s %4ds' "$name" "$status" $((SECONDS - start)))")
}

part "ci build" bash -c 'cmake --preset ci && cmake --build --preset ci'
part "ci tests" ctest --preset ci
part "ci-asan build" bash -c 'cmake --preset ci-asan && cmake --build --preset ci-asan'
part "ci-asan tests" ctest --preset ci-asan
part "fuzz build" bash -c 'cmake --preset fuzz && cmake --build --preset fuzz'
part "fuzz runs" tools/scripts/fuzz.sh "$FUZZ_SECONDS"
part "format" tools/scripts/check-format.sh

echo "==== summary"
printf '%s\n' "${results[@]}"
echo "total            $((SECONDS / 60))m $((SECONDS % 60))s"
exit $failed
