// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/testsupport.h"

#include "planfile/aenderungen.h"
#include "planfile/datensatz.h"
#include "planfile/versionen.h"

#include <QAction>
#include <QApplication>
#include <QDateEdit>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QToolButton>
#include <QtTest>

namespace {

const QStringList patient{"Muster", "Erika", "01.02.1950", "0", "0"};

QStringList med(const QString &name, const QString &bestand = "20")
{
    // Counted now, so today's stock is the figure itself.
    static const QString jetzt = QString::number(jetztUnix());
    return {name, name + " Info", "5 mg", "30", jetzt, bestand, "1", "0", "1", "0", "0"};
}

QByteArray plan(const QString &namen, const QStringList &pat = patient)
{
    QList<QStringList> liste;
    for (const QChar n : namen)
        liste << med(QString(n) + "-mol");
    return planMit(pat, liste);
}

QString ordnerVon(const QString &planPfad)
{
    return Versionsspeicher(planPfad).ordner();
}

QStringList dateienIn(const QString &ordner)
{
    return QDir(ordner).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

// Answers the first message box within five seconds with Yes (Qt's own
// overwrite question).
void jaSagen(int rest = 100)
{
    QTimer::singleShot(50, [rest] {
        if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
            if (QAbstractButton *ja = box->button(QMessageBox::Yes))
                ja->click();
        } else if (rest > 0) {
            jaSagen(rest - 1);
        }
    });
}

struct Fenster
{
    std::unique_ptr<MainWindow> w;

    explicit Fenster(const QString &)
        : w(std::make_unique<MainWindow>())
    {
        w->show();
    }
    template <typename T = QPushButton>
    T *k(const QString &name) const { return kind<T>(w.get(), name); }
    QAction *aktion(const QString &name) const { return k<QAction>(name); }
    void undo() const { aktion("menu51")->trigger(); }
    void redo() const { aktion("menu52")->trigger(); }

    void waehlen(int zeile) const
    {
        k<QTabWidget>("tabReiter")->setCurrentIndex(2);
        auto *liste = k<QListWidget>("listBox");
        const QRect r = liste->visualItemRect(liste->item(zeile));
        QTest::mouseClick(liste->viewport(), Qt::LeftButton, {}, r.center());
    }
    void bedienen(const QString &knopf, std::function<void(QWidget *)> antwort) const
    {
        DialogHelfer h(std::move(antwort));
        k(knopf)->click();
        QVERIFY(h.erledigt());
    }
    void tippen(QWidget *eltern, const QString &name, const QString &text) const
    {
        auto *feld = kind<QLineEdit>(eltern, name);
        QVERIFY2(feld, qPrintable(name));
        feld->clear();
        QTest::keyClicks(feld, text);
    }

    void pickup(int zeile, const QString &packungen) const
    {
        waehlen(zeile);
        bedienen("butApotheke", [&](QWidget *d) {
            tippen(d, "apoPackungen", packungen);
            kind<QPushButton>(d, "apoEintragen")->click();
        });
    }
    void patientName(const QString &name) const
    {
        k<QTabWidget>("tabReiter")->setCurrentIndex(2);
        tippen(w.get(), "editName", name);
        k("butPatSpeichern")->click();
    }

    // One changing command as a user gives it.
    void befehl(const QString &was, const QString &andereDatei = QString()) const
    {
        if (was == "patient") {
            patientName("Neumann");
        } else if (was == "terminschalter") {
            k<QTabWidget>("tabReiter")->setCurrentIndex(2);
            k<QRadioButton>("radioJa")->click();
        } else if (was == "termin") {
            k<QTabWidget>("tabReiter")->setCurrentIndex(2);
            k<QDateEdit>("dateArztTermin")->setDate(QDate(2026, 12, 23));
            k("butArztTermin")->click();
        } else if (was == "bearbeiten") {
            waehlen(1);
            tippen(w.get(), "eingabeFelder7", "2");
            k("butAenderungSpeichern")->click();
        } else if (was == "neu") {
            bedienen("butMedNeu", [&](QWidget *d) {
                tippen(d, "neuEingabe", "Ibuprofen");
                tippen(d, "neuEinheiten", "20");
                kind<QPushButton>(d, "neuEintragen")->click();
            });
        } else if (was == "apotheke") {
            pickup(0, "2");
        } else if (was == "entfernen") {
            waehlen(1);
            bedienen("butEntfernen",
                     [](QWidget *d) { kind<QPushButton>(d, "entfernenJa")->click(); });
        } else if (was == "hoch" || was == "runter") {
            waehlen(1);
            k<QToolButton>(was == "hoch" ? "butHoch" : "butRunter")->click();
        } else if (was == "strgs") {
            aktion("menu13")->trigger();
        } else if (was == "speichernunter") {
            DialogHelfer h([&](QWidget *d) {
                jaSagen();
                dateiDialogAusfuellen(d, andereDatei);
            });
            aktion("menu14")->trigger();
        }
    }
};

AenderungsWorte worte()
{
    AenderungsWorte w;
    w.bestand = "%1: stock %2 -> %3";
    w.hinzu = "%1 added";
    w.entfernt = "%1 removed";
    w.geaendert = "%1 changed";
    w.reihenfolge = "order changed";
    w.patient = "patient data changed";
    w.termin = "appointment %1";
    w.keinTermin = "appointment removed";
    w.keine = "no change";
    w.sonst = "tidied";
    return w;
}

} // namespace

