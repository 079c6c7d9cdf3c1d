// SPDX-License-Identifier: GPL-3.0-or-later
// The plan document without a window: every operation, two documents on one
// file, each failure of the write path, odd plan files, exports, undo.
#include "planfile/eingabe.h"
#include "planfile/plandokument.h"
#include "planfile/versionen.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <functional>
#ifdef Q_OS_UNIX
#include <grp.h>
#include <pwd.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

using Op = std::function<PlanDokument::Ergebnis(PlanDokument &)>;
Q_DECLARE_METATYPE(Op)

namespace {

const QByteArray muster = "1;Tablora;;;;;;;;;;;\n"
                          "2;Muster;Erika;01.02.1950;0;0;;;;;;;\n"
                          "3;A-mol;A Info;5 mg;30;1000;20;1;0;1;0;0;\n"
                          "4;B-mol;B Info;10 mg;50;1000;40;0;1;0;0;0;\n";

// The plan's lines with the given ones replaced (line number from 1) or, for
// number 0, appended.
QByteArray mit(const QList<QPair<int, QByteArray>> &zeilen, const QByteArray &basis = muster)
{
    QList<QByteArray> z = basis.split('\n');
    z.removeLast();
    for (const auto &p : zeilen) {
        if (p.first == 0)
            z.append(p.second);
        else if (p.second.isNull())
            z.removeAt(p.first - 1);
        else
            z[p.first - 1] = p.second;
    }
    return z.join('\n') + '\n';
}

QByteArray lesen(const QString &pfad)
{
    QFile f(pfad);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<fehlt>");
}

void schreiben(const QString &pfad, const QByteArray &bytes)
{
    QFile f(pfad);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(qint64(f.write(bytes)), qint64(bytes.size()));
}

Op patient(int feld, const QString &wert)
{
    return [=](PlanDokument &d) { return d.patientAendern({{feld, wert}}); };
}

Op medikament(const QString &name, int index, int feld, const QString &wert)
{
    return [=](PlanDokument &d) { return d.medikamentAendern(name, index, {{feld, wert}}); };
}

} // namespace

class TestDokument : public QObject
{
    Q_OBJECT

    QTemporaryDir ordner;
    QString plan;

    PlanDokument *neu(const QByteArray &bytes)
    {
        schreiben(plan, bytes);
        auto *d = new PlanDokument(this);
        d->laden(plan);
        return d;
    }

private slots:
    void init()
    {
        QDir(ordner.path()).removeRecursively();
        QDir().mkpath(ordner.path());
        plan = ordner.filePath("p.medat");
    }

    void operationen_data()
    {
        QTest::addColumn<Op>("op");
        QTest::addColumn<QByteArray>("erwartet");
        QTest::addColumn<int>("index");
        QTest::newRow("patient name") << patient(Feld::Name, "Neu")
                                      << mit({{2, "2;Neu;Erika;01.02.1950;0;0;;;;;;;"}}) << -1;
        QTest::newRow("appointment") << Op([](PlanDokument &d) {
            return d.patientAendern({{Feld::TerminGesetzt, "1"}, {Feld::TerminZeit, "5000"}});
        }) << mit({{2, "2;Muster;Erika;01.02.1950;1;5000;;;;;;;"}}) << -1;
        QTest::newRow("one field of a medication")
            << medikament("B-mol", 3, Feld::Bez, "neu") << mit({{4, "4;B-mol;neu;10 mg;50;1000;40;0;1;0;0;0;"}}) << 3;
        QTest::newRow("medication found by name elsewhere")
            << medikament("A-mol", 3, Feld::Morgen, "2")
            << mit({{3, "3;A-mol;A Info;5 mg;30;1000;20;2;0;1;0;0;"}}) << 2;
        QTest::newRow("pickup on a typed stock") << Op([](PlanDokument &d) {
            return d.abholen("A-mol", 2, 10.0f, 30.0f, 2000);
        }) << mit({{3, "3;A-mol;A Info;5 mg;30;2000;40;1;0;1;0;0;"}}) << 2;
        // 20 at time 1000, 2 a day, two whole days later: 16 left.
        QTest::newRow("pickup on the forecast") << Op([](PlanDokument &d) {
            return d.abholen("A-mol", 2, std::nullopt, 30.0f, 1000 + 2 * 86400 + 5);
        }) << mit({{3, "3;A-mol;A Info;5 mg;30;173805;46;1;0;1;0;0;"}}) << 2;
        QTest::newRow("new medication") << Op([](PlanDokument &d) {
            return d.hinzufuegen({"", "C-mol", "", "", "10", "77", "10", "1", "", "", "", ""});
        }) << mit({{0, "5;C-mol;;;10;77;10;1;;;;;"}}) << 4;
        QTest::newRow("remove") << Op([](PlanDokument &d) { return d.entfernen("A-mol", 2); })
                                << mit({{3, "3;B-mol;B Info;10 mg;50;1000;40;0;1;0;0;0;"}, {4, QByteArray()}})
                                << -1;
        QTest::newRow("move down") << Op([](PlanDokument &d) { return d.verschieben("A-mol", 2, 1); })
                                   << mit({{3, "3;B-mol;B Info;10 mg;50;1000;40;0;1;0;0;0;"},
                                           {4, "4;A-mol;A Info;5 mg;30;1000;20;1;0;1;0;0;"}})
                                   << 3;
        QTest::newRow("move the last one down: nothing") << Op([](PlanDokument &d) {
            return d.verschieben("B-mol", 3, 1);
        }) << muster << 3;
        QTest::newRow("compaction of a compact plan") << Op([](PlanDokument &d) {
            return d.verdichten();
        }) << muster << -1;
    }

