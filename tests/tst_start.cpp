#include "support/testsupport.h"

#include <QtTest>

class TestStart : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void platzhalter();
};

void TestStart::platzhalter()
{
    QVERIFY(true);
}

QTEST_MAIN(TestStart)
#include "tst_start.moc"
