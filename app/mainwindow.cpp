// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/mainwindow.h"
#include "app/plattform.h"
#include "app/qtkompat.h"
#include "planfile/sicherschreiben.h"
#include "i18n/sprachform.h"
#include "i18n/spiegeln.h"

#include <QActionGroup>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QTableWidget>

MainWindow::MainWindow(QWidget *parent)
    : QMainWindow(parent)
{
    setFixedWidth(1200);
    setFixedHeight(700);

    heute = QDate::currentDate();
    jetzt = QDateTime::currentDateTime();

    const QString einstellungen = einstellungsVerzeichnis();
    const QString programmDaten = QCoreApplication::applicationDirPath() + "/data/";
    standardPlan = programmDaten + "default.medat";
    musterPlan = programmDaten + "muster.medat";
    dokument.setzeVorlagen({standardPlan, musterPlan});
    connect(&dokument, &PlanDokument::geaendert, this, &MainWindow::PlanAuffrischen);
    dokument.setzeOhneUndoFrage([this](const QString &ordner, const QString &grund) {
        QMessageBox box(this);
        box.setIcon(QMessageBox::Warning);
        box.setText(txtVerFrage + "\n\n" + ordner + "\n" + grund);
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::Cancel);
        box.setDefaultButton(QMessageBox::Cancel);
        box.button(QMessageBox::Yes)->setText(txtOhneUndo);
        box.button(QMessageBox::Cancel)->setText(txtAbort);
        return box.exec() == QMessageBox::Yes;
    });

    if (!gibtEs(einstellungen)) {
        // First run: the folder may lack parents on a fresh account, and the
        // sources lie beside the program, not in the working directory.
        QDir::root().mkpath(einstellungen + "/data");
        for (const char *name : {"language.ini", "lang_de.ini", "lang_en.ini", "lang_pers.ini",
                                 "meddata.ini", "Tablora_Anleitung.pdf"}) {
            QFile::copy(programmDaten + name, einstellungen + "/data/" + name);
        }
        QSettings pfade(einstellungen + "/data/meddata.ini", QSettings::IniFormat);
        iniUtf8(pfade);
        pfade.beginGroup("Pfade");
        pfade.setValue("letzteDatei", standardPlan);
        pfade.endGroup();
    }
    // The settings name the plan's path: the user's alone, also when an
    // earlier version left them readable by others.
    einstellungenSchuetzen(einstellungen);

    datenPfad = einstellungen + "/data/";

    QString sprache;
    {
        QSettings sprachDatei(datenPfad + "language.ini", QSettings::IniFormat);
        iniUtf8(sprachDatei);
        sprachDatei.beginGroup("Language");
        sprache = sprachDatei.value("set_lang").toString();
        sprachDatei.endGroup();
    }
    BeschriftungAuslesen(sprache);
    SpracheAnwenden();
    // After the language's font is set.
    fettSchrift = normalSchrift = kursivSchrift = QFont();
    fettSchrift.setWeight(QFont::Bold);
    normalSchrift.setWeight(QFont::Normal);
    kursivSchrift.setStyle(QFont::StyleItalic);

    QString letzteDatei;
    {
        QSettings pfade(datenPfad + "meddata.ini", QSettings::IniFormat);
        iniUtf8(pfade);
        pfade.beginGroup("Pfade");
        letzteDatei = pfade.value("letzteDatei").toString();
        pfade.endGroup();
    }
    const QString dokumente = dokumenteOrdner();
    if (QFileInfo(letzteDatei).isFile()) {
        aktuelleDatei = letzteDatei;
        dokumentePfad = letzteDatei == standardPlan ? dokumente : letzteDatei;
    } else {
        Hinweis(txtNoDat);
        aktuelleDatei = standardPlan;
        dokumentePfad = dokumente;
    }
    setzeFensterTitel();

    MenueBauen(sprache);

    spaltenUebersicht = QStringList{txtCol1, txtCol2, txtCol4, txtCol5, txtCol6};
    spaltenVerordnungsplan = QStringList{txtCol1, txtCol8, txtCol9, txtCol10, txtCol11, txtCol12};

    tabReiter = new MyTabWidget();
    tabReiter->setParent(this);
    tabReiter->setObjectName("tabReiter");
    tabReiter->setGeometry(20, 95, 1160, 590);
    tabReiter->setStyleSheet("background-color:rgb(240,240,240)");
    QWidget *seite1 = new QWidget();
    QWidget *seite2 = new QWidget();
    QWidget *seite3 = new QWidget();
    seite1->setObjectName("seite1");
    seite2->setObjectName("seite2");
    seite3->setObjectName("seite3");
    tabReiter->addTab(seite1, txtTab1);
    tabReiter->addTab(seite2, txtTab2);
    tabReiter->addTab(seite3, txtTab3);
    connect(tabReiter, &QTabWidget::currentChanged, this, &MainWindow::comboAuswahl);

    DatenEinlesen(aktuelleDatei);

    tabelleUebersicht = new QTableWidget(seite1);
    tabelleUebersicht->setObjectName("tabelleUebersicht");
    tabelleUebersicht->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tabelleUebersicht->setColumnCount(5);
    tabelleUebersicht->setGeometry(0, 30, 1155, 534);
    // One sheet for the table and its bars: a sheet of each bar's own would
    // be parsed again for every bar of every refill.
    tabelleUebersicht->setStyleSheet(
        "* { border:none } QProgressBar::chunk { background:rgb(220,220,255); }");
    tabelleUebersicht->setAccessibleName(txtTab1);
    // Tab and Ctrl+Tab leave the read-only tables; the arrow keys move inside.
    tabelleUebersicht->setTabKeyNavigation(false);
    tabelleUebersicht->setHorizontalHeaderLabels(spaltenUebersicht);
    tabelleUebersicht->setColumnWidth(0, 220);
    tabelleUebersicht->horizontalHeader()->setSectionResizeMode(1, QHeaderView::Stretch);
    tabelleUebersicht->setColumnWidth(2, 120);
    tabelleUebersicht->setColumnWidth(3, 270);
    tabelleUebersicht->setColumnWidth(4, 120);
    UebersichtFuellen();
    connect(tabelleUebersicht, &QTableWidget::cellDoubleClicked, this, &MainWindow::comboAuswahl);

    QFont patientSchrift;
    patientSchrift.setPixelSize(14);
    labPatient = new QLabel(this);
    labPatient->setObjectName("labPatient");
    labPatient->setFont(patientSchrift);
    labPatient->setGeometry(40, 45, 1120, 30);
    labPatient->setStyleSheet("background-color:white; border:1px solid gray;");
    // Absolute: Persian text would otherwise flip to the other side, under labDatum.
    labPatient->setAlignment(Qt::AlignLeft | Qt::AlignAbsolute | Qt::AlignVCenter);

    labDatum = new QLabel(this);
    labDatum->setObjectName("labDatum");
    QFont datumSchrift = labDatum->font();
    datumSchrift.setPixelSize(12);
    labDatum->setFont(datumSchrift);
    // As wide as its text, so that a long patient line stays readable beside it.
    labDatum->setGeometry(900, 46, 259, 28);
    labDatum->setStyleSheet("background-color:white");
    labDatum->setAlignment(Qt::AlignRight | Qt::AlignAbsolute | Qt::AlignVCenter);
    // The trailing blanks keep German text off the border, but a right-to-left
    // line moves them to its left end.
    labDatum->setContentsMargins(0, 0, 6, 0);

    jetztText = zeitpunktText(jetzt);

    tabelleVerordnungsplan = new QTableWidget(seite2);
    tabelleVerordnungsplan->setObjectName("tabelleVerordnungsplan");
    tabelleVerordnungsplan->setColumnCount(6);
    tabelleVerordnungsplan->setGeometry(0, 30, 1155, 534);
    tabelleVerordnungsplan->setStyleSheet("border:none");
    tabelleVerordnungsplan->setAccessibleName(txtTab2);
    tabelleVerordnungsplan->setTabKeyNavigation(false);
    tabelleVerordnungsplan->setColumnWidth(0, 220);
    tabelleVerordnungsplan->horizontalHeader()->setSectionResizeMode(1, QHeaderView::Stretch);
    for (int spalte = 2; spalte < 6; ++spalte)
        tabelleVerordnungsplan->setColumnWidth(spalte, 150);
    tabelleVerordnungsplan->setEditTriggers(QAbstractItemView::NoEditTriggers);
    VerordnungsplanFuellen();

    SeiteDreiBauen(seite3);
    UnlesbaresMelden();
}

