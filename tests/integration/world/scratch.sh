# Sourced by the world tests: skips (status 77) without root or user
# namespaces, then makes the test's scratch folder $scratch below /tmp,
# removed on exit; vsftpd's guest account must be able to walk through it.
#   . scratch.sh NAME
if [ "$(id -u)" -ne 0 ] && ! unshare --net --pid --fork --mount-proc --map-root-user true 2>/dev/null; then
  echo "SKIP: neither root nor user namespaces"
  exit 77
fi
scratch="$(mktemp -d "/tmp/$1.XXXXXX")"
chmod 755 "$scratch"
trap 'rm -rf "$scratch"' EXIT
