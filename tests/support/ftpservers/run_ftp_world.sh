#!/usr/bin/env bash
# Starts several local FTP servers at once (for the demo or by hand) and keeps
# them running until interrupted. Each argument describes one server:
#
#   run_ftp_world.sh [--dir DIR] [--throttle-down B/s] [--throttle-up B/s] \
#       "pyftpdlib 127.0.0.11 tes24test:secret:elradfmw" \
#       "vsftpd 127.0.0.12 tessistest:secret:elradfmw lector:secret:elr:/srv/ftp/lector"
#
# Accounts are USER:PASS[:PERMS[:HOME]] (pyftpdlib permission letters,
# default elradfmw; default home DIR/<address>/homes/<user>). Prints one
# "HOME <address> <user> <dir>" line per account and then "READY". Stops every
# server on SIGINT/SIGTERM; removes DIR if it made it. Needs root for port 21.
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
python=/usr/bin/python3
dir=""
extra=()
while [ $# -gt 0 ]; do
  case "$1" in
    --dir) dir="$2"; shift 2 ;;
    --throttle-down|--throttle-up|--passive-ports) extra+=("$1" "$2"); shift 2 ;;
    -h|--help) sed -n '2,13p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    --) shift; break ;;
    -*) echo "run_ftp_world: unknown option $1" >&2; exit 2 ;;
    *) break ;;
  esac
done
[ $# -gt 0 ] || { echo "run_ftp_world: no servers given (try --help)" >&2; exit 2; }

made_dir=0
if [ -z "$dir" ]; then
  dir="$(mktemp -d /tmp/pordane-ftpworld-XXXXXX)"
  made_dir=1
fi
chmod 755 "$dir"

pids=()
stop() {
  trap - INT TERM EXIT
  for p in "${pids[@]}"; do kill -TERM "$p" 2>/dev/null || true; done
  for p in "${pids[@]}"; do wait "$p" 2>/dev/null || true; done
  [ "$made_dir" = 1 ] && rm -rf "$dir"
  exit "${1:-0}"
}
trap 'stop 0' INT TERM
trap 'stop $?' EXIT

for server in "$@"; do
  read -r -a words <<<"$server"
  [ ${#words[@]} -ge 3 ] || { echo "run_ftp_world: '$server': need KIND ADDRESS ACCOUNT..." >&2; exit 2; }
  kind="${words[0]}"; address="${words[1]}"
  case "$kind" in
    pyftpdlib) script="$here/pyftpd_server.py" ;;
    vsftpd) script="$here/vsftpd_server.py" ;;
    *) echo "run_ftp_world: unknown server kind '$kind' (pyftpdlib or vsftpd)" >&2; exit 2 ;;
  esac
  case "$address" in
    127.*) ;;
    *) echo "run_ftp_world: $address is not a loopback address" >&2; exit 2 ;;
  esac
  root="$dir/$address"
  mkdir -p "$root"
  args=(--address "$address" --root "$root" "${extra[@]}")
  for account in "${words[@]:2}"; do
    args+=(--user "$account")
    IFS=: read -r user _ _ home <<<"$account"
    echo "HOME $address $user ${home:-$root/homes/$user}"
  done
  PYTHONDONTWRITEBYTECODE=1 "$python" "$script" "${args[@]}" >"$root/stdout" 2>"$root/stderr" &
  pids+=($!)
done

# Every server prints READY once it accepts connections.
deadline=$((SECONDS + 15))
for i in "${!pids[@]}"; do
  root="$dir/$(read -r -a w <<<"${@:i+1:1}"; echo "${w[1]}")"
  until grep -q READY "$root/stdout" 2>/dev/null; do
    if ! kill -0 "${pids[$i]}" 2>/dev/null || [ $SECONDS -ge $deadline ]; then
      echo "run_ftp_world: server in $root did not start:" >&2
      cat "$root/stderr" >&2
      stop 1
    fi
    sleep 0.05
  done
done
echo READY
wait
