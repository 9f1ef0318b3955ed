// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
#include "preview/RememberedWindow.h"

#include "platform/Devices.h"

#include <QGuiApplication>
#include <QScreen>
#include <QStringList>

#include <cmath>

namespace qv {

namespace {

const QString App = QStringLiteral("QVPREVIEW");
const QString Sezione = QStringLiteral("FINESTRA");
const QString ChiaveGeometria = QStringLiteral("GEOMETRIA");
const QString ChiaveMassimizzata = QStringLiteral("MASSIMIZZATA");
const QString ChiaveZoom = QStringLiteral("ZOOM");
const QString ChiaveVista = QStringLiteral("VISTA");
const QString ZoomPagina = QStringLiteral("PAGINA");
const QString ZoomLarghezza = QStringLiteral("LARGHEZZA");

// The largest window the settings may ask for, and the zoom range.
constexpr int LatoMassimo = 32767;
// The smallest window worth opening (its toolbar and a part of the page),
// and the least of it that must lie on a screen for the user to reach it.
constexpr QSize FinestraMinima(200, 150);
constexpr QSize VisibileMinimo(100, 50);
constexpr double ZoomMinimo = 0.01, ZoomMassimo = 4.0;

QString leggiValore(const QString &chiave)
{
    return platform::readUserSetting(App, Sezione, chiave, QString()).trimmed();
}

/// "x y w h" (blanks between: a comma would make the settings read a
/// list), with a size of at least 1 x 1.
std::optional<QRect> rettangolo(const QString &testo)
{
    const QStringList parti = testo.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (parti.size() != 4)
        return std::nullopt;
    int v[4];
    for (int i = 0; i < 4; ++i) {
        bool ok = false;
        v[i] = parti[i].trimmed().toInt(&ok);
        if (!ok || std::abs(v[i]) > LatoMassimo)
            return std::nullopt;
    }
    if (v[2] < 1 || v[3] < 1)
        return std::nullopt;
    return QRect(v[0], v[1], v[2], v[3]);
}

/// True when \a g is a window a user can use: not below the smallest window,
/// and enough of it on one of the screens there are now (a screen it was on
/// may be gone). Without screens only the size counts.
bool utilizzabile(const QRect &g)
{
    if (g.width() < FinestraMinima.width() || g.height() < FinestraMinima.height())
        return false;
    const QList<QScreen *> schermi = QGuiApplication::instance() ? QGuiApplication::screens() : QList<QScreen *>();
    if (schermi.isEmpty())
        return true;
    for (const QScreen *schermo : schermi) {
        const QRect visibile = schermo->availableGeometry().intersected(g);
        if (visibile.width() >= VisibileMinimo.width() && visibile.height() >= VisibileMinimo.height())
            return true;
    }
    return false;
}

} // namespace

std::optional<RememberedWindow> RememberedWindow::leggi()
{
    const QString geometria = leggiValore(ChiaveGeometria);
    const QString zoom = leggiValore(ChiaveZoom);
    if (geometria.isEmpty() && zoom.isEmpty())
        return std::nullopt;
    RememberedWindow r;
    if (const std::optional<QRect> g = rettangolo(geometria); g && utilizzabile(*g))
        r.geometria = *g;
    r.massimizzata = leggiValore(ChiaveMassimizzata) == QLatin1String("1");
    if (zoom.compare(ZoomPagina, Qt::CaseInsensitive) == 0) {
        r.adattamento = PageView::Adattamento::Pagina;
    } else if (zoom.compare(ZoomLarghezza, Qt::CaseInsensitive) == 0) {
        r.adattamento = PageView::Adattamento::Larghezza;
    } else {
        bool ok = false;
        const double percento = zoom.toDouble(&ok);
        if (ok && std::isfinite(percento) && percento / 100 >= ZoomMinimo && percento / 100 <= ZoomMassimo)
            r.zoom = percento / 100;
    }
    bool ok = false;
    const int vista = leggiValore(ChiaveVista).toInt(&ok);
    r.vista = ok ? vista : 0;
    return r;
}

bool RememberedWindow::scrivi() const
{
    const QString zoomTesto = adattamento == PageView::Adattamento::Pagina      ? ZoomPagina
                              : adattamento == PageView::Adattamento::Larghezza ? ZoomLarghezza
                                                                                : QString::number(zoom * 100, 'g', 10);
    // One write of the file for all of them: one wait for its lock at most.
    return platform::writeUserSettings(App, Sezione,
                                       {{ChiaveGeometria, QStringLiteral("%1 %2 %3 %4")
                                                              .arg(geometria.x())
                                                              .arg(geometria.y())
                                                              .arg(geometria.width())
                                                              .arg(geometria.height())},
                                        {ChiaveMassimizzata, massimizzata ? QStringLiteral("1") : QStringLiteral("0")},
                                        {ChiaveZoom, zoomTesto},
                                        {ChiaveVista, QString::number(vista)}});
}

RememberedWindow RememberedWindow::of(const QWidget &window, const PageView &zoom, int view)
{
    RememberedWindow r;
    r.geometria = window.normalGeometry();
    r.massimizzata = window.isMaximized();
    r.adattamento = zoom.adattamento();
    r.zoom = zoom.geometria().zoom();
    r.vista = view;
    return r;
}

WindowOpening WindowOpening::of(const PreviewWindowOptions &options, const std::optional<RememberedWindow> &remembered,
                                const QRect &freeArea)
{
    WindowOpening opening;
    if (remembered && remembered->geometria.isValid()) {
        QRect g = remembered->geometria;
        g.setSize(g.size().boundedTo(freeArea.size()));
        if (!freeArea.intersects(g))
            g.moveTopLeft(freeArea.topLeft());
        opening.geometry = g;
    } else if (options.size.isValid() && !options.size.isEmpty()) {
        QRect g(QPoint(), options.size.boundedTo(freeArea.size()));
        g.moveCenter(freeArea.center());
        opening.geometry = g;
    }
    opening.maximized = remembered ? remembered->massimizzata : options.maximized;
    if (remembered) {
        opening.fit = remembered->adattamento;
        opening.setFactor = remembered->adattamento == PageView::Adattamento::Nessuno;
        opening.factor = remembered->zoom;
        opening.view = remembered->vista >= 0 && remembered->vista <= 3 ? remembered->vista : 0;
    } else if (options.fit == PreviewWindowOptions::FitPage) {
        opening.fit = PageView::Adattamento::Pagina;
    } else if (options.fit == PreviewWindowOptions::FitWidth) {
        opening.fit = PageView::Adattamento::Larghezza;
    }
    return opening;
}

} // namespace qv
