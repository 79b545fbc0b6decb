#!/usr/bin/env bash
# Self-test of scripts/world/run-in-world: runs the client-side probe inside
# the world, then checks that runs end cleanly (exit status passed on, SIGTERM
# and Ctrl-C honoured) and leave no process, folder or PAM file behind.
#   world_selftest.sh BUILD_DIR CATALOGUE_PROBE
set -uo pipefail
build="$1"
catalogue_probe="$2"
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
repo="$(cd "$here/../../.." && pwd)"
world="$repo/scripts/world/run-in-world"

# Worlds are made below a scratch folder of this test, so leftovers are easy
# to see.
. "$here/scratch.sh" pordane-worldtest
failures=0
ok() { echo "ok - $1"; }
fail() { echo "FAIL - $1"; failures=$((failures + 1)); }

# Bounded wait for a condition, polling every 50 ms.
wait_for() {
  local limit="$1"; shift
  local deadline=$((SECONDS + limit))
  until "$@"; do
    [ $SECONDS -ge $deadline ] && return 1
    sleep 0.05
  done
}
no_process_mentions() { ! pgrep -f "$1" >/dev/null; }
nothing_left() {
  local what="$1"
  local stray
  stray="$(find "$scratch" -mindepth 1 -maxdepth 1 ! -name 'mark*' ! -name '*.log')"
  if [ -n "$stray" ]; then fail "$what: folder left behind: $stray"; else ok "$what: no folder left"; fi
  # The world's processes all carry its folder in their command lines.
  if wait_for 5 no_process_mentions "$scratch/pordane-world"; then
    ok "$what: no process left"
  else
    fail "$what: processes left:"; pgrep -af "$scratch/pordane-world"
  fi
  if grep -lsF "$scratch/" /etc/pam.d/pordane-vsftpd-* >/dev/null; then
    fail "$what: PAM service file left in /etc/pam.d"
  else
    ok "$what: no PAM service file left"
  fi
}
in_world() { TMPDIR="$scratch" "$world" --build-dir "$build" -- "$@"; }

version="$(sed -n 's/^project(Pordane VERSION \([0-9.]*\).*/\1/p' "$repo/CMakeLists.txt")"

# 1. Every stand-in, from the client's side.
in_world bash "$here/world_probe.sh" "$catalogue_probe" "$version"
status=$?
if [ "$status" -eq 0 ]; then ok "probe inside the world"; else fail "probe inside the world (status $status)"; fi
nothing_left "first run"

# 2. A second run, whose command fails after stopping one portal server (in
#    the run's own PID namespace): its status comes back, the stopped
#    stand-in is named, nothing stays.
in_world sh -c 'test -d "$WINEPREFIX" || exit 1
  [ "$PORDANE_WORLD_NETNS" = 1 ] && pkill -f "pyftpd_server.py --address 127.0.0.4[1]"
  exit 7' 2>"$scratch/second.log"
status=$?
if [ "$status" -eq 7 ]; then ok "the command's exit status is passed on"; else fail "exit status $status, wanted 7"; fi
if grep -q "no longer listening when the command ended: 127.0.0.41:21$" "$scratch/second.log" \
   || ! unshare --net --pid --fork --mount-proc true 2>/dev/null; then
  ok "a stand-in that stopped during the run is named"
else
  fail "a stand-in that stopped during the run is named:"; cat "$scratch/second.log"
fi
nothing_left "second run"

# 3. Stopped from outside while the command runs: by SIGTERM to the script,
#    and by Ctrl-C (SIGINT to the whole foreground process group).
for how in TERM INT; do
  mark="$scratch/mark-$how"
  set -m   # its own process group, with SIGINT not ignored
  MARK="$mark" TMPDIR="$scratch" "$world" --build-dir "$build" -- bash -c 'echo "$PORDANE_WORLD" >"$MARK"; exec sleep 300' >"$scratch/$how.log" 2>&1 &
  pid=$!
  set +m
  if ! wait_for 60 test -s "$mark"; then
    fail "SIG$how: the world did not start"; cat "$scratch/$how.log"; kill -KILL -- "-$pid"; continue
  fi
  if [ "$how" = INT ]; then kill -INT -- "-$pid"; else kill -TERM "$pid"; fi
  if wait_for 30 sh -c "! kill -0 $pid 2>/dev/null"; then
    wait "$pid"; status=$?
    if [ "$status" -ne 0 ]; then ok "SIG$how ends the run (status $status)"; else fail "SIG$how: status 0"; fi
  else
    fail "SIG$how: run-in-world still running after 30 s"; kill -KILL -- "-$pid"
  fi
  test -e "$(cat "$mark")" && fail "SIG$how: world folder $(cat "$mark") remains"
  nothing_left "after SIG$how"
done

# 4. Without root: a user namespace on top, pyftpdlib everywhere. Checked as
#    "nobody" where it can reach this build and may make user namespaces.
as_nobody() { setpriv --reuid=65534 --regid=65534 --clear-groups env HOME=/nonexistent "$@"; }
if [ "$(id -u)" -eq 0 ] && command -v setpriv >/dev/null \
   && as_nobody test -x "$build/tests/support/world/make_demo_prefix" -a -r "$world" -a -x "$catalogue_probe" \
   && as_nobody unshare --net --pid --fork --mount-proc --map-root-user true 2>/dev/null; then
  mkdir "$scratch/nobody" && chown 65534:65534 "$scratch/nobody"
  as_nobody TMPDIR="$scratch/nobody" "$world" --build-dir "$build" -- \
    bash "$here/world_probe.sh" "$catalogue_probe" "$version" >"$scratch/nobody.log" 2>&1
  status=$?
  if [ "$status" -eq 0 ]; then
    ok "probe inside a world made without root"
  else
    fail "probe inside a world made without root (status $status):"; grep -v '^ok' "$scratch/nobody.log"
  fi
  if [ -z "$(ls -A "$scratch/nobody")" ]; then ok "without root: no folder left"; else fail "without root: folder left"; fi
  rmdir "$scratch/nobody"
  wait_for 5 no_process_mentions "$scratch/nobody" && ok "without root: no process left" || fail "without root: processes left"
else
  echo "skip - no world without root here (not root, no setpriv, build not reachable or no user namespaces)"
fi

echo "$failures failure(s)"
[ "$failures" -eq 0 ]
