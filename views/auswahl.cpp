#include "app/mainwindow.h"

void MainWindow::comboAuswahl(int) {}
void MainWindow::FelderZuruecksetzen() {}
void MainWindow::beiNachtFarbeAendern(QString) {}
void MainWindow::beiAbendFarbeAendern(QString) {}
void MainWindow::beiMittagFarbeAendern(QString) {}
void MainWindow::beiMorgenFarbeAendern(QString) {}
void MainWindow::beiHeuteFarbeAendern(QString) {}
void MainWindow::beiEinheitenFarbeAendern(QString) {}
void MainWindow::beiDosisFarbeAendern(QString) {}
void MainWindow::beiBezFarbeAendern(QString) {}
void MainWindow::beiEingabeFarbeAendern(QString) {}
void MainWindow::beicheckMed_clicked() {}
void MainWindow::umsortieren() {}
void MainWindow::umsortieren2() {}
