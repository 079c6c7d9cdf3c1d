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
    // The desktop file's name, by which a Wayland desktop finds the menu
    // entry and the icon of the window.
    QGuiApplication::setDesktopFileName(QStringLiteral("page.codeberg.tablora.Tablora"));
    // The window's fixed rectangles were drawn for Arial-wide text; the wider
    // default sans fonts of many desktops would cut labels off. Liberation
    // Sans has Arial's widths; Windows has Arial itself.
    QFont schrift = QApplication::font();
    for (const char *familie : {"Liberation Sans", "Arial"}) {
        QFont f = QApplication::font();
        f.setFamily(QLatin1String(familie));
        if (QFontInfo(f).family() == QLatin1String(familie)) {
            schrift = f;
            break;
        }
    }
    QApplication::setFont(mitArabisch(schrift));
    MainWindow fenster;
    fenster.show();
    return app.exec();
}
