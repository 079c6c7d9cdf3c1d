// SPDX-License-Identifier: GPL-3.0-or-later
// Builds the user manual: lays the HTML source out on A4 pages and writes a PDF.
// Usage: tablora_manual <source.html> <target.pdf>

#include <QBuffer>
#include <QFile>
#include <QFont>
#include <QGuiApplication>
#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QSaveFile>
#include <QTextDocument>
#include <QTextStream>

#include <cstdio>

namespace {
int fehler(const QString &text)
{
    std::fprintf(stderr, "tablora_manual: %s\n", qPrintable(text));
    return 1;
}
} // namespace

int main(int argc, char *argv[])
{
    QGuiApplication app(argc, argv);
    const QStringList argumente = QCoreApplication::arguments();
    if (argumente.size() != 3)
        return fehler("usage: tablora_manual <source.html> <target.pdf>");

    QFile quelle(argumente.at(1));
    if (!quelle.open(QIODevice::ReadOnly))
        return fehler(argumente.at(1) + ": " + quelle.errorString());
    const QString html = QString::fromUtf8(quelle.readAll());

    QTextDocument dokument;
    dokument.setDefaultFont(QFont("DejaVu Sans", 10));
    dokument.setHtml(html);

    QByteArray daten;
    {
        QBuffer puffer(&daten);
        puffer.open(QIODevice::WriteOnly);
        QPdfWriter schreiber(&puffer);
        schreiber.setTitle(dokument.metaInformation(QTextDocument::DocumentTitle));
        schreiber.setCreator("Tablora");
        schreiber.setResolution(300);
        schreiber.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                            QMarginsF(20, 18, 20, 18),
                                            QPageLayout::Millimeter));
        dokument.print(&schreiber);
    }
    if (!daten.startsWith("%PDF"))
        return fehler("no PDF was produced");

    // Only a complete file replaces the old one, so a broken run cannot leave
    // a half manual that the build then takes as up to date.
    QSaveFile ziel(argumente.at(2));
    if (!ziel.open(QIODevice::WriteOnly) || ziel.write(daten) != daten.size() || !ziel.commit())
        return fehler(argumente.at(2) + ": " + ziel.errorString());
    return 0;
}
