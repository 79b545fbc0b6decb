#!/usr/bin/env bash
# The self-update cycle of `scripts/run --actualizacion`, unattended: inside
# the world a copy of the program updates itself to this build, its update
# window is saved and the restarted copy reports the build's version.
#   world_update_tour.sh BUILD_DIR DEMO PROGRAM
set -uo pipefail
build="$1"
demo="$2"
program="$3"
repo="$(cd "$(dirname "${BASH_SOURCE[0]}")/../../.." && pwd)"
if [ "$(id -u)" -ne 0 ] && ! unshare --net --pid --fork --mount-proc --map-root-user true 2>/dev/null; then
  echo "SKIP: neither root nor user namespaces"
  exit 77
fi
shots="$(mktemp -d /tmp/pordane-updatetour.XXXXXX)"
trap 'rm -rf "$shots"' EXIT
"$repo/scripts/world/run-in-world" --build-dir "$build" -- \
  "$repo/scripts/world/update-tour" --tour "$shots" "$demo" "$program" || exit 1
[ -s "$shots/actualizacion.png" ] || { echo "FAIL - no picture of the update window"; exit 1; }
echo "ok - update window saved, restarted copy reports the new version"
