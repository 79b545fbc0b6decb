#!/usr/bin/env bash
# Runs inside the local world (as the command of run-in-world) and checks
# every stand-in from a client's side. Prints "ok - ..." or "FAIL - ..." per
# check; the exit status is the number of failures (capped at 100).
#   world_probe.sh CATALOGUE_PROBE PROGRAM_VERSION
set -uo pipefail
catalogue_probe="$1"
version="$2"
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
failures=0
ok() { echo "ok - $1"; }
fail() { echo "FAIL - $1"; failures=$((failures + 1)); }
check() { local what="$1"; shift; if "$@"; then ok "$what"; else fail "$what"; fi; }

ftp() { curl -sS --max-time 15 --user "$1:$2" "${@:3}"; }
logs_in() { ftp "$2" "$3" -o /dev/null "ftp://$1/"; }

# --- where the command runs -------------------------------------------------
check "working directory is inside the world" test "$PWD" = "$PORDANE_WORLD/work"
check "TMPDIR is inside the world" test "$TMPDIR" = "$PORDANE_WORLD/tmp"
check "WINEPREFIX is the world's prefix" test "$WINEPREFIX" = "$PORDANE_WORLD/wineprefix"
if [ "${PORDANE_WORLD_NETNS:-0}" = 1 ]; then
  check "the namespace has no route beyond loopback" test -z "$(ip -4 route show default)"
  check "an outside address is unreachable" "$here/ports.py" unreachable 192.0.2.1 80
fi

# --- FTP accounts -----------------------------------------------------------
pw='lorak$Vib7'
while read -r address user password; do
  check "FTP login $user@$address" logs_in "$address" "$user" "$password"
done <<EOF2
127.0.0.11 tes24test $pw
127.0.0.12 tessistest $pw
127.0.0.12 estructessis KTwr\$7315
127.0.0.13 vexortest $pw
127.0.0.41 idealista Pisos-2024
127.0.0.41 habitaclia Hc-Costa15
127.0.0.41 nandu Nandu-123
127.0.0.42 fotocasa Fc-Peninsula7
127.0.0.42 pisosgalicia Gal-21-Pisos
127.0.0.42 milanuncios ClaveNueva2025
EOF2
check "a wrong password is refused" sh -c '! curl -sS --max-time 15 --user tes24test:wrong -o /dev/null ftp://127.0.0.11/ 2>/dev/null'

# Permissions: the built-in accounts may store and delete, except vexortest,
# which may store but not delete (the crossed "B" of the permissions test).
echo "prueba de permisos" >"$TMPDIR/permisos.txt"
for target in 127.0.0.11:tes24test 127.0.0.12:tessistest 127.0.0.13:vexortest; do
  address="${target%%:*}"; user="${target#*:}"
  check "$user may store a file" ftp "$user" "$pw" -T "$TMPDIR/permisos.txt" "ftp://$address/"
  if [ "$user" = vexortest ]; then
    check "$user may not delete it" sh -c '! curl -sS --max-time 15 --user "$1" -o /dev/null -Q "DELE permisos.txt" "ftp://$2/" 2>/dev/null' _ "$user:$pw" "$address"
  else
    check "$user may delete it" ftp "$user" "$pw" -o /dev/null -Q "DELE permisos.txt" "ftp://$address/"
  fi
done
check "estructessis may not store" sh -c '! curl -sS --max-time 15 --user "estructessis:KTwr\$7315" -T "$1" ftp://127.0.0.12/ 2>/dev/null' _ "$TMPDIR/permisos.txt"

# Tessaly24 is throttled like a slow line, Tessalysis is not: the same
# upload takes many times longer there (the first 2 MiB go through at once).
head -c 4194304 /dev/zero >"$TMPDIR/velocidad.bin"
upload_seconds() { ftp "$1" "$pw" -T "$TMPDIR/velocidad.bin" -o /dev/null -w '%{time_total}' "ftp://$2/"; }
slow="$(upload_seconds tes24test 127.0.0.11)" fast="$(upload_seconds tessistest 127.0.0.12)"
check "Tessaly24 is throttled (4 MiB up: ${slow}s against ${fast}s)" \
  python3 -c 'import sys; sys.exit(not float(sys.argv[1]) > 5 * float(sys.argv[2]))' "${slow:-0}" "${fast:-1}"

# Connection files: each Estruc folder holds a scrambled 1000.ini whose four
# values name an account that logs in and a folder that exists.
for code in 15 21 123; do
  ini="$TMPDIR/Estruc$code.ini"
  if ! ftp estructessis 'KTwr$7315' -o "$ini" "ftp://127.0.0.12/Estruc$code/1000.ini"; then
    fail "Estruc$code/1000.ini downloads"; continue
  fi
  ok "Estruc$code/1000.ini downloads"
  check "Estruc$code/1000.ini is scrambled digits with CRLF" grep -qP '^[0-9]+\r$' "$ini"
  if ! mapfile -t values < <("$catalogue_probe" desencriptar "$ini"); then
    fail "Estruc$code/1000.ini descrambles"; continue
  fi
  host="${values[0]}" user="${values[1]}" pass="${values[2]}" dir="${values[3]#/}"
  check "Estruc$code points at loopback ($host)" test "${host#127.0.0.}" != "$host"
  check "Estruc$code account $user logs in and finds /$dir" ftp "$user" "$pass" -o /dev/null "ftp://$host/${dir:+$dir/}"
