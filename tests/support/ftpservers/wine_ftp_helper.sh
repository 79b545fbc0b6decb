#!/bin/bash
# The native side of LocalFtpServer in the Windows build: a test under Wine
# starts this through CreateProcess (Wine runs Linux programs too, detached:
# it cannot wait for them nor signal them), so this script supervises the
# server launcher instead.
#
#   wine_ftp_helper.sh serve WORKDIR LAUNCHER [ARGS...]
#     starts the launcher in a session of its own, writes its pid to
#     WORKDIR/pid; stops it (TERM to its group, KILL after 3 s, its whole
#     family) when WORKDIR/stop appears, then writes WORKDIR/stopped; when
#     nothing holds WORKDIR/alive open any more (the test process died: Wine
#     closes its files), stops it and removes WORKDIR; when the launcher ends
#     by itself, writes its status to WORKDIR/exited.
#   wine_ftp_helper.sh put HOME PART FILE
#     hands PART to HOME's owner and renames it FILE (vsftpd's guest account
#     must own a file to overwrite it).
set -u

# Wine hands its own descriptors (the test's output among them) to the
# programs it starts: none of them stays open here. Bash reads this script
# through one of them, so all of it is one function, read before it runs.
main() {
for fd in /proc/$$/fd/*; do
  fd="${fd##*/}"
  [ "$fd" -gt 2 ] && eval "exec $fd>&-"
done
exec </dev/null

# Children, grandchildren, ... of $1.
family() {
  local todo="$1" p children
  while [ -n "$todo" ]; do
    set -- $todo
    p=$1
    shift
    todo="$*"
    children="$(cat /proc/"$p"/task/*/children 2>/dev/null)"
    for c in $children; do
      echo "$c"
      todo="$todo $c"
    done
  done
}

running() { [ -n "$(jobs -rp)" ]; }

held() { ls -l /proc/[0-9]*/fd/ 2>/dev/null | grep -qF -- "-> $1"; }

stop_launcher() {
  local launcher=$1 members
  members="$(family "$launcher")"
  kill -TERM -- -"$launcher" 2>/dev/null
  for _ in $(seq 30); do
    running || break
    sleep 0.1
  done
  kill -KILL -- -"$launcher" 2>/dev/null
  [ -n "$members" ] && kill -KILL $members 2>/dev/null
  wait "$launcher" 2>/dev/null
}

case "${1:-}" in
serve)
  work=$2
  shift 2
  exec >"$work/stdout" 2>"$work/stderr"
  # A background child is no group leader, so setsid starts no new process:
  # the launcher keeps this pid and leads its own session and group.
  setsid "$@" &
  launcher=$!
  echo "$launcher" >"$work/pid.tmp" && mv "$work/pid.tmp" "$work/pid"
  turn=0
  while running; do
    if [ -e "$work/stop" ]; then
      stop_launcher "$launcher"
      echo stopped >"$work/stopped"
      exit 0
    fi
    turn=$((turn + 1))
    if [ $((turn % 10)) -eq 0 ] && ! held "$work/alive"; then
      stop_launcher "$launcher"
      rm -rf "$work"
      exit 0
    fi
    sleep 0.1
  done
  wait "$launcher"
  echo "$?" >"$work/exited"
  ;;
put)
  chown --reference="$2" "$3" && mv -f "$3" "$4"
  ;;
*)
  echo "usage: $0 serve WORKDIR LAUNCHER [ARGS...] | put HOME PART FILE" >&2
  exit 2
  ;;
esac
exit 0
}
main "$@"