    void operationen()
    {
        QFETCH(Op, op);
        QFETCH(QByteArray, erwartet);
        QFETCH(int, index);
        PlanDokument *d = neu(muster);
        QSignalSpy geaendert(d, &PlanDokument::geaendert);
        const auto e = op(*d);
        QVERIFY(e.ok);
        QCOMPARE(lesen(plan), erwartet);
        QCOMPARE(d->letzterStand(), erwartet);
        QCOMPARE(e.index, index);
        QCOMPARE(e.geschrieben, erwartet != muster);
        QCOMPARE(int(geaendert.size()), erwartet != muster ? 1 : 0);
        // The state before is one undo away, and the change one redo.
        QCOMPARE(d->kannRueckgaengig(), erwartet != muster);
        if (erwartet == muster)
            return;
        QVERIFY(d->rueckgaengig().ok);
        QCOMPARE(lesen(plan), muster);
        QVERIFY(!d->kannRueckgaengig() && d->kannWiederholen());
        QVERIFY(d->wiederholen().ok);
        QCOMPARE(lesen(plan), erwartet);
        QCOMPARE(d->letzterStand(), erwartet);
    }

    // A hand-edited plan compacted: twelve fields and a closing ";" on every
    // line, numbered, in UTF-8 with LF; a stray CR inside a line dropped.
    void verdichtet_data()
    {
        QTest::addColumn<QByteArray>("vorher");
        QTest::addColumn<QByteArray>("nachher");
        QTest::newRow("CRLF, a CR inside a name")
            << QByteArray("1;Tablora;;\r\n2;Muster;Erika;01.02.1950;0;0\r\n3;As\rpirin;Info;5 mg;30;17;20;1;0;1;0;0;\r\n")
            << QByteArray("1;Tablora;;;;;;;;;;;\n2;Muster;Erika;01.02.1950;0;0;;;;;;;\n3;Aspirin;Info;5 mg;30;17;20;1;0;1;0;0;\n");
        QTest::newRow("byte-order mark")
            << QByteArray("\xEF\xBB\xBF" "1;T;\n2;M\xC3\xBCller;J;x;0;0;\n") << QByteArray("1;T;;;;;;;;;;;\n2;M\xC3\xBCller;J;x;0;0;;;;;;;\n");
        QTest::newRow("Windows-1252")
            << QByteArray("1;;\n2;M\xFC" "ller;J;x;0;0;\n3;Tee \x80 \x84gr\xFCn\x93;x;;10;17;10;1;0;0;0;;\n")
            << QByteArray("1;;;;;;;;;;;;\n2;M\xC3\xBCller;J;x;0;0;;;;;;;\n3;Tee \xE2\x82\xAC \xE2\x80\x9Egr\xC3\xBCn\xE2\x80\x9C;x;;10;17;10;1;0;0;0;;\n");
        QTest::newRow("short records, empty lines")
            << QByteArray("kopf\n2;X\n3;A;;100 mg;\n4\n;;\n")
            << QByteArray("1;;;;;;;;;;;;\n2;X;;;;;;;;;;;\n3;A;;100 mg;;;;;;;;;\n4;;;;;;;;;;;;\n5;;;;;;;;;;;;\n");
        QTest::newRow("last line without its end")
            << QByteArray("1;\n2;A;B;x;1;0;\n3;C;D;;10;0;5;1") << QByteArray("1;;;;;;;;;;;;\n2;A;B;x;1;0;;;;;;;\n3;C;D;;10;0;5;1;;;;;\n");
    }

