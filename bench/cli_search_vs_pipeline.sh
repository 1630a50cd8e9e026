#!/usr/bin/env bash
# `qarn-cli search` (load, sort in the user's collation, search) against the shell pipeline
#   iconv -f SHIFT_JIS -t UTF-8 FILE | LC_ALL=C.UTF-8 sort -f | grep TEXT
# on the same Shift-JIS catalogue of 100,000 and of 1,000,000 lines, in one run. Each is run
# three times and the best time counts; prints both times and their ratio.
#   bench/cli_search_vs_pipeline.sh [QARN-CLI] [TEXT]
set -euo pipefail
cli=${1:-build/qarn-cli}
text=${2:-M42}
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT

generate() {  # lines file: the devices of bench/catalogue_load_bench.cpp's kind
  python3 - "$1" "$2" <<'PY'
import random, sys
n, path = int(sys.argv[1]), sys.argv[2]
names = ["配線用遮断器", "漏電遮断器", "電磁接触器", "リレー", "タイマー", "端子台", "電源装置", "表示灯"]
makers = ["三菱電機", "オムロン", "富士電機", "春日電機", "IDEC", "パナソニック"]
r = random.Random(7)
out = ["// generated catalogue"]
for i in range(n):
    out.append(f"{r.choice(names)}\tM{r.randrange(90)+10}-{i}\tAC{100+r.randrange(3)*100}V "
               f"{r.randrange(60)+1}A\t{r.choice(makers)}\t\t{10+r.randrange(90)}\t"
               f"{20+r.randrange(200)}\t{30+r.randrange(100)}\t\t\t\t\t\t")
open(path, "wb").write(("\r\n".join(out) + "\r\n").encode("cp932"))
PY
}

best() {  # the best wall time of three runs of a command, in seconds
  local b=""
  for _ in 1 2 3; do
    local s e t
    s=$(date +%s.%N)
    "$@" >/dev/null
    e=$(date +%s.%N)
    t=$(echo "$e - $s" | bc -l)
    if [ -z "$b" ] || [ "$(echo "$t < $b" | bc -l)" = 1 ]; then b=$t; fi
  done
  echo "$b"
}

pipeline() { iconv -f SHIFT_JIS -t UTF-8 "$1" | LC_ALL=C.UTF-8 sort -f | grep "$text" || true; }

echo "locale: LC_ALL=${LC_ALL:-} LANG=${LANG:-}; search text: $text"
for n in 100000 1000000; do
  f="$dir/cat_$n.txt"
  generate "$n" "$f"
  c=$(best "$cli" search "$f" "$text")
  p=$(best pipeline "$f")
  printf "%8d lines (%5.1f MB): qarn-cli search %.3f s, pipeline %.3f s, ratio %.2f\n" \
    "$n" "$(echo "$(stat -c %s "$f") / 1000000" | bc -l)" "$c" "$p" "$(echo "$c / $p" | bc -l)"
done
