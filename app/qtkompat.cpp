// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/qtkompat.h"
#include "i18n/sprachform.h"

#include <QCoreApplication>
#include <QDateEdit>
#include <QKeyEvent>
#include <QGuiApplication>
#include <QLibraryInfo>
#include <QSettings>

bool istUtf8(const QByteArray &bytes)
{
    const auto *b = reinterpret_cast<const unsigned char *>(bytes.constData());
    const qsizetype n = bytes.size();
    for (qsizetype i = 0; i < n;) {
        const unsigned char c = b[i];
        if (c < 0x80) {
            ++i;
            continue;
        }
        int laenge;
        char32_t zeichen;
        char32_t kleinstes;
        if ((c & 0xE0) == 0xC0) {
            laenge = 2, zeichen = c & 0x1F, kleinstes = 0x80;
        } else if ((c & 0xF0) == 0xE0) {
            laenge = 3, zeichen = c & 0x0F, kleinstes = 0x800;
        } else if ((c & 0xF8) == 0xF0) {
            laenge = 4, zeichen = c & 0x07, kleinstes = 0x10000;
        } else {
            return false;
        }
        if (n - i < laenge)
            return false;
        for (int k = 1; k < laenge; ++k) {
            if ((b[i + k] & 0xC0) != 0x80)
                return false;
            zeichen = (zeichen << 6) | (b[i + k] & 0x3F);
        }
        if (zeichen < kleinstes || zeichen > 0x10FFFF || (zeichen >= 0xD800 && zeichen <= 0xDFFF))
            return false;
        i += laenge;
    }
    return true;
}

QString utf8Text(const QByteArray &bytes)
{
    return QString::fromUtf8(bytes.constData(), bytes.size());
}

QString windows1252Text(const QByteArray &bytes)
{
    // 0x80..0x9F; every other byte is the Latin-1 character of the same value.
    static const char16_t mitte[32] = {
        0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
        0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
        0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
        0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
    QString text(bytes.size(), Qt::Uninitialized);
    QChar *ziel = text.data();
    for (const char zeichen : bytes) {
        const auto c = static_cast<unsigned char>(zeichen);
        *ziel++ = (c >= 0x80 && c < 0xA0) ? QChar(mitte[c - 0x80]) : QChar(c);
    }
    return text;
}

void iniUtf8(QSettings &datei)
{
#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0)
    datei.setIniCodec("UTF-8");
#else
    Q_UNUSED(datei);
#endif
}

namespace {

// The keys of a date field that Qt would handle otherwise.
class DatumsTasten : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *objekt, QEvent *ereignis) override
    {
        auto *feld = static_cast<QDateEdit *>(objekt);
        if (ereignis->type() == QEvent::FocusIn) {
            const Qt::FocusReason grund = static_cast<QFocusEvent *>(ereignis)->reason();
            // A click chose a part of the day on purpose; the keyboard starts at the first.
            m_vonVorn = grund == Qt::TabFocusReason || grund == Qt::BacktabFocusReason
                        || grund == Qt::ShortcutFocusReason;
            m_nachZiffer = false;
            return false;
        }
        if (ereignis->type() != QEvent::KeyPress)
            return false;
        auto *taste = static_cast<QKeyEvent *>(ereignis);
        if (taste->modifiers() & (Qt::ControlModifier | Qt::AltModifier))
            return false;
        if (taste->key() == Qt::Key_Tab || taste->key() == Qt::Key_Backtab) {
            // To the window, which moves the focus on from this field.
            QKeyEvent weiter(QEvent::KeyPress, taste->key(), taste->modifiers(), taste->text());
            QCoreApplication::sendEvent(feld->window(), &weiter);
            return true;
        }
        const QString text = taste->text();
        if (text.size() != 1)
            return false;
        const QChar zeichen = text.at(0);
        int ziffer = -1;
        if (zeichen >= QLatin1Char('0') && zeichen <= QLatin1Char('9'))
            ziffer = zeichen.unicode() - '0';
        else if (zeichen.unicode() >= 0x0660 && zeichen.unicode() <= 0x0669)
            ziffer = zeichen.unicode() - 0x0660;
        else if (zeichen.unicode() >= 0x06F0 && zeichen.unicode() <= 0x06F9)
            ziffer = zeichen.unicode() - 0x06F0;
        if (ziffer >= 0) {
            if (m_vonVorn) {
                feld->setCurrentSectionIndex(0);
                feld->setSelectedSection(feld->sectionAt(0));
                m_vonVorn = false;
            }
            m_abschnitt = feld->currentSectionIndex();
            m_nachZiffer = true;
            if (zeichen.unicode() >= 0x0660) {
                // Qt takes Latin digits only.
                QKeyEvent latein(QEvent::KeyPress, Qt::Key_0 + ziffer, taste->modifiers(),
                                 QString(QChar('0' + ziffer)));
                QCoreApplication::sendEvent(feld, &latein);
                return true;
            }
            return false;
        }
        static const QString trenner = QStringLiteral("./-, \x066B\x060C");
        if (trenner.contains(zeichen)) {
            // A part full of digits has moved on already: the separator
            // typed after it must not skip the next part.
            const bool weitergerueckt = m_nachZiffer && feld->currentSectionIndex() != m_abschnitt;
            m_nachZiffer = false;
            if (weitergerueckt)
                return true;
            const int naechster = feld->currentSectionIndex() + 1;
            if (naechster < feld->sectionCount()) {
                feld->setCurrentSectionIndex(naechster);
                feld->setSelectedSection(feld->sectionAt(naechster));
            }
            return true;
        }
        m_nachZiffer = false;
        return false;
    }

private:
    bool m_vonVorn = false;
    bool m_nachZiffer = false;
    int m_abschnitt = 0;
};

} // namespace

void datumsFeld(QDateEdit *feld)
{
    // Figures read from the left in every language; right to left, Qt would
    // also turn the order of day, month and year around (when the format is set).
    feld->setLayoutDirection(Qt::LeftToRight);
    feld->setDisplayFormat(datumsFeldFormat());
    feld->setCalendarPopup(true);
    feld->installEventFilter(new DatumsTasten(feld));
#if QT_VERSION < QT_VERSION_CHECK(6, 7, 0)
    feld->setTimeSpec(Qt::UTC);
#else
    feld->setTimeZone(QTimeZone::UTC);
#endif
}

QString qtUebersetzungen()
{
#if defined(Q_OS_WIN)
    // Shipped in the program's own data folder.
    return QCoreApplication::applicationDirPath() + QStringLiteral("/data/qt");
#elif QT_VERSION < QT_VERSION_CHECK(6, 0, 0)
    return QLibraryInfo::location(QLibraryInfo::TranslationsPath);
#else
    return QLibraryInfo::path(QLibraryInfo::TranslationsPath);
#endif
}

void hochDpiEinstellen()
{
#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0)
    // Always on in Qt 6.
    QCoreApplication::setAttribute(Qt::AA_EnableHighDpiScaling);
    QCoreApplication::setAttribute(Qt::AA_UseHighDpiPixmaps);
#endif
    QGuiApplication::setHighDpiScaleFactorRoundingPolicy(
        Qt::HighDpiScaleFactorRoundingPolicy::Round);
}
