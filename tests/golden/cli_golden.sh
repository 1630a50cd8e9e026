#!/bin/sh
# A golden listing made through qarn-cli: runs the job with --listing and compares the listing with
# tests/golden/NAME.txt (its leading "# " lines left out). QARN_ACCEPT_GOLDEN=1 rewrites the file
# below those lines instead.
# usage: cli_golden.sh GOLDEN_DIR NAME QARN_CLI JOB ARGS...
set -e
dir=$1 name=$2 cli=$3
shift 3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$cli" "$@" --dxf "$work/out.dxf" --listing "$work/got.txt" >/dev/null
file="$dir/$name.txt"
if [ -n "$QARN_ACCEPT_GOLDEN" ]; then
  { grep '^# ' "$file" || true; cat "$work/got.txt"; } > "$work/new.txt"
  cp "$work/new.txt" "$file"
  exit 0
fi
sed '/^# /d' "$file" > "$work/want.txt"
diff -u "$work/want.txt" "$work/got.txt"
