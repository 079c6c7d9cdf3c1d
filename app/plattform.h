// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef TABLORA_PLATTFORM_H
#define TABLORA_PLATTFORM_H

// The few places where Windows and Linux keep things differently; no window
// code here.

#include <QString>

// The user's documents folder, where plans are proposed and rescued: on
// Windows the folder the system reports as Documents (it may be moved, to
// another drive or a synced folder), elsewhere ~/Documents.
QString dokumenteOrdner();

// Whether something (a file, a folder, what a link points to) exists at
// `pfad`, for any characters in the path.
bool gibtEs(const QString &pfad);

#endif