class TestVerlauf : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void beschreibung_data();
    void beschreibung();
    void speicher();
    void befehlRueckgaengig_data();
    void befehlRueckgaengig();
    void kette();
    void zweiFenster();
    void fremdeAenderung();
    void ordnerNichtBeschreibbar_data();
    void ordnerNichtBeschreibbar();
    void verlaufDialog();
    void wiederherstellenScheitert();
};

void TestVerlauf::beschreibung_data()
{
    QTest::addColumn<QByteArray>("alt");
    QTest::addColumn<QByteArray>("neu");
    QTest::addColumn<QStringList>("erwartet");
    const auto mit = [](const QList<QStringList> &meds, const QStringList &pat = patient) {
        return planMit(pat, meds);
    };
    const QByteArray basis = mit({med("Ramipril", "98"), med("Metformin")});
    QTest::newRow("gleich") << basis << basis << QStringList{"no change"};
    QTest::newRow("bestand") << basis << mit({med("Ramipril", "158"), med("Metformin")})
                             << QStringList{"Ramipril: stock 98 -> 158"};
    QTest::newRow("hinzu") << basis
                           << mit({med("Ramipril", "98"), med("Metformin"), med("Ibuprofen")})
                           << QStringList{"Ibuprofen added"};
    QTest::newRow("entfernt") << basis << mit({med("Ramipril", "98")})
                              << QStringList{"Metformin removed"};
    QTest::newRow("reihenfolge") << basis << mit({med("Metformin"), med("Ramipril", "98")})
                                 << QStringList{"order changed"};
    QStringList dosis = med("Metformin");
    dosis[8] = "2";
    QTest::newRow("dosis") << basis << mit({med("Ramipril", "98"), dosis})
                           << QStringList{"Metformin changed"};
    QTest::newRow("patient") << basis
                             << mit({med("Ramipril", "98"), med("Metformin")},
                                    {"Neumann", "Erika", "01.02.1950", "0", "0"})
                             << QStringList{"patient data changed"};
    const QString termin = QString::number(QDateTime(QDate(2026, 12, 23), QTime(0, 0)).toSecsSinceEpoch());
    QTest::newRow("termin") << basis
                            << mit({med("Ramipril", "98"), med("Metformin")},
                                   {"Muster", "Erika", "01.02.1950", "1", termin})
                            << QStringList{"appointment 23. 12. 2026"};
    QTest::newRow("termin weg") << mit({med("Ramipril", "98")}, {"M", "E", "x", "1", termin})
                                << mit({med("Ramipril", "98")}, {"M", "E", "x", "0", termin})
                                << QStringList{"appointment removed"};
    // Two of the same name pair up in order; the second one's stock changed.
    QTest::newRow("gleiche namen") << mit({med("A", "1"), med("A", "2")})
                                   << mit({med("A", "1"), med("A", "5")})
                                   << QStringList{"A: stock 2 -> 5"};
    QTest::newRow("mehreres") << basis << mit({med("Metformin"), med("Aspirin")})
                              << QStringList{"Ramipril removed", "Aspirin added"};
    QTest::newRow("nur crlf") << basis << QByteArray(basis).replace("\n", "\r\n")
                              << QStringList{"tidied"};
    QTest::newRow("kein plan") << QByteArray("\xff\x00;;", 4) << basis
                               << QStringList{"patient data changed", "Ramipril added",
                                              "Metformin added"};
}

