// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef TABLORA_BARRIEREFREI_H
#define TABLORA_BARRIEREFREI_H

#include <QString>
#include <QStringList>

class QMenuBar;
class QWidget;

// What a screen reader meets in one top-level widget (window or dialog),
// walked through Qt's accessibility interfaces: one line for each interactive
// control without a name and, unless `sprache` is "de", one for each shown text
// (name, description, window title) that is German wording of the language
// files where the language `sprache` words it differently.
QStringList zugangsMaengel(QWidget *oben, const QString &sprache);

// Every menu of the bar and every entry of each menu needs a mnemonic, and no
// two titles of the bar nor two entries of one menu may share one.
QStringList kuerzelMaengel(QMenuBar *leiste);

#endif
