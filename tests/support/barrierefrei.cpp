// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/barrierefrei.h"

#include <QAccessible>
#include <QAction>
#include <QCoreApplication>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>
#include <QSet>
#include <QSettings>
#include <QWidget>

namespace {

bool bedienbar(QAccessible::Role rolle)
{
    switch (rolle) {
    case QAccessible::PushButton:
    case QAccessible::CheckBox:
    case QAccessible::RadioButton:
    case QAccessible::ButtonDropDown:
    case QAccessible::ButtonMenu:
    case QAccessible::SpinBox:
    case QAccessible::Slider:
    case QAccessible::Dial:
    case QAccessible::ComboBox:
    case QAccessible::EditableText:
    case QAccessible::List:
    case QAccessible::Table:
    case QAccessible::Tree:
    case QAccessible::PageTab:
    case QAccessible::MenuItem:
    case QAccessible::Link:
        return true;
    default:
        return false;
    }
}

QString vergleichsText(QString text)
{
    text.remove(QLatin1Char('&'));
    text = text.trimmed();
    while (text.endsWith(QLatin1Char(':')))
        text.chop(1);
    return text.trimmed();
}

QString umlaute(QString text)
{
    const char *const paare[][2] = {{":ae:", "\u00e4"}, {":oe:", "\u00f6"}, {":ue:", "\u00fc"},
                                    {":Ae:", "\u00c4"}, {":Oe:", "\u00d6"}, {":Ue:", "\u00dc"},
                                    {":sz:", "\u00df"}};
    for (const auto &p : paare)
        text.replace(QString::fromUtf8(p[0]), QString::fromUtf8(p[1]));
    return text;
}

// The German texts of the shipped language files that `sprache` words otherwise.
QStringList nurDeutsch(const QString &sprache)
{
    const QString ordner = QCoreApplication::applicationDirPath() + "/data/";
    QSettings de(ordner + "lang_de.ini", QSettings::IniFormat);
    QSettings andere(ordner + "lang_" + sprache + ".ini", QSettings::IniFormat);
    QStringList texte;
    for (const QString &schluessel : de.allKeys()) {
        const QString deutsch = vergleichsText(umlaute(de.value(schluessel).toString()));
        const QString fremd = vergleichsText(andere.value(schluessel).toString());
        if (!deutsch.isEmpty() && deutsch != fremd)
            texte << deutsch;
    }
    return texte;
}

bool istDeutsch(const QString &text, const QStringList &deutsch)
{
    const QString t = vergleichsText(text);
    if (t.isEmpty())
        return false;
    for (const QString &d : deutsch) {
        // Short words only as the whole text; longer ones also inside a text.
        if (t == d || (d.size() >= 10 && t.contains(d)))
            return true;
    }
    return false;
}

QString beschreibung(QAccessibleInterface *iface)
{
    QObject *o = iface->object();
    const QString klasse = o ? QString::fromLatin1(o->metaObject()->className()) : "?";
    const QString name = o ? o->objectName() : QString();
    return QString("%1 '%2' (Rolle %3)").arg(klasse, name).arg(int(iface->role()));
}

void gehen(QAccessibleInterface *iface, const QStringList &deutsch, QStringList &maengel,
           int tiefe)
{
    if (!iface || !iface->isValid() || tiefe > 40)
        return;
    const QAccessible::Role rolle = iface->role();
    const QString name = iface->text(QAccessible::Name);
    if (bedienbar(rolle) && name.trimmed().isEmpty())
        maengel << "ohne Namen: " + beschreibung(iface);
    for (const QString &text : {name, iface->text(QAccessible::Description)}) {
        if (istDeutsch(text, deutsch))
            maengel << "deutsch: '" + text + "' in " + beschreibung(iface);
    }
    // Cells and list rows hold the plan's own words, a combo box's popup list
    // its entries; the views themselves are checked above.
    if (rolle == QAccessible::Table || rolle == QAccessible::List
        || rolle == QAccessible::ComboBox)
        return;
    for (int i = 0; i < iface->childCount(); ++i)
        gehen(iface->child(i), deutsch, maengel, tiefe + 1);
}

} // namespace

QStringList zugangsMaengel(QWidget *oben, const QString &sprache)
{
    const QStringList deutsch = sprache == "de" ? QStringList() : nurDeutsch(sprache);
    QStringList maengel;
    if (istDeutsch(oben->windowTitle(), deutsch))
        maengel << "deutscher Fenstertitel: " + oben->windowTitle();
    // A menu text reused as a title shows no mnemonic mark.
    if (QString(oben->windowTitle()).remove(QLatin1String("&&")).contains(QLatin1Char('&')))
        maengel << "Kürzelzeichen im Fenstertitel: " + oben->windowTitle();
    gehen(QAccessible::queryAccessibleInterface(oben), deutsch, maengel, 0);
    return maengel;
}

namespace {
void eindeutig(const QList<QAction *> &aktionen, const QString &wo, QStringList &maengel)
{
    QSet<QString> vergeben;
    for (QAction *a : aktionen) {
        if (a->isSeparator() || !a->isVisible())
            continue;
        const QKeySequence k = QKeySequence::mnemonic(a->text());
        if (k.isEmpty())
            maengel << wo + ": ohne Kürzel: " + a->text();
        else if (vergeben.contains(k.toString()))
            maengel << wo + ": Kürzel doppelt: " + a->text();
        vergeben.insert(k.toString());
    }
}
} // namespace

QStringList kuerzelMaengel(QMenuBar *leiste)
{
    QStringList maengel;
    eindeutig(leiste->actions(), "Menüleiste", maengel);
    for (QAction *titel : leiste->actions()) {
        if (QMenu *menue = titel->menu())
            eindeutig(menue->actions(), titel->text(), maengel);
    }
    return maengel;
}
