#!/usr/bin/env bash
# scripts/setup with the package tools stubbed, inside a private PID
# namespace: installing vsftpd stops only its own service, through the
# service manager, and never another process that happens to be named vsftpd.
set -euo pipefail

repo=$1
if [ "$(id -u)" -ne 0 ] || ! unshare --pid --fork --mount-proc true 2>/dev/null; then
  echo "setup_test: needs root and PID namespaces"; exit 77
fi
work=$(mktemp -d /tmp/pordane-setup-test-XXXXXX)
trap 'rm -rf "$work"' EXIT
mkdir "$work/bin"
calls="$work/calls.log"
: > "$calls"

# dpkg-query: everything installed except the packages named in $STUB_MISSING.
cat > "$work/bin/dpkg-query" <<'STUB'
#!/usr/bin/env bash
pkg=${!#}
for m in $STUB_MISSING; do [ "$m" = "$pkg" ] && exit 1; done
printf 'install ok installed'
STUB
for tool in apt-get systemctl service update-rc.d; do
  printf '#!/bin/sh\necho "%s $*" >> "%s"\n' "$tool" "$calls" > "$work/bin/$tool"
done
chmod +x "$work/bin/"*
# Someone else's FTP server: a process named vsftpd that is no service of ours.
cp "$(command -v sleep)" "$work/vsftpd"

run_setup() {
  STUB_MISSING=$1 PATH="$work/bin:$PATH" unshare --pid --fork --mount-proc bash -c '
    "$1/vsftpd" 30 & other=$!
    "$2/scripts/setup" >/dev/null
    sleep 0.2
    kill -0 "$other" 2>/dev/null || { echo "setup_test: setup killed another process named vsftpd"; exit 1; }
    kill "$other"' _ "$work" "$repo"
}

fail() { echo "setup_test: $*"; cat "$calls"; exit 1; }

# 1. vsftpd freshly installed: its service is stopped and disabled through
#    the service manager, whichever the machine has.
run_setup "vsftpd xauth" || fail "first run"
grep -q "^apt-get install .*vsftpd" "$calls" || fail "vsftpd was not installed"
grep -Eq "^(systemctl disable --now vsftpd|service vsftpd stop)$" "$calls" || fail "the package's service was not stopped"

# 2. vsftpd already there (maybe the user's own server): left alone.
: > "$calls"
run_setup "xauth" || fail "second run"
grep -q "^apt-get install .*xauth" "$calls" || fail "xauth was not installed"
if grep -q "vsftpd" "$calls"; then fail "an installed vsftpd was touched"; fi

# 3. Nothing missing: nothing done at all.
: > "$calls"
run_setup "" || fail "third run"
[ ! -s "$calls" ] || fail "setup acted although nothing was missing"
echo "setup_test: ok"