    void verdichtet()
    {
        QFETCH(QByteArray, vorher);
        QFETCH(QByteArray, nachher);
        PlanDokument *d = neu(vorher);
        QVERIFY(d->verdichten().ok);
        QCOMPARE(lesen(plan), nachher);
    }

    void refusals_data()
    {
        QTest::addColumn<QByteArray>("plan");
        QTest::addColumn<Op>("op");
        QTest::addColumn<int>("fehler");
        QTest::newRow("medication gone") << muster << medikament("X-mol", 2, Feld::Bez, "x")
                                         << int(PlanDokument::Fehler::Weg);
        QByteArray voll = "1;Tablora;\n2;P;\n";
        for (int i = 0; i < PlanDokument::maxMedikamente; ++i)
            voll += QByteArray::number(i + 3) + ";M" + QByteArray::number(i) + ";\n";
        QTest::newRow("49th medication") << voll << Op([](PlanDokument &d) {
            return d.hinzufuegen({"", "Z"});
        }) << int(PlanDokument::Fehler::Voll);
        QTest::newRow("last medication")
            << mit({{4, QByteArray()}}) << Op([](PlanDokument &d) { return d.entfernen("A-mol", 2); })
            << int(PlanDokument::Fehler::Letztes);
    }

    void refusals()
    {
        QFETCH(QByteArray, plan);
        QFETCH(Op, op);
        QFETCH(int, fehler);
        PlanDokument *d = neu(plan);
        const auto e = op(*d);
        QVERIFY(!e.ok);
        QCOMPARE(int(e.fehler), fehler);
        QCOMPARE(lesen(this->plan), plan);
    }

    // Two windows on one plan: the second, reading stale bytes, applies its
    // change to the plan as the first left it.
    void zweiDokumente_data()
    {
        QTest::addColumn<Op>("erste");
        QTest::addColumn<Op>("zweite");
        QTest::addColumn<QByteArray>("erwartet");
        QTest::newRow("first name, surname")
            << patient(Feld::Vorname, "Anna") << patient(Feld::Name, "Neu")
            << mit({{2, "2;Neu;Anna;01.02.1950;0;0;;;;;;;"}});
        QTest::newRow("same field: the later value")
            << patient(Feld::Name, "Eins") << patient(Feld::Name, "Zwei")
            << mit({{2, "2;Zwei;Erika;01.02.1950;0;0;;;;;;;"}});
        QTest::newRow("not in plan, then the description")
            << medikament("A-mol", 2, Feld::NichtImPlan, "1") << medikament("A-mol", 2, Feld::Bez, "neu")
            << mit({{3, "3;A-mol;neu;5 mg;30;1000;20;1;0;1;0;1;"}});
        QTest::newRow("moved, then edited by name")
            << Op([](PlanDokument &d) { return d.verschieben("A-mol", 2, 1); })
            << medikament("A-mol", 2, Feld::Morgen, "3")
            << mit({{3, "3;B-mol;B Info;10 mg;50;1000;40;0;1;0;0;0;"},
                    {4, "4;A-mol;A Info;5 mg;30;1000;20;3;0;1;0;0;"}});
        QTest::newRow("added, then a pickup")
            << Op([](PlanDokument &d) { return d.hinzufuegen({"", "C-mol"}); })
            << Op([](PlanDokument &d) { return d.abholen("B-mol", 3, 5.0f, 50.0f, 3000); })
            << mit({{4, "4;B-mol;B Info;10 mg;50;3000;55;0;1;0;0;0;"}, {0, "5;C-mol;;;;;;;;;;;"}});
        QTest::newRow("two pickups of one medication")
            << Op([](PlanDokument &d) { return d.abholen("A-mol", 2, 20.0f, 30.0f, 1000); })
            << Op([](PlanDokument &d) { return d.abholen("A-mol", 2, std::nullopt, 30.0f, 1000); })
            << mit({{3, "3;A-mol;A Info;5 mg;30;1000;80;1;0;1;0;0;"}});
        QTest::newRow("removed, then edited: refused")
            << Op([](PlanDokument &d) { return d.entfernen("A-mol", 2); })
            << medikament("A-mol", 2, Feld::Bez, "x")
            << mit({{3, "3;B-mol;B Info;10 mg;50;1000;40;0;1;0;0;0;"}, {4, QByteArray()}});
    }

