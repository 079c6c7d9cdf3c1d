#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# End-to-end run of the real program on an X server, driven with xdotool:
#  1. first start in empty settings: one screenshot per tab, each non-empty and
#     different from the others; CTRL+Q ends the program with exit code 0;
#  2. start on a hand-made, uncompacted plan outside the program's data folder:
#     CTRL+S compacts it; CTRL+Q ends the program with exit code 0.
# Usage: run_e2e.sh <tablora binary> <folder for the screenshots>
# Runs itself under xvfb-run when no display is set.
set -euo pipefail

if [ $# -ne 2 ]; then
    echo "usage: $0 <tablora binary> <screenshot folder>" >&2
    exit 2
fi
if [ -z "${DISPLAY:-}" ]; then
    exec xvfb-run -a -s "-screen 0 1280x800x24" "$0" "$@"
fi

programm=$(readlink -f "$1")
bilder=$(mkdir -p "$2" && cd "$2" && pwd)
rm -f "$bilder"/tab*.png

tmp=$(mktemp -d)
pid=
aufraeumen() {
    if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; then
        kill "$pid" 2>/dev/null || true
    fi
    rm -rf "$tmp"
}
trap aufraeumen EXIT

export HOME=$tmp/home
export XDG_CONFIG_HOME=$tmp/config
export XDG_RUNTIME_DIR=$tmp/run
export QT_QPA_PLATFORM=xcb
# The program draws nothing with OpenGL; without the GL integration no GL
# driver is loaded, and with it none of its own leaks at exit.
export QT_XCB_GL_INTEGRATION=none
mkdir -p "$HOME" "$XDG_CONFIG_HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
cd "$tmp"

fehler() {
    echo "FAIL: $*" >&2
    exit 1
}

fenster=
starten() {
    "$programm" >"$tmp/programm.log" 2>&1 &
    pid=$!
    # The visible top-level window; Qt also maps nothing else at start.
    fenster=$(timeout 60 xdotool search --sync --onlyvisible --classname tablora | head -n 1) \
        || fehler "no window appeared"
    [ -n "$fenster" ] || fehler "no window appeared"
    xdotool windowfocus --sync "$fenster"
    sleep 1.5 # first paint
}

taste() {
    xdotool windowfocus --sync "$fenster"
    xdotool key --clearmodifiers "$1"
}

beenden() {
    taste ctrl+q
    local rest=100
    while kill -0 "$pid" 2>/dev/null && [ $rest -gt 0 ]; do
        sleep 0.1
        rest=$((rest - 1))
    done
    kill -0 "$pid" 2>/dev/null && fehler "CTRL+Q did not end the program"
    local code=0
    wait "$pid" || code=$?
    pid=
    [ "$code" -eq 0 ] || { cat "$tmp/programm.log" >&2; fehler "exit code $code after CTRL+Q"; }
}

bild() {
    sleep 0.7
    import -window root "$bilder/$1.png"
    [ -s "$bilder/$1.png" ] || fehler "empty screenshot $1"
    local abweichung
    abweichung=$(convert "$bilder/$1.png" -format '%[fx:standard_deviation]' info:)
    awk -v s="$abweichung" 'BEGIN { exit !(s > 0.01) }' || fehler "screenshot $1 is blank"
}

# Pixels of the tab bar, with the mouse moved away so no hover shows, once
# two looks in a row agree (a busy machine may repaint late).
leiste() {
    xdotool mousemove --window "$fenster" 600 20
    local vorher= jetzt versuche=20
    while [ $versuche -gt 0 ]; do
        sleep 0.2
        jetzt=$(import -window root -crop 1200x40+0+90 rgb:- | md5sum)
        [ "$jetzt" = "$vorher" ] && break
        vorher=$jetzt
        versuche=$((versuche - 1))
    done
    echo "$jetzt"
}

# Shows the next tab: clicks along the tab bar from x = $1 on until the bar
# changes, so no text width needs to be known. Prints where it hit.
naechsterTab() {
    local x=$1 vorher
    vorher=$(leiste)
    while [ "$x" -lt 1100 ]; do
        xdotool mousemove --window "$fenster" "$x" 110 click 1
        if [ "$(leiste)" != "$vorher" ]; then
            echo "$x"
            return 0
        fi
        x=$((x + 20))
    done
    fehler "no further tab found"
}

echo "== first start, one screenshot per tab"
starten
[ -f "$XDG_CONFIG_HOME/Tablora/data/meddata.ini" ] || fehler "first start created no settings"
bild tab1
x=$(naechsterTab 30)
bild tab2
naechsterTab $((x + 20)) >/dev/null
bild tab3
for paar in "tab1 tab2" "tab1 tab3" "tab2 tab3"; do
    set -- $paar
    verschieden=$(compare -metric AE "$bilder/$1.png" "$bilder/$2.png" null: 2>&1 || true)
    awk -v n="$verschieden" 'BEGIN { exit !(n + 0 > 500) }' \
        || fehler "$1 and $2 look the same ($verschieden pixels differ)"
done
beenden

echo "== CTRL+S on a plan from elsewhere"
mkdir -p "$tmp/anderswo"
plan=$tmp/anderswo/plan.medat
printf '9;Kopf;a;b\r\n7;Muster;Erika;01.02.1950;0;0;;;;;;;x;y\r\n7;Aspirin;Schmerz;100 mg;20;1700000000;20;1;0;0;0;;extra1;extra2\r\n3;Kurz\r\n' \
    >"$plan"
cp "$plan" "$tmp/vorher.medat"
printf '[Pfade]\nletzteDatei=%s\n' "$plan" >"$XDG_CONFIG_HOME/Tablora/data/meddata.ini"
printf '1;Kopf;a;b;;;;;;;;;\n2;Muster;Erika;01.02.1950;0;0;;;;;;;\n3;Aspirin;Schmerz;100 mg;20;1700000000;20;1;0;0;0;;\n4;Kurz;;;;;;;;;;;\n' \
    >"$tmp/erwartet.medat"

starten
cmp -s "$plan" "$tmp/vorher.medat" || fehler "the plan changed before CTRL+S"
taste ctrl+s
rest=50
until cmp -s "$plan" "$tmp/erwartet.medat" || [ $rest -eq 0 ]; do
    sleep 0.1
    rest=$((rest - 1))
done
cmp -s "$plan" "$tmp/erwartet.medat" || {
    diff "$tmp/erwartet.medat" "$plan" >&2 || true
    fehler "CTRL+S did not compact the plan"
}
beenden

echo "PASS: screenshots in $bilder"