MainWindow::~MainWindow() = default;

void MainWindow::showEvent(QShowEvent *ereignis)
{
    QMainWindow::showEvent(ereignis);
    // Only now do the pages have the widths their rectangles are mirrored in.
    if (!gespiegelt) {
        gespiegelt = true;
        geometrieSpiegeln(this);
    }
}

void MainWindow::MenueBauen(const QString &sprache)
{
    auto *sprachGruppe = new QActionGroup(this);
    auto *leiste = new QMenuBar(this);
    leiste->setObjectName("menuBar");

    auto eintrag = [](QMenu *menue, const QString &name, const QString &text,
                          const char *kurz = nullptr) {
        QAction *aktion = menue->addAction(text);
        aktion->setObjectName(name);
        if (kurz)
            aktion->setShortcut(QKeySequence(MainWindow::tr(kurz)));
        return aktion;
    };

    QMenu *datei = leiste->addMenu(txtMenu1);
    datei->setObjectName("menu1");
    connect(eintrag(datei, "menu11", txtMenu11, "CTRL+N"), &QAction::triggered, this,
            &MainWindow::DateiNeu);
    connect(eintrag(datei, "menu12", txtMenu12, "CTRL+O"), &QAction::triggered, this,
            &MainWindow::Datei_Oeffnen);
    if (!istVorlage(aktuelleDatei)) {
        connect(eintrag(datei, "menu13", txtMenu13, "CTRL+S"), &QAction::triggered, this,
                &MainWindow::DateiAufraeumen);
    }
    connect(eintrag(datei, "menu14", txtMenu14, "SHIFT+CTRL+S"), &QAction::triggered, this,
            &MainWindow::Datei_Speichern_unter);
    datei->addSeparator();
    connect(eintrag(datei, "menu16", txtMenu16, "CTRL+E"), &QAction::triggered, this,
            &MainWindow::ErinnerungenExportieren);
    connect(eintrag(datei, "menu17", txtMenu17), &QAction::triggered, this,
            &MainWindow::TabelleExportieren);
#ifdef TABLORA_BARCODE
    connect(eintrag(datei, "menu18", txtMenu18), &QAction::triggered, this,
            &MainWindow::BmpImportieren);
#endif
    datei->addSeparator();
    connect(eintrag(datei, "menu15", txtMenu15, "CTRL+Q"), &QAction::triggered, this,
            &QWidget::close);

    BearbeitenMenueBauen(leiste);

    QMenu *pdf = leiste->addMenu(txtMenu2);
    pdf->setObjectName("menu2");
    connect(eintrag(pdf, "menu21", txtMenu21), &QAction::triggered, this,
            &MainWindow::print_medlist);
    connect(eintrag(pdf, "menu22", txtMenu22), &QAction::triggered, this,
            &MainWindow::print_regulation);
#ifdef TABLORA_BARCODE
    connect(eintrag(pdf, "menu23", txtMenu23), &QAction::triggered, this, &MainWindow::print_bmp);
#endif

    sprachGruppe->setExclusive(true);
    QMenu *sprachen = leiste->addMenu(txtMenu3);
    sprachen->setObjectName("menu3");
    auto sprachEintrag = [&](const QString &name, const QString &text, const char *code) {
        QAction *aktion = eintrag(sprachen, name, text);
        aktion->setCheckable(true);
        aktion->setChecked(sprache == QLatin1String(code));
        sprachGruppe->addAction(aktion);
        return aktion;
    };
    connect(sprachEintrag("menu31", txtMenu31, "de"), &QAction::triggered, this,
            &MainWindow::lang_change_deu);
    connect(sprachEintrag("menu32", txtMenu32, "en"), &QAction::triggered, this,
            &MainWindow::lang_change_eng);
    sprachen->addSeparator();
    connect(sprachEintrag("menu33", txtMenu33, "pers"), &QAction::triggered, this,
            &MainWindow::lang_change_pers);

    QMenu *hilfe = leiste->addMenu(txtMenu4);
    hilfe->setObjectName("menu4");
    connect(eintrag(hilfe, "menu41", txtMenu41), &QAction::triggered, this,
            &MainWindow::hilfeanzeigen);
    connect(eintrag(hilfe, "menu43", txtMenu43), &QAction::triggered, this,
            &MainWindow::Reparieren);
    connect(eintrag(hilfe, "menu42", txtMenu42), &QAction::triggered, this,
            &MainWindow::aboutueber);

    setMenuBar(leiste);
}

bool MainWindow::istVorlage(const QString &pfad) const
{
    return pfad == standardPlan || pfad == musterPlan;
}

// The same file however its path is spelled (relative, "..", a link).
bool MainWindow::istVorlagenDatei(const QString &pfad) const
{
    return dokument.istVorlage(pfad);
}

void MainWindow::setzeFensterTitel()
{
    setWindowTitle(programmTitel + " - " + aktuelleDatei);
}

void MainWindow::Hinweis(const QString &text, bool warnung)
{
    QMessageBox box;
    box.setIcon(warnung ? QMessageBox::Warning : QMessageBox::Information);
    box.setText(text);
    box.exec();
}

QString MainWindow::einstellungsVerzeichnis()
{
    const QSettings einstellungen(QSettings::IniFormat, QSettings::UserScope, "Tablora",
                                  "application");
    return QFileInfo(einstellungen.fileName()).absolutePath();
}
