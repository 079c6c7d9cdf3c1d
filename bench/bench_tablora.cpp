// SPDX-License-Identifier: GPL-3.0-or-later
// What a user waits for, on a full plan of 48 medications: the start, every
// command that changes the plan, each view's refill and both PDFs. Every
// figure includes the repaint the command causes. Run with -median N
// (scripts/bench does), so each figure is the median of N runs.
#include "support/testsupport.h"

#include "pdf/kalender.h"
#include "planfile/datensatz.h"
#include "planfile/versionen.h"

#include <QAction>
#include <QDateEdit>
#include <QDialog>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QToolButton>
#include <QWindow>
#include <QtTest>

#include <functional>
#include <memory>

namespace {

constexpr int voll = MainWindow::maxMedikamente;

// `variante` changes one medication's stock, so plans of one size can differ.
QByteArray planMit(int anzahl, int variante = 0)
{
    const qint64 jetzt = jetztUnix();
    const QStringList dosen[] = {{"1", "0", "0", "0"},   {"1", "0", "1", "0"},
                                 {"0.5", "0", "0", "0"}, {"0", "0", "0", "1"},
                                 {"1", "1", "1", "0"},   {"0", "0", "0", "0"}};
    QList<QStringList> medikamente;
    for (int i = 0; i < anzahl; ++i) {
        const QString n = QString::number(i + 1);
        medikamente << QStringList{"Medikament " + n, "Anwendung " + n,
                                   QString::number(5 * (i % 4 + 1)) + " mg", "100",
                                   QString::number(jetzt - 86400 * (i % 30)),
                                   QString::number(20 + 3 * i + (i == variante % anzahl ? variante : 0))}
                               + dosen[i % 6] + QStringList{i % 7 == 6 ? "1" : "0"};
    }
    return ::planMit({"Musterfrau", "Erika", "12.03.1948", "1",
                      QString::number(jetzt + 21 * 86400)},
                     medikamente);
}

// Answers each modal dialog as soon as its own event loop runs, so no polling
// interval ends up in the figures.
class Antwort : public QObject
{
public:
    std::function<void(QWidget *)> aktion = dialogSchliessen;

    Antwort() { qApp->installEventFilter(this); }
    ~Antwort() override { qApp->removeEventFilter(this); }

protected:
    bool eventFilter(QObject *objekt, QEvent *ereignis) override
    {
        auto *dialog = qobject_cast<QDialog *>(objekt);
        if (ereignis->type() == QEvent::Show && dialog && dialog->isModal()) {
            QPointer<QDialog> wache(dialog);
            QMetaObject::invokeMethod(
                dialog,
                [this, wache] {
                    if (wache && wache->isVisible())
                        aktion(wache);
                },
                Qt::QueuedConnection);
        }
        return false;
    }
};

void knopfDruecken(QWidget *dialog, const char *name)
{
    if (auto *knopf = dialog->findChild<QPushButton *>(name))
        knopf->click();
    else
        dialogSchliessen(dialog);
}

// The repaint a command has caused.
void zeichnen()
{
    QCoreApplication::processEvents();
}

struct Bank
{
    TestUmgebung u;
    QString plan;
    std::unique_ptr<MainWindow> w;
    Antwort antwort;
    UrlFaenger urls;
    int nummer = 0;

    explicit Bank(int medikamente = voll)
    {
        plan = u.planSchreiben("plan.medat", planMit(medikamente));
        u.vorbereiten(plan);
        w = std::make_unique<MainWindow>();
        w->show();
        if (!QTest::qWaitForWindowExposed(w.get()))
            qFatal("window not shown");
        zeichnen();
    }

