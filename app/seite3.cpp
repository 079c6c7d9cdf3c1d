// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/mainwindow.h"
#include "app/qtkompat.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>

namespace {

// Where the contents of a group box begin: below the title, so that the grey
// they paint never covers the lower part of a Persian title, whose letters
// reach deeper than Latin ones.
constexpr int kastenInnen = 28;

QGroupBox *blauerKasten(QWidget *eltern, const char *name, const QString &titel,
                        const QRect &rechteck, const QFont &schrift)
{
    auto *kasten = new QGroupBox(eltern);
    kasten->setObjectName(name);
    kasten->setGeometry(rechteck);
    kasten->setTitle(titel);
    kasten->setFont(schrift);
    kasten->setStyleSheet("color:rgb(0,0,200);");
    return kasten;
}

QWidget *behaelter(QWidget *eltern, const char *name, const QRect &rechteck,
                   const QString &stil = QString())
{
    auto *w = new QWidget(eltern);
    w->setObjectName(name);
    w->setGeometry(rechteck);
    if (!stil.isEmpty())
        w->setStyleSheet(stil);
    return w;
}

QLabel *feldLabel(QWidget *eltern, const QString &text, const QRect &rechteck, QWidget *feld,
                  const QString &stil = QString())
{
    auto *label = new QLabel(text, eltern);
    label->setGeometry(rechteck);
    label->setAlignment(Qt::AlignRight | Qt::AlignAbsolute | Qt::AlignVCenter);
    if (!stil.isEmpty())
        label->setStyleSheet(stil);
    label->setBuddy(feld);
    return label;
}

QLabel *hinweisLabel(QWidget *eltern, const QString &text, const QRect &rechteck)
{
    auto *label = new QLabel(text, eltern);
    label->setGeometry(rechteck);
    label->setStyleSheet("color:black;");
    label->setWordWrap(true);
    return label;
}

} // namespace

