#!/bin/sh
# .ci/run refuses a CI run without the sample drawings beside the repository, and runs the
# tests when they are there.   ci_run_test.sh SOURCE_DIR
set -u
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
mkdir -p "$tmp/repo/.ci"
cp "$1/.ci/run" "$tmp/repo/.ci/run"
printf '#!/bin/sh\necho "the tests ran"\n' >"$tmp/repo/run"
chmod +x "$tmp/repo/run"
if out=$(CI=true "$tmp/repo/.ci/run" 2>&1); then
  echo "a CI run without the samples went on: $out"
  exit 1
fi
case $out in *"sample drawings"*"are missing"*) ;; *) echo "no reason given: $out"; exit 1 ;; esac
case $out in *"the tests ran"*) echo "the tests ran without the samples"; exit 1 ;; esac
mkdir -p "$tmp/shared/samples/dwg" "$tmp/shared/samples/dxf"
out=$(CI=true "$tmp/repo/.ci/run" 2>&1) || { echo "a CI run with the samples failed: $out"; exit 1; }
case $out in *"the tests ran"*) ;; *) echo "the tests did not run: $out"; exit 1 ;; esac
echo "ci_run_test: ok"
