// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/mainwindow.h"
#include "app/qtkompat.h"
#include "i18n/sprachform.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QRegularExpression>
#include <QGuiApplication>
#include <QSettings>
#include <QTranslator>

void MainWindow::BeschriftungAuslesen(QString sprache)
{
    struct Schluessel
    {
        const char *gruppe;
        const char *name;
        QString MainWindow::*ziel;
    };
    static const Schluessel tabelle[] = {
        {"Title", "title", &MainWindow::programmTitel},
        {"Menubar", "menu1", &MainWindow::txtMenu1},
        {"Menubar", "menu11", &MainWindow::txtMenu11},
        {"Menubar", "menu12", &MainWindow::txtMenu12},
        {"Menubar", "menu13", &MainWindow::txtMenu13},
        {"Menubar", "menu14", &MainWindow::txtMenu14},
        {"Menubar", "menu15", &MainWindow::txtMenu15},
        {"Menubar", "menu2", &MainWindow::txtMenu2},
        {"Menubar", "menu21", &MainWindow::txtMenu21},
        {"Menubar", "menu22", &MainWindow::txtMenu22},
        {"Menubar", "menu3", &MainWindow::txtMenu3},
        {"Menubar", "menu31", &MainWindow::txtMenu31},
        {"Menubar", "menu32", &MainWindow::txtMenu32},
        {"Menubar", "menu33", &MainWindow::txtMenu33},
        {"Menubar", "menu4", &MainWindow::txtMenu4},
        {"Menubar", "menu41", &MainWindow::txtMenu41},
        {"Menubar", "menu42", &MainWindow::txtMenu42},
        {"Menubar", "menu43", &MainWindow::txtMenu43},
        {"Menubar", "menu16", &MainWindow::txtMenu16},
        {"Menubar", "menu17", &MainWindow::txtMenu17},
        {"Menubar", "menu5", &MainWindow::txtMenu5},
        {"Menubar", "menu51", &MainWindow::txtMenu51},
        {"Menubar", "menu52", &MainWindow::txtMenu52},
        {"Menubar", "menu53", &MainWindow::txtMenu53},
        {"Menubar", "menu18", &MainWindow::txtMenu18},
        {"Menubar", "menu23", &MainWindow::txtMenu23},
        {"Labels", "col1", &MainWindow::txtCol1},
        {"Labels", "col2", &MainWindow::txtCol2},
        {"Labels", "col4", &MainWindow::txtCol4},
        {"Labels", "col5", &MainWindow::txtCol5},
        {"Labels", "col6", &MainWindow::txtCol6},
        {"Labels", "col8", &MainWindow::txtCol8},
        {"Labels", "col9", &MainWindow::txtCol9},
        {"Labels", "col10", &MainWindow::txtCol10},
        {"Labels", "col11", &MainWindow::txtCol11},
        {"Labels", "col12", &MainWindow::txtCol12},
        {"Labels", "weekse", &MainWindow::txtWeekse},
        {"Labels", "reicht", &MainWindow::txtReicht},
        {"Labels", "reicht2", &MainWindow::txtReicht2},
        {"Labels", "reicht3", &MainWindow::txtReicht3},
        {"Labels", "leer", &MainWindow::txtLeer},
        {"Labels", "warnweeks", &MainWindow::txtWarnWeeks},
        {"Labels", "warnterm", &MainWindow::txtWarnTerm},
        {"Tabs", "tab1", &MainWindow::txtTab1},
        {"Tabs", "tab2", &MainWindow::txtTab2},
        {"Tabs", "tab3", &MainWindow::txtTab3},
        {"Groupboxen", "medwahl", &MainWindow::txtMedwahl},
        {"Groupboxen", "patdat", &MainWindow::txtPatdat},
        {"Groupboxen", "name", &MainWindow::txtName},
        {"Groupboxen", "firstname", &MainWindow::txtFirstname},
        {"Groupboxen", "birth", &MainWindow::txtBirth},
        {"Groupboxen", "savebutton", &MainWindow::txtSavebutton},
        {"Groupboxen", "docterm", &MainWindow::txtDocterm},
        {"Groupboxen", "termplan", &MainWindow::txtTermplan},
        {"Groupboxen", "yes", &MainWindow::txtYes},
        {"Groupboxen", "no", &MainWindow::txtNo},
        {"Groupboxen", "hints", &MainWindow::txtHints},
        {"Groupboxen", "savedbutton", &MainWindow::txtSavedbutton},
        {"Groupboxen", "chooser", &MainWindow::txtChooser},
        {"Groupboxen", "dpu", &MainWindow::txtDpu},
        {"Groupboxen", "upb", &MainWindow::txtUpb},
        {"Groupboxen", "curstate", &MainWindow::txtCurstate},
        {"Groupboxen", "unit", &MainWindow::txtUnit},
        {"Groupboxen", "expart", &MainWindow::txtExpart},
        {"Groupboxen", "menundos", &MainWindow::txtMenundos},
        {"Groupboxen", "newmed", &MainWindow::txtNewmed},
        {"Groupboxen", "apo", &MainWindow::txtApo},
        {"Groupboxen", "sach", &MainWindow::txtSach},
        {"Groupboxen", "delmed", &MainWindow::txtDelmed},
        {"Groupboxen", "moveup", &MainWindow::txtMoveUp},
        {"Groupboxen", "movedown", &MainWindow::txtMoveDown},
        {"Groupboxen", "filelist", &MainWindow::txtFileList},
        {"Dialogs", "openf", &MainWindow::txtOpenf},
        {"Dialogs", "saved", &MainWindow::txtSaved},
        {"Dialogs", "planfilter", &MainWindow::txtPlanFilter},
        {"Dialogs", "planname", &MainWindow::txtPlanName},
        {"Dialogs", "pdfsave", &MainWindow::txtPdfSave},
        {"NewMedWin", "title", &MainWindow::txtNeuTitle},
        {"NewMedWin", "field1", &MainWindow::txtField1},
        {"NewMedWin", "firsttake", &MainWindow::txtFirsttake},
        {"NewMedWin", "halftext", &MainWindow::txtHalftext},
        {"NewMedWin", "enter", &MainWindow::txtEnter},
        {"NewMedWin", "abort", &MainWindow::txtAbort},
        {"MessageBoxes", "noDat", &MainWindow::txtNoDat},
        {"MessageBoxes", "lafi", &MainWindow::txtLafi},
        {"MessageBoxes", "newstart", &MainWindow::txtNewstart},
        {"MessageBoxes", "toolong", &MainWindow::txtTooLong},
        {"MessageBoxes", "writeerr", &MainWindow::txtWriteErr},
        {"MessageBoxes", "medfull", &MainWindow::txtMedFull},
        {"MessageBoxes", "pdferr", &MainWindow::txtPdfErr},
        {"MessageBoxes", "zahlfalsch", &MainWindow::txtZahlFalsch},
        {"MessageBoxes", "nameleer", &MainWindow::txtNameLeer},
        {"MessageBoxes", "unlesbar", &MainWindow::txtUnlesbar},
        {"MessageBoxes", "verreload", &MainWindow::txtVerReload},
        {"MessageBoxes", "vergone", &MainWindow::txtVerGone},
        {"MessageBoxes", "vererr", &MainWindow::txtVerErr},
        {"MessageBoxes", "restoreerr", &MainWindow::txtVerRestoreErr},
        {"MessageBoxes", "vergeloescht", &MainWindow::txtVerGeloescht},
        {"MessageBoxes", "vermuell", &MainWindow::txtVerMuell},
        {"MessageBoxes", "verfrage", &MainWindow::txtVerFrage},
        {"MessageBoxes", "ohneundo", &MainWindow::txtOhneUndo},
        {"MessageBoxes", "offen", &MainWindow::txtOffen},
        {"MessageBoxes", "offenspeichern", &MainWindow::txtOffenSpeichern},
        {"MessageBoxes", "offenverwerfen", &MainWindow::txtOffenVerwerfen},
        {"MessageBoxes", "exportplan", &MainWindow::txtExportPlan},
        {"MessageBoxes", "verfallback", &MainWindow::txtVerFallback},
        {"MessageBoxes", "toobig", &MainWindow::txtTooBig},
        {"MessageBoxes", "langerr", &MainWindow::txtLangErr},
        {"MessageBoxes", "gebzukunft", &MainWindow::txtGebZukunft},
        {"infohints", "hint1", &MainWindow::txtHint1},
        {"infohints", "hint2", &MainWindow::txtHint2},
        {"sonst", "pats", &MainWindow::txtPats},
        {"sonst", "patgeb", &MainWindow::txtPatgeb},
        {"sonst", "created", &MainWindow::txtCreated},
        {"sonst", "clock", &MainWindow::txtClock},
        {"sonst", "pdfml", &MainWindow::txtPdfml},
        {"sonst", "mit", &MainWindow::txtMit},
        {"sonst", "loeschmed1", &MainWindow::txtLoeschmed1},
        {"sonst", "loeschmed2", &MainWindow::txtLoeschmed2},
        {"sonst", "terminvorbei", &MainWindow::txtTerminVorbei},
        {"sonst", "seite", &MainWindow::txtSeite},
        {"reparieren", "labelRep1", &MainWindow::txtLabelRep1},
        {"reparieren", "labelRep2", &MainWindow::txtLabelRep2},
        {"reparieren", "butRep1", &MainWindow::txtButRep1},
        {"reparieren", "butRep2", &MainWindow::txtButRep2},
        {"Export", "reorder", &MainWindow::txtNachbestellen},
        {"Export", "appointment", &MainWindow::txtTermin},
        {"Export", "shortlist", &MainWindow::txtKnapp},
        {"Export", "allenough", &MainWindow::txtAlleReichen},
        {"Export", "packs", &MainWindow::txtPackungen},
        {"Export", "planfile", &MainWindow::txtPlanDatei},
        {"Export", "exporterr", &MainWindow::txtExportErr},
        {"History", "title", &MainWindow::txtHisTitle},
        {"History", "list", &MainWindow::txtHisList},
        {"History", "time", &MainWindow::txtHisTime},
        {"History", "change", &MainWindow::txtHisChange},
        {"History", "restore", &MainWindow::txtHisRestore},
        {"History", "close", &MainWindow::txtHisClose},
        {"History", "empty", &MainWindow::txtHisEmpty},
        {"History", "stock", &MainWindow::txtHisStock},
        {"History", "added", &MainWindow::txtHisAdded},
        {"History", "removed", &MainWindow::txtHisRemoved},
        {"History", "changed", &MainWindow::txtHisChanged},
        {"History", "order", &MainWindow::txtHisOrder},
        {"History", "patient", &MainWindow::txtHisPatient},
        {"History", "appt", &MainWindow::txtHisAppt},
        {"History", "noappt", &MainWindow::txtHisNoAppt},
        {"History", "same", &MainWindow::txtHisSame},
        {"History", "other", &MainWindow::txtHisOther},
        {"Apotheke", "title", &MainWindow::txtApoTitle},
        {"Apotheke", "geholt", &MainWindow::txtApoGeholt},
        {"Apotheke", "stand", &MainWindow::txtApoStand},
        {"Apotheke", "packungen", &MainWindow::txtApoPackungen},
        {"Apotheke", "je", &MainWindow::txtApoJe},
        {"Apotheke", "einheiten", &MainWindow::txtApoEinheiten},
        {"Apotheke", "knopf", &MainWindow::txtApoKnopf},
        {"BMP", "opentitle", &MainWindow::txtBmpOpentitle},
        {"BMP", "filter", &MainWindow::txtBmpFilter},
        {"BMP", "title", &MainWindow::txtBmpTitle},
        {"BMP", "intro", &MainWindow::txtBmpIntro},
        {"BMP", "list", &MainWindow::txtBmpList},
        {"BMP", "grund", &MainWindow::txtBmpGrund},
        {"BMP", "hinweis", &MainWindow::txtBmpHinweis},
        {"BMP", "abschnitt", &MainWindow::txtBmpAbschnitt},
        {"BMP", "aktion", &MainWindow::txtBmpAktion},
        {"BMP", "neu", &MainWindow::txtBmpNeu},
        {"BMP", "update", &MainWindow::txtBmpUpdate},
        {"BMP", "gleich", &MainWindow::txtBmpGleich},
        {"BMP", "dosen", &MainWindow::txtBmpDosen},
        {"BMP", "voll", &MainWindow::txtBmpVoll},
        {"BMP", "patneu", &MainWindow::txtBmpPatneu},
        {"BMP", "patanders", &MainWindow::txtBmpPatanders},
        {"BMP", "seitenfehlen", &MainWindow::txtBmpSeitenfehlen},
        {"BMP", "notizen", &MainWindow::txtBmpNotizen},
        {"BMP", "ok", &MainWindow::txtBmpOk},
        {"BMP", "nocode", &MainWindow::txtBmpNocode},
        {"BMP", "notplan", &MainWindow::txtBmpNotplan},
        {"BMP", "badcode", &MainWindow::txtBmpBadcode},
        {"BMP", "version", &MainWindow::txtBmpVersion},
        {"BMP", "mixed", &MainWindow::txtBmpMixed},
        {"BMP", "noimage", &MainWindow::txtBmpNoimage},
        {"BMP", "toobig", &MainWindow::txtBmpToobig},
        {"BMP", "empty", &MainWindow::txtBmpEmpty},
        {"BMP", "readerr", &MainWindow::txtBmpReaderr},
        {"BMP", "pzn", &MainWindow::txtBmpPzn},
        {"BMP", "gtin", &MainWindow::txtBmpGtin},
        {"BMP", "pharmacode", &MainWindow::txtBmpPharmacode},
        {"BMP", "druck", &MainWindow::txtBmpDruck},
        {"BMP", "seite", &MainWindow::txtBmpSeite},
        {"BMP", "fuer", &MainWindow::txtBmpFuer},
        {"BMP", "geb", &MainWindow::txtBmpGeb},
        {"BMP", "von", &MainWindow::txtBmpVon},
        {"BMP", "am", &MainWindow::txtBmpAm},
        {"BMP", "wirkstoff", &MainWindow::txtBmpWirkstoff},
        {"BMP", "handelsname", &MainWindow::txtBmpHandelsname},
        {"BMP", "staerke", &MainWindow::txtBmpStaerke},
        {"BMP", "form", &MainWindow::txtBmpForm},
        {"BMP", "morgens", &MainWindow::txtBmpMorgens},
        {"BMP", "mittags", &MainWindow::txtBmpMittags},
        {"BMP", "abends", &MainWindow::txtBmpAbends},
        {"BMP", "nacht", &MainWindow::txtBmpNacht},
        {"BMP", "einheit", &MainWindow::txtBmpEinheit},
        {"BMP", "hinweise", &MainWindow::txtBmpHinweise},
        {"BMP", "bedarf", &MainWindow::txtBmpBedarf},
        {"BMP", "kopie", &MainWindow::txtBmpKopie},
    };

    sprachformSetzen(sprache);
    // The user's file may come from an earlier version (without the newer
    // keys) or be damaged: each key it cannot give comes from the file of the
    // same language shipped beside the program.
    const QString name = "lang_" + sprache + ".ini";
    const QString eigenePfad = datenPfad + name;
    QSettings eigene(eigenePfad, QSettings::IniFormat);
    QSettings mitgeliefert(QCoreApplication::applicationDirPath() + "/data/" + name,
                           QSettings::IniFormat);
    iniUtf8(eigene);
    iniUtf8(mitgeliefert);
    // A stray double quote runs its value on over the following lines up to
    // the next quote, and the keys there are lost. Such a run shows as a line
    // break (which a text has only as the escape \n) followed by a key, a
    // group or nothing more; a list (unquoted commas) is no text either.
    static const QRegularExpression lauf(QStringLiteral("[\r\n](\\s*$|\\s*\\[|[^\r\n]*=)"));
    const auto lesbar = [](const QVariant &wert) {
        return wert.userType() == QMetaType::QString && !lauf.match(wert.toString()).hasMatch();
    };
    int gelesen = 0;
    for (const Schluessel &s : tabelle) {
        const QString schluessel = QLatin1String(s.gruppe) + '/' + QLatin1String(s.name);
        QVariant wert = eigene.value(schluessel);
        if (lesbar(wert))
            ++gelesen;
        else
            wert = mitgeliefert.value(schluessel);
        this->*s.ziel = umlauteText(wert.toString());
    }
    // Nothing usable in it at all: the shipped texts alone, and the user is told.
    if (QFileInfo::exists(eigenePfad) && (eigene.status() != QSettings::NoError || gelesen == 0)) {
        for (const Schluessel &s : tabelle)
            this->*s.ziel = umlauteText(
                mitgeliefert.value(QLatin1String(s.gruppe) + '/' + QLatin1String(s.name))
                    .toString());
        Hinweis(txtLangErr + "\n\n" + eigenePfad, true);
    }
}

