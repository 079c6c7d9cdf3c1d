// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef TABLORA_SICHERSCHREIBEN_H
#define TABLORA_SICHERSCHREIBEN_H

#include <QByteArray>
#include <QString>

// Writes `inhalt` to a temporary file beside `pfad` and renames it over `pfad`:
// the file holds either its old or its new bytes, never a mix. On failure the
// reason goes to `fehler` (when given). An existing file keeps its
// permissions; a new one is the user's alone (0600): a plan is health data.
bool sicherSchreiben(const QString &pfad, const QByteArray &inhalt, QString *fehler = nullptr);

// The same for a file made from the plan `vorbild` (an export, a PDF): it
// gets no wider permissions than the plan, nor than it had before.
bool sicherSchreibenWie(const QString &pfad, const QByteArray &inhalt, const QString &vorbild,
                        QString *fehler = nullptr);

// The permission bits a file made from the plan at `vorbild` may have: the
// plan's read and write bits, 0600 when the plan cannot be looked at.
int planRechte(const QString &vorbild);

// The settings folder and its data/ for the user alone: the folders 0700 and
// the regular files of the user's in them 0600, also when an earlier version
// left them open to others. Links are not followed. Does nothing on Windows,
// where the folder lies in the user's own profile.
void einstellungenSchuetzen(const QString &ordner);

#endif
