#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Lists what a screen reader sees of a running Tablora through AT-SPI.

Usage: atspi_liste.py [--all | --fokus]
Prints one line per control: depth, role and name (and description if any).
Without --all only controls a user can operate are printed; controls without
a name are marked with "<<< OHNE NAMEN". With --fokus only the control that
has the keyboard focus is printed.

Needs the Debian packages at-spi2-core and python3-pyatspi. Run the program
and this script in one D-Bus session with the accessibility bus up, e.g.:
  dbus-run-session -- xvfb-run -a sh -c '
    dbus-send --session --print-reply --dest=org.a11y.Bus /org/a11y/bus \\
      org.a11y.Bus.GetAddress >/dev/null
    QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 build/normal/tablora & sleep 3
    tools/atspi_liste.py; kill $!'
"""
import sys
import pyatspi

BEDIENBAR = {
    "push button", "toggle button", "check box", "radio button", "text", "entry",
    "password text", "spin button", "combo box", "list", "table", "tree table",
    "page tab", "menu item", "check menu item", "radio menu item", "menu", "slider",
    "list box", "tree", "link",
}


def gehen(knoten, tiefe, alle, zeilen):
    try:
        rolle = knoten.getRoleName()
        name = knoten.name or ""
        beschr = knoten.description or ""
    except Exception:
        return
    if alle or rolle in BEDIENBAR:
        zeile = "%s%s: %s" % ("  " * tiefe, rolle, name)
        if beschr:
            zeile += "  [" + beschr + "]"
        if rolle in BEDIENBAR and not name.strip():
            zeile += "  <<< OHNE NAMEN"
        zeilen.append(zeile)
    # Rows of tables and lists are the plan's own data.
    if rolle in ("table", "list", "tree table", "list box", "combo box"):
        return
    for i in range(knoten.childCount):
        gehen(knoten.getChildAtIndex(i), tiefe + 1, alle, zeilen)


def fokus(knoten, gefunden):
    """Collects every control that says it has the focus (Qt also marks the
    current row of a list that has not)."""
    try:
        rolle = knoten.getRoleName()
        if knoten.getState().contains(pyatspi.STATE_FOCUSED):
            gefunden.append("%s: %s" % (rolle, knoten.name))
        anzahl = 0 if rolle in ("table", "table cell") else knoten.childCount
    except Exception:
        return gefunden
    for i in range(anzahl):
        try:
            kind = knoten.getChildAtIndex(i)
        except Exception:
            continue
        if kind is not None:
            fokus(kind, gefunden)
    return gefunden


def main():
    alle = "--all" in sys.argv
    desktop = pyatspi.Registry.getDesktop(0)
    for i in range(desktop.childCount):
        app = desktop.getChildAtIndex(i)
        if app is None or "tablora" not in (app.name or "").lower():
            continue
        for j in range(app.childCount):
            fenster = app.getChildAtIndex(j)
            if "--fokus" in sys.argv:
                gefunden = fokus(fenster, [])
                if gefunden:
                    print(" | ".join(gefunden))
                continue
            zeilen = []
            gehen(fenster, 0, alle, zeilen)
            print("\n".join(zeilen))
            print("---")
    return 0


if __name__ == "__main__":
    sys.exit(main())