done
check "Estruc15 is listed for estructessis" sh -c 'curl -sS --max-time 15 --user "estructessis:KTwr\$7315" --list-only ftp://127.0.0.12/Estruc15/ | grep -qx "1000.ini"'

# --- the Wine prefix and the company database ---------------------------------
check "system.reg names the installation" grep -q '"InstallDir"="C:\\\\Corvalix\\\\"' "$WINEPREFIX/system.reg"
check "drive C: is linked" test -d "$WINEPREFIX/dosdevices/c:/Corvalix/Sistema"
config="$WINEPREFIX/drive_c/Corvalix/Sistema/Corvalix.config"
check "Corvalix.config holds RUTA in Windows-1252" sh -c "iconv -f WINDOWS-1252 -t UTF-8 '$config' | grep -qF \"ID='RUTA' VALUE='D:\\Datos Compañía'\""
mdb="$WINEPREFIX/dosdevices/d:/Datos Compañía/Empresas/Empre01/VTES_DAT.MDB"
check "VTES_DAT.MDB exists under RUTA" test -f "$mdb"
export_csv="$(mdb-export "$mdb" 'Dat_Conexión' 2>&1)"
check "mdb-export lists eight connections" test "$(printf '%s\n' "$export_csv" | tail -n +2 | wc -l)" -eq 8
check "mdb-export shows accented names" sh -c 'printf "%s" "$1" | grep -q "Idealísta Demo" && printf "%s" "$1" | grep -q "Fotocasa Península"' _ "$export_csv"

# What the program's own discovery and database reader make of it.
catalogue="$("$catalogue_probe" 2>&1)"
echo "$catalogue" | sed 's/^/  # /'
check "start-up finds the Access runtime (no message)" sh -c '! printf "%s\n" "$1" | grep -q "^mensaje"' _ "$catalogue"
check "discovery finds C:\\Corvalix" sh -c 'printf "%s\n" "$1" | grep -qxF "instalacion C:\\Corvalix"' _ "$catalogue"
check "discovery reads the data folder" sh -c 'printf "%s\n" "$1" | grep -qxF "datos D:\\Datos Compañía\\Empresas\\Empre01"' _ "$catalogue"
rows="$(printf '%s\n' "$catalogue" | sed -n 's/^fila //p')"
check "the reader returns eight rows" test "$(printf '%s\n' "$rows" | grep -c .)" -eq 8
check "one row is skipped by the import (empty user, code 0)" test "$(printf '%s\n' "$rows" | awk -F'|' '$3=="" && $6==0' | wc -l)" -eq 1
check "one row has a negative code" test "$(printf '%s\n' "$rows" | awk -F'|' '$6<0' | wc -l)" -eq 1
check "three rows are operator-coded (15, 21, 123)" test "$(printf '%s\n' "$rows" | awk -F'|' '$6>0 {print $6}' | paste -sd,)" = "15,21,123"
# Rows with FTP data of their own log in, except the one kept with a stale password.
while IFS='|' read -r name host user pass dir code; do
  [ "$code" = 0 ] && [ -n "$user" ] || continue
  if [ "$user" = milanuncios ]; then
    check "$name: the stale password is refused" sh -c '! curl -sS --max-time 15 --user "$1" -o /dev/null "ftp://$2/" 2>/dev/null' _ "$user:$pass" "$host"
  else
    d="${dir#/}"
    check "$name: $user logs in and finds /$d" ftp "$user" "$pass" -o /dev/null "ftp://$host/${d:+$d/}"
  fi
done <<<"$rows"

# --- port-test endpoints -------------------------------------------------------
check "127.0.0.11:21 greets (tick)" "$here/ports.py" greets 127.0.0.11 21
check "127.0.0.12:21 greets (tick)" "$here/ports.py" greets 127.0.0.12 21
check "127.0.0.21:80 stays open (tick)" "$here/ports.py" open 127.0.0.21 80
check "127.0.0.22:80 stays open (tick)" "$here/ports.py" open 127.0.0.22 80
check "127.0.0.23:80 accepts and closes at once (warning)" "$here/ports.py" closes 127.0.0.23 80
check "127.0.0.24:21 refuses (cross)" "$here/ports.py" refused 127.0.0.24 21
check "127.0.0.31:7800 stays open (tick)" "$here/ports.py" open 127.0.0.31 7800
check "127.0.0.32:80 refuses (cross)" "$here/ports.py" refused 127.0.0.32 80

# --- the update control file -----------------------------------------------------
inf="$TMPDIR/vtes_vxt.inf"
headers="$(curl -sS --max-time 15 -D - -o "$inf" http://127.0.0.21/actualiza/vtes2000apps/vtes_vxt.inf)"
check "the control file is served (200)" sh -c 'printf "%s" "$1" | head -1 | grep -q " 200 "' _ "$headers"
check "Content-Length matches the body" sh -c 'printf "%s" "$1" | tr -d "\r" | grep -qix "content-length: $2"' _ "$headers" "$(stat -c %s "$inf")"
check "it offers the program's own version $version" grep -qx "newversion=$version"$'\r' "$inf"
check "it lists no files" grep -qx 'count=0'$'\r' "$inf"
check "a missing file is a 404" sh -c 'test "$(curl -s -o /dev/null -w "%{http_code}" http://127.0.0.21/actualiza/nada.inf)" = 404'

echo "$failures failure(s)"
[ "$failures" -gt 100 ] && failures=100
exit "$failures"