    template <typename T = QWidget>
    T *kind(const QString &name) const
    {
        T *k = ::kind<T>(w.get(), name);
        if (!k)
            qFatal("widget %s not found", qPrintable(name));
        return k;
    }
    void seite(int index) { kind<QTabWidget>("tabReiter")->setCurrentIndex(index); }
    void waehlen(int zeile)
    {
        seite(2);
        kind<QListWidget>("listBox")->setCurrentRow(zeile);
        zeichnen();
    }
    void aufrufen(const char *slot) { QVERIFY(QMetaObject::invokeMethod(w.get(), slot)); }
    QString neuerPfad(const QString &endung)
    {
        return u.arbeitsVerzeichnis() + QString("/ziel%1.%2").arg(++nummer).arg(endung);
    }
};

// For a command that cannot run twice on the same state: one timed run per
// call; -median repeats the call.
void einmalMessen(const std::function<void()> &befehl)
{
    QElapsedTimer uhr;
    uhr.start();
    befehl();
    QTest::setBenchmarkResult(uhr.nsecsElapsed() / 1e6, QTest::WalltimeMilliseconds);
}

// A dialog command as the user sees it after the dialog is up: from the click
// on the dialog's confirming button to the repainted window.
void bestaetigenMessen(Bank &b, const char *knopf, const char *bestaetigen,
                       const std::function<void(QWidget *)> &ausfuellen = {})
{
    QElapsedTimer uhr;
    b.antwort.aktion = [&](QWidget *d) {
        if (ausfuellen)
            ausfuellen(d);
        uhr.start();
        knopfDruecken(d, bestaetigen);
    };
    b.kind<QPushButton>(knopf)->click();
    zeichnen();
    QVERIFY(uhr.isValid());
    QTest::setBenchmarkResult(uhr.nsecsElapsed() / 1e6, QTest::WalltimeMilliseconds);
}

void exportBestaetigen(const char *eintrag, const char *endung)
{
    Bank b;
    const QString ziel = b.neuerPfad(endung);
    QElapsedTimer uhr;
    b.antwort.aktion = [&](QWidget *d) {
        uhr.start();
        dateiDialogAusfuellen(d, ziel);
    };
    b.kind<QAction>(eintrag)->trigger();
    zeichnen();
    QVERIFY(uhr.isValid());
    QTest::setBenchmarkResult(uhr.nsecsElapsed() / 1e6, QTest::WalltimeMilliseconds);
    QVERIFY(QFileInfo(ziel).size() > 2000);
}

// A full history: the oldest versions a plan keeps.
void versionenAnlegen(const QString &plan)
{
    Versionsspeicher speicher(plan);
    const QDateTime anfang = QDateTime::currentDateTimeUtc().addDays(-30);
    for (int i = 1; i <= Versionsspeicher::grenze; ++i) {
        speicher.behalten(planMit(voll, i),
                          [](const QString &pfad, const QByteArray &inhalt, QString *) {
                              dateiSchreiben(pfad, inhalt);
                              return true;
                          },
                          nullptr, anfang.addSecs(600 * i));
    }
}

void neuesAusfuellen(QWidget *d)
{
    const char *felder[][2] = {{"neuEingabe", "Neu"}, {"neuBez", "Neu Anwendung"},
                               {"neuDosis", "10 mg"}, {"neuEinheiten", "50"},
                               {"neuMorgen", "1"},    {"neuMittag", "0"},
                               {"neuAbend", "0.5"},   {"neuNacht", "0"}};
    for (const auto &f : felder) {
        if (auto *feld = d->findChild<QLineEdit *>(f[0]))
            feld->setText(f[1]);
    }
}

} // namespace