void MainWindow::SeiteDreiBauen(QWidget *seite)
{
    QFont kastenSchrift;
    kastenSchrift.setPixelSize(14);
    const QString feldStil = "background-color:white; border:1px solid gray;";

    groupMedWahl = blauerKasten(seite, "groupMedWahl", txtMedwahl, {10, 205, 1135, 350},
                                kastenSchrift);

    groupPatDaten = blauerKasten(seite, "groupPatDaten", txtPatdat, {10, 20, 370, 170},
                                 kastenSchrift);
    QWidget *patient = behaelter(groupPatDaten, "patientBehaelter", {10, kastenInnen, 355, 140},
                                 "color:black;");
    editName = new QLineEdit(patient);
    editName->setObjectName("editName");
    editVorname = new QLineEdit(patient);
    editVorname->setObjectName("editVorname");
    dateGeburt = new QDateEdit(patient);
    dateGeburt->setObjectName("dateGeburt");
    datumsFeld(dateGeburt);
    feldLabel(patient, txtName + ": ", {0, 10, 100, 20}, editName);
    feldLabel(patient, txtFirstname + ": ", {0, 40, 100, 20}, editVorname);
    feldLabel(patient, txtBirth + ": ", {0, 70, 100, 20}, dateGeburt);
    editName->setGeometry(100, 10, 200, 20);
    editVorname->setGeometry(100, 40, 200, 20);
    dateGeburt->setGeometry(100, 70, 100, 20);
    for (QWidget *w : {static_cast<QWidget *>(editName), static_cast<QWidget *>(editVorname),
                       static_cast<QWidget *>(dateGeburt)})
        w->setStyleSheet(feldStil);
    butPatSpeichern = new QPushButton(txtSavebutton, patient);
    butPatSpeichern->setObjectName("butPatSpeichern");
    butPatSpeichern->setGeometry(100, 110, 150, 20);
    connect(butPatSpeichern, &QPushButton::clicked, this, &MainWindow::PatDatenAendern);
    connect(editName, &QLineEdit::textEdited, this, &MainWindow::PatFelderMarkieren);
    connect(editVorname, &QLineEdit::textEdited, this, &MainWindow::PatFelderMarkieren);
    connect(dateGeburt, &QDateEdit::dateChanged, this, &MainWindow::PatFelderMarkieren);

    groupArztTermin = blauerKasten(seite, "groupArztTermin", txtDocterm, {400, 20, 285, 170},
                                   kastenSchrift);
    QWidget *termin = behaelter(groupArztTermin, "terminBehaelter", {10, kastenInnen, 267, 140},
                                "color:black;");
    radioNein = new QRadioButton(txtNo, termin);
    radioNein->setObjectName("radioNein");
    radioNein->setGeometry(115, 10, 50, 20);
    radioJa = new QRadioButton(txtYes, termin);
    radioJa->setObjectName("radioJa");
    radioJa->setGeometry(115, 40, 40, 20);
    connect(radioJa, &QRadioButton::toggled, this, &MainWindow::ArztRadio);
    dateArztTermin = new QDateEdit(termin);
    dateArztTermin->setObjectName("dateArztTermin");
    datumsFeld(dateArztTermin);
    dateArztTermin->setGeometry(110, 70, 100, 20);
    // The plan stores the day as signed 32-bit Unix seconds: no later day fits.
    dateArztTermin->setDateRange(QDate(1970, 1, 2), QDate(2038, 1, 18));
    dateArztTermin->setStyleSheet("background-color:white;");
    feldLabel(termin, txtTermplan + ": ", {0, 10, 110, 20}, dateArztTermin);
    butArztTermin = new QPushButton(termin);
    butArztTermin->setObjectName("butArztTermin");
    butArztTermin->setGeometry(110, 110, 150, 20);
    // Beside the switch, in the free space under its label.
    labTerminVorbei = new QLabel(termin);
    labTerminVorbei->setObjectName("labTerminVorbei");
    labTerminVorbei->setGeometry(0, 32, 105, 106);
    labTerminVorbei->setWordWrap(true);
    labTerminVorbei->setAlignment(Qt::AlignRight | Qt::AlignAbsolute | Qt::AlignVCenter);
    labTerminVorbei->setStyleSheet("color:rgb(200,0,0); font-weight:bold; font-size:11px;");
    labTerminVorbei->hide();
    PatDatenFuellen();
    connect(butArztTermin, &QPushButton::clicked, this, &MainWindow::ArztTerminMachen);
    connect(dateArztTermin, &QDateEdit::dateChanged, this, &MainWindow::PatFelderMarkieren);

    groupHinweis2 = blauerKasten(seite, "groupHinweis2", txtHints, {705, 20, 200, 170},
                                 kastenSchrift);
    hinweisLabel(groupHinweis2, txtHint2, {10, kastenInnen, 180, 140});

    groupLetzte = blauerKasten(seite, "groupLetzte", "Letzte / Last", {925, 20, 220, 170},
                               kastenSchrift);
    ListBoxDatFuellen();
    listBoxDat->setAccessibleName(txtFileList);
    // Tabbing into the list makes its first entry current, which opens nothing
    // (only a click or Return does), but no entry should look chosen before.
    listBoxDat->setCurrentIndex(QModelIndex());

    QWidget *auswahl = behaelter(groupMedWahl, "auswahlBehaelter", {12, kastenInnen, 370, 320});
    listBox = new QListWidget(auswahl);
    listBox->setObjectName("listBox");
    auto *waehler = new QLabel(txtChooser + ":", auswahl);
    waehler->setGeometry(0, 30, 95, 40);
    waehler->setAlignment(Qt::AlignRight | Qt::AlignAbsolute);
    waehler->setStyleSheet("color:black;");
    waehler->setBuddy(listBox);
    // Lists take no name from a buddy label.
    listBox->setAccessibleName(txtChooser);
    listBox->setGeometry(100, 30, 200, 127);
    listBox->setStyleSheet("background-color:white; color:black; border:1px solid gray;");
    connect(listBox, &QListWidget::currentRowChanged, this, &MainWindow::comboAuswahl);
    ListBoxFuellen();

    auto *hoch = new QToolButton(auswahl);
    hoch->setObjectName("butHoch");
    hoch->setArrowType(Qt::UpArrow);
    hoch->setGeometry(301, 30, 30, 63);
    hoch->setStyleSheet("color:black;");
    hoch->setAccessibleName(txtMoveUp);
    hoch->setToolTip(txtMoveUp);
    connect(hoch, &QToolButton::clicked, this, &MainWindow::umsortieren);
    auto *runter = new QToolButton(auswahl);
    runter->setObjectName("butRunter");
    runter->setArrowType(Qt::DownArrow);
    runter->setGeometry(301, 94, 30, 63);
    runter->setStyleSheet("color:black;");
    runter->setAccessibleName(txtMoveDown);
    runter->setToolTip(txtMoveDown);
    connect(runter, &QToolButton::clicked, this, &MainWindow::umsortieren2);

    groupHinweis1 = new QGroupBox(auswahl);
    groupHinweis1->setObjectName("groupHinweis1");
    groupHinweis1->setGeometry(10, 180, 344, 135);
    groupHinweis1->setFont(fettSchrift);
    groupHinweis1->setStyleSheet("color:black;");
    groupHinweis1->setTitle(txtHints);
    hinweisLabel(groupHinweis1, txtHint1, {10, kastenInnen, 320, 100});

    groupDosierung = new QGroupBox(groupMedWahl);
    groupDosierung->setObjectName("groupDosierung");
    groupDosierung->setGeometry(390, 20, 735, 227);
    groupDosierung->setTitle(txtMenundos);
    groupDosierung->setFont(fettSchrift);
    groupDosierung->setStyleSheet("color:rgb(0,0,0);");

    groupKnoepfe = new QGroupBox(groupMedWahl);
    groupKnoepfe->setObjectName("groupKnoepfe");
    groupKnoepfe->setGeometry(390, 265, 735, 70);
    groupKnoepfe->setStyleSheet("Color:Black");

    QWidget *formular = behaelter(groupDosierung, "formularBehaelter", {2, kastenInnen - 6, 730, 204});

    checkMed = new QCheckBox(groupDosierung);
    checkMed->setObjectName("checkMed");
    checkMed->setParent(formular);
    checkMed->setGeometry(120, 40, 105, 20);
    checkMed->setText(txtExpart);
    connect(checkMed, &QCheckBox::clicked, this, &MainWindow::beicheckMed_clicked);

    static const QRect feldRechtecke[9] = {
        {120, 20, 150, 20}, {420, 20, 300, 20}, {120, 73, 150, 20},
        {420, 73, 150, 20}, {420, 126, 150, 20}, {120, 180, 50, 20},
        {253, 180, 50, 20}, {386, 180, 50, 20}, {520, 180, 50, 20}};
    void (MainWindow::*feldSlots[9])(QString) = {
        &MainWindow::beiEingabeFarbeAendern, &MainWindow::beiBezFarbeAendern,
        &MainWindow::beiDosisFarbeAendern,   &MainWindow::beiEinheitenFarbeAendern,
        &MainWindow::beiHeuteFarbeAendern,   &MainWindow::beiMorgenFarbeAendern,
        &MainWindow::beiMittagFarbeAendern,  &MainWindow::beiAbendFarbeAendern,
        &MainWindow::beiNachtFarbeAendern};

    // The labels come first so that each can name its field; the fields follow
    // in index order, with labBestand between field 3 and field 4.
    QLabel *formLabels[10];
    const struct
    {
        QString text;
        QRect rechteck;
    } beschriftungen[10] = {
        {txtCol1 + ":", {20, 20, 95, 20}},    {txtCol2 + ":", {320, 20, 95, 20}},
        {txtDpu + ":", {20, 73, 95, 20}},     {txtUpb + ":", {310, 73, 105, 20}},
        {txtCurstate + ":", {20, 126, 95, 20}}, {txtUnit + ":", {320, 126, 95, 20}},
        {txtCol9 + ":", {65, 180, 50, 20}},   {txtCol10 + ":", {198, 180, 50, 20}},
        {txtCol11 + ":", {331, 180, 50, 20}}, {txtCol12 + ":", {465, 180, 50, 20}}};
    for (int i = 0; i < 10; ++i)
        formLabels[i] = feldLabel(formular, beschriftungen[i].text, beschriftungen[i].rechteck,
                                  nullptr, "Color:Black");

    for (int i = 0; i < 9; ++i) {
        if (i == 4) {
            labBestand = new QLabel(formular);
            labBestand->setObjectName("labBestand");
            labBestand->setGeometry(120, 126, 150, 20);
            labBestand->setFont(fettSchrift);
        }
        eingabeFelder[i] = new QLineEdit(formular);
        eingabeFelder[i]->setObjectName(QString("eingabeFelder%1").arg(i));
        eingabeFelder[i]->setGeometry(feldRechtecke[i]);
        eingabeFelder[i]->setStyleSheet(QString("background-color:") + "White" + ";");
        connect(eingabeFelder[i], &QLineEdit::textEdited, this, feldSlots[i]);
    }
    // Label order: col1, col2, dpu, upb, curstate, unit, col9..col12.
    QWidget *buddies[10] = {eingabeFelder[0], eingabeFelder[1], eingabeFelder[2],
                            eingabeFelder[3], labBestand,       eingabeFelder[4],
                            eingabeFelder[5], eingabeFelder[6], eingabeFelder[7],
                            eingabeFelder[8]};
    for (int i = 0; i < 10; ++i)
        formLabels[i]->setBuddy(buddies[i]);

    auto knopf = [this](const char *name, const QString &text, int x) {
        auto *b = new QPushButton(text, groupKnoepfe);
        b->setObjectName(name);
        b->setGeometry(x, 15, 165, 40);
        return b;
    };
    QPushButton *butMedNeu = knopf("butMedNeu", txtNewmed, 15);
    QPushButton *butApotheke = knopf("butApotheke", txtApo, 195);
    butAenderungSpeichern = knopf("butAenderungSpeichern", txtSach, 375);
    butAenderungSpeichern->setEnabled(false);
    butAenderungSpeichern->setStyleSheet("color:gray;");
    QPushButton *butEntfernen = knopf("butEntfernen", txtDelmed, 555);
    butEntfernen->setStyleSheet("color:rgb(250,0,0)");
    connect(butMedNeu, &QPushButton::clicked, this, &MainWindow::butMedNeu_clicked);
    connect(butApotheke, &QPushButton::clicked, this, &MainWindow::butApotheke_clicked);
    connect(butAenderungSpeichern, &QPushButton::clicked, this,
            &MainWindow::Aenderung_Speichern);
    connect(butEntfernen, &QPushButton::clicked, this, &MainWindow::butEntfernen_clicked);

    FormularFreigeben();

    // Tab order follows the reading order of the page.
    QList<QWidget *> reihenfolge = {editName, editVorname, dateGeburt, butPatSpeichern,
                                    radioNein, radioJa, dateArztTermin, butArztTermin};
    reihenfolge << listBoxDat;
    reihenfolge << listBox << hoch << runter << eingabeFelder[0] << eingabeFelder[1] << checkMed;
    for (int i = 2; i < 9; ++i)
        reihenfolge << eingabeFelder[i];
    reihenfolge << butMedNeu << butApotheke << butAenderungSpeichern << butEntfernen;
    for (int i = 1; i < reihenfolge.size(); ++i)
        setTabOrder(reihenfolge.at(i - 1), reihenfolge.at(i));
}
