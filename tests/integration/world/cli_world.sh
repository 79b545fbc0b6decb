#!/usr/bin/env bash
# pordane-cli inside the local world gives what the window's tour checks:
# the permissions of Tessaly24 (everything) and vexorserver01 (everything but
# delete) out of "permisos --todos", the port table out of "puertos --json",
# and the seven imported portal connections in "servidores".
#   cli_world.sh BUILD_DIR PORDANE_CLI
set -uo pipefail
build="$1"
cli="$2"
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
repo="$(cd "$here/../../.." && pwd)"

. "$here/scratch.sh" pordane-clitest

TMPDIR="$scratch" "$repo/scripts/world/run-in-world" --build-dir "$build" -- bash -c '
  "$1" servidores --json > "$2/servidores.json"; echo "servidores $?" > "$2/estados"
  "$1" permisos --todos --json > "$2/permisos.json"; echo "permisos $?" >> "$2/estados"
  "$1" puertos --json > "$2/puertos.json"; echo "puertos $?" >> "$2/estados"
' _ "$cli" "$scratch" || { echo "FAIL - the world did not run"; exit 1; }

/usr/bin/python3 - "$scratch" <<'PY'
import json, sys
d = sys.argv[1]
failures = 0
def check(what, cond):
    global failures
    print(("ok - " if cond else "FAIL - ") + what)
    failures += not cond
estados = dict(l.split() for l in open(d + "/estados"))
check("exit statuses: servidores 0, permisos 1, puertos 1",
      estados == {"servidores": "0", "permisos": "1", "puertos": "1"})
tabla = json.load(open(d + "/servidores.json"))["servidores"]
check("3 built-in servers and 7 imported portals",
      [s["tipo"] for s in tabla] == ["propio"] * 3 + ["portal"] * 7)
permisos = {s["nombre"]: {p["paso"]: p["resultado"] for p in s["pasos"]}
            for s in json.load(open(d + "/permisos.json"))["servidores"]}
todo = {p: "ok" for p in ["conectar", "subir", "descargar", "renombrar", "listar", "borrar"]}
check("Tessaly24 passes every step", permisos.get("Tessaly24") == todo)
check("vexorserver01 passes every step but delete", permisos.get("vexorserver01") == dict(todo, borrar="fallo"))
check("every server of the table was tested", len(permisos) == len(tabla))
puertos = [p["resultado"] for p in json.load(open(d + "/puertos.json"))["puertos"]]
check("ports as in the tour: " + " ".join(puertos),
      puertos == ["ok", "ok", "ok", "ok", "aviso", "fallo", "ok", "fallo"])
sys.exit(min(failures, 100))
PY
