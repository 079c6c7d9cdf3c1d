// SPDX-License-Identifier: GPL-3.0-or-later
#include "planfile/bmpvorschau.h"

#include "planfile/datensatz.h"
#include "planfile/eingabe.h"
#include "views/prognose.h"

namespace {

constexpr int namensLaenge = 80;

QString verbunden(const QStringList &teile, const QString &trenner)
{
    QStringList volle;
    for (const QString &t : teile) {
        if (!t.trimmed().isEmpty())
            volle << t.trimmed();
    }
    return volle.join(trenner);
}

QString nameVon(const BmpMedikament &m, const BmpKennungsWorte &w)
{
    if (!m.handelsname.isEmpty())
        return bmpFeldText(m.handelsname, namensLaenge);
    const QString wirkstoffe = verbunden(m.wirkstoffe, QStringLiteral(" / "));
    if (!wirkstoffe.isEmpty())
        return bmpFeldText(wirkstoffe, namensLaenge);
    QString muster;
    QString nummer = m.kennung;
    switch (m.kennungsArt) {
    case BmpKennung::Pzn:
        muster = w.pzn;
        nummer = nummer.rightJustified(8, QLatin1Char('0')); // PZNs are shown with eight digits
        break;
    case BmpKennung::Gtin: muster = w.gtin; break;
    case BmpKennung::Pharmacode: muster = w.pharmacode; break;
    case BmpKennung::Produkt: muster = w.produkt; break;
    case BmpKennung::Keine: break;
    }
    return muster.isEmpty() || nummer.isEmpty() ? QString()
                                                : bmpFeldText(muster.arg(nummer), namensLaenge);
}

QString datumText(const QDate &d)
{
    return d.isValid() ? d.toString(QStringLiteral("dd.MM.yyyy")) : QString();
}

} // namespace

