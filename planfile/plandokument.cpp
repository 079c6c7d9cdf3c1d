// SPDX-License-Identifier: GPL-3.0-or-later
#include "planfile/plandokument.h"

#include "planfile/datensatz.h"
#include "planfile/eingabe.h"
#include "planfile/sicherschreiben.h"
#include "planfile/versionen.h"
#include "views/prognose.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <utility>

QString Plantabelle::feld(int index, int nummer) const
{
    if (index < 0 || index >= anzahlDatensaetze())
        return QString();
    return feldVon(datensaetze.at(index), nummer);
}

void Plantabelle::setzeFeld(int index, int nummer, const QString &wert)
{
    if (index < 0 || index >= anzahlDatensaetze() || nummer < 0)
        return;
    QStringList &datensatz = datensaetze[index];
    while (datensatz.size() <= nummer)
        datensatz.append(QString());
    datensatz[nummer] = wert;
}

int Plantabelle::finden(const QString &name, int vermutet) const
{
    if (vermutet >= 2 && feld(vermutet, Feld::Eingabe) == name)
        return vermutet;
    for (int i = 2; i < anzahlDatensaetze(); ++i) {
        if (feld(i, Feld::Eingabe) == name)
            return i;
    }
    return -1;
}

void Plantabelle::verdichten()
{
    for (int i = 0; i < anzahlDatensaetze(); ++i) {
        QStringList neu{QString::number(i + 1)};
        neu += datensaetze.at(i);
        if (neu.size() > 1)
            neu.removeAt(1); // the old record number
        while (neu.size() > Feld::Anzahl)
            neu.removeLast();
        while (neu.size() < Feld::Anzahl)
            neu.append(QString());
        datensaetze[i] = neu;
    }
}

QByteArray Plantabelle::text() const
{
    QString text;
    for (const QStringList &datensatz : datensaetze) {
        for (const QString &f : datensatz)
            text += f + ';';
        text += '\n';
    }
    return text.toUtf8();
}

std::optional<Plantabelle> planLesen(const QByteArray &bytes, bool *zuLang)
{
    QByteArray ohneCr = bytes;
    ohneCr.replace("\r", "");
    const QStringList zeilen = planZeilen(planTextDekodieren(ohneCr));
    if (zuLang)
        *zuLang = zeilen.size() > PlanDokument::maxDatensaetze;
    if (zeilen.size() > PlanDokument::maxDatensaetze)
        return std::nullopt;
    Plantabelle t;
    for (const QString &zeile : zeilen)
        t.datensaetze.append(zeile.split(QLatin1Char(';'), Qt::KeepEmptyParts));
    return t;
}

bool PlanDokument::gleicherPfad(const QString &a, const QString &b)
{
    return !a.isEmpty() && !b.isEmpty()
           && QFileInfo(a).absoluteFilePath() == QFileInfo(b).absoluteFilePath();
}

PlanDokument::PlanDokument(QObject *parent)
    : QObject(parent)
{
}

void PlanDokument::setzeSchreiber(Schreiber schreiber)
{
    m_schreiber = std::move(schreiber);
}

void PlanDokument::setzeOhneUndoFrage(OhneUndoFrage frage)
{
    m_ohneUndo = std::move(frage);
}

void PlanDokument::setzeVorlagen(const QStringList &pfade)
{
    m_vorlagen = pfade;
}

// The same file however its path is spelled (relative, "..", a link).
bool PlanDokument::istVorlage(const QString &pfad) const
{
    const auto echt = [](const QString &p) {
        const QFileInfo info(p);
        const QString kanonisch = info.canonicalFilePath();
        return kanonisch.isEmpty() ? QDir::cleanPath(info.absoluteFilePath()) : kanonisch;
    };
    const QString ziel = echt(pfad);
    for (const QString &v : m_vorlagen) {
        if (ziel == echt(v))
            return true;
    }
    return false;
}

PlanDokument::Ergebnis PlanDokument::fehlschlag(Fehler f, const QString &pfad,
                                                const QString &grund)
{
    Ergebnis e;
    e.fehler = f;
    e.pfad = pfad;
    e.grund = grund;
    return e;
}

bool PlanDokument::haeltPlan() const
{
    return anzahlDatensaetze() >= 2 && !m_pfad.isEmpty();
}

void PlanDokument::leeren()
{
    m_pfad.clear();
    m_tabelle = Plantabelle();
    m_stand.clear();
}

