// SPDX-License-Identifier: GPL-3.0-or-later
#include "i18n/spiegeln.h"

#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QMainWindow>
#include <QTabWidget>

namespace {

bool behaelter(const QWidget *w)
{
    const QMetaObject *m = w->metaObject();
    return m == &QWidget::staticMetaObject || m == &QGroupBox::staticMetaObject
           || qobject_cast<const QDialog *>(w) || qobject_cast<const QMainWindow *>(w);
}

void seitenTauschen(QWidget *w)
{
    if (auto *label = qobject_cast<QLabel *>(w)) {
        Qt::Alignment a = label->alignment();
        if (a & Qt::AlignAbsolute) {
            const Qt::Alignment waagrecht = a & (Qt::AlignLeft | Qt::AlignRight);
            if (waagrecht == Qt::AlignLeft || waagrecht == Qt::AlignRight) {
                a &= ~(Qt::AlignLeft | Qt::AlignRight);
                a |= waagrecht == Qt::AlignLeft ? Qt::AlignRight : Qt::AlignLeft;
                label->setAlignment(a);
            }
        }
    }
    const QMargins r = w->contentsMargins();
    w->setContentsMargins(r.right(), r.top(), r.left(), r.bottom());
}

void kinderSpiegeln(QWidget *eltern);

// A hidden page keeps its first size until it is shown: it gets the size of
// the page shown, which the tab widget gives every page.
void seitenSpiegeln(QTabWidget *reiter)
{
    const QSize groesse = reiter->currentWidget() ? reiter->currentWidget()->size() : QSize();
    for (int i = 0; i < reiter->count(); ++i) {
        if (groesse.isValid())
            reiter->widget(i)->resize(groesse);
        kinderSpiegeln(reiter->widget(i));
    }
}

void kinderSpiegeln(QWidget *eltern)
{
    const int breite = eltern->width();
    QList<QWidget *> weiter;
    QList<QTabWidget *> reiterListe;
    for (QObject *o : eltern->children()) {
        auto *kind = qobject_cast<QWidget *>(o);
        if (!kind || kind->isWindow())
            continue;
        if (eltern->layout() && eltern->layout()->indexOf(kind) >= 0)
            continue;
        const QRect r = kind->geometry();
        kind->move(breite - r.x() - r.width(), r.y());
        seitenTauschen(kind);
        if (behaelter(kind))
            weiter << kind;
        else if (auto *reiter = qobject_cast<QTabWidget *>(kind))
            reiterListe << reiter;
    }
    for (QWidget *w : weiter)
        kinderSpiegeln(w);
    for (QTabWidget *reiter : reiterListe)
        seitenSpiegeln(reiter);
}

} // namespace

void geometrieSpiegeln(QWidget *wurzel)
{
    if (!wurzel || wurzel->layoutDirection() != Qt::RightToLeft)
        return;
    if (auto *reiter = qobject_cast<QTabWidget *>(wurzel)) {
        seitenSpiegeln(reiter);
        return;
    }
    kinderSpiegeln(wurzel);
}