void TestVerlauf::beschreibung()
{
    QFETCH(QByteArray, alt);
    QFETCH(QByteArray, neu);
    QFETCH(QStringList, erwartet);
    QCOMPARE(aenderungenBeschreiben(alt, neu, worte()), erwartet);
}

void TestVerlauf::speicher()
{
    QTemporaryDir dir;
    const QString planPfad = dir.path() + "/p.medat";
    Versionsspeicher s(planPfad);
    QCOMPARE(s.ordner(), dir.path() + "/.p.medat.versions");
    const auto schreiben = [](const QString &p, const QByteArray &b, QString *) {
        dateiSchreiben(p, b);
        return true;
    };
    QDateTime t(QDate(2026, 1, 1), QTime(12, 0), Qt::UTC);
    QCOMPARE(s.behalten(plan("A"), schreiben, nullptr, t), Versionsspeicher::Ergebnis::Neu);
    QCOMPARE(s.behalten(plan("A"), schreiben, nullptr, t), Versionsspeicher::Ergebnis::Gleich);
    // A clock that went back still keeps the order.
    QCOMPARE(s.behalten(plan("B"), schreiben, nullptr, t.addSecs(-3600)),
             Versionsspeicher::Ergebnis::Neu);
    auto liste = s.versionen();
    QCOMPARE(liste.size(), 2);
    QCOMPARE(Versionsspeicher::lesen(liste.last().pfad), plan("B"));

    // Foreign, damaged and over-long files are skipped and left alone.
    const QStringList fremde{"notiz.txt", "2025-01-01_00-00-00-000.medat",
                             "2025-01-01_00-00-00-001.medat", "2025-01-01_00-00-00-002.medat"};
    dateiSchreiben(s.ordner() + "/" + fremde[0], plan("C"));
    dateiSchreiben(s.ordner() + "/" + fremde[1], QByteArray("1;\n2;\0;\n", 8));
    dateiSchreiben(s.ordner() + "/" + fremde[2], QByteArray(Versionsspeicher::maxGroesse + 1, 'x'));
    dateiSchreiben(s.ordner() + "/" + fremde[3], QByteArray(60, '\n'));
    liste = s.versionen();
    QList<QByteArray> lesbar;
    for (const auto &v : liste) {
        if (!Versionsspeicher::lesen(v.pfad).isNull())
            lesbar << Versionsspeicher::lesen(v.pfad);
    }
    QCOMPARE(lesbar, (QList<QByteArray>{plan("A"), plan("B")}));
    QCOMPARE(verlaufListe(liste, plan("BB"), worte()).size(), 2);
    QCOMPARE(verlaufListe(liste, plan("B"), worte()).size(), 1); // no "no change" line
    QCOMPARE(Versionsspeicher::ziel(liste, liste.size(), -1, plan("B")), liste.size() - 2);

    // At most 100: the oldest go first, foreign names never.
    for (int i = 0; i < 110; ++i)
        s.behalten(plan(QString(i % 2 ? "AB" : "BA") + QString::number(i)), schreiben, nullptr, t);
    const QStringList danach = dateienIn(s.ordner());
    QCOMPARE(danach.size(), Versionsspeicher::grenze + 1);
    QVERIFY(danach.contains("notiz.txt"));
    liste = s.versionen();
    QCOMPARE(Versionsspeicher::lesen(liste.last().pfad), plan("AB109"));
    QCOMPARE(Versionsspeicher::lesen(liste.first().pfad), plan("BA10"));
}

void TestVerlauf::befehlRueckgaengig_data()
{
    QTest::addColumn<QString>("befehl");
    QTest::addColumn<QByteArray>("start");
    const QStringList mitTermin{"Muster", "Erika", "01.02.1950", "1", "1790000000"};
    QTest::newRow("patientendaten") << "patient" << plan("ABC");
    QTest::newRow("terminschalter") << "terminschalter" << plan("ABC");
    QTest::newRow("termin") << "termin" << plan("ABC", mitTermin);
    QTest::newRow("bearbeiten") << "bearbeiten" << plan("ABC");
    QTest::newRow("neu") << "neu" << plan("ABC");
    QTest::newRow("apotheke") << "apotheke" << plan("ABC");
    QTest::newRow("entfernen") << "entfernen" << plan("ABC");
    QTest::newRow("hoch") << "hoch" << plan("ABC");
    QTest::newRow("runter") << "runter" << plan("ABC");
    QTest::newRow("strg s") << "strgs" << QByteArray(plan("ABC")).replace(";\n", ";x;y;\r\n");
    QTest::newRow("speichern unter") << "speichernunter" << plan("ABC");
}