PlanDokument::Ergebnis PlanDokument::laden(const QString &pfad)
{
    const QString absolut = QFileInfo(pfad).absoluteFilePath();
    // The table stays as it was. If it came from this very file, which now
    // holds something it cannot read, writing it back would destroy that.
    const auto gescheitert = [&](Fehler f, const QString &grund = QString()) {
        if (QFileInfo::exists(pfad) && absolut == m_pfad)
            m_pfad.clear();
        return fehlschlag(f, pfad, grund);
    };
    QString grund;
    bool zuGross = false;
    const QByteArray roh = planDateiLesen(pfad, &grund, &zuGross);
    if (roh.isNull())
        return gescheitert(zuGross ? Fehler::ZuGross : Fehler::Lesen, grund);
    bool zuLang = false;
    const auto tabelle = planLesen(roh, &zuLang);
    if (!tabelle)
        return gescheitert(Fehler::ZuLang);
    m_tabelle = *tabelle;
    m_pfad = absolut;
    m_stand = roh;

    // Temporary files of a write that a crash cut short ("plan.medat.AbC123").
    const QFileInfo info(absolut);
    const QRegularExpression rest("^" + QRegularExpression::escape(info.fileName())
                                  + "\\.[A-Za-z0-9]{6}$");
    const QDir ordner = info.absoluteDir();
    for (const QString &name : ordner.entryList(QDir::Files | QDir::Hidden)) {
        if (rest.match(name).hasMatch() && !istVorlage(absolut))
            QFile::remove(ordner.filePath(name));
    }
    // The opener shows the plan: a new file is no change of the plan.
    Ergebnis e;
    e.ok = true;
    return e;
}

void PlanDokument::uebernehmen(const QByteArray &bytes)
{
    if (const auto t = planLesen(bytes))
        m_tabelle = *t;
    m_stand = bytes;
}

bool PlanDokument::versionBehalten(const QString &plan, const QByteArray &bytes, Ergebnis &e)
{
    if (istVorlage(plan))
        return true;
    QString grund;
    // Without a writer of the tests' the store creates its files itself, exclusively.
    Versionsspeicher speicher(plan);
    const auto ergebnis = speicher.behalten(bytes, m_schreiber, &grund);
    const bool aktuell = gleicherPfad(plan, m_pfad);
    const QString ordner = speicher.ordner();
    if (ergebnis != Versionsspeicher::Ergebnis::Fehler) {
        if (aktuell)
            m_undoGesperrt = false;
        const QString absolut = QFileInfo(plan).absoluteFilePath();
        if (speicher.ausweichOrdner() && !m_ausweichGemeldet.contains(absolut)) {
            m_ausweichGemeldet.append(absolut);
            e.ausweichOrdner = ordner;
        }
        return true;
    }
    // Asked once: the answer holds for this plan until a version can be kept.
    if ((aktuell && m_undoGesperrt) || (m_ohneUndo && m_ohneUndo(ordner, grund))) {
        if (aktuell)
            m_undoGesperrt = true;
        return true;
    }
    e = fehlschlag(Fehler::Version, ordner, grund);
    return false;
}

// The plan was changed outside since it was last read or written: what the
// document last saw is kept first, so undo goes back across that change too.
bool PlanDokument::fremdeAenderungBehalten(const QByteArray &aufPlatte, Ergebnis &e)
{
    if (aufPlatte == m_stand || !Versionsspeicher::istPlan(m_stand))
        return true;
    return versionBehalten(m_pfad, m_stand, e);
}

bool PlanDokument::schreiben(const QString &pfad, const QByteArray &bytes, Ergebnis &e,
                             const QString &vorbild)
{
    if (istVorlage(pfad)) {
        e = fehlschlag(Fehler::Vorlage, pfad);
        return false;
    }
    QString grund;
    const bool ok = m_schreiber           ? m_schreiber(pfad, bytes, &grund)
                    : vorbild.isEmpty() ? sicherSchreiben(pfad, bytes, &grund)
                                        : sicherSchreibenWie(pfad, bytes, vorbild, &grund);
    if (!ok) {
        e = fehlschlag(Fehler::Schreiben, pfad, grund);
        return false;
    }
    return true;
}

QByteArray PlanDokument::aufPlatte() const
{
    if (m_pfad.isEmpty())
        return m_stand;
    const QByteArray bytes = planDateiLesen(m_pfad);
    return bytes.isNull() ? m_stand : bytes;
}

