#include <QApplication>

#include "app/mainwindow.h"

int main(int argc, char *argv[])
{
    // Keep the 1200 x 700 logical size and sharp text on high-density screens.
    QCoreApplication::setAttribute(Qt::AA_EnableHighDpiScaling);
    QCoreApplication::setAttribute(Qt::AA_UseHighDpiPixmaps);
    QApplication app(argc, argv);
    MainWindow fenster;
    fenster.show();
    return app.exec();
}
