#!/usr/bin/python3
# Reads a pordane-cli JSON report with a real JSON parser and prints a short
# summary the test compares: orden, exit status, and per server its result,
# steps and the names of its figures.
import json
import re
import sys

with open(sys.argv[1], encoding="utf-8") as f:
    d = json.load(f)
assert d["programa"] == "pordane-cli", d["programa"]
assert re.fullmatch(r"\d+\.\d+\.\d+\.\d+", d["version"]), d["version"]
assert re.fullmatch(r"\d{4}-\d\d-\d\dT\d\d:\d\d:\d\dZ", d["fecha"]), d["fecha"]
assert isinstance(d["interrumpido"], bool) and isinstance(d["avisos"], list)
partes = [d["orden"], d.get("modo", "-"), str(d["codigo_salida"]), "interrumpido" if d["interrumpido"] else "completo"]
for s in d["servidores"]:
    assert isinstance(s["registro"], list) and isinstance(s["mensajes"], list)
    assert all(isinstance(v, int) for v in s["cifras"].values()), s["cifras"]
    pasos = ",".join(p["paso"] + ":" + p["resultado"] for p in s["pasos"])
    cifras = ",".join(sorted(s["cifras"]))
    partes.append("%s|%s|%s|%s|%s" % (s["nombre"], s["resultado"], pasos, cifras, s["registro"][0] if s["registro"] else ""))
print("\n".join(partes))