    void zweiDokumente()
    {
        QFETCH(Op, erste);
        QFETCH(Op, zweite);
        QFETCH(QByteArray, erwartet);
        PlanDokument *a = neu(muster);
        PlanDokument b;
        b.laden(plan);
        QVERIFY(erste(*a).ok);
        const auto e = zweite(b);
        QVERIFY(e.neuGelesen);
        QCOMPARE(lesen(plan), erwartet);
        Plantabelle kompakt = b.tabelle();
        kompakt.verdichten();
        QCOMPARE(kompakt.text(), erwartet);
        // What b had seen and what a wrote are both kept.
        QCOMPARE(int(Versionsspeicher(plan).versionen().size()), e.ok ? 2 : 1);
    }

    // Each failure of the write path leaves the plan's bytes whole and says so.
    void schreibfehler_data()
    {
        QTest::addColumn<QString>("scheitert"); // part of the path whose write fails
        QTest::addColumn<bool>("ohneUndo");     // the user's answer to the question
        QTest::addColumn<int>("fehler");
        QTest::addColumn<bool>("geschrieben");
        QTest::newRow("plan") << "p.medat" << false << int(PlanDokument::Fehler::Schreiben) << false;
        QTest::newRow("version, not going on")
            << ".versions" << false << int(PlanDokument::Fehler::Version) << false;
        QTest::newRow("version, going on without undo")
            << ".versions" << true << int(PlanDokument::Fehler::Keiner) << true;
    }

    void schreibfehler()
    {
        QFETCH(QString, scheitert);
        QFETCH(bool, ohneUndo);
        QFETCH(int, fehler);
        QFETCH(bool, geschrieben);
        PlanDokument *d = neu(muster);
        int gefragt = 0;
        d->setzeOhneUndoFrage([&](const QString &, const QString &) {
            ++gefragt;
            return ohneUndo;
        });
        // The named write fails; the others reach the disk.
        d->setzeSchreiber([&](const QString &pfad, const QByteArray &inhalt, QString *grund) {
            if (pfad.contains(".versions") == (scheitert == ".versions")) {
                *grund = "No space left on device";
                return false;
            }
            QFile f(pfad);
            return f.open(QIODevice::WriteOnly) && f.write(inhalt) == inhalt.size();
        });
        const auto e = d->patientAendern({{Feld::Name, "Neu"}});
        QCOMPARE(int(e.fehler), fehler);
        QCOMPARE(e.ok, geschrieben);
        QCOMPARE(lesen(plan) != muster, geschrieben);
        QCOMPARE(d->tabelle().feld(1, Feld::Name), geschrieben ? "Neu" : "Muster");
        QCOMPARE(gefragt, scheitert == ".versions" ? 1 : 0);
        if (fehler == int(PlanDokument::Fehler::Schreiben))
            QCOMPARE(e.grund, "No space left on device");
        // Gone on without a kept state: nothing to undo to.
        if (ohneUndo)
            QVERIFY(!d->kannRueckgaengig());
    }

    // A plan file keeps its bytes until the first change, which compacts it
    // and keeps the original as a version.
    void geoeffnetWieGekommen_data()
    {
        QTest::addColumn<QByteArray>("roh");
        QByteArray crlf = muster;
        QTest::newRow("CRLF") << crlf.replace("\n", "\r\n");
        QTest::newRow("byte-order mark") << "\xEF\xBB\xBF" + muster;
        QTest::newRow("Windows-1252") << mit({{2, "2;M\xFCller;Erika;01.02.1950;0;0;;;;;;;"}});
        QTest::newRow("14 fields") << mit({{3, "3;A-mol;A Info;5 mg;30;1000;20;1;0;1;0;0;x;y;"}});
        QTest::newRow("appointment flag 1") << mit({{2, "2;Muster;Erika;01.02.1950;1;99999;"}});
        QTest::newRow("numbers off") << mit({{3, "7;A-mol"}, {4, "9;B-mol"}});
    }

