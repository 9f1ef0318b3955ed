// qvPreview - print preview for Qt applications.
// Image1 of the preview window: the page at the current zoom.
#pragma once

#include "render/PageSurface.h"
#include "render/TextHighlight.h"

#include <QImage>
#include <QRect>
#include <QWidget>

#include <functional>

namespace qv {

/// Shows a frozen page stretched to the widget's size. The page is kept as
/// its vector drawing and rasterised in paintEvent at exactly the shown
/// scale times the device pixel ratio, so it is sharp at every zoom; only
/// the part around the visible area is rasterised, and the last raster is
/// kept until the page, the zoom or the exposed area changes.
///
/// In 256-colour mode each raster goes through a converter (the window's
/// round trip through its 256-colour bitmap file); when the converter gives
/// no image, the full-colour raster is shown instead.
class ImmaginePagina : public QWidget
{
    Q_OBJECT
public:
    /// Converts a full-colour raster; a null image means the conversion failed.
    using Convertitore = std::function<QImage(const QImage &)>;

    /// Largest raster, in device pixels: beyond it the margin around the
    /// visible area is dropped, and a visible area still larger than this is
    /// rasterised at a lower resolution.
    static constexpr qint64 PixelMassimi = 16 * 1024 * 1024;
    /// Margin rasterised around the visible area, in logical pixels, so that
    /// small scroll steps reuse the raster. None in 256-colour mode, where
    /// every raster goes through the bitmap file and its size is the cost.
    static constexpr int Margine = 64;

    explicit ImmaginePagina(QWidget *parent = nullptr);

    /// The page to show (empty: nothing but the white page).
    void setPicture(FrozenPage page);
    FrozenPage Picture() const { return m_page; }
    /// Removes the picture.
    void clearPicture() { setPicture(nullptr); }
    /// The matches of a find to highlight on the page (null: none); a new
    /// one rasterises the page again.
    void setHighlight(std::shared_ptr<const TextHighlight> highlight);
    const std::shared_ptr<const TextHighlight> &highlight() const { return m_highlight; }

    /// Turns the 256-colour mode on (with its converter) or off (empty function).
    void setConvertitore(Convertitore convertitore);
    bool modo256() const { return bool(m_convertitore); }

    /// Rasterises the area that is visible now (or, while the widget is not
    /// laid out yet, its top-left corner), through the converter in 256-colour
    /// mode. Returns false when the converter failed and full colour is shown.
    bool prepara();
    /// Whether the raster on show came through the converter.
    bool convertita() const { return m_cacheConvertita; }
    /// Number of rasters made so far (for tests of the cache).
    int rasterizzazioni() const { return m_rasterizzazioni; }
    /// The last raster and the area of this widget it covers, in logical pixels.
    const QImage &raster() const { return m_cache; }
    QRect areaRaster() const { return m_cacheValida ? m_cacheArea : QRect(); }

    /// The device pixel ratio used for rasters (0: the widget's own).
    void setDevicePixelRatioForTesting(double dpr) { m_dprTest = dpr; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    double dpr() const;
    QRect areaVisibile() const;
    void rasterizza(const QRect &richiesta);
    bool coperta(const QRect &richiesta) const;

    FrozenPage m_page;
    std::shared_ptr<const TextHighlight> m_highlight;
    Convertitore m_convertitore;
    QImage m_cache;
    QRect m_cacheArea;     // logical pixels of this widget covered by m_cache
    QSize m_cacheSize;     // widget size the cache was made for
    double m_cacheDpr = 0;
    bool m_cacheConvertita = false;
    bool m_cacheValida = false;
    int m_rasterizzazioni = 0;
    double m_dprTest = 0;
};

} // namespace qv