PlanDokument::Ergebnis PlanDokument::ausfuehren(
    const std::function<bool(Plantabelle &, int &)> &operation, const QString &name, int index)
{
    if (!haeltPlan())
        return fehlschlag(Fehler::KeinPlan, m_pfad);
    if (istVorlage(m_pfad))
        return fehlschlag(Fehler::Vorlage, m_pfad);

    Ergebnis e;
    const bool weg = !QFileInfo::exists(m_pfad);
    QByteArray aufPlatte;
    Plantabelle basis = m_tabelle;
    if (!weg) {
        QString grund;
        bool zuGross = false;
        aufPlatte = planDateiLesen(m_pfad, &grund, &zuGross);
        if (aufPlatte.isNull())
            return fehlschlag(zuGross ? Fehler::ZuGross : Fehler::Lesen, m_pfad, grund);
        if (aufPlatte != m_stand) {
            // Changed behind the document's back: the change applies to the
            // plan as it is now.
            if (!fremdeAenderungBehalten(aufPlatte, e))
                return e;
            bool zuLang = false;
            const auto frisch = planLesen(aufPlatte, &zuLang);
            if (!frisch || frisch->anzahlDatensaetze() < 2) {
                // Whatever took the plan's place is kept, so undo can bring
                // the plan back; nothing is written over it.
                Ergebnis egal;
                versionBehalten(m_pfad, aufPlatte, egal);
                Ergebnis f = fehlschlag(zuLang ? Fehler::ZuLang : Fehler::Muell, m_pfad);
                f.ausweichOrdner = egal.ausweichOrdner;
                return f;
            }
            basis = *frisch;
            e.neuGelesen = true;
        }
    }
    const auto neuGelesenZeigen = [&] {
        if (e.neuGelesen) {
            m_tabelle = basis;
            m_stand = aufPlatte;
            emit geaendert();
        }
    };

    Plantabelle neu = basis;
    int ziel = name.isNull() ? index : neu.finden(name, index);
    if (!name.isNull() && ziel < 0) {
        neuGelesenZeigen();
        Ergebnis f = fehlschlag(Fehler::Weg, m_pfad);
        f.neuGelesen = e.neuGelesen;
        return f;
    }
    if (!operation(neu, ziel)) {
        neuGelesenZeigen();
        Ergebnis f = e;
        f.ok = false;
        if (f.fehler == Fehler::Keiner)
            f.fehler = Fehler::Weg;
        return f;
    }
    neu.verdichten();
    const QByteArray bytes = neu.text();
    e.index = ziel;
    if (!weg && bytes == aufPlatte) {
        // Nothing to write: the file already holds these records.
        m_tabelle = neu;
        m_stand = aufPlatte;
        if (e.neuGelesen)
            emit geaendert();
        e.ok = true;
        return e;
    }
    // Where undo left the plan, if it did: a change there leaves what was undone.
    const Versionsspeicher speicher(m_pfad);
    const QList<Versionsspeicher::Version> vorher = weg ? QList<Versionsspeicher::Version>()
                                                        : speicher.versionen();
    const int stand = speicher.position(vorher, aufPlatte);
    if (!weg) {
        Ergebnis v;
        if (!versionBehalten(m_pfad, aufPlatte, v)) {
            neuGelesenZeigen();
            v.neuGelesen = e.neuGelesen;
            return v;
        }
        e.ausweichOrdner = v.ausweichOrdner;
    }
    Versionsspeicher(m_pfad).abzweigen(vorher, stand); // a new change drops the redo steps
    Ergebnis s;
    if (!schreiben(m_pfad, bytes, s)) {
        neuGelesenZeigen();
        s.neuGelesen = e.neuGelesen;
        return s;
    }
    // The compacted records, as the file now holds them.
    m_tabelle = neu;
    m_stand = bytes;
    e.ok = true;
    e.geschrieben = true;
    e.wiederAngelegt = weg;
    e.pfad = m_pfad;
    emit geaendert();
    return e;
}

PlanDokument::Ergebnis PlanDokument::patientAendern(const QMap<int, QString> &felder)
{
    return ausfuehren([&](Plantabelle &t, int &) {
        for (auto it = felder.begin(); it != felder.end(); ++it)
            t.setzeFeld(1, it.key(), it.value());
        return true;
    });
}

