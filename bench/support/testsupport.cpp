// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/testsupport.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDesktopServices>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QSettings>
#include <QTest>
#include <QTimer>

#include <unistd.h>

TestUmgebung::TestUmgebung()
{
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_settings.path());
    m_altesArbeitsVerzeichnis = QDir::currentPath();
    QDir::setCurrent(m_arbeit.path());
}

TestUmgebung::~TestUmgebung()
{
    QDir::setCurrent(m_altesArbeitsVerzeichnis);
}

QString TestUmgebung::settingsVerzeichnis() const
{
    return m_settings.path() + "/Tablora";
}

QString TestUmgebung::datenVerzeichnis() const
{
    return settingsVerzeichnis() + "/data/";
}

QString TestUmgebung::arbeitsVerzeichnis() const
{
    return m_arbeit.path();
}

QString TestUmgebung::programmDaten() const
{
    return QCoreApplication::applicationDirPath() + "/data/";
}

void TestUmgebung::vorbereiten(const QString &plan, const QString &sprache)
{
    QDir().mkpath(datenVerzeichnis());
    for (const char *name : {"lang_de.ini", "lang_en.ini", "lang_pers.ini",
                             "Tablora_Anleitung.pdf"})
        QFile::copy(programmDaten() + name, datenVerzeichnis() + name);
    {
        QSettings s(datenVerzeichnis() + "language.ini", QSettings::IniFormat);
        s.setValue("Language/set_lang", sprache);
    }
    QSettings m(datenVerzeichnis() + "meddata.ini", QSettings::IniFormat);
    m.setValue("Pfade/letzteDatei", plan);
}

QString TestUmgebung::planSchreiben(const QString &name, const QByteArray &inhalt) const
{
    const QString pfad = m_arbeit.path() + "/" + name;
    QDir().mkpath(QFileInfo(pfad).absolutePath());
    dateiSchreiben(pfad, inhalt);
    return pfad;
}

QString TestUmgebung::fixture(const QString &name) const
{
    return planSchreiben(name, dateiLesen(qEnvironmentVariable("TABLORA_TEST_FIXTURES") + "/"
                                          + name));
}

QByteArray dateiLesen(const QString &pfad)
{
    QFile f(pfad);
    if (!f.open(QIODevice::ReadOnly))
        return QByteArray();
    return f.readAll();
}

void dateiSchreiben(const QString &pfad, const QByteArray &inhalt)
{
    QFile f(pfad);
    if (f.open(QIODevice::WriteOnly))
        f.write(inhalt);
}

QByteArray planZeile(const QStringList &felder)
{
    QStringList f = felder;
    while (f.size() < 12)
        f << QString();
    QByteArray zeile;
    for (const QString &s : f)
        zeile += s.toUtf8() + ';';
    return zeile + '\n';
}

QByteArray planMit(const QStringList &patient, const QList<QStringList> &medikamente)
{
    QByteArray plan = planZeile({"1", "Tablora"});
    plan += planZeile(QStringList{"2"} + patient);
    int nummer = 3;
    for (const QStringList &m : medikamente)
        plan += planZeile(QStringList{QString::number(nummer++)} + m);
    return plan;
}

DialogHelfer::DialogHelfer(std::function<void(QWidget *)> aktion, int wartezeitMs)
    : m_aktion(std::move(aktion))
    , m_rest(wartezeitMs)
{
    QTimer::singleShot(20, this, &DialogHelfer::pruefe);
}

DialogHelfer::~DialogHelfer()
{
    if (!m_erledigt)
        QTest::qFail("Der erwartete Dialog ist nicht erschienen", __FILE__, __LINE__);
}

void DialogHelfer::pruefe()
{
    QWidget *dialog = QApplication::activeModalWidget();
    if (!dialog) {
        m_rest -= 20;
        if (m_rest > 0)
            QTimer::singleShot(20, this, &DialogHelfer::pruefe);
        return;
    }
    m_erledigt = true;
    m_text = nachrichtText(dialog);
    m_titel = dialog->windowTitle();
    QPointer<QWidget> wache(dialog);
    m_aktion(dialog);
    // Never leave a dialog open: a forgotten one would hang the suite.
    QTimer::singleShot(3000, dialog, [wache] {
        if (wache && wache->isVisible())
            dialogSchliessen(wache);
    });
}

MeldungsWaechter::MeldungsWaechter()
    : m_timer(new QTimer(this))
{
    connect(m_timer, &QTimer::timeout, this, [this] {
        if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
            meldungen << box->text();
            dialogSchliessen(box);
        }
    });
    m_timer->start(20);
}

void dialogSchliessen(QWidget *dialog)
{
    if (auto *box = qobject_cast<QMessageBox *>(dialog)) {
        if (box->defaultButton())
            box->defaultButton()->click();
        else
            box->accept();
        return;
    }
    if (auto *d = qobject_cast<QDialog *>(dialog))
        d->reject();
    else
        dialog->close();
}

QString nachrichtText(QWidget *dialog)
{
    auto *box = qobject_cast<QMessageBox *>(dialog);
    return box ? box->text() : QString();
}

void dateiDialogAusfuellen(QWidget *dialog, const QString &pfad)
{
    auto *d = qobject_cast<QFileDialog *>(dialog);
    if (!d) {
        QTest::qFail("Kein Dateidialog", __FILE__, __LINE__);
        dialogSchliessen(dialog);
        return;
    }
    d->selectFile(pfad);
    auto *feld = d->findChild<QLineEdit *>("fileNameEdit");
    if (feld)
        feld->setText(pfad);
    QMetaObject::invokeMethod(d, "accept");
}

UrlFaenger::UrlFaenger()
{
    QDesktopServices::setUrlHandler("file", this, "oeffnen");
}

UrlFaenger::~UrlFaenger()
{
    QDesktopServices::unsetUrlHandler("file");
}

void UrlFaenger::oeffnen(const QUrl &url)
{
    urls << url;
}

KleinesDateisystem::KleinesDateisystem(const QString &ordner)
    : m_pfad(ordner)
{
    QDir().mkpath(m_pfad);
    m_bereit = ::geteuid() == 0
               && QProcess::execute("mount", {"-t", "tmpfs", "-o", "size=8k", "tmpfs", m_pfad})
                      == 0;
}

KleinesDateisystem::~KleinesDateisystem()
{
    if (m_bereit)
        QProcess::execute("umount", {m_pfad});
}

void KleinesDateisystem::fuellen() const
{
    QFile fueller(m_pfad + "/fueller");
    if (!fueller.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return;
    const QByteArray block(256, 'x');
    while (fueller.write(block) == block.size()) {
    }
}

bool alsRoot()
{
    return ::geteuid() == 0;
}
