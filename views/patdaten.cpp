#include "app/mainwindow.h"

void MainWindow::PatDatenFuellen() {}
void MainWindow::PatDatenAendern() {}
void MainWindow::ArztRadio(bool) {}
void MainWindow::ArztTerminMachen() {}
