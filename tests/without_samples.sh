#!/bin/sh
# Runs a test program as on a clone made outside the project, where ../shared/samples is missing:
# every test must pass or skip, and the skips must say why.
#   without_samples.sh PROGRAM [ARGUMENTS...]
out=$(QARN_SAMPLES=/nonexistent/qarn-samples "$@" 2>&1)
status=$?
printf '%s\n' "$out"
if [ $status -ne 0 ]; then
  echo "without_samples.sh: $1 failed without the sample files" >&2
  exit 1
fi
if ! printf '%s\n' "$out" | grep -q "no sample files in /nonexistent/qarn-samples"; then
  echo "without_samples.sh: no test skipped for want of the sample files" >&2
  exit 1
fi