void TestVerlauf::befehlRueckgaengig()
{
    QFETCH(QString, befehl);
    QFETCH(QByteArray, start);
    TestUmgebung u;
    const QString p = u.planSchreiben("p.medat", start);
    // Save-as writes over another plan; that one is undone.
    const QString ziel = befehl == "speichernunter" ? u.planSchreiben("q.medat", plan("XY")) : p;
    u.vorbereiten(p);
    // Qt's own overwrite question is answered by the command, not closed.
    auto waechter = befehl == "speichernunter" ? nullptr : std::make_unique<MeldungsWaechter>();
    Fenster f(p);
    QVERIFY(!f.aktion("menu51")->isEnabled());
    QVERIFY(!f.aktion("menu52")->isEnabled());
    const QByteArray vorher = dateiLesen(ziel);

    f.befehl(befehl, ziel);
    const QByteArray nachher = dateiLesen(ziel);
    QVERIFY(nachher != vorher);
    if (!waechter)
        waechter = std::make_unique<MeldungsWaechter>();
    QVERIFY(f.aktion("menu51")->isEnabled());
    QCOMPARE(QDir(ordnerVon(ziel)).entryList({"*.medat"}, QDir::Files | QDir::Hidden).size(), 1);

    f.undo();
    QCOMPARE(dateiLesen(ziel), vorher);
    QVERIFY(!f.aktion("menu51")->isEnabled());
    QVERIFY(f.aktion("menu52")->isEnabled());
    f.redo();
    QCOMPARE(dateiLesen(ziel), nachher);
    QVERIFY(!f.aktion("menu52")->isEnabled());
    QCOMPARE(waechter->meldungen, QStringList());
}

void TestVerlauf::kette()
{
    TestUmgebung u;
    const QString p = u.planSchreiben("p.medat", plan("ABC"));
    u.vorbereiten(p);
    QList<QByteArray> staende{dateiLesen(p)};
    {
        Fenster f(p);
        for (int i = 1; i <= 5; ++i) {
            f.pickup(i % 3, QString::number(i));
            staende << dateiLesen(p);
        }
        for (int i = 4; i >= 0; --i) {
            f.undo();
            QCOMPARE(dateiLesen(p), staende[i]);
        }
        QVERIFY(!f.aktion("menu51")->isEnabled());
        for (int i = 1; i <= 5; ++i) {
            f.redo();
            QCOMPARE(dateiLesen(p), staende[i]);
        }
        f.undo();
        f.undo();
        QCOMPARE(dateiLesen(p), staende[3]);
    }
    // After a restart: redo still reaches the undone changes, undo goes on back.
    {
        Fenster f(p);
        QVERIFY(f.aktion("menu52")->isEnabled());
        f.redo();
        QCOMPARE(dateiLesen(p), staende[4]);
        f.undo();
        f.undo();
        QCOMPARE(dateiLesen(p), staende[2]);
        // A new change drops what could be redone.
        f.patientName("Neu");
        const QByteArray neu = dateiLesen(p);
        QVERIFY(!f.aktion("menu52")->isEnabled());
        f.redo();
        QCOMPARE(dateiLesen(p), neu);
        f.undo();
        QCOMPARE(dateiLesen(p), staende[2]);
    }
}

void TestVerlauf::zweiFenster()
{
    TestUmgebung u;
    const QString p = u.planSchreiben("p.medat", plan("AB"));
    u.vorbereiten(p);
    MeldungsWaechter waechter;
    Fenster erstes(p);
    Fenster zweites(p);
    erstes.pickup(0, "4"); // 20 + 4 * 30, and 30 more below
    zweites.patientName("Zweitname");
    QCOMPARE(waechter.meldungen.size(), 1);
    QCOMPARE(waechter.meldungen.first(), QString("Der Plan wurde au\u00dferhalb von Tablora ge\u00e4ndert und neu geladen."));
    erstes.pickup(1, "1"); // and back in the first window
    QCOMPARE(waechter.meldungen.size(), 2);
    // An edit of the first medication's evening dose keeps the pickup's stock.
    zweites.waehlen(0);
    erstes.pickup(0, "1");
    zweites.tippen(zweites.w.get(), "eingabeFelder7", "3");
    zweites.k("butAenderungSpeichern")->click();
    QCOMPARE(waechter.meldungen.size(), 3);
    const QStringList zeilen = planZeilen(QString::fromUtf8(dateiLesen(p)));
    QCOMPARE(zeilen.size(), 4);
    QCOMPARE(zeilen[1].section(';', 1, 1), QString("Zweitname"));
    QCOMPARE(zeilen[2].section(';', 6, 6), QString("170"));
    QCOMPARE(zeilen[2].section(';', 9, 9), QString("3"));
    QCOMPARE(zeilen[3].section(';', 6, 6), QString("50"));
}

