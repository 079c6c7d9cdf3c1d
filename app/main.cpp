// SPDX-License-Identifier: GPL-3.0-or-later
#include <QApplication>
#include <QFontInfo>

#include "app/mainwindow.h"
#include "app/qtkompat.h"
#include "i18n/schrift.h"

int main(int argc, char *argv[])
{
    // Keep the 1200 x 700 logical size and sharp text on high-density screens.
    hochDpiEinstellen();
    QApplication app(argc, argv);
    // The window's fixed rectangles were drawn for Arial-wide text; the wider
    // default sans fonts of many desktops would cut labels off.
    QFont schrift = QApplication::font();
    schrift.setFamily("Liberation Sans");
    if (QFontInfo(schrift).family() != QLatin1String("Liberation Sans"))
        schrift = QApplication::font();
    QApplication::setFont(mitArabisch(schrift));
    MainWindow fenster;
    fenster.show();
    return app.exec();
}
