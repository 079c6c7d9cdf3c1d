// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef TABLORA_MYTABWIDGET_H
#define TABLORA_MYTABWIDGET_H

#include <QTabWidget>

class MyTabWidget : public QTabWidget
{
    Q_OBJECT
public:
    using QTabWidget::QTabWidget;
};

#endif
