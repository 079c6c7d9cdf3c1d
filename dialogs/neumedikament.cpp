#include "app/mainwindow.h"

void MainWindow::butMedNeu_clicked() {}
void MainWindow::butMedEintragen_clicked() {}