void MainWindow::SpracheAnwenden()
{
    // Qt's own dialogs and buttons (file chooser, replace question, OK, Cancel)
    // in the user's language; English needs none.
    static QTranslator qtTexte;
    QCoreApplication::removeTranslator(&qtTexte);
    const QString code = sprachform() == QLatin1String("pers") ? QStringLiteral("fa")
                         : sprachform() == QLatin1String("de") ? QStringLiteral("de")
                                                               : QString();
    // qtbase alone: the catalogue qt_fa also asks for modules Debian does not translate.
    if (!code.isEmpty() && qtTexte.load("qtbase_" + code, qtUebersetzungen()))
        QCoreApplication::installTranslator(&qtTexte);
    // Only now: a change of translators sets the direction anew from them.
    // Dialogs built later follow the application's direction, this window too.
    QGuiApplication::setLayoutDirection(vonRechtsNachLinks() ? Qt::RightToLeft
                                                             : Qt::LeftToRight);
    setLayoutDirection(QGuiApplication::layoutDirection());
}

QString MainWindow::umlauteText(QString text)
{
    static const char16_t *const ersetzungen[][2] = {
        {u":ae:", u"\u00E4"}, {u":oe:", u"\u00F6"}, {u":ue:", u"\u00FC"}, {u":Ae:", u"\u00C4"},
        {u":Oe:", u"\u00D6"}, {u":Ue:", u"\u00DC"}, {u":sz:", u"\u00DF"}};
    for (const auto &paar : ersetzungen)
        text.replace(QString::fromUtf16(paar[0]), QString::fromUtf16(paar[1]));
    return text;
}

namespace {
void spracheSpeichern(const QString &datenPfad, const char *code)
{
    QSettings datei(datenPfad + "language.ini", QSettings::IniFormat);
    iniUtf8(datei);
    datei.beginGroup("Language");
    datei.setValue("set_lang", QString::fromLatin1(code));
    datei.endGroup();
    datei.sync();
}
} // namespace

void MainWindow::lang_change_deu()
{
    spracheSpeichern(datenPfad, "de");
    Hinweis(txtNewstart);
}

void MainWindow::lang_change_eng()
{
    spracheSpeichern(datenPfad, "en");
    Hinweis(txtNewstart);
}

void MainWindow::lang_change_pers()
{
    spracheSpeichern(datenPfad, "pers");
    Hinweis(txtNewstart);
}