void TestVerlauf::fremdeAenderung()
{
    TestUmgebung u;
    const QString p = u.planSchreiben("p.medat", plan("ABC"));
    u.vorbereiten(p);
    MeldungsWaechter waechter;
    Fenster f(p);
    f.waehlen(1);
    // An editor removes the chosen medication: the pickup finds it gone and writes nothing.
    const QByteArray fremd = plan("AC");
    dateiSchreiben(p, fremd);
    f.bedienen("butApotheke", [&](QWidget *d) {
        f.tippen(d, "apoPackungen", "3");
        kind<QPushButton>(d, "apoEintragen")->click();
    });
    QCOMPARE(dateiLesen(p), fremd);
    QCOMPARE(waechter.meldungen.size(), 1);
    QCOMPARE(TestZugang::anzahl(*f.w), 4);
    QCOMPARE(f.k<QListWidget>("listBox")->count(), 2);

    // It moved instead: found by name, the stock counts from the plan on disk.
    f.waehlen(1);
    const QByteArray verschoben = planMit(patient, {med("C-mol", "7"), med("A-mol")});
    dateiSchreiben(p, verschoben);
    f.bedienen("butApotheke", [&](QWidget *d) {
        f.tippen(d, "apoPackungen", "1");
        kind<QPushButton>(d, "apoEintragen")->click();
    });
    QCOMPARE(waechter.meldungen.size(), 2);
    QCOMPARE(TestZugang::datensatz(*f.w, 2).value(1), QString("C-mol"));
    QCOMPARE(TestZugang::datensatz(*f.w, 2).value(6), QString("37"));
    QCOMPARE(TestZugang::datensatz(*f.w, 3).value(6), QString("20"));
    // The external bytes are each kept, so nothing written on disk is lost.
    QList<QByteArray> kept;
    for (const auto &v : Versionsspeicher(p).versionen())
        kept << Versionsspeicher::lesen(v.pfad);
    QVERIFY(kept.contains(fremd));
    QVERIFY(kept.contains(verschoben));

    // Undo over a plan changed outside since: that state is kept first.
    const QByteArray nachher = dateiLesen(p);
    const QByteArray editor = plan("Z");
    dateiSchreiben(p, editor);
    f.undo();
    QCOMPARE(dateiLesen(p), nachher);
    f.redo();
    QCOMPARE(dateiLesen(p), editor);

    // The form's medication is found again by name when a command reloads.
    dateiSchreiben(p, plan("AB"));
    f.aktion("menu13")->trigger();
    f.waehlen(1);
    dateiSchreiben(p, plan("ZAB"));
    f.aktion("menu13")->trigger();
    QCOMPARE(TestZugang::aktuelleNummer(*f.w), QString("5"));
    dateiSchreiben(p, plan("ZA"));
    f.aktion("menu13")->trigger();
    QCOMPARE(TestZugang::aktuelleNummer(*f.w), QString());
}

void TestVerlauf::ordnerNichtBeschreibbar_data()
{
    QTest::addColumn<bool>("vollePlatte");
    QTest::newRow("datei an seiner stelle") << false;
    QTest::newRow("platte voll") << true;
}

void TestVerlauf::ordnerNichtBeschreibbar()
{
    QFETCH(bool, vollePlatte);
    TestUmgebung u;
    const QString p = u.planSchreiben("p.medat", plan("AB"));
    u.vorbereiten(p);
    std::unique_ptr<KleinesDateisystem> klein;
    if (vollePlatte) {
        klein = std::make_unique<KleinesDateisystem>(ordnerVon(p));
        if (!klein->bereit())
            QSKIP("mounting a small file system needs root");
        klein->fuellen();
    } else {
        dateiSchreiben(ordnerVon(p), "kein Ordner");
    }
    MeldungsWaechter waechter;
    Fenster f(p);
    f.pickup(0, "1");
    f.pickup(1, "1");
    QCOMPARE(planZeilen(QString::fromUtf8(dateiLesen(p)))[3].section(';', 6, 6), QString("50"));
    QCOMPARE(waechter.meldungen.size(), 1); // once per plan and session, with the reason
    QVERIFY(waechter.meldungen.first().contains(vollePlatte ? "space" : "directory",
                                                Qt::CaseInsensitive));
    QVERIFY(!f.aktion("menu51")->isEnabled());
    const QByteArray stand = dateiLesen(p);
    f.undo();
    QCOMPARE(dateiLesen(p), stand);
}

