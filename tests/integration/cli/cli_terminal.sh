#!/usr/bin/env bash
# pordane-cli in a real terminal (tmux): the password prompt without echo,
# the live progress line on standard error while a throttled speed test runs,
# and a clean table once it ends. Prints "ok - ..." / "FAIL - ..." per check.
#   cli_terminal.sh PORDANE_CLI
set -uo pipefail
cli="$1"
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
repo="$(cd "$here/../../.." && pwd)"
address=127.0.18.4
password='Terminal-Clave-18'
command -v tmux >/dev/null || { echo "SKIP: tmux not installed"; exit 77; }
/usr/bin/python3 -c 'import pyftpdlib' 2>/dev/null || { echo "SKIP: pyftpdlib not installed"; exit 77; }

work="$(mktemp -d /tmp/pordane-cliterm.XXXXXX)"
socket="pordane-cliterm-$$"
server=""
cleanup() {
  tmux -L "$socket" kill-server 2>/dev/null
  [ -n "$server" ] && kill -TERM "$server" 2>/dev/null && wait "$server" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
failures=0
ok() { echo "ok - $1"; }
fail() { echo "FAIL - $1"; failures=$((failures + 1)); }
pane() { tmux -L "$socket" capture-pane -p -t cli; }
# Bounded wait until the pane shows a text, polling every 50 ms.
wait_pane() {
  local deadline=$((SECONDS + $2))
  until pane | grep -qF -- "$1"; do
    [ $SECONDS -ge $deadline ] && return 1
    sleep 0.05
  done
}

# 1 MB each way at 200000 B/s: about five seconds per transfer.
"$repo/tests/support/ftpservers/run_ftp_world.sh" --throttle-down 200000 --throttle-up 200000 \
  "pyftpdlib $address lento:$password" > "$work/server.log" 2>&1 &
server=$!
for _ in $(seq 200); do grep -q READY "$work/server.log" && break; sleep 0.05; done
grep -q READY "$work/server.log" || { echo "FAIL - the FTP server did not start"; cat "$work/server.log"; exit 1; }

tmux -L "$socket" new-session -d -s cli -x 100 -y 15 \
  "env -u PORDANE_CONTRASENA TMPDIR='$work' '$cli' velocidad --host $address --usuario lento --nombre Lento --tamano 1; echo \"estado=\$?\"; sleep 600"
if wait_pane "Contraseña de lento@$address:" 10; then ok "asks for the password"; else fail "no prompt"; pane; fi
tmux -L "$socket" send-keys -t cli "$password" Enter
if wait_pane "Lento · Realizando Test de" 10; then ok "progress line while the test runs"; else fail "no progress line"; fi
if wait_pane "Realizando Test de Descarga..." 20; then ok "progress line follows the steps"; else fail "no download step"; fi
pane > "$work/during.txt"
if wait_pane "estado=" 30; then ok "the run ended"; else fail "the run did not end"; fi
pane > "$work/after.txt"
cat "$work/after.txt" | sed '/^$/d'

grep -qF "$password" "$work/during.txt" "$work/after.txt" && fail "the password shows" || ok "the password never shows"
grep -q "estado=0" "$work/after.txt" && ok "exit status 0" || fail "exit status"
grep -q "^Lento .*✓ correcto" "$work/after.txt" && ok "table with ticks" || fail "no table row"
grep -qF " · " "$work/after.txt" && fail "progress line left behind" || ok "progress line cleared"
[ -z "$(ls -A "$work" | grep -v -e server.log -e during.txt -e after.txt)" ] && ok "no test file left" \
  || fail "left in TMPDIR: $(ls "$work")"
exit $((failures > 100 ? 100 : failures))
