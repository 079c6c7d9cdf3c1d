// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/ablauf.h"

#include "i18n/kuerzel.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QMenuBar>
#include <QAction>
#include <QApplication>
#include <QDateEdit>
#include <QDesktopServices>
#include <QDirIterator>
#include <QFileDialog>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QSet>
#include <QSettings>
#include <QStyle>
#include <QTabWidget>
#include <QThread>
#include <QTableWidget>
#include <QToolButton>
#include <QtTest>

#include <algorithm>

#ifdef Q_OS_WIN
#include <windows.h>

// On Linux the working folder is also $HOME, so the program proposes plans in
// {P}/Documents. Windows keeps the Documents folder's place in the user's
// registry: under Wine, in the prefix of their own the tests run in, the
// sessions point it at {P}/Documents and put the entry back afterwards. Not
// on a real Windows, where it is the user's own folder.
struct DokumenteUmleitung
{
    HKEY schluessel = nullptr;
    DWORD typ = 0;
    QByteArray vorher;

    explicit DokumenteUmleitung(const QString &ordner)
    {
        if (RegOpenKeyExW(HKEY_CURRENT_USER,
                          L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders",
                          0, KEY_QUERY_VALUE | KEY_SET_VALUE, &schluessel) != ERROR_SUCCESS) {
            schluessel = nullptr;
            return;
        }
        DWORD groesse = 0;
        if (RegQueryValueExW(schluessel, L"Personal", nullptr, &typ, nullptr, &groesse) == ERROR_SUCCESS) {
            vorher.resize(groesse);
            RegQueryValueExW(schluessel, L"Personal", nullptr, &typ,
                             reinterpret_cast<BYTE *>(vorher.data()), &groesse);
        }
        const std::wstring neu = QDir::toNativeSeparators(ordner).toStdWString();
        RegSetValueExW(schluessel, L"Personal", 0, REG_SZ, reinterpret_cast<const BYTE *>(neu.c_str()),
                       DWORD((neu.size() + 1) * sizeof(wchar_t)));
    }
    ~DokumenteUmleitung()
    {
        if (!schluessel)
            return;
        if (vorher.isEmpty())
            RegDeleteValueW(schluessel, L"Personal");
        else
            RegSetValueExW(schluessel, L"Personal", 0, typ,
                           reinterpret_cast<const BYTE *>(vorher.constData()), DWORD(vorher.size()));
        RegCloseKey(schluessel);
    }
    static bool unterWine()
    {
        return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
    }
};

