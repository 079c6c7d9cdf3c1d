#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Reads the exported calendars with python3-icalendar and checks them against
the overview figures the export session stored beside them: titles that name
the patient, reminders not set to a moment already past, and a third export
after a rename and a removal that keeps the renamed event's id and cancels the
removed one."""
import datetime as dt
import json
import os
import sys

from icalendar import Calendar

ordner = sys.argv[1]
erwartet = json.load(open(os.path.join(ordner, "uebersicht.json"), encoding="utf-8"))
heute, termin = (dt.date.fromisoformat(erwartet[k]) for k in ("heute", "termin"))
KOMMA = "K\u00e4lte, \u00d6l \u0622\u0633\u067e\u0631\u06cc\u0646"
PERSON = "Musterfrau, Erika: "
jetzt = dt.datetime.now()
fehler = []


def pruefe(bedingung, text):
    if not bedingung:
        fehler.append(text)


def lesen(name):
    roh = open(os.path.join(ordner, name), "rb").read()
    pruefe(roh.endswith(b"\r\n"), name + ": no CRLF at the end")
    for z in roh.split(b"\r\n")[:-1]:
        pruefe(b"\n" not in z and b"\r" not in z and len(z) <= 75, name + ": line %r" % z)
        try:
            z.decode("utf-8")
        except UnicodeDecodeError:
            fehler.append(name + ": UTF-8 character split by folding: %r" % z)
    ereignisse = Calendar.from_ical(roh).walk("VEVENT")
    pruefe(len({str(e["UID"]) for e in ereignisse}) == len(ereignisse), name + ": UIDs twice")
    return {str(e["UID"]): e for e in ereignisse}


def abgesagt(e):
    return str(e.get("STATUS", "")) == "CANCELLED"


def alarm(e):
    alarme = e.walk("VALARM")
    pruefe(len(alarme) == 1 and str(alarme[0]["ACTION"]) == "DISPLAY", "alarm of " + e["SUMMARY"])
    return alarme[0].decoded("TRIGGER")


erste, zweite = lesen("erste.ics"), lesen("zweite.ics")
pruefe(set(erste) == set(zweite), "UIDs differ between two exports")
for uid, e in erste.items():
    pruefe(int(zweite[uid]["SEQUENCE"]) > int(e["SEQUENCE"]), "SEQUENCE kept: " + e["SUMMARY"])

titel = {str(e["SUMMARY"]): e for e in zweite.values()}
mit_ereignis = {"Metformin", "Leer", "Ohne Packung", KOMMA}
pruefe(len(zweite) == len(mit_ereignis) + 1, "%d events" % len(zweite))
for name, _, bestand, _, leer in erwartet["zeilen"]:
    e = titel.get(PERSON + name + " \u2013 nachbestellen")
    pruefe((e is not None) == (name in mit_ereignis), "event for " + name)
    if e is None:
        continue
    start = e.decoded("DTSTART")
    leer_am = dt.datetime.strptime(leer, "%d. %m. %Y").date()
    soll = max(leer_am - dt.timedelta(days=7), heute)
    # A reminder whose 09:00 has passed moves to the next morning.
    if soll == heute and jetzt.hour >= 9:
        soll += dt.timedelta(days=1)
    pruefe(type(start) is dt.date and start == soll,
           "%s: reorder on %s, runs out %s" % (name, start, leer))
    pruefe(e.decoded("DTEND") == start + dt.timedelta(days=1), name + ": DTEND")
    pruefe(alarm(e) == dt.timedelta(hours=9), name + ": alarm not at 09:00")
    zeilen = str(e["DESCRIPTION"]).split("\n")
    for teil in ("Bestand: " + bestand, "Leer am: " + leer, "Wirkst\u00e4rke: 400 mg",
                 "Plandatei: plan.medat"):
        pruefe(teil in zeilen, "%s: %r not in %r" % (name, teil, zeilen))

t = titel.get(PERSON + "Arzttermin")
pruefe(t is not None and t.decoded("DTSTART") == termin, "appointment event")
if t is not None:
    pruefe(alarm(t) == -dt.timedelta(days=1), "appointment alarm not a day before")
    knapp = {z.split(" \u2013 ")[0]: z for z in str(t["DESCRIPTION"]).split("\n") if " \u2013 " in z}
    pruefe(set(knapp) == {KOMMA, "Leer", "Ohne Packung"}, "listed: %r" % knapp)
    pruefe(knapp.get(KOMMA, "").endswith(": 1") and knapp.get("Leer", "").endswith(": 3"), "packs")
    pruefe("Packungen" not in knapp.get("Ohne Packung", "Packungen"), "packs without pack size")

# Metformin renamed, Leer removed since the second export.
dritte = lesen("dritte.ics")
nach_titel = {str(e["SUMMARY"]): uid for uid, e in zweite.items()}
pruefe(set(dritte) == set(zweite), "third export: UIDs %r" % sorted(dritte))
for uid, e in dritte.items():
    pruefe(int(e["SEQUENCE"]) > int(zweite[uid]["SEQUENCE"]), "SEQUENCE kept: " + e["SUMMARY"])
umbenannt = dritte.get(nach_titel.get(PERSON + "Metformin \u2013 nachbestellen"))
pruefe(umbenannt is not None and not abgesagt(umbenannt)
       and str(umbenannt["SUMMARY"]) == PERSON + "Metformin retard \u2013 nachbestellen",
       "renamed medication keeps its event")
weg = dritte.get(nach_titel.get(PERSON + "Leer \u2013 nachbestellen"))
pruefe(weg is not None and abgesagt(weg) and not weg.walk("VALARM"), "removed medication cancelled")
pruefe([abgesagt(e) for e in dritte.values()].count(True) == 1, "one cancelled event")

leer = lesen("leer.ics")
pruefe([str(e["SUMMARY"]) for e in leer.values()] == [PERSON + "Arzttermin"], "empty plan: %r" % leer)
pruefe(lesen("ohne.ics") == {}, "events without medications and appointment")
print("\n".join("FAIL: " + f for f in fehler) or "calendars as expected")
sys.exit(1 if fehler else 0)
