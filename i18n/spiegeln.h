// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef TABLORA_SPIEGELN_H
#define TABLORA_SPIEGELN_H

class QWidget;

// The one place where the window and its dialogs are mirrored for a language
// written from right to left. Qt mirrors what it lays out itself (menus, tab
// bars, tables, group titles, line edits); the rectangles the program places
// by hand are mirrored here, each within its parent: x becomes
// parent width - x - width, an absolute left or right alignment of a label
// changes sides, and so do left and right contents margins. Runs through
// plain containers (QWidget, QGroupBox, QDialog, QMainWindow, the pages of a
// QTabWidget), never into Qt's own composite widgets or what a layout manages.
// Does nothing when `wurzel` is laid out from left to right. Call once, when
// every rectangle is set and the parents have their final widths.
void geometrieSpiegeln(QWidget *wurzel);

#endif
