// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef TABLORA_ABLAUF_H
#define TABLORA_ABLAUF_H

#include <QMap>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>

#include <memory>

#include "app/mainwindow.h"

// Reaches the window's decoder of language-file escapes.
struct TestZugang
{
    static QString umlaute(MainWindow &w, const QString &s) { return w.umlauteText(s); }
};

// Runs a user session written as lines of text against the real window, with
// its own settings folder and working folder (also $HOME; on Windows under
// Wine the Documents folder is its Documents). A file in
// tests/ablaeufe holds sessions, each starting with "=== title"; "#" starts a
// comment. Names are relative to the working folder. Texts may hold {T+n}
// (Unix time n days from now), {M+n} (local midnight of that day), either as
// {M+n+ks} k seconds later, {D+n} ("dd.MM.yyyy"), {Z+n} ("dd. MM. yyyy"),
// {I+n} ("yyyy-MM-dd"), {P} (working folder), {E} (the settings folder),
// {X} ($TABLORA_EXPORT_OUT, else "export"), {A} (the program's folder),
// and in files the escapes \r \n \t \\ \xHH. A "*" in a name stands for
// the one entry that matches. A control is named by its object name or, in
// quotes, by what the user reads on it: "Rückgängig", "Bestand" (a menu
// entry, the label of a field, a button or a box), in the session's language.
//   datei NAME          the lines up to "." as the file (each ends in \n)
//   datei NAME TEXT     the file holds exactly TEXT (escapes, no \n added)
//   datei NAME wie BASIS  BASIS with the lines up to "." in the place of
//                       their number, as for "geaendert"; BASIS is a file
//                       written or read before, or a plan of tests/plaene
//   datei NAME = BASIS  BASIS as it is ("geaendert NAME = BASIS" likewise)
//   In a block, "*A..B TEXT" stands for TEXT once for each n from A to B:
//   {n} is n, {n-K} n less K, {n-K:W} that with zeros to W digits.
//   start [NAME [LANG]] settings as after an earlier run, last file NAME
//                       (none when left out), language (de); then the window
//   start -             first start: no settings at all
//   neustart            a new window on the same settings
//   verbergen           hides the window and shows it again
//   > ANSWER            written after the command that opens the dialog:
//                       answers the dialogs it opens, in order:
//                       "datei NAME" fills a file dialog; "meldung TEXT"
//                       checks a notice holds TEXT (escapes as in files)
//                       and closes it, "warnung TEXT" the same for a
//                       warning; "tue COMMAND" runs a command while
//                       the dialog stays open; else words "field=value"
//                       (quoted if it has blanks; a field by its name or,
//                       quoted, its label; "table[r,c]" a cell) set,
//                       "control~text" check ("fenster~" on a file
//                       dialog: the file it proposes), "texte" checks
//                       that no text is missing (as the command), and a
//                       last word ok, ja, nein, abbrechen or a button's
//                       name closes it
//   klick NAME          clicks a button, triggers an action, clicks a shown widget
//   setze NAME VALUE    types into a field, picks a date, a list or table
//                       row, a tab (by number or title), a check state
//                       (1/0) as a user does
//   doppelklick NAME R  double-clicks row R of a table or a list
//   After klick/setze and at the session's end every queued answer must have
//   been used, and a dialog nobody answers fails the session.
//   ist WHAT TEXT       the control shows exactly TEXT; "hat" for contains.
//                       WHAT: name, name# (rows), name[r], name[r,c], each
//                       optionally .farbe (gelb/rot/-), .tip, .balken, .an,
//                       .titel, .haken (checked), .sichtbar (not
//                       hidden), .fett (bold: marked as changed), .rechteck
//                       (x,y,width,height in the parent), .richtung (ltr,
//                       rtl), .ausrichtung (a label's side: links, rechts),
//                       .format, .text and .kalender (a date field's: its
//                       format, what it shows, a calendar offered); "fenster"
//                       is the window; a list's bare name gives its current
//                       row, a group box's its title;
//                       einstellung:KEY reads meddata.ini
//   erwarte NAME        the file's bytes are the lines up to "." (a {T}
//                       there may lie up to 5 s back)
//   erwarte NAME TEXT   ... exactly TEXT; "erwarte NAME -": no such file
//   geaendert NAME      the file as "datei NAME" wrote it, with the lines up
//                       to "." in the place of their number (the first
//                       field), more at its end; "-N" drops line N;
//                       "geaendert NAME wie BASIS": BASIS's lines as base
//   merke NAME / unveraendert NAME   that file's bytes, as a base too
//   pdf NAME            pdftotext of the file holds the lines up to ".",
//                       in that order (blanks collapsed, compatibility
//                       forms and direction marks folded)
//   seiten NAME N       the PDF has N pages
//   pdffarbe NAME X Y #rrggbb   pixel (X, Y) of page 1 at 100 dpi
//   schnitte NAME TEXT  the font faces used, sorted: fett, fettkursiv, kursiv, normal
//   ordner NAME         a folder takes the file's place
//   loesche NAME        removes a file or folder
//   tmpfs NAME SIZE     a tmpfs of SIZE mounted at NAME, mode 700 (root only, else
//                       the session is skipped); fuellen NAME fills it
//   taste KEY           a key ("Tab", "Ctrl+Z") on the focused widget; in an
//                       answer the word "taste:KEY"; WHAT "fokus" names the
//                       focused widget
//   tippe TEXT          types TEXT key by key into the focused widget; in an
//                       answer the word tippe:TEXT (quoted if it has blanks)
//   zugang              the window (in an answer: the dialog) has a name for
//                       every control, no German words left in another
//                       language, mnemonics in every menu, none twice, no
//                       mnemonic mark in a title
//   merke / unveraendert   every file below the working folder unchanged
//   dateien DIR N       DIR holds N files
//   geoeffnet NAME      the last file handed to the desktop to open
//   texte               no menu entry, tab, button or heading of the window
//                       shows nothing, no label or box title only ":", no
//                       text a :xx: escape
class Ablauf : public QObject
{
    Q_OBJECT
public:
    Ablauf();
    ~Ablauf() override;
    struct Sitzung
    {
        QString titel;
        QStringList zeilen;
        int ab; // line number of the first line in its file
    };
    // Every session in a file.
    static QList<Sitzung> lesen(const QString &datei);
    // Fails the running test at the first line that does not hold, with its
    // place in the file the lines are from (from line ab), if given.
    void ausfuehren(const QStringList &zeilen, const QString &datei = {}, int ab = 0);
    MainWindow *fenster() const { return m_fenster.get(); }
    QString pfad(const QString &name) const;
    static QString einsetzen(QString text, qint64 zurueck = 0);
    static QByteArray bytes(const QString &text, qint64 zurueck = 0);

public Q_SLOTS:
    void oeffnen(const QUrl &url) { m_urls << url; }

private:
    bool zeile(const QStringList &alle, int &i);
    bool antworten(const QString &antwort, QWidget *dialog);
    QString aufloesen(QWidget *wurzel, const QString &name);
    void wachen();
    void starten();
    QString sprache() const;
    QMap<QString, QByteArray> alleDateien() const;

    QTemporaryDir m_einstellungen, m_arbeit;
    QString m_altesVerzeichnis;
    std::unique_ptr<MainWindow> m_fenster;
    QStringList m_antworten, m_fehler, m_mounts;
    QTimer m_waechter;
    int m_runden = 0;
    QPointer<QWidget> m_angenommen; // file dialog whose name was given
    QMap<QString, QByteArray> m_gemerkt;
    QMap<QString, QString> m_geschrieben; // each "datei" block, each file "merke" read
    QList<QUrl> m_urls;
    std::unique_ptr<struct DokumenteUmleitung> m_dokumente; // Windows under Wine
};

#endif