// The Linux path of a path under Wine, for mount and umount; empty elsewhere.
static QString linuxPfad(const QString &pfad)
{
    using Umwandlung = char *(CDECL *)(LPCWSTR);
    const auto umwandeln = reinterpret_cast<Umwandlung>(reinterpret_cast<void (*)()>(
        GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    char *roh = umwandeln ? umwandeln(QDir::toNativeSeparators(pfad).toStdWString().c_str()) : nullptr;
    const QString ergebnis = roh ? QString::fromUtf8(roh) : QString();
    if (roh)
        HeapFree(GetProcessHeap(), 0, roh);
    return ergebnis;
}
#else
struct DokumenteUmleitung
{
};

static QString linuxPfad(const QString &pfad)
{
    return pfad;
}
#endif

// Runs a program of this Linux machine and gives its output and exit code.
// Under Wine a Linux program runs detached, and its output reaches no
// Windows pipe: Linux's shell writes output and exit code to files and
// renames the output when the program is done.
static QByteArray linuxLaufen(const QString &programm, const QStringList &argumente, int *status = nullptr)
{
#ifdef Q_OS_WIN
    QTemporaryDir ordner;
    const QString linux = linuxPfad(ordner.path());
    QProcess::startDetached("sh", QStringList{"-c", "\"$0\" \"$@\" > \"" + linux + "/aus.neu\"; echo $? > \""
                                                      + linux + "/status\"; mv \"" + linux + "/aus.neu\" \""
                                                      + linux + "/aus\"",
                                              programm}
                                      + argumente);
    QElapsedTimer uhr;
    uhr.start();
    while (!QFile::exists(ordner.filePath("aus")) && uhr.elapsed() < 30000)
        QThread::msleep(20);
    QFile f(ordner.filePath("aus")), s(ordner.filePath("status"));
    if (status)
        *status = s.open(QIODevice::ReadOnly) ? s.readAll().trimmed().toInt() : -1;
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
#else
    QProcess p;
    p.start(programm, argumente);
    p.waitForFinished(60000);
    if (status)
        *status = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    return p.readAllStandardOutput();
#endif
}

namespace {

QByteArray lesenBytes(const QString &pfad)
{
    QFile f(pfad);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<fehlt>");
}

void schreibenBytes(const QString &pfad, const QByteArray &inhalt)
{
    QDir().mkpath(QFileInfo(pfad).absolutePath());
    QFile f(pfad);
    QVERIFY(f.open(QIODevice::WriteOnly) && f.write(inhalt) == inhalt.size());
}

QString farbe(const QBrush &b)
{
    if (b.style() == Qt::NoBrush)
        return "-";
    return b.color() == Qt::yellow ? "gelb" : b.color() == Qt::red ? "rot" : b.color().name();
}

// A control named by what the user reads on it, in quotes: a menu entry's
// text, the label of a field, a button's text or a box's title ("&", a
// shortcut, a trailing ":" or "..." left out); "Box > Text" looks in that
// box only. Empty when none or several.
QString sichtbar(QWidget *wurzel, QString text)
{
    if (text.contains(" > ")) {
        const QString box = sichtbar(wurzel, text.section(" > ", 0, 0));
        wurzel = box.isEmpty() ? nullptr : wurzel->findChild<QGroupBox *>(box);
        if (!wurzel)
            return {};
        text = text.section(" > ", 1);
    }
    auto rein = [](QString t) {
        t = ohneKuerzel(t.section('\t', 0, 0)).trimmed();
        for (const QString &ende : {QStringLiteral("..."), QStringLiteral(":")})
            if (t.endsWith(ende))
                t = t.chopped(ende.size()).trimmed();
        return t;
    };
    QSet<QString> namen;
    for (QAction *a : wurzel->findChildren<QAction *>())
        if (!a->objectName().isEmpty() && rein(a->text()) == text)
            namen << a->objectName();
    for (QLabel *l : wurzel->findChildren<QLabel *>())
        if (l->buddy() && rein(l->text()) == text)
            namen << l->buddy()->objectName();
    for (QAbstractButton *b : wurzel->findChildren<QAbstractButton *>())
        if (!b->objectName().isEmpty() && rein(b->text()) == text)
            namen << b->objectName();
    for (QGroupBox *g : wurzel->findChildren<QGroupBox *>())
        if (!g->objectName().isEmpty() && rein(g->title()) == text)
            namen << g->objectName();
    return namen.size() == 1 ? *namen.begin() : QString();
}

// "*A..B TEXT" in a block: TEXT once for each n from A to B, with {n} as n,
// {n-K} or {n+K} as n less or more K, ":W" after either padding it with
// zeros to W digits. Any other line is itself.
QStringList reihe(const QString &zeile)
{
    static const QRegularExpression kopf(R"(^\*(\d+)\.\.(\d+) (.*)$)"), zahl(R"(\{n([+-]\d+)?(?::(\d+))?\})");
    const auto k = kopf.match(zeile);
    if (!k.hasMatch())
        return {zeile};
    QStringList aus;
    for (int n = k.captured(1).toInt(); n <= k.captured(2).toInt(); ++n) {
        QString text = k.captured(3);
        for (auto m = zahl.match(text); m.hasMatch(); m = zahl.match(text))
            text.replace(m.capturedStart(), m.capturedLength(),
                         QString("%1").arg(n + m.captured(1).toInt(), m.captured(2).toInt(), 10, QChar('0')));
        aus << text;
    }
    return aus;
}

// A control as the checks name it: "name", "name#" (rows), "name[r]",
// "name[r,c]", each optionally ".farbe", ".tip", ".balken", ".an", ".titel",
// ".sichtbar", ".fett".
QRegularExpressionMatch angabeLesen(const QString &angabe)
{
    static const QRegularExpression muster(R"(^(\w+)(#)?(?:\[(\d+)(?:,(\d+))?\])?(?:\.(\w+))?$)");
    return muster.match(angabe);
}

// What a user reads off a control.
QString wert(QObject *wurzel, const QString &angabe, QString *fehler)
{
    const auto m = angabeLesen(angabe);
    if (angabe == "fokus")
        return QApplication::focusWidget() ? QApplication::focusWidget()->objectName() : "-";
    QObject *o = !m.hasMatch() ? nullptr
                 : m.captured(1) == "fenster" ? wurzel : wurzel->findChild<QObject *>(m.captured(1));
    if (!o) {
        *fehler = "kein Element " + angabe;
        return {};
    }
    const int r = m.captured(3).toInt(), c = m.captured(4).toInt();
    const QString eig = m.captured(5);
    auto *w = qobject_cast<QWidget *>(o);
    if (eig == "an")
        return (w ? w->isEnabled() : qobject_cast<QAction *>(o)->isEnabled()) ? "1" : "0";
    if (eig == "titel")
        return w->windowTitle();
    if (eig == "sichtbar")
        return w->isHidden() ? "0" : "1";
    if (eig == "haken")
        return (w ? qobject_cast<QAbstractButton *>(o)->isChecked()
                  : qobject_cast<QAction *>(o)->isChecked()) ? "1" : "0";
    if (eig == "markiert")
        return w->styleSheet().contains("red") ? "1" : "0";
    if (eig == "fett")
        return w->font().bold() ? "1" : "0";
    if (eig == "rechteck") // in the parent, as x,y,width,height
        return QString("%1,%2,%3,%4").arg(w->x()).arg(w->y()).arg(w->width()).arg(w->height());
    if (eig == "richtung")
        return w->layoutDirection() == Qt::RightToLeft ? "rtl" : "ltr";
    if (eig == "ausrichtung") { // a label's: links or rechts
        const Qt::Alignment a = QStyle::visualAlignment(w->layoutDirection(),
                                                        qobject_cast<QLabel *>(o)->alignment());
        return a & Qt::AlignRight ? "rechts" : a & Qt::AlignHCenter ? "mitte" : "links";
    }
    if (eig == "format")
        return qobject_cast<QDateEdit *>(o)->displayFormat();
    if (eig == "text") // what a date field shows
        return qobject_cast<QDateEdit *>(o)->text();
    if (eig == "kalender")
        return qobject_cast<QDateEdit *>(o)->calendarPopup() ? "1" : "0";
    if (auto *t = qobject_cast<QTableWidget *>(o)) {
        if (!m.captured(2).isEmpty())
            return QString::number(t->rowCount());
        QTableWidgetItem *item = t->item(r, c);
        auto *balken = qobject_cast<QProgressBar *>(t->cellWidget(r, c));
        if (eig == "farbe")
            return item ? farbe(item->background()) : "-";
        if (eig == "tip")
            return balken ? balken->toolTip() : item ? item->toolTip() : QString();
        if (eig == "balken")
            return balken ? QString::number(balken->value()) + " " + balken->text() : "-";
        return item ? item->text() : QString();
    }
    if (auto *l = qobject_cast<QListWidget *>(o))
        return !m.captured(2).isEmpty() ? QString::number(l->count())
               : m.captured(3).isEmpty() ? QString::number(l->currentRow())
               : l->item(r) ? l->item(r)->text() : "-";
    if (auto *d = qobject_cast<QDateEdit *>(o))
        return d->date().toString("dd.MM.yyyy");
    if (auto *e = qobject_cast<QLineEdit *>(o))
        return e->text();
    if (auto *l = qobject_cast<QLabel *>(o))
        return l->text();
    if (auto *t = qobject_cast<QTabWidget *>(o))
        return QString::number(t->currentIndex());
    if (auto *g = qobject_cast<QGroupBox *>(o))
        return g->title();
    if (auto *k = qobject_cast<QAbstractButton *>(o))
        return k->isCheckable() ? (k->isChecked() ? "1" : "0") : k->text();
    if (auto *a = qobject_cast<QAction *>(o))
        return a->text();
    if (auto *fd = qobject_cast<QFileDialog *>(o))
        return fd->selectedFiles().value(0);
    return w ? w->windowTitle() : QString();
}

// Does what a user does to a control to give it `text`.
bool setzen(QObject *o, const QString &text)
{
    if (auto *d = qobject_cast<QDateEdit *>(o)) {
        d->setDate(QDate::fromString(text, "dd.MM.yyyy"));
    } else if (auto *e = qobject_cast<QLineEdit *>(o)) {
        e->setFocus();
        e->selectAll();
        QTest::keyClick(e, Qt::Key_Delete);
        QTest::keyClicks(e, text);
    } else if (auto *l = qobject_cast<QListWidget *>(o)) {
        QListWidgetItem *item = l->item(text.toInt());
        if (!item)
            return false;
        l->scrollToItem(item);
        QTest::mouseClick(l->viewport(), Qt::LeftButton, {}, l->visualItemRect(item).center());
    } else if (auto *t = qobject_cast<QTabWidget *>(o)) {
        // A tab by its number or its title.
        bool zahl = false;
        int n = text.toInt(&zahl);
        for (int i = 0; !zahl && i < t->count(); ++i)
            if (ohneKuerzel(t->tabText(i)) == text)
                n = i, zahl = true;
        if (!zahl)
            return false;
        t->setCurrentIndex(n);
    } else if (auto *t = qobject_cast<QTableWidget *>(o)) {
        t->setFocus();
        t->selectRow(text.toInt());
    } else if (auto *k = qobject_cast<QAbstractButton *>(o)) {
        if (k->isChecked() != (text == "1"))
            k->click();
    } else {
        return false;
    }
    return true;
}

bool klicken(QObject *o)
{
    if (auto *a = qobject_cast<QAction *>(o))
        a->trigger();
    else if (auto *k = qobject_cast<QAbstractButton *>(o))
        k->click();
    else if (auto *w = qobject_cast<QWidget *>(o); w && w->isVisible())
        QTest::mouseClick(w, Qt::LeftButton);
    else
        return false;
    return true;
}

void schliessen(QWidget *d)
{
    if (auto *box = qobject_cast<QMessageBox *>(d); box && box->defaultButton())
        box->defaultButton()->click();
    else if (auto *dialog = qobject_cast<QDialog *>(d))
        dialog->reject();
    else
        d->close();
}

// A text as shown, for comparing: escapes decoded, no mnemonic marks, no
// trailing colons.
QString vergleichsText(MainWindow &w, QString text)
{
    text = TestZugang::umlaute(w, text);
    text.remove('&');
    while (text.trimmed().endsWith(':'))
        text = text.trimmed().chopped(1);
    return text.trimmed();
}

// What a screen reader or a keyboard user misses in a window or dialog: a
// control without a name, German words left in another language, a mnemonic
// mark in a title, menus and entries without a mnemonic of their own.
void zugangPruefen(MainWindow &w, QWidget *oben, const QString &sprache, QStringList &maengel)
{
    QStringList deutsch;
    const QString daten = QCoreApplication::applicationDirPath() + "/data/lang_";
    QSettings de(daten + "de.ini", QSettings::IniFormat), andere(daten + sprache + ".ini", QSettings::IniFormat);
    for (const QString &k : de.allKeys())
        if (sprache != "de" && vergleichsText(w, de.value(k).toString()) != vergleichsText(w, andere.value(k).toString()))
            deutsch << vergleichsText(w, de.value(k).toString());
    const auto istDeutsch = [&](const QString &text) {
        const QString t = vergleichsText(w, text);
        for (const QString &d : deutsch)
            if (!t.isEmpty() && (t == d || (d.size() >= 10 && t.contains(d))))
                return true;
        return false;
    };
    if (istDeutsch(oben->windowTitle()) || QString(oben->windowTitle()).remove("&&").contains('&'))
        maengel << "Titel: " + oben->windowTitle();
    const QList<QAccessible::Role> bedienbar{QAccessible::PushButton, QAccessible::CheckBox,
        QAccessible::RadioButton, QAccessible::SpinBox, QAccessible::ComboBox,
        QAccessible::EditableText, QAccessible::List, QAccessible::Table, QAccessible::PageTab,
        QAccessible::MenuItem};
    const std::function<void(QAccessibleInterface *)> gehen = [&](QAccessibleInterface *i) {
        if (!i || !i->isValid())
            return;
        const QString name = i->text(QAccessible::Name), was = i->object() ? i->object()->objectName() : "?";
        if (bedienbar.contains(i->role()) && name.trimmed().isEmpty())
            maengel << "ohne Namen: " + was;
        if (istDeutsch(name) || istDeutsch(i->text(QAccessible::Description)))
            maengel << "deutsch: " + name + " in " + was;
        if (i->role() != QAccessible::Table && i->role() != QAccessible::List)
            for (int k = 0; k < i->childCount(); ++k)
                gehen(i->child(k));
    };
    gehen(QAccessible::queryAccessibleInterface(oben));
    for (QMenuBar *leiste : oben->findChildren<QMenuBar *>()) {
        QList<QList<QAction *>> gruppen{leiste->actions()};
        for (QAction *a : leiste->actions())
            gruppen << a->menu()->actions();
        for (const auto &gruppe : gruppen) {
            QStringList vergeben;
            for (QAction *a : gruppe) {
                const QString k = QKeySequence::mnemonic(a->text()).toString();
                if (!a->isSeparator() && a->isVisible() && (k.isEmpty() || vergeben.contains(k)))
                    maengel << "Kürzel: " + a->text();
                vergeben << k;
            }
        }
    }
}

// A key as QKeySequence writes it ("Tab", "Ctrl+Z") on the focused widget.
void taste(QWidget *rest, const QString &text)
{
    const QKeySequence k(text);
#if QT_VERSION >= QT_VERSION_CHECK(6, 0, 0)
    const int kombi = k[0].toCombined();
#else
    const int kombi = k[0];
#endif
    // A closed dialog leaves no window active where no window manager hands
    // the focus back, as a desktop does.
    if (!QApplication::focusWidget() && rest->window()->isVisible()) {
        rest->window()->activateWindow();
        if (!QTest::qWaitForWindowActive(rest->window()))
            qWarning("window not active");
    }
    QWidget *ziel = QApplication::focusWidget() ? QApplication::focusWidget() : rest;
    QTest::keyClick(ziel, Qt::Key(kombi & ~Qt::KeyboardModifierMask),
                    Qt::KeyboardModifiers(kombi & Qt::KeyboardModifierMask));
}

// Types `text` into the focused widget, key by key, as a user does.
void tippen(QWidget *rest, const QString &text)
{
    for (const QChar c : text) {
        QWidget *ziel = QApplication::focusWidget() ? QApplication::focusWidget() : rest;
        if (c.unicode() < 0x80) // a key of its own: QTest knows it
            QTest::keyClick(ziel, c.toLatin1());
        else // a letter of another keyboard, as its text
            QTest::sendKeyEvent(QTest::Click, ziel, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
}

// A text a user would miss: a menu entry, tab, button or column heading that
// shows nothing, a label or box title of only ":", a :xx: escape left in.
QString fehlenderText(QWidget *wurzel)
{
    QList<QPair<QObject *, QString>> texte;
    if (auto *box = qobject_cast<QMessageBox *>(wurzel))
        texte.append({box, box->text().section('\n', 0, 0)});
    for (QAction *a : wurzel->findChildren<QAction *>())
        texte.append({a, a->isSeparator() || (a->menu() ? a->menu() : (QObject *)a)->objectName().isEmpty()
                             ? "-" : a->text()});
    for (QAbstractButton *k : wurzel->findChildren<QAbstractButton *>())
        texte.append({k, qobject_cast<QToolButton *>(k) || k->inherits("QTableCornerButton")
                             ? "-" : k->text()});
    for (QGroupBox *g : wurzel->findChildren<QGroupBox *>())
        texte.append({g, g->title().isEmpty() ? "-" : g->title()});
    for (QTabWidget *t : wurzel->findChildren<QTabWidget *>())
        for (int i = 0; i < t->count(); ++i)
            texte.append({t, t->tabText(i)});
    for (QTableWidget *t : wurzel->findChildren<QTableWidget *>())
        for (int i = 0; i < t->columnCount(); ++i)
            texte.append({t, t->horizontalHeaderItem(i) ? t->horizontalHeaderItem(i)->text() : "-"});
    for (QLabel *l : wurzel->findChildren<QLabel *>())
        texte.append({l, l->text().isEmpty() ? "-" : l->text()});
    static const QRegularExpression roh(":[A-Za-z]{2}:");
    for (const auto &[o, t] : texte)
        if (QString(t).remove(':').trimmed().isEmpty() || roh.match(t).hasMatch())
            return QString("Text fehlt: %1 \"%2\"").arg(o->objectName(), t);
    return {};
}

// Blanks collapsed; Arabic presentation forms and direction marks, as
// pdftotext gives them, folded away.
QString einfach(QString text)
{
    static const QRegularExpression marken("[\u200c-\u200f\u202a-\u202e]");
    // A letter in its initial or medial form joins the next one: a space
    // after it is the extractor's guess from the glyphs' places, no gap.
    for (int i = 0; i + 1 < text.size(); ++i) {
        const QChar::Decomposition form = text.at(i).decompositionTag();
        if (form == QChar::Initial || form == QChar::Medial)
            while (i + 1 < text.size() && text.at(i + 1) == QLatin1Char(' '))
                text.remove(i + 1, 1);
    }
    return text.normalized(QString::NormalizationForm_KC)
        .remove(marken)
        .replace(QRegularExpression("\\s+"), " ");
}

} // namespace

Ablauf::Ablauf()
{
    // Days in the checks are counted from the moment they are read: a session
    // must not span midnight, so one started in the last minute waits for it.
    if (const int rest = QDateTime::currentDateTime().time().secsTo(QTime(23, 59, 59)); rest < 60)
        QThread::sleep(static_cast<unsigned long>(rest + 2));
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_einstellungen.path());
    m_altesVerzeichnis = QDir::currentPath();
    QDir::setCurrent(m_arbeit.path());
    qputenv("HOME", m_arbeit.path().toUtf8());
#ifdef Q_OS_WIN
    if (DokumenteUmleitung::unterWine())
        m_dokumente = std::make_unique<DokumenteUmleitung>(m_arbeit.path() + "/Documents");
#endif
    QDesktopServices::setUrlHandler("file", this, "oeffnen");
    connect(&m_waechter, &QTimer::timeout, this, &Ablauf::wachen);
    m_waechter.start(20);
}

Ablauf::~Ablauf()
{
    m_fenster.reset();
    m_dokumente.reset();
    QDesktopServices::unsetUrlHandler("file");
    // Lazily, should a file in it still be open.
    for (const QString &m : m_mounts)
        linuxLaufen("umount", {"-l", m});
    QDir::setCurrent(m_altesVerzeichnis);
}

QList<Ablauf::Sitzung> Ablauf::lesen(const QString &datei)
{
    QList<Sitzung> ablaeufe;
    const QStringList zeilen = QString::fromUtf8(lesenBytes(datei)).split('\n');
    for (int n = 0; n < zeilen.size(); ++n) {
        if (zeilen[n].startsWith("=== "))
            ablaeufe.append({zeilen[n].mid(4), {}, n + 2});
        else if (!ablaeufe.isEmpty())
            ablaeufe.last().zeilen << zeilen[n];
    }
    return ablaeufe;
}

QString Ablauf::pfad(const QString &name) const
{
    const QString p = QDir(m_arbeit.path()).absoluteFilePath(name);
    const QRegularExpression muster(QRegularExpression::wildcardToRegularExpression(p));
    for (QDirIterator it(m_arbeit.path(), QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                         QDirIterator::Subdirectories);
         name.contains('*') && it.hasNext();)
        if (muster.match(it.next()).hasMatch())
            return it.filePath();
    return p;
}

// {T+n}: Unix time n days from now, {M+n} that day's midnight (either with "+ks", k seconds
// more); {D+n}: that day as "dd.MM.yyyy", {Z+n} as "dd. MM. yyyy", {I+n} as "yyyy-MM-dd";
// {P}: the working folder; {E}: the settings folder; {X}: $TABLORA_EXPORT_OUT, else "export"; {A}: the program's folder.
QString Ablauf::einsetzen(QString text, qint64 zurueck)
{
    static const QRegularExpression platzhalter(
        R"(\{([TMDZI])([+-]\d+)?(?:([+-]\d+)s)?\}|\{([PXAEQ])\})");
    for (auto m = platzhalter.match(text); m.hasMatch(); m = platzhalter.match(text)) {
        const qint64 tage = m.captured(2).toLongLong(), sekunden = m.captured(3).toLongLong();
        const QString art = m.captured(1);
        const QDate tag = QDate::currentDate().addDays(tage);
        const QString wert =
            m.captured(4) == "P" ? QDir::currentPath()
            : m.captured(4) == "X" ? qEnvironmentVariable("TABLORA_EXPORT_OUT", "export")
            : m.captured(4) == "A" ? QCoreApplication::applicationDirPath()
#ifdef Q_OS_WIN
            : m.captured(4) == "Q" ? QString() // no "?" in a Windows file name
#else
            : m.captured(4) == "Q" ? QStringLiteral("?")
#endif
            : m.captured(4) == "E" ? QFileInfo(QSettings(QSettings::IniFormat, QSettings::UserScope, "Tablora",
                                                         "application").fileName()).absolutePath()
            : art == "T" ? QString::number(QDateTime::currentSecsSinceEpoch() - zurueck
                                           + tage * 86400 + sekunden)
            : art == "M" ? QString::number(tag.startOfDay().toSecsSinceEpoch() + sekunden)
            : art == "D" ? tag.toString("dd.MM.yyyy")
            : art == "Z" ? tag.toString("dd. MM. yyyy")
                         : tag.toString("yyyy-MM-dd");
        text.replace(m.capturedStart(), m.capturedLength(), wert);
    }
    return text;
}

// UTF-8 with the escapes \r \n \t \\ and \xHH for single bytes.
QByteArray Ablauf::bytes(const QString &text, qint64 zurueck)
{
    const QByteArray roh = einsetzen(text, zurueck).toUtf8();
    QByteArray aus;
    for (int i = 0; i < roh.size(); ++i) {
        const char n = i + 1 < roh.size() ? roh[i + 1] : 0;
        if (roh[i] != '\\' || !QByteArray("rntx\\").contains(n)) {
            aus += roh[i];
            continue;
        }
        ++i;
        if (n == 'x') {
            aus += char(roh.mid(i + 1, 2).toInt(nullptr, 16));
            i += 2;
        } else {
            aus += n == 'r' ? '\r' : n == 'n' ? '\n' : n == 't' ? '\t' : '\\';
        }
    }
    return aus;
}

QString Ablauf::sprache() const
{
    return QSettings(m_einstellungen.path() + "/Tablora/data/language.ini", QSettings::IniFormat)
        .value("Language/set_lang", "de").toString();
}

void Ablauf::starten()
{
    m_fenster = std::make_unique<MainWindow>();
    m_fenster->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_fenster.get()));
}

QMap<QString, QByteArray> Ablauf::alleDateien() const
{
    QMap<QString, QByteArray> dateien;
    QDirIterator it(m_arbeit.path(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString p = it.next();
        dateien[p] = lesenBytes(p);
    }
    return dateien;
}

void Ablauf::wachen()
{
    QWidget *d = QApplication::activeModalWidget();
    if (!d || d->isHidden()) {
        m_runden = 0;
        return;
    }
    // A file dialog is still shown for a moment after its replace question:
    // while it takes its name, the next answer is for the dialog after it.
    if (d == m_angenommen)
        return;
    if (!m_antworten.isEmpty()) {
        const QString antwort = m_antworten.takeFirst();
        m_runden = -1000000; // until the answer has run
        QTimer::singleShot(0, this, [this, antwort, p = QPointer<QWidget>(d)] {
            m_runden = 0;
            if (p && !antworten(antwort, p) && p)
                schliessen(p);
        });
    } else if (++m_runden > 50) {
        auto *box = qobject_cast<QMessageBox *>(d);
        m_fehler << "unerwarteter Dialog: " + d->windowTitle() + " " + (box ? box->text() : "");
        schliessen(d);
        m_runden = 0;
    }
}

// "datei NAME" fills a file dialog, "meldung TEXT" checks a notice's text
// and "warnung TEXT" a warning's, "tue COMMAND" runs a command; otherwise
// "name=wert" sets, "name~text" checks, and a last word ok/ja/nein/abbrechen
// or a button's name closes the dialog.
bool Ablauf::antworten(const QString &antwort, QWidget *dialog)
{
    auto *box = qobject_cast<QMessageBox *>(dialog);
    if (antwort.startsWith("datei ")) {
        auto *fd = qobject_cast<QFileDialog *>(dialog);
        if (!fd) {
            m_fehler << "kein Dateidialog für: " + antwort;
            return false;
        }
        fd->selectFile(pfad(einsetzen(antwort.mid(6))));
        // The name field may still hold the file the dialog proposed.
        if (auto *feld = fd->findChild<QLineEdit *>("fileNameEdit"))
            feld->setText(pfad(einsetzen(antwort.mid(6))));
        m_angenommen = fd;
        QMetaObject::invokeMethod(fd, "accept");
        m_angenommen = nullptr;
        return true;
    }
    if (antwort.startsWith("tue ")) { // a command while the dialog stays open
        int i = 0;
        return zeile({antwort.mid(4)}, i);
    }
    if (antwort.startsWith("meldung") || antwort.startsWith("warnung")) {
        const QString erwartet = QString::fromUtf8(bytes(antwort.mid(8)));
        if (!box || !box->text().contains(erwartet)
            || box->icon() != (antwort.startsWith('w') ? QMessageBox::Warning : QMessageBox::Information))
            m_fehler << "Meldung \"" + (box ? box->text() : dialog->windowTitle())
                            + "\" statt \"" + antwort + "\"";
        schliessen(dialog);
        return true;
    }
    static const QRegularExpression teil(R"re(((?:"[^"]+"|\w+)#?(?:\[[\d,]+\])?(?:\.\w+)?)([=~])(?:"([^"]*)"|(\S*))|tippe:(?:"([^"]*)"|(\S*))|(\S+))re");
    for (auto it = teil.globalMatch(antwort); it.hasNext();) {
        const auto m = it.next();
        const QString name = aufloesen(dialog, m.captured(1));
        if (name.isEmpty() && !m.captured(1).isEmpty())
            return false;
        const QString text = einsetzen(m.captured(3) + m.captured(4));
        QString fehler;
        if (m.capturedStart(5) >= 0 || m.capturedStart(6) >= 0) {
            tippen(dialog, einsetzen(m.captured(5) + m.captured(6)));
        } else if (m.captured(2) == "=") {
            // "tabelle[r,c]=text" types into a cell.
            const auto a = angabeLesen(name);
            auto *t = a.capturedStart(4) >= 0 ? dialog->findChild<QTableWidget *>(a.captured(1)) : nullptr;
            if (QTableWidgetItem *zelle = t ? t->item(a.captured(3).toInt(), a.captured(4).toInt()) : nullptr)
                zelle->setText(text);
            else if (!setzen(dialog->findChild<QObject *>(name), text))
                fehler = "nicht setzbar: " + name;
        } else if (m.captured(2) == "~") {
            const QString ist = wert(dialog, name, &fehler);
            if (fehler.isEmpty() && !ist.contains(text))
                fehler = name + " ist \"" + ist + "\", ohne \"" + text + "\"";
        } else if (m.captured(7) == "texte") {
            fehler = fehlenderText(dialog);
        } else {
            const QString wort = m.captured(7);
            if (wort == "zugang") {
                zugangPruefen(*m_fenster, dialog, sprache(), m_fehler);
                continue;
            }
            if (wort.startsWith("taste:")) {
                taste(dialog, wort.mid(6));
                continue;
            }
            QAbstractButton *k = dialog->findChild<QAbstractButton *>(wort);
            if (box && wort != "abbrechen")
                k = box->button(wort == "nein"  ? QMessageBox::No
                                : box->button(QMessageBox::Yes) ? QMessageBox::Yes
                                                                : QMessageBox::Ok);
            else if (!box && wort == "ok")
                for (QPushButton *p : dialog->findChildren<QPushButton *>())
                    if (p->isDefault())
                        k = p;
            if (wort == "abbrechen")
                qobject_cast<QDialog *>(dialog)->reject();
            else if (k)
                k->click();
            else
                fehler = "kein Knopf " + wort;
        }
        if (!fehler.isEmpty()) {
            m_fehler << fehler;
            return false;
        }
    }
    return true;
}

// A quoted name, "Text" and what follows it, as the name of the one control
// the user reads Text on; any other name as it is. Empty, the fault noted,
// when there is no such control or more than one.
QString Ablauf::aufloesen(QWidget *wurzel, const QString &name)
{
    if (!name.startsWith('"'))
        return name;
    const int ende = name.indexOf('"', 1);
    const QString objekt = wurzel ? sichtbar(wurzel, name.mid(1, ende - 1)) : QString();
    if (objekt.isEmpty())
        m_fehler << "kein oder mehr als ein Element " + name.left(ende + 1);
    return objekt.isEmpty() ? QString() : objekt + name.mid(ende + 1);
}

void Ablauf::ausfuehren(const QStringList &zeilen, const QString &datei, int ab)
{
    for (int i = 0; i < zeilen.size(); ++i) {
        // The answers written after an action are for the dialogs it opens.
        const int zeilenNummer = i;
        int antworten = i + 1;
        for (; !zeilen.at(i).startsWith("> ") && antworten < zeilen.size()
               && zeilen.at(antworten).startsWith("> ");
             ++antworten)
            m_antworten << zeilen.at(antworten).mid(2);
        const bool weiter = zeile(zeilen, i);
        if (antworten > i + 1)
            i = antworten - 1;
        if (!m_fehler.isEmpty()) {
            const QString text = m_fehler.join("; ");
            if (datei.isEmpty())
                QTest::qFail(qPrintable(QString("Zeile %1: %2: %3")
                                            .arg(zeilenNummer + 1)
                                            .arg(zeilen.value(zeilenNummer), text)),
                             __FILE__, __LINE__);
            else
                QTest::qFail(qPrintable(zeilen.value(zeilenNummer) + ": " + text),
                             qPrintable(datei), ab + zeilenNummer);
        }
        if (!weiter || !m_fehler.isEmpty() || QTest::currentTestFailed())
            return;
    }
    if (!m_antworten.isEmpty())
        QFAIL(qPrintable("Dialog kam nicht: " + m_antworten.join(" | ")));
}

// Runs the command at line i (moving i past a block it reads); false stops.
bool Ablauf::zeile(const QStringList &alle, int &i)
{
    QString z = alle.at(i).trimmed();
    static const QRegularExpression zitiert(R"re(^(\S+\s+)("[^"]+"\S*)(.*)$)re");
    if (const auto m = zitiert.match(z); m.hasMatch() && !z.startsWith('>') && !z.startsWith('#')) {
        const QString objekt = aufloesen(m_fenster.get(), m.captured(2));
        if (objekt.isEmpty())
            return false;
        z = m.captured(1) + objekt + m.captured(3);
    }
    const QStringList w = z.split(' ', Qt::SkipEmptyParts);
    if (w.isEmpty() || z.startsWith('#'))
        return true;
    const QString befehl = w[0], name = einsetzen(w.value(1));
    const QString rest = einsetzen(z.section(' ', 2, -1, QString::SectionSkipEmpty));
    auto block = [&] {
        QStringList b;
        while (++i < alle.size() && alle.at(i) != ".")
            b << reihe(alle.at(i));
        return b;
    };
    auto fehler = [&](const QString &text) {
        m_fehler << text;
        return false;
    };
    QObject *ziel = m_fenster ? m_fenster->findChild<QObject *>(name) : nullptr;
    auto *tabelle = qobject_cast<QTableWidget *>(ziel);

    if (befehl == ">") {
        m_antworten << z.mid(2);
        return true;
    }
    const QString ini = m_einstellungen.path() + "/Tablora/data/meddata.ini";
    if (befehl == "klick" || befehl == "setze") {
        if (!(befehl == "klick" ? klicken(ziel) : setzen(ziel, rest)))
            return fehler("nicht bedienbar: " + name);
        QTest::qWait(1);
        if (!m_antworten.isEmpty())
            return fehler("Dialog kam nicht: " + m_antworten.join(" | "));
        return true;
    }
    if (befehl == "doppelklick" && tabelle && tabelle->item(rest.toInt(), 0)) {
        const QPoint punkt = tabelle->visualItemRect(tabelle->item(rest.toInt(), 0)).center();
        QTest::mouseClick(tabelle->viewport(), Qt::LeftButton, {}, punkt);
        QTest::mouseDClick(tabelle->viewport(), Qt::LeftButton, {}, punkt);
        return true;
    }
    if (auto *liste = qobject_cast<QListWidget *>(ziel); befehl == "doppelklick" && liste) {
        QListWidgetItem *eintrag = liste->item(rest.toInt());
        if (!eintrag)
            return fehler("kein Eintrag " + rest);
        const QPoint punkt = liste->visualItemRect(eintrag).center();
        QTest::mouseClick(liste->viewport(), Qt::LeftButton, {}, punkt);
        QTest::mouseDClick(liste->viewport(), Qt::LeftButton, {}, punkt);
        return m_antworten.isEmpty() || fehler("Dialog kam nicht: " + m_antworten.join(" | "));
    }
    if (befehl == "ist" || befehl == "hat") {
        QString f;
        const QString ist = name.startsWith("einstellung:")
            ? QSettings(ini, QSettings::IniFormat).value(name.mid(12)).toString()
            : wert(m_fenster.get(), name, &f);
        if (!f.isEmpty())
            return fehler(f);
        if (befehl == "ist" ? ist != rest : !ist.contains(rest))
            return fehler(name + " ist \"" + ist + "\" statt \"" + rest + "\"");
        return true;
    }
    if (befehl == "datei" || befehl == "erwarte" || befehl == "geaendert") {
        const bool wie = (befehl == "geaendert" || befehl == "datei") && (w.value(2) == "wie" || w.value(2) == "=");
        QString quelle = w.size() > 2 && !wie ? z.section(' ', 2) : w.value(2) == "=" ? QString() : block().join('\n') + '\n';
        if (befehl == "geaendert" || wie) {
            // The file as "datei" wrote it or "merke" found it (that of BASIS
            // after "wie BASIS", or the plan BASIS.medat in tests/plaene),
            // each line given here in the place of its number, "-N" without
            // line N; "datei NAME = BASIS": BASIS as it is.
            const QString basis = wie ? einsetzen(w.value(3)) : name;
            QFile plan(QStringLiteral(TABLORA_PLAENE "/") + basis + ".medat");
            if (!m_geschrieben.contains(basis) && plan.open(QIODevice::ReadOnly))
                m_geschrieben[basis] = QString::fromUtf8(plan.readAll());
            if (!m_geschrieben.contains(basis))
                return fehler("geaendert ohne datei " + basis);
            QStringList zeilen = m_geschrieben.value(basis).split('\n');
            zeilen.removeLast();
            QList<int> weg;
            for (const QString &neu : quelle.split('\n', Qt::SkipEmptyParts)) {
                const int n = neu.startsWith('-') ? neu.mid(1).toInt() : neu.section(';', 0, 0).toInt();
                if (n < 1 || n > zeilen.size() + 1)
                    return fehler("keine Zeile " + neu);
                if (neu.startsWith('-'))
                    weg << n - 1;
                else if (n > zeilen.size())
                    zeilen << neu;
                else
                    zeilen[n - 1] = neu;
            }
            std::sort(weg.rbegin(), weg.rend());
            for (int n : weg)
                zeilen.removeAt(n);
            quelle = zeilen.join('\n') + '\n';
        }
        if (befehl == "datei")
            m_geschrieben[name] = w.size() > 2 && !wie ? QString() : quelle;
        bool gleich = false; // a {T} the program wrote may lie up to 5 s back
        for (int s = 0; befehl != "datei" && s < 6 && !gleich; ++s) {
            gleich = lesenBytes(pfad(name)) == bytes(quelle, s);
#ifdef Q_OS_WIN
            // Qt ends the lines of the ini files it writes on Windows in CRLF.
            if (name.endsWith(".ini") && !gleich)
                gleich = lesenBytes(pfad(name)) == bytes(quelle, s).replace("\n", "\r\n");
#endif
        }
        if (befehl == "datei") {
            schreibenBytes(pfad(name), bytes(quelle));
        } else if (rest == "-" ? QFile::exists(pfad(name)) : !gleich) {
            return fehler(name + " hat:\n" + QString::fromUtf8(lesenBytes(pfad(name))));
        }
        return true;
    }
    if (befehl == "pdf" || befehl == "seiten" || befehl == "pdffarbe" || befehl == "schnitte") {
        const QString datei = linuxPfad(pfad(name));
        const QString programm = befehl == "pdffarbe"   ? "pdftoppm"
                                 : befehl == "schnitte" ? "pdffonts"
                                                        : "pdftotext";
        const QStringList argumente = befehl == "pdffarbe" // page 1 at 100 dpi
                                          ? QStringList{"-r", "100", "-f", "1", "-l", "1", datei}
                                      : befehl == "schnitte" ? QStringList{datei}
                                                             : QStringList{"-layout", datei, "-"};
        const QByteArray aus = linuxLaufen(programm, argumente);
        if (befehl == "seiten")
            return aus.count('\f') == rest.toInt()
                   || fehler(QString("%1 Seiten").arg(aus.count('\f')));
        if (befehl == "schnitte") {
            QStringList schnitte;
            for (const QString &z : QString::fromUtf8(aus).split('\n').mid(2)) {
                const QString f = z.section(' ', 0, 0).section('+', -1);
                const bool fett = f.contains("Bold"), kursiv = f.contains("Italic") || f.contains("Oblique");
                if (!f.isEmpty())
                    schnitte << (fett && kursiv ? "fettkursiv" : fett ? "fett" : kursiv ? "kursiv" : "normal");
            }
            schnitte.removeDuplicates();
            schnitte.sort();
            return schnitte.join(' ') == rest || fehler("Schnitte " + schnitte.join(' '));
        }
        if (befehl == "pdffarbe") {
            const QString c = QImage::fromData(aus, "PPM")
                                  .pixelColor(w.value(2).toInt(), w.value(3).toInt())
                                  .name();
            return c == w.value(4) || fehler("Farbe " + c);
        }
        const QString text = einfach(QString::fromUtf8(aus));
        int ab = 0;
        for (const QString &erwartet : block()) {
            ab = text.indexOf(einfach(einsetzen(erwartet)).trimmed(), ab);
            if (ab < 0)
                return fehler("nicht im PDF: " + erwartet + "\n" + text);
        }
        return true;
    }
    if (befehl == "start" || befehl == "neustart") {
        m_fenster.reset();
        if (befehl == "start" && name != "-") {
            const QString daten = m_einstellungen.path() + "/Tablora/data/";
            QDir().mkpath(daten);
            for (const char *d : {"lang_de.ini", "lang_en.ini", "lang_pers.ini", "Tablora_Anleitung.pdf"})
                QFile::copy(QCoreApplication::applicationDirPath() + "/data/" + d, daten + d);
            QSettings(daten + "language.ini", QSettings::IniFormat)
                .setValue("Language/set_lang", w.value(2, "de"));
            QSettings(daten + "meddata.ini", QSettings::IniFormat)
                .setValue("Pfade/letzteDatei", name.isEmpty() ? QString() : pfad(name));
        }
        starten();
        return true;
    }
    if (befehl == "verbergen") { // hidden and shown again, as after minimising
        m_fenster->hide();
        m_fenster->show();
        return QTest::qWaitForWindowExposed(m_fenster.get()) || fehler("Fenster nicht gezeigt");
    }
    if (befehl == "ordner") {
        QFile::remove(pfad(name));
        return QDir().mkpath(pfad(name + "/x")) || fehler("kein Ordner " + name);
    }
    if (befehl == "loesche")
        return QFile::remove(pfad(name)) || QDir(pfad(name)).removeRecursively();
    if (befehl == "tmpfs") {
        QDir().mkpath(pfad(name));
        // Under Wine, Linux's mount on the folder's Linux path.
        const QString ort = linuxPfad(pfad(name));
        int status = -1;
        if (!ort.isEmpty())
            linuxLaufen("mount", {"-t", "tmpfs", "-o", "size=" + rest + ",mode=0700", "tmpfs", ort}, &status);
        if (status != 0)
        {
            QTest::qSkip("tmpfs needs root", __FILE__, __LINE__);
            return false;
        }
        m_mounts << ort;
        return true;
    }
    if (befehl == "fuellen") {
        QFile f(pfad(name));
        f.open(QIODevice::WriteOnly | QIODevice::Unbuffered);
        while (f.write(QByteArray(64, 'x')) == 64) {
        }
        return true;
    }
    if (befehl == "zugang") {
        zugangPruefen(*m_fenster, m_fenster.get(), sprache(), m_fehler);
        return true;
    }
    if (befehl == "tippe") {
        tippen(m_fenster.get(), einsetzen(z.section(' ', 1)));
        return m_antworten.isEmpty() || fehler("Dialog kam nicht: " + m_antworten.join(" | "));
    }
    if (befehl == "taste") {
        taste(m_fenster.get(), w.value(1));
        return m_antworten.isEmpty() || fehler("Dialog kam nicht: " + m_antworten.join(" | "));
    }
    if (befehl == "merke" && !name.isEmpty()) {
        m_geschrieben[name] = QString::fromUtf8(lesenBytes(pfad(name)));
        return true;
    }
    if (befehl == "merke") {
        m_gemerkt = alleDateien();
        return true;
    }
    if (befehl == "unveraendert" && !name.isEmpty())
        return lesenBytes(pfad(name)) == m_geschrieben.value(name).toUtf8() || fehler(name + " geändert");
    if (befehl == "unveraendert")
        return alleDateien() == m_gemerkt || fehler("Dateien geändert");
    if (befehl == "dateien") {
        const int n = QDir(pfad(name)).entryList(QDir::Files | QDir::Hidden).size();
        return n == rest.toInt() || fehler(QString("%1 Dateien in %2").arg(n).arg(name));
    }
    if (befehl == "texte") {
        const QString f = fehlenderText(m_fenster.get());
        return f.isEmpty() || fehler(f);
    }
    if (befehl == "geoeffnet")
        return (!m_urls.isEmpty() && m_urls.last().toLocalFile() == pfad(name))
               || fehler("nicht geöffnet: " + name);
    return fehler("unbekannter Befehl");
}