int medikamentNamens(const QList<QStringList> &tabelle, const QString &name)
{
    const QString gesucht = name.simplified();
    for (int i = 2; i < tabelle.size(); ++i) {
        if (feldVon(tabelle.at(i), 1).simplified().compare(gesucht, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

BmpVorschau::BmpVorschau(const BmpPlan &plan, const QList<QStringList> &tabelle, int platz,
                         const BmpKennungsWorte &worte)
    : m_plan(plan)
    , m_patient(tabelle.value(1))
    , m_frei(qMax(0, platz - qMax(0, int(tabelle.size()) - 2)))
{
    int frei = m_frei;
    for (const BmpMedikament &m : plan.medikamente) {
        BmpZeile z;
        z.name = nameVon(m, worte);
        if (z.name.isEmpty())
            continue;
        z.staerke = bmpFeldText(verbunden(m.staerken, QStringLiteral(" / ")), namensLaenge);
        z.grund = m.grund;
        z.hinweis = bmpFeldText(verbunden({m.hinweis, m.zusatz}, QStringLiteral(" / ")), 280);
        const BmpAbschnitt abschnitt = plan.abschnitte.value(m.abschnitt);
        z.abschnitt = abschnitt.titel;
        z.bedarf = abschnitt.art == BmpArt::Bedarf;
        if (m.hatDosen()) {
            QStringList schema;
            bool lesbar = true;
            for (int i = 0; i < 4; ++i) {
                // The program's one reading of typed figures: "1/2", "½", "0,5".
                const Zahleingabe e = zahlEingabe(m.dosen[i], true);
                lesbar = lesbar && e.ok;
                z.dosen[i] = e.ok ? e.wert : 0;
                schema << (m.dosen[i].isEmpty() ? QStringLiteral("0") : m.dosen[i]);
            }
            if (!lesbar || z.bedarf) {
                z.dosierung = schema.join(QLatin1Char('-'));
                std::fill(std::begin(z.dosen), std::end(z.dosen), 0.0f);
            }
            z.dosenFehlen = !lesbar && !z.bedarf;
        } else {
            z.dosierung = m.freiDosierung;
            z.dosenFehlen = !z.bedarf;
        }
        for (int i = 0; i < 4; ++i)
            z.dosenText[i] = dosisText(z.dosen[i]);
        z.beschreibung = z.dosierung.isEmpty()
                             ? z.grund
                             : verbunden({z.grund, QLatin1Char('(') + z.dosierung + QLatin1Char(')')},
                                         QStringLiteral(" "));
        z.planIndex = medikamentNamens(tabelle, z.name);
        if (z.planIndex >= 0) {
            const QStringList &r = tabelle.at(z.planIndex);
            bool gleicheDosen = true;
            for (int i = 0; i < 4; ++i)
                gleicheDosen = gleicheDosen && gespeicherteZahl(feldVon(r, 7 + i)) == z.dosen[i];
            z.gleich = (z.staerke.isEmpty() || z.staerke == feldVon(r, 3))
                       && (z.dosenFehlen || gleicheDosen);
        } else {
            z.angehakt = frei > 0;
            frei -= z.angehakt ? 1 : 0;
        }
        m_zeilen.append(z);
    }
}

bool BmpVorschau::waehlbar(int zeile) const
{
    if (zeile < 0 || zeile >= m_zeilen.size())
        return false;
    const BmpZeile &z = m_zeilen.at(zeile);
    if (z.planIndex >= 0)
        return !z.gleich;
    if (z.angehakt)
        return true;
    int neu = 0;
    for (const BmpZeile &andere : m_zeilen)
        neu += andere.planIndex < 0 && andere.angehakt ? 1 : 0;
    return neu < m_frei;
}

bool BmpVorschau::setzeHaken(int zeile, bool an)
{
    if (an && !waehlbar(zeile))
        return false;
    if (zeile < 0 || zeile >= m_zeilen.size())
        return false;
    m_zeilen[zeile].angehakt = an;
    return true;
}

void BmpVorschau::setzeEinheiten(int zeile, const QString &text)
{
    if (zeile >= 0 && zeile < m_zeilen.size())
        m_zeilen[zeile].einheiten = text;
}

void BmpVorschau::setzeBestand(int zeile, const QString &text)
{
    if (zeile >= 0 && zeile < m_zeilen.size())
        m_zeilen[zeile].bestand = text;
}

int BmpVorschau::zuViele() const
{
    int neu = 0;
    for (const BmpZeile &z : m_zeilen)
        neu += z.planIndex < 0 ? 1 : 0;
    return qMax(0, neu - m_frei);
}

// A plan without names has no patient yet: the birth date of a new plan is
// a placeholder.
bool BmpVorschau::ohnePatient() const
{
    return feldVon(m_patient, 1).trimmed().isEmpty() && feldVon(m_patient, 2).trimmed().isEmpty();
}

bool BmpVorschau::patientErgaenzbar() const
{
    return (feldVon(m_patient, 1).trimmed().isEmpty() && !m_plan.nachname.isEmpty())
           || (feldVon(m_patient, 2).trimmed().isEmpty() && !m_plan.vorname.isEmpty())
           || ((ohnePatient()
                || !QDate::fromString(feldVon(m_patient, 3), QStringLiteral("dd.MM.yyyy")).isValid())
               && m_plan.geburt.isValid());
}

bool BmpVorschau::patientAbweichend() const
{
    const auto anders = [](const QString &plan, const QString &gelesen) {
        return !plan.trimmed().isEmpty() && !gelesen.isEmpty()
               && plan.simplified().compare(gelesen, Qt::CaseInsensitive) != 0;
    };
    const QDate geburt = QDate::fromString(feldVon(m_patient, 3), QStringLiteral("dd.MM.yyyy"));
    return anders(feldVon(m_patient, 1), m_plan.nachname)
           || anders(feldVon(m_patient, 2), m_plan.vorname)
           || (!ohnePatient() && geburt.isValid() && m_plan.geburt.isValid()
               && geburt != m_plan.geburt);
}

QString BmpVorschau::patientImPlan() const
{
    return verbunden({feldVon(m_patient, 1), feldVon(m_patient, 2), feldVon(m_patient, 3)},
                     QStringLiteral(", "));
}

QString BmpVorschau::patientGelesen() const
{
    return verbunden({m_plan.nachname, m_plan.vorname, datumText(m_plan.geburt)},
                     QStringLiteral(", "));
}

int BmpVorschau::falscheZahl(int *spalte) const
{
    for (int i = 0; i < m_zeilen.size(); ++i) {
        const BmpZeile &z = m_zeilen.at(i);
        if (!z.angehakt || z.planIndex >= 0)
            continue;
        for (int s = 0; s < 2; ++s) {
            if (!zahlEingabe(s == 0 ? z.einheiten : z.bestand, true).ok) {
                if (spalte)
                    *spalte = s;
                return i;
            }
        }
    }
    return -1;
}

QList<QStringList> BmpVorschau::anwenden(const QList<QStringList> &tabelle, quint32 jetzt,
                                         bool patient, int *ausgelassen) const
{
    QList<QStringList> neu = tabelle;
    int fehlt = 0;
    const int platz = m_frei + qMax(0, int(tabelle.size()) - 2);
    for (const BmpZeile &z : m_zeilen) {
        if (!z.angehakt)
            continue;
        // Found again by name: the plan may have been read anew meanwhile.
        const int index = medikamentNamens(neu, z.name);
        if (index >= 0) {
            QStringList &r = neu[index];
            while (r.size() < 12)
                r.append(QString());
            if (!z.staerke.isEmpty())
                r[3] = z.staerke;
            bool andereDosen = false;
            for (int i = 0; i < 4; ++i)
                andereDosen = andereDosen || gespeicherteZahl(feldVon(r, 7 + i)) != z.dosen[i];
            if (!z.dosenFehlen && andereDosen) {
                // Today's stock, counted with the old doses, is where the new ones start.
                r[6] = zahlSpeichern(prognose(r, jetzt).bestandHeute);
                r[5] = QString::number(jetzt);
                for (int i = 0; i < 4; ++i)
                    r[7 + i] = zahlSpeichern(z.dosen[i]);
            }
            continue;
        }
        if (neu.size() - 2 >= platz || neu.size() < 2) {
            ++fehlt;
            continue;
        }
        QStringList r{QString::number(neu.size() + 1), z.name, freiText(z.beschreibung),
                      z.staerke, zahlSpeichern(zahlEingabe(z.einheiten, true).wert),
                      QString::number(jetzt), zahlSpeichern(zahlEingabe(z.bestand, true).wert)};
        for (float d : z.dosen)
            r << zahlSpeichern(d);
        r << QString();
        neu.append(r);
    }
    if (patient && neu.size() >= 2) {
        const bool leer = ohnePatient();
        QStringList &p = neu[1];
        while (p.size() < 6)
            p.append(QString());
        if (p[1].trimmed().isEmpty())
            p[1] = m_plan.nachname;
        if (p[2].trimmed().isEmpty())
            p[2] = m_plan.vorname;
        if ((leer || !QDate::fromString(p[3], QStringLiteral("dd.MM.yyyy")).isValid())
            && m_plan.geburt.isValid())
            p[3] = datumText(m_plan.geburt);
    }
    if (ausgelassen)
        *ausgelassen = fehlt;
    return neu;
}
