#include "app/mainwindow.h"

void MainWindow::butEntfernen_clicked() {}
void MainWindow::DatensatzLoeschen() {}
