#include "app/mainwindow.h"

void MainWindow::print_regulation() {}
