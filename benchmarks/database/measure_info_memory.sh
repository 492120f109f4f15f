#!/usr/bin/env bash
# Peak memory (maximum resident set) of `quaverly-cli info` on the 50,000-track
# benchmark library. Run bench_LibraryLoader once first: it makes the library.
#   benchmarks/database/measure_info_memory.sh [BUILD_DIR]
set -euo pipefail
build=${1:-build/default}
root=${TMPDIR:-/tmp}/quaverly-bench-50000-v2
[ -e "$root/.complete" ] || { echo "run $build/bin/bench_LibraryLoader first (it makes $root)"; exit 1; }
/usr/bin/time -f "peak RSS %M KB, %e s" "$build/bin/quaverly-cli" info "$root" >/dev/null
