#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The real program on an X server, driven with xdotool: a first start in empty
# settings shows three different, non-blank tabs (CTRL+TAB), CTRL+S compacts
# a hand-made plan from elsewhere, and CTRL+Q ends the program with exit code 0.
# Usage: run_e2e.sh <tablora binary> <folder for the screenshots>
set -euo pipefail
[ -n "${DISPLAY:-}" ] || exec xvfb-run -a -s "-screen 0 1280x800x24" "$0" "$@"
programm=$(readlink -f "$1")
bilder=$(mkdir -p "$2" && cd "$2" && pwd)
tmp=$(mktemp -d)
pid=
trap '[ -z "$pid" ] || kill "$pid" 2>/dev/null; rm -rf "$tmp"' EXIT
export HOME=$tmp/home XDG_CONFIG_HOME=$tmp/config XDG_RUNTIME_DIR=$tmp/run QT_QPA_PLATFORM=xcb
# No GL driver loaded: the program draws nothing with OpenGL, and the driver leaks at exit.
export QT_XCB_GL_INTEGRATION=none
mkdir -p "$HOME" "$XDG_CONFIG_HOME" && mkdir -m 700 "$XDG_RUNTIME_DIR"
cd "$tmp"
fehler() { echo "FAIL: $*" >&2; exit 1; }
taste() { xdotool windowfocus --sync "$fenster" key --clearmodifiers "$1"; }
starten() {
    "$programm" >"$tmp/programm.log" 2>&1 &
    pid=$!
    fenster=$(timeout 60 xdotool search --sync --onlyvisible --classname tablora | head -n 1)
    [ -n "$fenster" ] || fehler "no window appeared"
    sleep 1.5 # first paint
}
beenden() {
    taste ctrl+q
    for _ in $(seq 100); do kill -0 "$pid" 2>/dev/null && sleep 0.1; done
    local code=0
    wait "$pid" || code=$?
    pid=
    [ "$code" -eq 0 ] || { cat "$tmp/programm.log" >&2; fehler "exit code $code after CTRL+Q"; }
}
bild() {
    sleep 0.7
    import -window root "$bilder/$1.png"
    awk -v s="$(convert "$bilder/$1.png" -format '%[fx:standard_deviation]' info:)" \
        'BEGIN { exit !(s > 0.01) }' || fehler "screenshot $1 is blank"
}

echo "== first start, one screenshot per tab"
starten
[ -f "$XDG_CONFIG_HOME/Tablora/data/meddata.ini" ] || fehler "first start created no settings"
bild tab1 && taste ctrl+Tab && bild tab2 && taste ctrl+Tab && bild tab3
for paar in "tab1 tab2" "tab1 tab3" "tab2 tab3"; do
    set -- $paar
    n=$(compare -metric AE "$bilder/$1.png" "$bilder/$2.png" null: 2>&1 || true)
    awk -v n="$n" 'BEGIN { exit !(n + 0 > 500) }' || fehler "$1 and $2 look the same"
done
beenden

echo "== CTRL+S on a plan from elsewhere"
mkdir -p anderswo
printf '9;Kopf;a;b\r\n7;Muster;Erika;01.02.1950;0;0;;;;;;;x;y\r\n7;Aspirin;Schmerz;100 mg;20;1700000000;20;1;0;0;0;;extra1;extra2\r\n3;Kurz\r\n' >anderswo/plan.medat
cp anderswo/plan.medat vorher.medat
printf '[Pfade]\nletzteDatei=%s\n' "$tmp/anderswo/plan.medat" >"$XDG_CONFIG_HOME/Tablora/data/meddata.ini"
printf '1;Kopf;a;b;;;;;;;;;\n2;Muster;Erika;01.02.1950;0;0;;;;;;;\n3;Aspirin;Schmerz;100 mg;20;1700000000;20;1;0;0;0;;\n4;Kurz;;;;;;;;;;;\n' >erwartet.medat
starten
cmp -s anderswo/plan.medat vorher.medat || fehler "the plan changed before CTRL+S"
taste ctrl+s
for _ in $(seq 50); do cmp -s anderswo/plan.medat erwartet.medat || sleep 0.1; done
cmp anderswo/plan.medat erwartet.medat || fehler "CTRL+S did not compact the plan"
beenden
echo "PASS: screenshots in $bilder"
