// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
#include "util/BandeSfumate.h"

#include <QEvent>
#include <QPainter>
#include <QWidget>

#include <algorithm>
#include <cmath>

namespace qv {

namespace {

/// To the nearest integer, halves to even.
int64_t arrotonda(double x)
{
    return int64_t(std::nearbyint(x));
}

/// A channel that starts at \a iniziale after \a passi decrements of
/// \a decremento, each kept modulo 256.
int canale(int64_t iniziale, int64_t decremento, double passi)
{
    const int64_t giri = int64_t(std::fmod(passi, 256.0));
    const int64_t valore = (iniziale - giri * (decremento % 256)) % 256;
    return int((valore + 256) % 256);
}

} // namespace

QList<Banda> bandeSfumate(int larghezza, int altezza, double bande, int64_t passo, int64_t colore)
{
    QList<Banda> risultato;
    if (!(bande >= 1) || larghezza <= 0 || altezza <= 0)
        return risultato;
    // Counts up to 2^52 stay exact in a double.
    bande = std::min(bande, 4503599627370496.0);
    const double alto = float(altezza) / float(bande);
    // The channels as integer division and a mask take them apart, negative
    // colours included.
    const int64_t rosso = colore & 255, verde = (colore / 256) & 255, blu = (colore / 65536) & 255;
    const int64_t menoRosso = rosso > 0 ? passo : 0, menoVerde = verde > 0 ? passo : 0, menoBlu = blu > 0 ? passo : 0;

    double i = 1;
    int64_t sopra = 0;
    while (i <= bande && sopra < altezza) {
        const int64_t sotto = arrotonda(i * alto);
        if (sotto > sopra)
            risultato.append(Banda{
                QRect(0, int(sopra), larghezza, int(std::min<int64_t>(sotto, altezza) - sopra)),
                QColor(canale(rosso, menoRosso, i - 1), canale(verde, menoVerde, i - 1), canale(blu, menoBlu, i - 1))});
        // The next band that has rows of its own: with more bands than rows
        // most have none, so jump close to it instead of counting them all.
        double j = i + 1;
        if (alto < 1)
            j = std::max(j, std::floor((double(sotto) + 0.5) / alto) - 1);
        while (j <= bande && arrotonda(j * alto) <= sotto)
            j += 1;
        i = j;
        sopra = sotto;
    }
    return risultato;
}

SfondoSfumato::SfondoSfumato(QWidget *widget) : QObject(widget)
{
    widget->installEventFilter(this);
}

void SfondoSfumato::installa(QWidget *widget, QList<Banda> bande)
{
    auto *sfondo = widget->findChild<SfondoSfumato *>(QString(), Qt::FindDirectChildrenOnly);
    if (!sfondo)
        sfondo = new SfondoSfumato(widget);
    sfondo->m_bande = std::move(bande);
    widget->update();
}

bool SfondoSfumato::eventFilter(QObject *watched, QEvent *event)
{
    // The paint event reaches the filter after the widget's background was
    // filled and before the widget paints: the bands lie between the two,
    // clipped to the region being painted.
    if (event->type() == QEvent::Paint && watched == parent()) {
        QPainter painter(static_cast<QWidget *>(watched));
        for (const Banda &banda : std::as_const(m_bande))
            painter.fillRect(banda.rect, banda.colore);
    }
    return false;
}

} // namespace qv
