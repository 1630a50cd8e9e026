#!/usr/bin/env bash
# Runs fuzz targets of a clang build for a number of seconds each from their seed folders and
# prints what libFuzzer says of each run (executions, speed, anything found).
#   run_fuzzers.sh BUILD SECONDS TARGET [SEED_DIR...]   one target (CTest runs it so)
#   run_fuzzers.sh BUILD SECONDS all                    every target, from the repository's seeds
# A crash leaves its input as crash-* in the working folder and fails the run.
set -euo pipefail
build=$1 seconds=$2 target=$3
shift 3
here=$(cd "$(dirname "$0")" && pwd)
repo=$(cd "$here/../.." && pwd)

run_one() {
  local name=$1
  shift
  local corpus
  corpus=$(mktemp -d)
  trap 'rm -rf "$corpus"' RETURN
  # The first folder takes what the run finds; the seed folders are only read.
  "$build/fuzz_$name" -max_total_time="$seconds" -rss_limit_mb=2048 -timeout=10 \
    -print_final_stats=1 "$corpus" "$@" 2>&1 |
    grep -E "stat::number_of_executed_units|stat::average_exec_per_sec|ERROR|SUMMARY|Done" || true
  return "${PIPESTATUS[0]}"
}

if [ "$target" = all ]; then
  status=0
  for t in text_file settings target_cad_list enclosure_catalogue device_catalogue dwg_preview \
    dxf_reader; do
    echo "== fuzz_$t"
    seeds=("$repo/data")
    case $t in
      settings | target_cad_list) seeds=("$here/seeds") ;;
      dwg_preview) seeds=("$repo/../shared/samples/dwg") ;;
      dxf_reader) seeds=("$repo/../shared/samples/dxf" "$here/seeds") ;;
      *) seeds+=("$here/seeds") ;;
    esac
    run_one "$t" "${seeds[@]}" || status=1
  done
  exit $status
fi
run_one "$target" "$@"