void TestVerlauf::verlaufDialog()
{
    TestUmgebung u;
    const QString p = u.planSchreiben("p.medat", plan("AB"));
    u.vorbereiten(p);
    MeldungsWaechter waechter;
    Fenster f(p);
    const QByteArray anfang = dateiLesen(p);
    f.pickup(0, "1");
    f.befehl("entfernen");
    const QByteArray ende = dateiLesen(p);
    dateiSchreiben(ordnerVon(p) + "/2020-01-01_00-00-00-000.medat", QByteArray(3, '\0'));

    QStringList texte;
    DialogHelfer h([&](QWidget *d) {
        auto *tabelle = kind<QTableWidget>(d, "verlaufTabelle");
        for (QWidget *w : d->findChildren<QWidget *>()) {
            if (w->isVisibleTo(d) && w->focusPolicy() != Qt::NoFocus)
                QVERIFY2(!w->accessibleName().isEmpty(), qPrintable(w->objectName()));
        }
        for (int i = 0; i < tabelle->rowCount(); ++i)
            texte << tabelle->item(i, 1)->text();
        auto *knopf = kind<QPushButton>(d, "verlaufWiederherstellen");
        // Keyboard: down to the oldest row, tab to the button, space.
        tabelle->setFocus();
        QTest::keyClick(tabelle, Qt::Key_Down);
        QTest::keyClick(tabelle, Qt::Key_Tab);
        QVERIFY(knopf->hasFocus());
        QTest::keyClick(knopf, Qt::Key_Space);
    });
    f.aktion("menu53")->trigger();
    QVERIFY(h.erledigt());
    QCOMPARE(texte, (QStringList{"B-mol entfernt", "A-mol: Bestand 20 \u2192 50"}));
    QCOMPARE(dateiLesen(p), anfang);
    f.undo(); // the restore itself can be undone
    QCOMPARE(dateiLesen(p), ende);
    QCOMPARE(waechter.meldungen, QStringList());
    QVERIFY(QFileInfo::exists(ordnerVon(p) + "/2020-01-01_00-00-00-000.medat"));
}

void TestVerlauf::wiederherstellenScheitert()
{
    TestUmgebung u;
    {
        // A version damaged while the list is open: the error box, the plan stays.
        const QString p = u.planSchreiben("p.medat", plan("AB"));
        u.vorbereiten(p);
        MeldungsWaechter waechter;
        Fenster f(p);
        f.pickup(0, "1");
        const QByteArray stand = dateiLesen(p);
        DialogHelfer h([&](QWidget *d) {
            auto *tabelle = kind<QTableWidget>(d, "verlaufTabelle");
            tabelle->selectRow(0);
            dateiSchreiben(tabelle->item(0, 0)->data(Qt::UserRole).toString(), "");
            kind<QPushButton>(d, "verlaufWiederherstellen")->click();
            dialogSchliessen(d);
        });
        f.aktion("menu53")->trigger();
        QVERIFY(h.erledigt());
        QCOMPARE(dateiLesen(p), stand);
        QCOMPARE(waechter.meldungen.size(), 1);
    }
    const KleinesDateisystem klein(u.arbeitsVerzeichnis() + "/klein");
    if (!klein.bereit())
        QSKIP("mounting a small file system needs root");
    const QString p = klein.pfad() + "/p.medat";
    dateiSchreiben(p, plan("AB"));
    u.vorbereiten(p);
    MeldungsWaechter waechter;
    Fenster f(p);
    f.pickup(0, "1");
    f.undo();
    const QByteArray stand = dateiLesen(p);
    klein.fuellen();
    f.redo(); // the plan cannot be written
    QCOMPARE(dateiLesen(p), stand);
    QCOMPARE(waechter.meldungen.size(), 1);
    QVERIFY(waechter.meldungen.first().startsWith(TestZugang::txtWriteErr(*f.w)));
}

QTEST_MAIN(TestVerlauf)
#include "tst_verlauf.moc"
