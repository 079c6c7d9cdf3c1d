#include "app/mainwindow.h"

void MainWindow::Aenderung_Speichern() {}
