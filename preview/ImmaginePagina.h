// SPDX-License-Identifier: MIT
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

/// A raster of part of a page, made for a widget of a given size and device
/// pixel ratio: what ImmaginePagina shows, made ahead of time (in another
/// thread) by ImmaginePagina::rasterFor().
struct PageRaster
{
    FrozenPage page;
    QImage image;     ///< its device pixel ratio makes it cover exactly area
    QRect area;       ///< logical pixels of the widget it covers
    QSize widgetSize; ///< widget size it was made for
    double dpr = 0;   ///< device pixel ratio it was made for
    bool isNull() const { return image.isNull(); }
};

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
    /// A layout finding to outline on the page, in page twips (null: none);
    /// drawn over the raster, which stays as it is.
    void setOutline(const QRectF &twips);
    QRectF outline() const { return m_outline; }

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

    /// The raster of \a page that a widget of \a widgetSize at \a dpr shows
    /// for \a wanted (logical pixels) with \a margin around it, or only
    /// \a fallback (null: \a wanted) when that would exceed PixelMassimi: the
    /// one rasteriser of the page, safe to call in any thread.
    /// \a highlight: the find's matches to light, if any.
    static PageRaster rasterFor(const FrozenPage &page, QSize widgetSize, double dpr, QRect wanted, int margin,
                                QRect fallback = QRect(), const TextHighlight *highlight = nullptr);
    /// Takes \a raster, made ahead of time, as the raster on show when it
    /// was made for this page, size and pixel ratio in full colour; false
    /// (and nothing changes) otherwise, or while a find's matches are lit.
    bool adoptRaster(PageRaster raster);
    /// The area that a raster made now would cover (the visible area, or
    /// the top-left corner while the widget is not laid out yet).
    QRect areaDaPreparare() const;
    /// The device pixel ratio rasters are made at.
    double rasterDpr() const { return dpr(); }

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
    QRectF m_outline;
    Convertitore m_convertitore;
    QImage m_cache;
    QRect m_cacheArea; // logical pixels of this widget covered by m_cache
    QSize m_cacheSize; // widget size the cache was made for
    double m_cacheDpr = 0;
    bool m_cacheConvertita = false;
    bool m_cacheValida = false;
    int m_rasterizzazioni = 0;
    double m_dprTest = 0;
};

} // namespace qv
