#!/usr/bin/env bash
# Runs the Windows link's tests under Wine: a fresh Wine prefix, the test automation server in
# one process and the COM client tests in another. Fails loudly when Wine cannot start.
# usage: run_wine_tests.sh WINDOWS_BUILD_DIR DATA_DIR
set -u
win="$1" data="$2"
fail() { echo "wine tests: $*" >&2; exit 1; }
command -v wine >/dev/null || fail "wine is not installed (apt-get install wine wine64)"
# The window tests need a display: a virtual one when there is none.
if [ -z "${DISPLAY:-}" ]; then
  command -v xvfb-run >/dev/null || fail "no display and no xvfb-run (apt-get install xvfb xauth)"
  exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$@"
fi
[ -x "$win/qarn-sim-server.exe" ] || fail "no $win/qarn-sim-server.exe: the Windows build is missing"

scratch=$(mktemp -d /tmp/qarn-wine.XXXXXX)
export WINEPREFIX="$scratch/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe,winemenubuilder.exe=d"
cleanup() { wineserver -k >/dev/null 2>&1; rm -rf "$scratch"; }
trap cleanup EXIT

if ! out=$(timeout 180 wineboot -i 2>&1); then
  fail "Wine could not be started: $out"
fi

# The text files and the catalogues, in folders with Japanese names.
WINEPATH="" timeout 150 wine "$win/qarn-text-tests.exe" --gtest_color=no ||
  fail "the text file tests failed"

progid="QarnSim.BricscadApp.AcadApplication"
timeout 150 wine "$win/qarn-sim-server.exe" "$progid" "$scratch/ready" &
server=$!
for _ in $(seq 1 300); do
  [ -f "$scratch/ready" ] && break
  kill -0 $server 2>/dev/null || fail "the test automation server ended before it was ready"
  sleep 0.2
done
[ -f "$scratch/ready" ] || fail "the test automation server did not register within 60 s"

QARN_PROGID="$progid" QARN_DATA="$data" QARN_SCRATCH="$scratch" \
  WINEPATH="" timeout 150 wine "$win/qarn-com-tests.exe" --gtest_color=no
rc=$?
wait $server
server_rc=$?
[ $rc -eq 0 ] || fail "the COM client tests failed (exit $rc)"
[ $server_rc -eq 0 ] || fail "the test automation server ended with $server_rc"
echo "wine tests: passed"
