#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Reads the exported table with Python's csv module and compares it with the
overview's own cells, which tst_export stored beside it."""
import csv
import datetime
import json
import os
import sys

ordner = sys.argv[1]
with open(os.path.join(ordner, "uebersicht.json"), encoding="utf-8") as f:
    erwartet = json.load(f)
with open(os.path.join(ordner, "tabelle.csv"), "rb") as f:
    roh = f.read()
fehler = []


def pruefe(bedingung, text):
    if not bedingung:
        fehler.append(text)


pruefe(roh.startswith(b"\xef\xbb\xbf"), "no byte-order mark")
pruefe(roh.count(b"\n") == roh.count(b"\r\n"), "line ends not CRLF")
with open(os.path.join(ordner, "tabelle.csv"), encoding="utf-8-sig", newline="") as f:
    zeilen = list(csv.reader(f))

pruefe(zeilen[0] == erwartet["kopf"] + [erwartet["packungenKopf"]], "header %r" % zeilen[0])
packungen = ["1", "", "", "3", "", "", ""]
pruefe(len(zeilen) == 1 + len(erwartet["zeilen"]), "%d rows" % len(zeilen))
for zeile, uebersicht, pack in zip(zeilen[1:], erwartet["zeilen"], packungen):
    name, beschreibung, bestand, wochen, leer = uebersicht
    pruefe(len(zeile) == 6, "row %r" % zeile)
    pruefe(zeile[:3] == [name, beschreibung, bestand], "%r vs %r" % (zeile, uebersicht))
    pruefe(zeile[3] == wochen.split("  ")[0], "%s: weeks %r vs %r" % (name, zeile[3], wochen))
    # A run-out far beyond year 9999 (an absurd stock) has no ISO date.
    iso = ""
    if leer and int(leer.split()[-1]) <= 9999:
        iso = datetime.datetime.strptime(leer, "%d. %m. %Y").date().isoformat()
    pruefe(zeile[4] == iso, "%s: run-out %r vs %r" % (name, zeile[4], leer))
    pruefe(zeile[5] == pack, "%s: packs %r" % (name, zeile[5]))
pruefe(zeilen[1][0] == "K\u00e4lte, \u00d6l \u0622\u0633\u067e\u0631\u06cc\u0646",
       "name with comma, umlauts and Persian letters: %r" % zeilen[1][0])
pruefe(zeilen[1][1] == 'Beschreibung, "Teil" 1', "quoted description %r" % zeilen[1][1])

for f in fehler:
    print("FAIL:", f)
print("%d rows checked, %d failures" % (len(zeilen), len(fehler)))
sys.exit(1 if fehler else 0)