PlanDokument::Ergebnis PlanDokument::medikamentAendern(const QString &name, int index,
                                                       const QMap<int, QString> &felder)
{
    return ausfuehren(
        [&](Plantabelle &t, int &i) {
            for (auto it = felder.begin(); it != felder.end(); ++it)
                t.setzeFeld(i, it.key(), it.value());
            return true;
        },
        name, index);
}

PlanDokument::Ergebnis PlanDokument::abholen(const QString &name, int index,
                                             std::optional<float> stand, float zugang,
                                             quint32 jetzt)
{
    return ausfuehren(
        [&](Plantabelle &t, int &i) {
            const float heute = stand ? *stand : prognose(t.datensaetze.at(i), jetzt).bestandHeute;
            t.setzeFeld(i, Feld::BestandZeit, QString::number(jetzt));
            t.setzeFeld(i, Feld::Bestand, zahlSpeichern(zugang + heute));
            return true;
        },
        name, index);
}

PlanDokument::Ergebnis PlanDokument::hinzufuegen(const QStringList &felder)
{
    Ergebnis voll;
    const auto e = ausfuehren([&](Plantabelle &t, int &i) {
        if (t.anzahlDatensaetze() - 2 >= maxMedikamente) {
            voll.fehler = Fehler::Voll;
            return false;
        }
        t.datensaetze.append(felder);
        i = t.anzahlDatensaetze() - 1;
        return true;
    });
    if (!e.ok && voll.fehler == Fehler::Voll) {
        Ergebnis f = fehlschlag(Fehler::Voll, m_pfad);
        f.neuGelesen = e.neuGelesen;
        return f;
    }
    return e;
}

PlanDokument::Ergebnis PlanDokument::entfernen(const QString &name, int index)
{
    bool letztes = false;
    auto e = ausfuehren(
        [&](Plantabelle &t, int &i) {
            if (t.anzahlDatensaetze() <= 3) {
                letztes = true;
                return false;
            }
            t.datensaetze.removeAt(i);
            i = -1;
            return true;
        },
        name, index);
    if (letztes)
        e.fehler = Fehler::Letztes;
    return e;
}

PlanDokument::Ergebnis PlanDokument::verschieben(const QString &name, int index, int schritt)
{
    return ausfuehren(
        [&](Plantabelle &t, int &i) {
            const int nach = i + schritt;
            if (nach < 2 || nach >= t.anzahlDatensaetze())
                return true; // already first or last
            t.datensaetze.swapItemsAt(i, nach);
            i = nach;
            return true;
        },
        name, index);
}

PlanDokument::Ergebnis PlanDokument::verdichten()
{
    return ausfuehren([](Plantabelle &, int &) { return true; });
}

PlanDokument::Ergebnis PlanDokument::speichernUnter(const QString &ziel, const Plantabelle *neu)
{
    if (istVorlage(ziel))
        return fehlschlag(Fehler::Vorlage, ziel);
    Plantabelle t = neu ? *neu : m_tabelle;
    if (t.anzahlDatensaetze() < 2)
        return fehlschlag(Fehler::KeinPlan, ziel);
    // A file written over keeps its old bytes as a version.
    Ergebnis e;
    if (QFileInfo(ziel).isFile()) {
        const QByteArray alt = planDateiLesen(ziel);
        if (!alt.isNull() && !versionBehalten(ziel, alt, e))
            return e;
    }
    t.verdichten();
    const QByteArray bytes = t.text();
    if (!schreiben(ziel, bytes, e))
        return e;
    m_pfad = QFileInfo(ziel).absoluteFilePath();
    m_tabelle = t;
    m_stand = bytes;
    e.ok = true;
    e.geschrieben = true;
    emit geaendert();
    return e;
}

bool PlanDokument::istPlanDatei(const QString &pfad) const
{
    const QFileInfo info(pfad);
    return istVorlage(pfad) || gleicherPfad(pfad, m_pfad)
           || (info.exists() && info.canonicalFilePath() == QFileInfo(m_pfad).canonicalFilePath())
           || info.suffix().compare(QLatin1String("medat"), Qt::CaseInsensitive) == 0;
}

PlanDokument::Ergebnis PlanDokument::exportSchreiben(const QString &ziel, const QByteArray &bytes)
{
    if (istPlanDatei(ziel))
        return fehlschlag(Fehler::PlanDatei, ziel);
    Ergebnis e;
    if (!schreiben(ziel, bytes, e, m_pfad))
        return e;
    e.ok = true;
    return e;
}

