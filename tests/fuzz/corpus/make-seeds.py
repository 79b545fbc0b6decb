#!/usr/bin/env python3
"""Writes the seed corpora of tests/fuzz (small inputs made by hand here).
Run from this folder; pe_version/tiny.exe is the test suite's own TinyPe.c
build (tests/unit/update), copied in."""
import os, struct

def put(target, name, data):
    os.makedirs(target, exist_ok=True)
    with open(os.path.join(target, name), "wb") as f:
        f.write(data if isinstance(data, bytes) else data.encode("latin-1"))

# FTP: control replies, NUL, the listing of the data connection.
# The client sends HOST, USER, PASS, FEAT, TYPE A, SYST, TYPE A, CWD, PORT,
# MLSD (LIST without the feature), PORT, RETR, DELE, QUIT.
login = "220 Servidor listo\r\n220 HOST ok\r\n331 Clave\r\n230 Dentro\r\n"
put("ftp_reply", "session", login + "211-Features:\r\n MLSD\r\n SIZE\r\n211 End\r\n200 Tipo A\r\n215 UNIX Type: L8\r\n"
    "200 Tipo A\r\n250 CWD ok\r\n200 PORT ok\r\n150 Listado\r\n226 Hecho\r\n200 PORT ok\r\n150 Archivo\r\n226 Hecho\r\n"
    "250 Borrado\r\n221 Adios\r\n\0type=file;size=12;modify=20240101000000; 1000.ini\r\ntype=dir; Estruc1\r\n\r\n")
put("ftp_reply", "multiline", "220-Bienvenido\r\n220-segunda\r\n220 fin\r\n500 HOST?\r\n331-a\r\n331-b\r\n331 ok\r\n230-a\r\n230 b\r\n500 FEAT?\r\n200 x\r\n215 Windows_NT\r\n200 x\r\n550 No\r\n")
put("ftp_reply", "list", login + "211 no features\n200 x\n215 UNIX\n200 x\n250 x\n200 x\n125 go\n226 ok\n200 x\n150 x\n450 busy\n250 x\n"
    "\0-rw-r--r-- 1 u g 12 Jan 1 2024 1000.ini\n\ndrwxr-xr-x 2 u g 0 Jan 1 2024 Estruc1\r\n")
put("ftp_reply", "host", "220 x\r\n504 HOST no\r\n331 x\r\n230 x\r\n")

put("pasv", "private", bytes([127, 0, 0, 1]) + b"227 Entering Passive Mode (192,168,1,5,195,80)")
put("pasv", "public", bytes([8, 8, 4, 4]) + b"Entering Passive Mode (10,0,0,1,4,1).")
put("pasv", "zero", bytes([80, 1, 2, 3]) + b"227 =0,0,0,0,200,10")

def scramble(text, factor):
    return "".join("%03d" % (ord(c) + factor) for c in text)
put("desencriptar", "four-lines", bytes([3]) + ("\n".join(scramble(">%s<" % v, 21) for v in ["ftp.ejemplo.es", "usuario", "clave", "/web"])).encode())
put("desencriptar", "no-close", bytes([250]) + scramble(">sin cierre", -42).encode() + b"\n12a\n")

put("wine_hive", "system.reg", "WINE REGISTRY Version 2\n;; All keys relative to \\\\Machine\n#arch=win64\n\n"
    "[Software\\\\Wow6432Node\\\\Corvalix\\\\Tessaly Soft Run Time 2.0] 1700000000\n#time=1da1b2c3d4e5f60\n"
    "\"InstallDir\"=\"C:\\\\Corvalix\\\\\"\n@=\"default\"\n\"Path\"=str(2):\"%SystemRoot%\\\\system32\"\n"
    "\"Count\"=dword:00000010\n\"Raw\"=hex(2):25,00,53,00,\\\n  00,00\n"
    "[Software\\\\Classes\\\\.mdb] 1\n@=\"Access.Application\\x00e1\"\n[Software\\\\Corvalix\\\\A\\]B] 2\n")
put("wine_hive", "broken", "WINE REGISTRY Version 2\n[Software\\\\\n\"a\"=\"\\\n[]\n\"x\"=hex:zz\n")

for n, p in [("drive", "C:\\Corvalix\\Sistema\\Corvalix.config"), ("dots", "d:/Datos/../../..\\x"), ("unc", "\\\\srv\\c$"), ("var", "windir")]:
    put("wine_prefix", n, p)

put("procnet", "tcp", "  sl  local_address rem_address   st tx_queue rx_queue tr tm->when retrnsmt   uid  timeout inode\n"
    "   0: 0100007F:0015 00000000:0000 0A 00000000:00000000 00:00000000 00000000     0        0 12345 1 0000000000000000 100 0 0 10 0\n"
    "   1: 00000000:0035 00000000:0000 07 00000000:00000000 00:00000000 00000000     0        0 999 2 0000000000000000 0\n")
