#include "app/mainwindow.h"

void MainWindow::hilfeanzeigen() {}
void MainWindow::aboutueber() {}
void MainWindow::Reparieren() {}
void MainWindow::RoamingLoeschen() {}
