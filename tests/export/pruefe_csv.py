#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Reads the exported table with Python's csv module and compares it with the
overview's cells, which the export session stored beside it. The session runs
in German: fields apart by ";", figures with a decimal comma, as German
spreadsheets expect; the first column names the patient."""
import csv
import datetime
import json
import os
import sys

ordner = sys.argv[1]
erwartet = json.load(open(os.path.join(ordner, "uebersicht.json"), encoding="utf-8"))
roh = open(os.path.join(ordner, "tabelle.csv"), "rb").read()
zeilen = list(csv.reader(roh.decode("utf-8-sig").splitlines(), delimiter=";", strict=True))
fehler = []
if not roh.startswith(b"\xef\xbb\xbf") or roh.count(b"\n") != roh.count(b"\r\n"):
    fehler.append("no byte-order mark or line ends not CRLF")
if zeilen[0] != ["Patient"] + erwartet["kopf"] + [erwartet["packungenKopf"]] or len(zeilen) != 7:
    fehler.append("header %r, %d rows" % (zeilen[0], len(zeilen)))
for zeile, (name, text, bestand, wochen, leer), pack in zip(
        zeilen[1:], erwartet["zeilen"], ["1", "", "", "3", "", ""]):
    # A run-out far beyond year 9999 (an absurd stock) has no ISO date.
    iso = ""
    if leer and int(leer.split()[-1]) <= 9999:
        iso = datetime.datetime.strptime(leer, "%d. %m. %Y").date().isoformat()
    soll = [erwartet["patient"], name, text, bestand.replace(".", ","),
            wochen.split("  ")[0].replace(".", ","), iso, pack]
    if zeile != soll:
        fehler.append("%r, expected %r" % (zeile, soll))
print("\n".join("FAIL: " + f for f in fehler) or "table as expected")
sys.exit(1 if fehler else 0)