put("procnet", "tcp6", "  sl  local_address                         remote_address                        st\n"
    "   0: 00000000000000000000000000000000:1F90 00000000000000000000000000000000:0000 0A 00000000:00000000 00:00000000 00000000  1000        0 4242 1\n")

put("control_file", "update.inf", "\xef\xbb\xbf[GENERAL]\nVERSION=4.5.0.1\nDATE=01/02/2024\nTIME=10:30\nDESCRIPTION=\"Nueva\\nversi\xc3\xb3n\"\nURL=http://h/actualiza/x.inf?y\n"
    "; comment\n[FILES]\nCOUNT=3\nFILE1={APP}\\Pordane.exe\nFILE2={WIN}\\sys\\{TMP}x\nFILE3=http://h/a/b\\c?d.zip\n[FILE1]\nSIZE=$1F\nTEXT=a\\nb\n[FILE2]\nSIZE=-0x10\n")
put("control_file", "cp1252", "[files]\n count = 1 \nfile1 = {APP\xe9}\\{\n")

for n, t in [("dots", "4.5.12.345"), ("commas", "1, 2, 3, 4, 5"), ("big", "70000.65536.1"), ("date", "01/02/202410:30")]:
    put("version_text", n, t)

# ELF64 little-endian, one PT_NOTE segment with the "Pordane" note (type 1).
note_name = b"Pordane\0"
note = struct.pack("<III", len(note_name), 8, 1) + note_name + struct.pack("<II", (7 << 16) | 3, (2 << 16) | 41)
ehdr = b"\x7fELF\x02\x01\x01" + b"\0" * 9 + struct.pack("<HHIQQQIHHHHHH", 2, 62, 1, 0, 64, 0, 0, 64, 56, 1, 64, 0, 0)
phdr = struct.pack("<IIQQQQQQ", 4, 4, 120, 0, 0, len(note), len(note), 4)
put("elf_note", "note64", ehdr + phdr + note)
ehdr32 = b"\x7fELF\x01\x02\x01" + b"\0" * 9 + struct.pack(">HHIIIIIHHHHHH", 2, 3, 1, 0, 52, 0, 0, 52, 32, 1, 40, 0, 0)
note32 = struct.pack(">III", len(note_name), 8, 1) + note_name + struct.pack(">II", 0x00010002, 0x00030004)
phdr32 = struct.pack(">IIIIIIII", 4, 84, 0, 0, len(note32), len(note32), 4, 4)
put("elf_note", "note32be", ehdr32 + phdr32 + note32)

def szdd_literals(data, last=b"e"):
    out = b"SZDD\x88\xf0\x27\x33A" + last + struct.pack("<I", len(data))
    for i in range(0, len(data), 8):
        chunk = data[i:i + 8]
        out += bytes([(1 << len(chunk)) - 1]) + chunk
    return out
put("szdd_expand", "literals", szdd_literals(b"Hola, Pordane!\r\n"))
# "ab" then a reference to the ring's blanks (position 0, length 3+0).
put("szdd_expand", "reference", b"SZDD\x88\xf0\x27\x33A_" + struct.pack("<I", 5) + bytes([0b011]) + b"ab" + bytes([0x00, 0x00]))
put("szdd_roundtrip", "text", b"eaaaaaaaaaaaaaaaaaaaaaaabcabcabcabc   \r\n  pusetup")
put("szdd_roundtrip", "binary", bytes(range(256)) * 2)

put("rtf", "news", r"{\rtf1\ansi\ansicpg1252\deff0{\fonttbl{\f0 Arial;}}{\colortbl;\red0\green0\blue0;}{\*\generator x;}"
    r"\f0\fs20 Novedades de la versi\'f3n\par\tab \u8364?uro \line {\field{\*\fldinst HYPERLINK x}{\fldrslt enlace}}\bullet\emdash\par}")
put("rtf", "pict", r"{\rtf1{\pict\wmetafile8 0a0b}{\info{\title t}}\uc2\u20320\'a0\'a0 fin\bin3 abc}")

put("restarter_args", "inf", "[FILES]\nCOUNT=4\nFILE1=a.exe_new\nFILE2=..\\x_new\nFILE3=LIST.INF\nFILE4=c_new\n\0" + '1234 L "null" " " . a.exe_new "B.DLL_NEW" LIST.INF ../c_new')
put("restarter_args", "quotes", "[files]\ncount=99999999999\n\0\"a b\"c\\\" d\t\x01e")
