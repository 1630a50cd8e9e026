#!/usr/bin/env bash
# What ./run builds: the demo only the command-line tool it runs, the tests everything (the
# Windows cross build and the fuzzers included). The run script is copied into a scratch folder
# whose cmake, ctest and qarn-cli only write down how they were called.
# usage: run_script_test.sh SOURCE_DIR
set -u
src="$1"
scratch=$(mktemp -d /tmp/qarn-run-test.XXXXXX)
trap 'rm -rf "$scratch"' EXIT
fail() { echo "run script test: $*" >&2; exit 1; }

cp "$src/run" "$scratch/run"
mkdir -p "$scratch/bin" "$scratch/build"
for tool in cmake ctest; do
  printf '#!/bin/sh\necho "%s $*" >> "%s/calls"\n' "$tool" "$scratch" > "$scratch/bin/$tool"
done
printf '#!/bin/sh\necho "qarn-cli $*" >> "%s/calls"\n' "$scratch" > "$scratch/build/qarn-cli"
# Every package counts as installed.
printf '#!/bin/sh\nprintf "install ok installed"\n' > "$scratch/bin/dpkg-query"
chmod +x "$scratch/bin/"* "$scratch/build/qarn-cli"

PATH="$scratch/bin:$PATH" "$scratch/run" demo > "$scratch/demo.log" 2>&1 ||
  fail "./run demo failed: $(cat "$scratch/demo.log")"
builds=$(grep '^cmake --build' "$scratch/calls")
[ "$(echo "$builds" | wc -l)" -eq 1 ] || fail "the demo ran more than one build: $builds"
echo "$builds" | grep -q -- '--target qarn-cli' || fail "the demo built more than qarn-cli: $builds"
grep -q 'build-win\|build-fuzz\|QARN_FUZZ' "$scratch/calls" &&
  fail "the demo configured the Windows or fuzz build: $(cat "$scratch/calls")"
grep -q '^qarn-cli enclosure --family ORM' "$scratch/calls" || fail "the demo drew nothing"

: > "$scratch/calls"
PATH="$scratch/bin:$PATH" "$scratch/run" test > "$scratch/test.log" 2>&1 ||
  fail "./run test failed: $(cat "$scratch/test.log")"
for dir in build-win build-fuzz build; do
  grep -q "^cmake --build $dir -j [0-9]*\$" "$scratch/calls" ||
    fail "./run test did not build all of $dir: $(cat "$scratch/calls")"
done
grep -q '^ctest ' "$scratch/calls" || fail "./run test ran no tests"
echo "run script test: passed"
