// qvPreview - print preview for Qt applications.
#include "preview/RememberedWindow.h"

#include "platform/Devices.h"

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

} // namespace

std::optional<RememberedWindow> RememberedWindow::leggi()
{
    const QString geometria = leggiValore(ChiaveGeometria);
    const QString zoom = leggiValore(ChiaveZoom);
    if (geometria.isEmpty() && zoom.isEmpty())
        return std::nullopt;
    RememberedWindow r;
    if (const std::optional<QRect> g = rettangolo(geometria))
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
    bool ok = platform::writeUserSetting(App, Sezione, ChiaveGeometria,
                                         QStringLiteral("%1 %2 %3 %4")
                                             .arg(geometria.x())
                                             .arg(geometria.y())
                                             .arg(geometria.width())
                                             .arg(geometria.height()));
    ok = platform::writeUserSetting(App, Sezione, ChiaveMassimizzata,
                                    massimizzata ? QStringLiteral("1") : QStringLiteral("0"))
         && ok;
    ok = platform::writeUserSetting(App, Sezione, ChiaveZoom, zoomTesto) && ok;
    ok = platform::writeUserSetting(App, Sezione, ChiaveVista, QString::number(vista)) && ok;
    return ok;
}

} // namespace qv