class BenchTablora : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // Start: construction of the window on the last plan to its first paint.
    void start()
    {
        TestUmgebung u;
        u.vorbereiten(u.planSchreiben("plan.medat", planMit(voll)));
        std::unique_ptr<MainWindow> w;
        einmalMessen([&] {
            w = std::make_unique<MainWindow>();
            w->show();
            while (!w->windowHandle() || !w->windowHandle()->isExposed())
                QCoreApplication::processEvents();
            zeichnen();
        });
    }

    // Changing commands, the user's way where a widget exists.
    void apotheke()
    {
        Bank b;
        b.waehlen(20);
        auto *knopf = b.kind<QPushButton>("butApotheke");
        b.antwort.aktion = [](QWidget *d) { knopfDruecken(d, "apoEintragen"); };
        const QString vorher = TestZugang::datensatz(*b.w, 22).value(6);
        QBENCHMARK {
            knopf->click();
            zeichnen();
        }
        QVERIFY(TestZugang::datensatz(*b.w, 22).value(6) != vorher);
    }
    void aenderungSpeichern()
    {
        Bank b;
        b.waehlen(20);
        QBENCHMARK {
            b.aufrufen("Aenderung_Speichern");
            zeichnen();
        }
    }
    void neuesMedikament()
    {
        Bank b(voll - 1);
        b.seite(2);
        b.antwort.aktion = [](QWidget *d) {
            neuesAusfuellen(d);
            knopfDruecken(d, "neuEintragen");
        };
        einmalMessen([&] {
            b.kind<QPushButton>("butMedNeu")->click();
            zeichnen();
        });
        QCOMPARE(TestZugang::anzahl(*b.w), voll + 2);
    }
    void entfernen()
    {
        Bank b;
        b.waehlen(20);
        b.antwort.aktion = [](QWidget *d) { knopfDruecken(d, "entfernenJa"); };
        einmalMessen([&] {
            b.kind<QPushButton>("butEntfernen")->click();
            zeichnen();
        });
        QCOMPARE(TestZugang::anzahl(*b.w), voll + 1);
    }
    // The three dialog commands again, from the confirming click on.
    void apothekeBestaetigen()
    {
        Bank b;
        b.waehlen(20);
        bestaetigenMessen(b, "butApotheke", "apoEintragen");
    }
    void neuesMedikamentBestaetigen()
    {
        Bank b(voll - 1);
        b.seite(2);
        bestaetigenMessen(b, "butMedNeu", "neuEintragen", neuesAusfuellen);
        QCOMPARE(TestZugang::anzahl(*b.w), voll + 2);
    }
    void entfernenBestaetigen()
    {
        Bank b;
        b.waehlen(20);
        bestaetigenMessen(b, "butEntfernen", "entfernenJa");
        QCOMPARE(TestZugang::anzahl(*b.w), voll + 1);
    }

    // One move up and one down, so the plan ends as it began.
    void verschiebenHochUndRunter()
    {
        Bank b;
        b.waehlen(24);
        auto *hoch = b.kind<QToolButton>("butHoch");
        auto *runter = b.kind<QToolButton>("butRunter");
        QBENCHMARK {
            hoch->click();
            runter->click();
            zeichnen();
        }
    }
    void arztTermin()
    {
        Bank b;
        b.seite(2);
        auto *datum = b.kind<QDateEdit>("dateArztTermin");
        auto *knopf = b.kind<QPushButton>("butArztTermin");
        int tage = 0;
        QBENCHMARK {
            datum->setDate(QDate::currentDate().addDays(10 + ++tage % 20));
            knopf->click();
            zeichnen();
        }
    }
    // Appointment off and on again: two commands.
    void arztTerminAusUndAn()
    {
        Bank b;
        b.seite(2);
        auto *nein = b.kind<QRadioButton>("radioNein");
        auto *ja = b.kind<QRadioButton>("radioJa");
        QBENCHMARK {
            nein->click();
            ja->click();
            zeichnen();
        }
    }
    void patientenDaten()
    {
        Bank b;
        b.seite(2);
        auto *knopf = b.kind<QPushButton>("butPatSpeichern");
        QBENCHMARK {
            knopf->click();
            zeichnen();
        }
    }
    void aufraeumenStrgS()
    {
        Bank b;
        auto *eintrag = b.kind<QAction>("menu13");
        QBENCHMARK {
            eintrag->trigger();
            zeichnen();
        }
    }

    // File commands. The file dialogs are answered at once.
    void dateiNeu()
    {
        Bank b;
        einmalMessen([&] {
            b.aufrufen("DateiNeu");
            zeichnen();
        });
        QCOMPARE(TestZugang::aktuelleDatei(*b.w), b.u.programmDaten() + "default.medat");
    }
    void dateiOeffnen()
    {
        Bank b;
        b.antwort.aktion = [&b](QWidget *d) { dateiDialogAusfuellen(d, b.plan); };
        QBENCHMARK {
            b.aufrufen("Datei_Oeffnen");
            zeichnen();
        }
    }
    void dateiAusListe()
    {
        Bank b;
        b.seite(2);
        QBENCHMARK {
            QMetaObject::invokeMethod(b.w.get(), "Datei_AusListeOeffnen",
                                      Q_ARG(QString, QStringLiteral("plan.medat")));
            zeichnen();
        }
    }
    void speichernUnter()
    {
        Bank b;
        QBENCHMARK {
            const QString ziel = b.neuerPfad("medat");
            b.antwort.aktion = [ziel](QWidget *d) { dateiDialogAusfuellen(d, ziel); };
            b.aufrufen("Datei_Speichern_unter");
            zeichnen();
        }
        QVERIFY(QFileInfo::exists(b.u.arbeitsVerzeichnis() + "/ziel1.medat"));
    }

    // Refills, each on its own tab so that its repaint counts.
    void einlesen()
    {
        Bank b;
        QBENCHMARK {
            QMetaObject::invokeMethod(b.w.get(), "DatenEinlesen", Q_ARG(QString, b.plan));
        }
    }
    void uebersichtFuellen()
    {
        Bank b;
        b.seite(0);
        QBENCHMARK {
            b.aufrufen("UebersichtFuellen");
            zeichnen();
        }
    }
    void verordnungsplanFuellen()
    {
        Bank b;
        b.seite(1);
        QBENCHMARK {
            b.aufrufen("VerordnungsplanFuellen");
            zeichnen();
        }
    }
    void patDatenFuellen()
    {
        Bank b;
        b.seite(2);
        QBENCHMARK {
            b.aufrufen("PatDatenFuellen");
            zeichnen();
        }
    }
    void listBoxFuellen()
    {
        Bank b;
        b.seite(2);
        QBENCHMARK {
            b.aufrufen("ListBoxFuellen");
            zeichnen();
        }
    }
    // A click on another medication in the list.
    void auswahl()
    {
        Bank b;
        b.waehlen(0);
        auto *liste = b.kind<QListWidget>("listBox");
        int zeile = 0;
        QBENCHMARK {
            zeile = (zeile + 7) % voll;
            liste->setCurrentRow(zeile);
            zeichnen();
        }
    }

    // PDFs, with their file dialog; the dialog alone for comparison.
    void pdfMedikamentenliste()
    {
        Bank b;
        QBENCHMARK {
            const QString ziel = b.neuerPfad("pdf");
            b.antwort.aktion = [ziel](QWidget *d) { dateiDialogAusfuellen(d, ziel); };
            b.aufrufen("print_medlist");
            zeichnen();
        }
        QVERIFY(!b.urls.urls.isEmpty());
    }
    void pdfEinnahmeplan()
    {
        Bank b;
        QBENCHMARK {
            const QString ziel = b.neuerPfad("pdf");
            b.antwort.aktion = [ziel](QWidget *d) { dateiDialogAusfuellen(d, ziel); };
            b.aufrufen("print_regulation");
            zeichnen();
        }
        QVERIFY(!b.urls.urls.isEmpty());
    }
    // Reminders and table export through the File menu, with their file dialog.
    void exportKalender()
    {
        Bank b;
        auto *eintrag = b.kind<QAction>("menu16");
        QBENCHMARK {
            const QString ziel = b.neuerPfad("ics");
            b.antwort.aktion = [ziel](QWidget *d) { dateiDialogAusfuellen(d, ziel); };
            eintrag->trigger();
            zeichnen();
        }
        QVERIFY(QFileInfo(b.u.arbeitsVerzeichnis() + "/ziel1.ics").size() > 10000);
    }
    void exportTabelle()
    {
        Bank b;
        auto *eintrag = b.kind<QAction>("menu17");
        QBENCHMARK {
            const QString ziel = b.neuerPfad("csv");
            b.antwort.aktion = [ziel](QWidget *d) { dateiDialogAusfuellen(d, ziel); };
            eintrag->trigger();
            zeichnen();
        }
        QVERIFY(QFileInfo(b.u.arbeitsVerzeichnis() + "/ziel1.csv").size() > 2000);
    }
    // The same from the confirmed file name on: the export's own time.
    void exportKalenderBestaetigen() { exportBestaetigen("menu16", "ics"); }
    void exportTabelleBestaetigen() { exportBestaetigen("menu17", "csv"); }
    // The calendar's content alone: events, escaping, folding of 48 medications.
    void kalenderInhalt()
    {
        Bank b;
        QList<QStringList> medikamente;
        for (int i = 2; i < TestZugang::anzahl(*b.w); ++i)
            medikamente << TestZugang::datensatz(*b.w, i);
        const QStringList patient = TestZugang::datensatz(*b.w, 1);
        QByteArray inhalt;
        QBENCHMARK {
            inhalt = kalenderDatei(kalenderEreignisse(medikamente, patient, jetztUnix(),
                                                      b.plan, ExportTexte()),
                                   1, QDateTime::currentDateTimeUtc());
        }
        QVERIFY(inhalt.count("BEGIN:VEVENT") > 30);
    }
    // A bare file dialog from the confirmed name on, for comparison.
    void nurDateiDialogBestaetigen()
    {
        Bank b;
        const QString ziel = b.neuerPfad("csv");
        QElapsedTimer uhr;
        b.antwort.aktion = [&](QWidget *d) {
            uhr.start();
            dateiDialogAusfuellen(d, ziel);
        };
        QFileDialog::getSaveFileName(b.w.get(), "CSV", b.u.arbeitsVerzeichnis(), "*.csv");
        zeichnen();
        QTest::setBenchmarkResult(uhr.nsecsElapsed() / 1e6, QTest::WalltimeMilliseconds);
    }
    // Undo of a pickup, with a full history beside the plan; redo (not timed)
    // makes every run start from the same state.
    void rueckgaengig()
    {
        Bank b;
        versionenAnlegen(b.plan);
        b.waehlen(20);
        b.antwort.aktion = [](QWidget *d) { knopfDruecken(d, "apoEintragen"); };
        b.kind<QPushButton>("butApotheke")->click();
        zeichnen();
        auto *undo = b.kind<QAction>("menu51");
        auto *redo = b.kind<QAction>("menu52");
        const QByteArray nachher = dateiLesen(b.plan);
        const int runden = 20;
        qint64 summe = 0;
        for (int i = 0; i < runden; ++i) {
            QElapsedTimer uhr;
            uhr.start();
            undo->trigger();
            zeichnen();
            summe += uhr.nsecsElapsed();
            QVERIFY(dateiLesen(b.plan) != nachher);
            redo->trigger();
            zeichnen();
            QCOMPARE(dateiLesen(b.plan), nachher);
        }
        QTest::setBenchmarkResult(summe / runden / 1e6, QTest::WalltimeMilliseconds);
    }
    // The history with 100 versions, from the menu entry to the painted dialog.
    void verlaufOeffnen()
    {
        Bank b;
        versionenAnlegen(b.plan);
        auto *verlauf = b.kind<QAction>("menu53");
        QElapsedTimer uhr;
        qint64 bis = 0;
        int zeilen = 0;
        b.antwort.aktion = [&](QWidget *d) {
            zeichnen();
            bis = uhr.nsecsElapsed();
            zeilen = ::kind<QTableWidget>(d, "verlaufTabelle")->rowCount();
            dialogSchliessen(d);
        };
        uhr.start();
        verlauf->trigger();
        QCOMPARE(zeilen, Versionsspeicher::grenze);
        QTest::setBenchmarkResult(bis / 1e6, QTest::WalltimeMilliseconds);
    }
    void nurDateiDialog()
    {
        Bank b;
        QBENCHMARK {
            const QString ziel = b.neuerPfad("pdf");
            b.antwort.aktion = [ziel](QWidget *d) { dateiDialogAusfuellen(d, ziel); };
            QFileDialog::getSaveFileName(b.w.get(), "PDF schreiben", b.u.arbeitsVerzeichnis(),
                                         "(*.pdf)");
            zeichnen();
        }
    }
};

QTEST_MAIN(BenchTablora)
#include "bench_tablora.moc"