bool PlanDokument::kannRueckgaengig() const
{
    return zielDa(-1);
}

bool PlanDokument::kannWiederholen() const
{
    return zielDa(1);
}

// Whether undo (-1) or redo (+1) has a state to go to.
bool PlanDokument::zielDa(int schritt) const
{
    if (!haeltPlan() || istVorlage(m_pfad) || m_undoGesperrt)
        return false;
    const Versionsspeicher speicher(m_pfad);
    const auto liste = speicher.versionen();
    const int pos = speicher.position(liste, m_stand);
    if (schritt > 0 && pos >= liste.size())
        return false;
    return Versionsspeicher::ziel(liste, pos, schritt, m_stand) >= 0;
}

PlanDokument::Ergebnis PlanDokument::zeitreise(int schritt)
{
    if (m_pfad.isEmpty() || istVorlage(m_pfad) || !QFileInfo(m_pfad).isFile())
        return fehlschlag(Fehler::NichtsDa, m_pfad);
    QString grund;
    const QByteArray aufPlatte = planDateiLesen(m_pfad, &grund);
    if (aufPlatte.isNull())
        return fehlschlag(Fehler::Lesen, m_pfad, grund);
    const Versionsspeicher speicher(m_pfad);
    QList<Versionsspeicher::Version> liste = speicher.versionen();
    int pos = speicher.position(liste, aufPlatte);
    int ziel = -1;
    Ergebnis e;
    if (pos == liste.size()) {
        // What is on disk now stays reachable (by redo, or in the history).
        if (!fremdeAenderungBehalten(aufPlatte, e) || !versionBehalten(m_pfad, aufPlatte, e))
            return e;
        liste = speicher.versionen();
        pos = liste.size();
        while (pos > 0 && Versionsspeicher::lesen(liste.at(pos - 1).pfad) != aufPlatte)
            --pos;
        pos = pos > 0 ? pos - 1 : liste.size();
        if (schritt < 0)
            ziel = Versionsspeicher::ziel(liste, pos, -1, aufPlatte);
    } else {
        ziel = Versionsspeicher::ziel(liste, pos, schritt, aufPlatte);
    }
    if (ziel < 0) {
        Ergebnis f = fehlschlag(Fehler::NichtsDa, m_pfad);
        if (aufPlatte != m_stand) {
            uebernehmen(aufPlatte);
            f.neuGelesen = true;
        }
        emit geaendert();
        return f;
    }
    const QByteArray bytes = Versionsspeicher::lesen(liste.at(ziel).pfad);
    if (bytes.isNull())
        return fehlschlag(Fehler::Lesen, liste.at(ziel).pfad);
    if (!schreiben(m_pfad, bytes, e))
        return e;
    Versionsspeicher(m_pfad).setzeStand(liste.at(ziel).pfad);
    uebernehmen(bytes);
    e.ok = true;
    e.geschrieben = true;
    emit geaendert();
    return e;
}

PlanDokument::Ergebnis PlanDokument::wiederherstellen(const QString &versionPfad)
{
    if (m_pfad.isEmpty() || istVorlage(m_pfad))
        return fehlschlag(Fehler::Vorlage, m_pfad);
    const QByteArray bytes = Versionsspeicher::lesen(versionPfad);
    if (bytes.isNull())
        return fehlschlag(Fehler::Lesen, versionPfad);
    Ergebnis e;
    QList<Versionsspeicher::Version> vorher;
    int stand = 0;
    if (QFileInfo::exists(m_pfad)) {
        QString grund;
        const QByteArray aufPlatte = planDateiLesen(m_pfad, &grund);
        if (aufPlatte.isNull())
            return fehlschlag(Fehler::Lesen, m_pfad, grund);
        if (aufPlatte == bytes && aufPlatte == m_stand) {
            e.ok = true;
            return e;
        }
        // The restore is a change like any other: it can be undone.
        vorher = Versionsspeicher(m_pfad).versionen();
        stand = Versionsspeicher(m_pfad).position(vorher, aufPlatte);
        if (!fremdeAenderungBehalten(aufPlatte, e) || !versionBehalten(m_pfad, aufPlatte, e))
            return e;
    }
    if (!schreiben(m_pfad, bytes, e))
        return e;
    Versionsspeicher(m_pfad).abzweigen(vorher, stand);
    uebernehmen(bytes);
    e.ok = true;
    e.geschrieben = true;
    emit geaendert();
    return e;
}
