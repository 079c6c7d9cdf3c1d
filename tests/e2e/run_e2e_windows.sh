#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The Windows installer under Wine, as a user meets it: installed silently
# (/S) with its Start menu entry and uninstaller; the installed program,
# started from that entry on an X server, shows its window on a first start
# (screenshot, not blank) and makes its settings in %APPDATA%; CTRL+S compacts
# a plan from elsewhere, named in meddata.ini by a drive-letter path with
# backslashes; CTRL+Q ends it with exit code 0. Uninstalled silently, the
# program, its entry and its registry keys are gone, the plan and the
# settings stay.
# Usage: run_e2e_windows.sh <tablora-x.y.z-setup.exe> <folder for the screenshots>
# WINEPREFIX names the Wine prefix to install into.
set -euo pipefail
[ -n "${DISPLAY:-}" ] || exec xvfb-run -a -s "-screen 0 1280x800x24" "$0" "$@"
: "${WINEPREFIX:?WINEPREFIX must name the Wine prefix to install into}"
export WINEDEBUG=${WINEDEBUG:--all} WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=;winemenubuilder.exe=d}
installer=$(readlink -f "$1")
bilder=$(mkdir -p "$2" && cd "$2" && pwd)
tmp=$(mktemp -d)
pid=
trap '[ -z "$pid" ] || kill "$pid" 2>/dev/null; rm -rf "$tmp"' EXIT
cd "$tmp"
fehler() { echo "FAIL: $*" >&2; exit 1; }
linux_pfad() { winepath -u "$1" 2>/dev/null; }
win_variable() { wine cmd /c echo "%$1%" 2>/dev/null | tr -d '\r'; }

programme=$(linux_pfad 'C:\Program Files\Tablora')
programm_win='C:\Program Files\Tablora\tablora.exe'
eintrag_win='C:\ProgramData\Microsoft\Windows\Start Menu\Programs\Tablora.lnk'
eintrag=$(linux_pfad "$eintrag_win")
einstellungen=$(linux_pfad "$(win_variable APPDATA)\\Tablora")
oeffentlich_win=$(win_variable PUBLIC)
anderswo=$(linux_pfad "$oeffentlich_win\\anderswo")
rm -rf "$einstellungen" "$anderswo"

taste() { xdotool windowfocus --sync "$fenster" key --clearmodifiers "$1"; }
starten() {
    # What the Start menu entry starts (Wine's start command gives no exit
    # code for a shortcut), from elsewhere.
    (cd "$tmp" && exec wine "$programm_win") >"$tmp/programm.log" 2>&1 &
    pid=$!
    fenster=$(timeout 120 xdotool search --sync --onlyvisible --name '^Tablora - ' | head -n 1)
    [ -n "$fenster" ] || { cat "$tmp/programm.log" >&2; fehler "no window appeared"; }
    sleep 3 # first paint
}
beenden() {
    taste ctrl+q
    for _ in $(seq 150); do kill -0 "$pid" 2>/dev/null && sleep 0.2; done
    local code=0
    wait "$pid" || code=$?
    pid=
    [ "$code" -eq 0 ] || { cat "$tmp/programm.log" >&2; fehler "exit code $code after CTRL+Q"; }
}
bild() {
    sleep 1
    import -window root "$bilder/$1.png"
    awk -v s="$(convert "$bilder/$1.png" -format '%[fx:standard_deviation]' info:)" \
        'BEGIN { exit !(s > 0.01) }' || fehler "screenshot $1 is blank"
}

echo "== silent install"
wine "$installer" /S
wineserver -w
[ -f "$programme/tablora.exe" ] || fehler "no tablora.exe in Program Files"
[ -f "$programme/uninstall.exe" ] || fehler "no uninstaller"
[ -f "$programme/platforms/qwindows.dll" ] || fehler "no Windows platform plugin"
[ -f "$programme/data/default.medat" ] || fehler "no data folder"
[ -f "$eintrag" ] || fehler "no Start menu entry"
# Read whole first: grep -q stops early, and pipefail would count that.
ziel=$(strings "$eintrag"; strings -el "$eintrag")
grep -qiF 'Program Files\Tablora\tablora.exe' <<<"$ziel" \
    || fehler "the Start menu entry does not start $programm_win"

echo "== first start"
starten
[ -f "$einstellungen/data/meddata.ini" ] || fehler "first start made no settings in %APPDATA%\\Tablora"
bild windows_start
taste ctrl+Tab && bild windows_tab2
n=$(compare -metric AE "$bilder/windows_start.png" "$bilder/windows_tab2.png" null: 2>&1 || true)
awk -v n="$n" 'BEGIN { exit !(n + 0 > 500) }' || fehler "CTRL+TAB changed nothing"
beenden

echo "== CTRL+S on a plan from elsewhere, by a drive-letter path"
mkdir -p "$anderswo"
printf '9;Kopf;a;b\r\n7;Muster;Erika;01.02.1950;0;0;;;;;;;x;y\r\n7;Aspirin;Schmerz;100 mg;20;1700000000;20;1;0;0;0;;extra1;extra2\r\n3;Kurz\r\n' >"$anderswo/plan.medat"
cp "$anderswo/plan.medat" vorher.medat
# Backslashes as QSettings writes them: doubled.
printf '[Pfade]\r\nletzteDatei=%s\r\n' "$(printf '%s' "$oeffentlich_win\\anderswo\\plan.medat" | sed 's/\\/\\\\/g')" \
    >"$einstellungen/data/meddata.ini"
printf '1;Kopf;a;b;;;;;;;;;\n2;Muster;Erika;01.02.1950;0;0;;;;;;;\n3;Aspirin;Schmerz;100 mg;20;1700000000;20;1;0;0;0;;\n4;Kurz;;;;;;;;;;;\n' >erwartet.medat
starten
titel=$(xdotool getwindowname "$fenster")
grep -qF 'anderswo' <<<"$titel" || fehler "the plan from elsewhere did not open: $titel"
cmp -s "$anderswo/plan.medat" vorher.medat || fehler "the plan changed before CTRL+S"
taste ctrl+s
for _ in $(seq 50); do cmp -s "$anderswo/plan.medat" erwartet.medat || sleep 0.2; done
cmp "$anderswo/plan.medat" erwartet.medat || fehler "CTRL+S did not compact the plan"
bild windows_plan
beenden

echo "== silent uninstall"
wine "$programme/uninstall.exe" /S
wineserver -w # the uninstaller runs on from a copy of itself
[ ! -e "$programme" ] || fehler "the program folder is still there: $(find "$programme" | head)"
[ ! -e "$eintrag" ] || fehler "the Start menu entry is still there"
if wine reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Tablora' >/dev/null 2>&1; then
    fehler "the uninstall entry is still in the registry"
fi
cmp -s "$anderswo/plan.medat" erwartet.medat || fehler "uninstalling touched the user's plan"
[ -f "$einstellungen/data/meddata.ini" ] || fehler "uninstalling removed the settings"
echo "PASS: screenshots in $bilder"
