#include "app/mainwindow.h"

void MainWindow::butApotheke_clicked() {}
void MainWindow::butApoEintrag_clicked() {}
