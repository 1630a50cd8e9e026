#!/usr/bin/env bash
# The catalogue figures under each collation the program meets: the plain "C" one, "C.UTF-8"
# (code points) and the Japanese one. Needs the locale ja_JP.UTF-8 (`./run bench` makes it).
#   bench/catalogue_locales.sh [BUILD-FOLDER]
set -euo pipefail
build=${1:-build}
for locale in C C.UTF-8 ja_JP.UTF-8; do
  LC_ALL=$locale "$build/catalogue_load_bench" --small
done
LC_ALL=ja_JP.UTF-8 "$build/catalogue_load_bench"
for locale in C C.UTF-8 ja_JP.UTF-8; do
  LC_ALL=$locale QT_QPA_PLATFORM=offscreen "$build/catalogue_search_bench" --benchmark_filter=First
done
LC_ALL=ja_JP.UTF-8 QARN_BENCH_LINES=1000000 QT_QPA_PLATFORM=offscreen "$build/catalogue_search_bench" \
  --benchmark_filter=Keystroke
for locale in C.UTF-8 ja_JP.UTF-8; do
  LC_ALL=$locale "$(dirname "$0")/cli_search_vs_pipeline.sh" "$build/qarn-cli"
done
