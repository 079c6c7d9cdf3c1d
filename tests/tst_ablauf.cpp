// SPDX-License-Identifier: GPL-3.0-or-later
// The sessions of one file in tests/ablaeufe, each a row against a fresh window.
#include "support/ablauf.h"

#include <QtTest>

class TestAblauf : public QObject
{
    Q_OBJECT
private slots:
    void ablauf_data()
    {
        QTest::addColumn<QStringList>("zeilen");
        QTest::addColumn<int>("ab");
        for (const auto &a : Ablauf::lesen(qEnvironmentVariable("TABLORA_ABLAUF")))
            QTest::newRow(qPrintable(a.titel)) << a.zeilen << a.ab;
    }
    void ablauf()
    {
        QFETCH(QStringList, zeilen);
        QFETCH(int, ab);
        Ablauf a;
        a.ausfuehren(zeilen, qEnvironmentVariable("TABLORA_ABLAUF"), ab);
    }
};

QTEST_MAIN(TestAblauf)
#include "tst_ablauf.moc"
