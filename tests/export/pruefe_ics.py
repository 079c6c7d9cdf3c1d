#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Reads the exported calendars with python3-icalendar and checks them
against the overview figures that tst_export stored beside them."""
import datetime
import json
import os
import sys

from icalendar import Calendar

ordner = sys.argv[1]
with open(os.path.join(ordner, "uebersicht.json"), encoding="utf-8") as f:
    erwartet = json.load(f)
heute = datetime.date.fromisoformat(erwartet["heute"])
termin = datetime.date.fromisoformat(erwartet["termin"])
KOMMA_NAME = "K\u00e4lte, \u00d6l \u0622\u0633\u067e\u0631\u06cc\u0646"
fehler = []


def pruefe(bedingung, text):
    if not bedingung:
        fehler.append(text)


def lesen(name):
    with open(os.path.join(ordner, name), "rb") as f:
        roh = f.read()
    pruefe(roh.endswith(b"\r\n"), name + ": no CRLF at the end")
    for zeile in roh.split(b"\r\n")[:-1]:
        pruefe(b"\n" not in zeile and b"\r" not in zeile, name + ": bare line break")
        pruefe(len(zeile) <= 75, name + ": line longer than 75 octets: %r" % zeile)
        try:
            zeile.decode("utf-8")
        except UnicodeDecodeError:
            fehler.append(name + ": UTF-8 character split by folding: %r" % zeile)
    kalender = Calendar.from_ical(roh)
    ereignisse = kalender.walk("VEVENT")
    uids = [str(e["UID"]) for e in ereignisse]
    pruefe(len(uids) == len(set(uids)), name + ": UIDs not unique")
    return {str(e["UID"]): e for e in ereignisse}


def datum(text):  # "dd. MM. yyyy" as the overview shows it
    return datetime.datetime.strptime(text, "%d. %m. %Y").date()


def alarm(e):
    alarme = e.walk("VALARM")
    pruefe(len(alarme) == 1, "%s: %d alarms" % (e["SUMMARY"], len(alarme)))
    a = alarme[0]
    pruefe(str(a["ACTION"]) == "DISPLAY", "alarm action " + str(a["ACTION"]))
    return a.decoded("TRIGGER")


erste = lesen("erste.ics")
zweite = lesen("zweite.ics")
pruefe(set(erste) == set(zweite), "UIDs differ between two exports")
for uid, e in erste.items():
    if uid in zweite:
        pruefe(int(zweite[uid]["SEQUENCE"]) > int(e["SEQUENCE"]),
               "SEQUENCE did not rise for " + str(e["SUMMARY"]))

nach_titel = {str(e["SUMMARY"]): e for e in zweite.values()}
zeilen = erwartet["zeilen"]
mit_ereignis = {"Metformin", "Leer", "Ohne Packung", KOMMA_NAME}
pruefe(len(zweite) == len(mit_ereignis) + 1, "%d events" % len(zweite))
for name, _, bestand, _, leer in zeilen:
    titel = name + " \u2013 nachbestellen"
    if name not in mit_ereignis:
        pruefe(titel not in nach_titel, "event for " + name)
        continue
    e = nach_titel.get(titel)
    pruefe(e is not None, "no event for " + name)
    if e is None:
        continue
    start = e.decoded("DTSTART")
    pruefe(type(start) is datetime.date, name + ": not an all-day event")
    pruefe(start == max(datum(leer) - datetime.timedelta(days=7), heute),
           "%s: reorder day %s, runs out %s" % (name, start, leer))
    pruefe(e.decoded("DTEND") == start + datetime.timedelta(days=1), name + ": DTEND")
    pruefe(alarm(e) == datetime.timedelta(hours=9), name + ": alarm not at 09:00")
    beschreibung = str(e["DESCRIPTION"]).split("\n")
    for teil in ("Bestand: " + bestand, "Leer am: " + leer, "Wirkst\u00e4rke: 400 mg",
                 "Plandatei: plan.medat"):
        pruefe(teil in beschreibung, "%s: %r not in %r" % (name, teil, beschreibung))

t = nach_titel.get("Arzttermin")
pruefe(t is not None, "no appointment event")
if t is not None:
    pruefe(t.decoded("DTSTART") == termin, "appointment on %s" % t.decoded("DTSTART"))
    pruefe(alarm(t) == -datetime.timedelta(days=1), "appointment alarm not a day before")
    text = str(t["DESCRIPTION"]).split("\n")
    knapp = {z.split(" \u2013 ")[0]: z for z in text if " \u2013 " in z}
    pruefe(set(knapp) == {KOMMA_NAME, "Leer", "Ohne Packung"}, "listed: %r" % text)
    pruefe(knapp.get(KOMMA_NAME, "").endswith(": 1"), "packs for " + KOMMA_NAME)
    pruefe(knapp.get("Leer", "").endswith(": 3"), "packs for Leer")
    pruefe("Packungen" not in knapp.get("Ohne Packung", "Packungen"), "packs without pack size")

leer = lesen("leer.ics")
pruefe([str(e["SUMMARY"]) for e in leer.values()] == ["Arzttermin"], "empty plan: %r" % leer)
pruefe(lesen("ohne.ics") == {}, "events without medications and appointment")

for f in fehler:
    print("FAIL:", f)
print("%d events checked, %d failures" % (len(erste) + len(zweite) + len(leer), len(fehler)))
sys.exit(1 if fehler else 0)