    void geoeffnetWieGekommen()
    {
        QFETCH(QByteArray, roh);
        PlanDokument *d = neu(roh);
        QCOMPARE(lesen(plan), roh);
        QVERIFY(!d->kannRueckgaengig());
        QVERIFY(d->patientAendern({{Feld::Vorname, "Eva"}}).ok);
        QVERIFY(lesen(plan) != roh);
        QCOMPARE(Versionsspeicher::lesen(Versionsspeicher(plan).versionen().constLast().pfad), roh);
        QVERIFY(d->rueckgaengig().ok);
        QCOMPARE(lesen(plan), roh);
        QVERIFY(d->wiederholen().ok);
        QVERIFY(lesen(plan).contains(";Eva;"));
    }

    void ausgabe_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("erlaubt");
        QTest::newRow("the plan") << "p.medat" << false;
        QTest::newRow("the plan, spelled otherwise") << "./sub/../p.medat" << false;
        QTest::newRow("another plan file") << "q.MEDAT" << false;
        QTest::newRow("a template") << "vorlage.medat" << false;
        QTest::newRow("a PDF") << "p.pdf" << true;
        QTest::newRow("a calendar") << "p.ics" << true;
    }

    void ausgabe()
    {
        QFETCH(QString, name);
        QFETCH(bool, erlaubt);
        PlanDokument *d = neu(muster);
        QDir(ordner.path()).mkpath("sub");
        schreiben(ordner.filePath("vorlage.medat"), muster);
        d->setzeVorlagen({ordner.filePath("vorlage.medat")});
        const QString ziel = ordner.path() + "/" + name;
        const auto e = d->exportSchreiben(ziel, "EXPORT");
        QCOMPARE(e.ok, erlaubt);
        QCOMPARE(lesen(plan), muster);
        if (!erlaubt)
            QCOMPARE(int(e.fehler), int(PlanDokument::Fehler::PlanDatei));
        else
            QCOMPARE(lesen(ziel), QByteArray("EXPORT"));
        QCOMPARE(int(Versionsspeicher(plan).versionen().size()), 0);
    }

    void geloeschtUndMuell()
    {
        // Deleted while open: the change writes the plan from memory.
        PlanDokument *d = neu(muster);
        QFile::remove(plan);
        auto e = d->patientAendern({{Feld::Name, "Neu"}});
        QVERIFY(e.ok && e.wiederAngelegt);
        QCOMPARE(lesen(plan), mit({{2, "2;Neu;Erika;01.02.1950;0;0;;;;;;;"}}));
        // Replaced by garbage: refused, the garbage kept, undo brings the plan back.
        const QByteArray muell("\x7f""ELF\0\0binary", 11);
        schreiben(plan, muell);
        e = d->patientAendern({{Feld::Name, "Wieder"}});
        QCOMPARE(int(e.fehler), int(PlanDokument::Fehler::Muell));
        QCOMPARE(lesen(plan), muell);
        QVERIFY(d->rueckgaengig().ok);
        QCOMPARE(lesen(plan), mit({{2, "2;Neu;Erika;01.02.1950;0;0;;;;;;;"}}));
    }

    void kommaImBestand()
    {
        PlanDokument *d = neu(mit({{3, "3;A-mol;A Info;5 mg;30;1000;37,5;1;0;1;0;0;"}}));
        QCOMPARE(gespeicherteZahl("37,5"), 37.5f);
        QVERIFY(zahlFeldLesbar("37,5"));
        QVERIFY(!zahlFeldLesbar("37,5,1") && !zahlFeldLesbar("1.000,5"));
        QVERIFY(d->abholen("A-mol", 2, std::nullopt, 10.0f, 1000).ok);
        QCOMPARE(d->feld(2, Feld::Bestand), "47.5");
    }

    void resteEinesAbsturzes()
    {
        schreiben(plan + ".AbC123", "half");
        schreiben(plan + ".notes", "mine");
        schreiben(ordner.filePath("q.medat.XyZ789"), "other plan's");
        neu(muster);
        QVERIFY(!QFile::exists(plan + ".AbC123"));
        QVERIFY(QFile::exists(plan + ".notes"));
        QVERIFY(QFile::exists(ordner.filePath("q.medat.XyZ789")));
    }

    // Undo writes exactly the earlier bytes; redo comes back across an
    // appointment switched on and off.
    void undoRedo()
    {
        PlanDokument *d = neu(muster);
        const QByteArray ja = mit({{2, "2;Muster;Erika;01.02.1950;1;5000;;;;;;;"}});
        const QByteArray nein = mit({{2, "2;Muster;Erika;01.02.1950;0;5000;;;;;;;"}});
        QVERIFY(d->patientAendern({{Feld::TerminGesetzt, "1"}, {Feld::TerminZeit, "5000"}}).ok);
        QVERIFY(d->patientAendern({{Feld::TerminGesetzt, "0"}}).ok);
        QCOMPARE(lesen(plan), nein);
        QVERIFY(d->rueckgaengig().ok);
        QCOMPARE(lesen(plan), ja);
        QVERIFY(d->rueckgaengig().ok);
        QCOMPARE(lesen(plan), muster);
        QVERIFY(!d->kannRueckgaengig());
        QVERIFY(d->wiederholen().ok);
        QCOMPARE(lesen(plan), ja);
        QVERIFY(d->wiederholen().ok);
        QCOMPARE(lesen(plan), nein);
        QVERIFY(!d->kannWiederholen());
    }

    // Undo and redo follow one path as in an editor: a change after undo
    // leaves what was undone, and no later undo or redo passes through it.
    // Steps: a=X / b=X set a medication's description, u undo, r redo, h=N
    // restores the N-th version of the history (0 = oldest); after each step
    // the descriptions "A/B" the plan holds.
    void linearesUndo_data()
    {
        QTest::addColumn<QString>("schritte");
        QTest::addColumn<QString>("zustaende");
        QTest::newRow("undo, change, undo, undo") << "a=1800 u b=50 u u"
                                                  << "1800/B u/B u/50 u/B u/B";
        QTest::newRow("undo, redo, change, undo") << "a=1800 u r b=50 u u u"
                                                  << "1800/B u/B 1800/B 1800/50 1800/B u/B u/B";
        QTest::newRow("two undone, then a change") << "a=1 a=2 u u b=9 u r r"
                                                   << "1/B 2/B 1/B u/B u/9 u/B u/9 u/9";
        QTest::newRow("redo after undo, no change") << "a=1 b=2 u u r r r"
                                                    << "1/B 1/2 1/B u/B 1/B 1/2 1/2";
        QTest::newRow("restored from history, then undo") << "a=1 u b=2 h=1 u u"
                                                          << "1/B u/B u/2 1/B u/2 u/B";
        // o=X: an editor sets A's description; undo keeps that state first.
        QTest::newRow("undo over an outside change") << "a=1 o=7 u u r r"
                                                     << "1/B 7/B 1/B u/B 1/B 7/B";
    }

    void linearesUndo()
    {
        QFETCH(QString, schritte);
        QFETCH(QString, zustaende);
        const QByteArray anfang = mit({{3, "3;A-mol;u;5 mg;30;1000;20;1;0;1;0;0;"},
                                       {4, "4;B-mol;B;10 mg;50;1000;40;0;1;0;0;0;"}});
        PlanDokument *d = neu(anfang);
        const QStringList erwartet = zustaende.split(' ');
        const QStringList liste = schritte.split(' ');
        QCOMPARE(liste.size(), erwartet.size());
        for (int i = 0; i < liste.size(); ++i) {
            const QString &s = liste.at(i);
            if (s == "u")
                d->rueckgaengig();
            else if (s == "r")
                d->wiederholen();
            else if (s.startsWith("o="))
                schreiben(plan, QByteArray(anfang).replace("A-mol;u;", "A-mol;" + s.mid(2).toUtf8() + ';'));
            else if (s.startsWith("h="))
                QVERIFY(d->wiederherstellen(
                              Versionsspeicher(plan).versionen().at(s.mid(2).toInt()).pfad)
                            .ok);
            else
                QVERIFY(d->medikamentAendern(s.at(0) == 'a' ? "A-mol" : "B-mol", -1,
                                             {{Feld::Bez, s.mid(2)}})
                            .ok);
            PlanDokument frisch;
            QVERIFY(frisch.laden(plan).ok);
            const QString schritt = " after step " + QString::number(i + 1);
            QCOMPARE(frisch.feld(2, Feld::Bez) + "/" + frisch.feld(3, Feld::Bez) + schritt,
                     erwartet.at(i) + schritt);
        }
    }

    // As a user of its own, with no rights that root would have: a plan the
    // user owns in a folder the user cannot write, on a full disk, killed
    // while writing: the plan is always whole, old or new.
    void alsNutzer_data()
    {
        QTest::addColumn<QString>("fall");
        QTest::newRow("folder not writable") << "ordner";
        QTest::newRow("full disk") << "voll";
        QTest::newRow("killed during writes") << "abbruch";
    }

    void alsNutzer()
    {
#ifndef Q_OS_UNIX
        QSKIP("users, modes and mounts of POSIX");
#else
        QFETCH(QString, fall);
        if (geteuid() != 0)
            QSKIP("needs root to make a user of its own");
        if (!getpwnam("tablora-test"))
            QCOMPARE(QProcess::execute("useradd", {"-M", "-s", "/usr/sbin/nologin", "tablora-test"}), 0);
        const passwd *nutzer = getpwnam("tablora-test");
        QVERIFY(nutzer);
        const QString wurzel = ordner.filePath("w");
        QDir().mkpath(wurzel);
        chmod(QFile::encodeName(ordner.path()).constData(), 0755);
        QByteArray gross = muster;
        for (int i = 0; i < 40; ++i)
            gross += QByteArray::number(i + 5) + ";M" + QByteArray(2000, 'x') + ";\n";
        bool gemountet = false;
        if (fall == "voll") {
            gemountet = mount("tmpfs", QFile::encodeName(wurzel).constData(), "tmpfs", 0,
                              "size=200k") == 0;
            if (!gemountet)
                QSKIP("no tmpfs here");
        }
        const QString p = wurzel + "/p.medat";
        schreiben(p, gross);
        chown(QFile::encodeName(p).constData(), nutzer->pw_uid, nutzer->pw_gid);
        chmod(QFile::encodeName(p).constData(), 0600);
        if (fall == "voll") {
            chown(QFile::encodeName(wurzel).constData(), nutzer->pw_uid, nutzer->pw_gid);
            QFile fueller(wurzel + "/fueller");
            QVERIFY(fueller.open(QIODevice::WriteOnly));
            while (fueller.write(QByteArray(4096, 'f')) > 0) {
            }
        } else if (fall == "abbruch") {
            chown(QFile::encodeName(wurzel).constData(), nutzer->pw_uid, nutzer->pw_gid);
        }
        chmod(QFile::encodeName(wurzel).constData(), 0755);

        const auto alsKind = [&](int runden) {
            const pid_t kind = fork();
            if (kind == 0) {
                setgroups(0, nullptr);
                if (setgid(nutzer->pw_gid) != 0 || setuid(nutzer->pw_uid) != 0)
                    _exit(3);
                PlanDokument d;
                d.setzeOhneUndoFrage([](const QString &, const QString &) { return true; });
                if (!d.laden(p).ok)
                    _exit(4);
                for (int i = 0; i < runden; ++i) {
                    const auto e = d.patientAendern({{Feld::Name, "N" + QString::number(i)}});
                    if (runden == 1)
                        _exit(e.ok ? 0 : e.fehler == PlanDokument::Fehler::Schreiben ? 1 : 5);
                }
                _exit(0);
            }
            return kind;
        };
        if (fall != "abbruch") {
            int status = 0;
            waitpid(alsKind(1), &status, 0);
            QCOMPARE(WEXITSTATUS(status), 1); // refused as a failed write
            QCOMPARE(lesen(p), gross);
        } else {
            for (int i = 0; i < 15; ++i) {
                const pid_t kind = alsKind(1000);
                usleep(20000 + 7000 * i);
                kill(kind, SIGKILL);
                waitpid(kind, nullptr, 0);
                const QByteArray jetzt = lesen(p);
                QVERIFY2(jetzt.size() > gross.size() - 100 && jetzt.endsWith(";\n"),
                         qPrintable(QString::number(jetzt.size())));
                QVERIFY(planLesen(jetzt).has_value());
            }
        }
        if (gemountet)
            umount(QFile::encodeName(wurzel).constData());
#endif
    }
};

QTEST_GUILESS_MAIN(TestDokument)
#include "tst_dokument.moc"
