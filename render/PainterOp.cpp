// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
#include "render/PainterOp.h"

#include "render/DrawTarget.h"
#include "render/TextHighlight.h"
#include "spool/SpoolFormat.h"
#include "spool/SpoolReader.h"

#include <qvpreview/Error.h>

#include <QCoreApplication>
#include <QFontMetricsF>
#include <QPaintDevice>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace qv {

namespace {

/// No page is this large (the renderer's limit, in twips): an operation
/// beyond it is not drawn, so the rasteriser stays within its range.
constexpr double CoordinateLimit = 1.0e7;

bool withinLimit(const QRectF &twips)
{
    return std::isfinite(twips.left()) && std::isfinite(twips.top()) && std::isfinite(twips.right())
           && std::isfinite(twips.bottom()) && twips.left() > -CoordinateLimit && twips.top() > -CoordinateLimit
           && twips.right() < CoordinateLimit && twips.bottom() < CoordinateLimit;
}

/// The font of \a state on \a painter's device: its size in the operation's
/// coordinates whatever the device's resolution.
QFont deviceFont(const PainterState &state, const QPainter &painter, int32_t flags)
{
    QFont font = state.font.font;
    const int dpi = painter.device() ? painter.device()->logicalDpiY() : 72;
    font.setPointSizeF(state.font.pixels * 72.0 / std::max(dpi, 1));
    if (flags & 0x10)
        font.setOverline(true);
    if (flags & 0x20)
        font.setUnderline(true);
    if (flags & 0x40)
        font.setStrikeOut(true);
    // On a screen image hinting would change the widths the text was laid
    // out with: the run would no longer fit its place.
    if (painter.device() && painter.device()->devType() == QInternal::Image)
        font.setHintingPreference(QFont::PreferNoHinting);
    return font;
}

} // namespace

bool PainterOp::drawable() const
{
    if (!state || !state->matrix.isInvertible())
        return false;
    QRectF own;
    switch (kind) {
    case Kind::Path: own = path.controlPointRect(); break;
    case Kind::Polygon: own = polygon.boundingRect(); break;
    case Kind::Text: own = QRectF(text.position, QSizeF(0, 0)); break;
    case Kind::Image: own = image.target.normalized(); break;
    }
    return withinLimit(state->matrix.mapRect(own));
}

void PainterOp::applyState(QPainter &painter) const
{
    const PainterState &s = *state;
    const QTransform base = painter.worldTransform();
    if (s.clipped)
        painter.setClipPath(s.clipTwips, painter.hasClipping() ? Qt::IntersectClip : Qt::ReplaceClip);
    painter.setWorldTransform(s.matrix * base);
    painter.setRenderHints(QPainter::RenderHints(s.mode.hints), true);
    painter.setOpacity(painter.opacity() * s.mode.opacity);
    painter.setCompositionMode(QPainter::CompositionMode(s.mode.composition));
    painter.setBackgroundMode(s.mode.opaqueBackground ? Qt::OpaqueMode : Qt::TransparentMode);
    painter.setBackground(QBrush(s.mode.background));
    painter.setBrushOrigin(s.mode.brushOrigin);
    painter.setPen(s.pen);
    painter.setBrush(s.brush);
}

void PainterOp::applyFont(QPainter &painter) const
{
    painter.setFont(deviceFont(*state, painter, text.flags));
    painter.setLayoutDirection((text.flags & 0x1) ? Qt::RightToLeft : Qt::LeftToRight);
}

void PainterOp::draw(QPainter &painter, const TextHighlight *highlight, int32_t record) const
{
    switch (kind) {
    case Kind::Path: painter.drawPath(path); break;
    case Kind::Polygon:
        switch (polygonKind) {
        case spool::PolygonKind::OddEven: painter.drawPolygon(polygon, Qt::OddEvenFill); break;
        case spool::PolygonKind::Winding: painter.drawPolygon(polygon, Qt::WindingFill); break;
        case spool::PolygonKind::Convex: painter.drawConvexPolygon(polygon); break;
        case spool::PolygonKind::Polyline: painter.drawPolyline(polygon); break;
        case spool::PolygonKind::Points: painter.drawPoints(polygon); break;
        }
        break;
    case Kind::Text: {
        if (highlight) {
            const QFontMetricsF metrics(painter.font(), painter.device());
            // One walk along the run: the pen moves from one match to the next.
            double pen = 0;
            qsizetype penAt = 0;
            for (const spool::LineSpan &span : highlight->spansIn(record, QStringList{text.text})) {
                pen += metrics.horizontalAdvance(text.text.mid(penAt, span.start - penAt));
                const double width = metrics.horizontalAdvance(text.text.mid(span.start, span.length));
                const bool current = record == highlight->currentRecord && span.offset == highlight->currentOffset;
                painter.fillRect(
                    QRectF(text.position.x() + pen, text.position.y() - metrics.ascent(), width, metrics.height()),
                    current ? highlight->currentColour : highlight->matchColour);
                pen += width;
                penAt = span.start + span.length;
            }
        }
        painter.drawText(text.position, text.text);
        break;
    }
    case Kind::Image:
        // A picture may change the painter's state (a tiled one its brush
        // origin, a vector one whatever its drawing does): the operations
        // after it in the same state must not see that.
        painter.save();
        if (picture.isVector()) {
            picture.paint(painter, image.target);
        } else if (image.tiled) {
            // A texture brush rather than a pixmap: the replay may run in a
            // thread of its own, where pixmaps cannot be made.
            QBrush tiles(picture.image());
            tiles.setTransform(
                QTransform::fromTranslate(image.target.x() - image.source.x(), image.target.y() - image.source.y()));
            painter.setBrushOrigin(0, 0);
            painter.fillRect(image.target, tiles);
        } else {
            painter.drawImage(image.target, picture.image(), image.source);
        }
        painter.restore();
        break;
    }
}

qint64 PainterOp::memoryBytes() const
{
    return qint64(sizeof(PainterOp)) + qint64(path.elementCount()) * 24 + qint64(polygon.size()) * 16
           + qint64(text.text.size()) * 2 + (kind == Kind::Image ? picture.memoryBytes() : 0);
}

// --- The replay ------------------------------------------------------------------------

PainterReplay::PainterReplay()
{
    reset();
}

void PainterReplay::reset()
{
    m_state = std::make_shared<PainterState>();
    m_shared = false;
    m_images.clear();
    m_imageBytes = 0;
}

PainterState &PainterReplay::state()
{
    // The operations drawn so far keep the state they were drawn in.
    if (m_shared) {
        m_state = std::make_shared<PainterState>(*m_state);
        m_shared = false;
    }
    return *m_state;
}

bool PainterReplay::read(QByteArrayView tag, spool::SpoolReader &in, DrawTarget &target)
{
    using namespace spool;
    if (tag.size() < 6 || tag[1] != 'q')
        return false;
    if (tag == QByteArrayView(TagQtPen)) {
        state().pen = readPen(in);
        return true;
    }
    if (tag == QByteArrayView(TagQtBrush)) {
        state().brush = readBrush(in);
        return true;
    }
    if (tag == QByteArrayView(TagQtFont)) {
        state().font = readFont(in);
        return true;
    }
    if (tag == QByteArrayView(TagQtMatrix)) {
        state().matrix = readMatrix(in);
        return true;
    }
    if (tag == QByteArrayView(TagQtClip)) {
        PainterState &s = state();
        s.clipped = readClip(in, s.clipTwips);
        if (!s.clipped)
            s.clipTwips = QPainterPath();
        return true;
    }
    if (tag == QByteArrayView(TagQtMode)) {
        state().mode = readMode(in);
        return true;
    }

    PainterOp op;
    if (tag == QByteArrayView(TagQtPath)) {
        op.kind = PainterOp::Kind::Path;
        op.path = readPath(in);
    } else if (tag == QByteArrayView(TagQtPolygon)) {
        op.kind = PainterOp::Kind::Polygon;
        op.polygonKind = readPolygon(in, op.polygon);
    } else if (tag == QByteArrayView(TagQtText)) {
        op.kind = PainterOp::Kind::Text;
        op.text = readText(in);
    } else if (tag == QByteArrayView(TagQtImage)) {
        op.kind = PainterOp::Kind::Image;
        op.image = readImage(in);
        const QString &path = op.image.path;
        auto found = m_images.find(path);
        if (found == m_images.end()) {
            if (path.isEmpty())
                in.fail(ErrFileNotFound, QCoreApplication::translate(
                                             "qv::LetturaDati", "immagine non caricabile \"\" (file non trovato)"));
            QString why;
            PictureData::LoadError kind = PictureData::LoadError::None;
            std::optional<PictureData> picture =
                PictureData::load(path, &why, &kind, {QSize(), std::min(target.memoryLeft(), PageMemoryBudget)});
            switch (kind) {
            case PictureData::LoadError::None: break;
            case PictureData::LoadError::NotFound:
                in.fail(ErrFileNotFound,
                        QCoreApplication::translate("qv::LetturaDati", "immagine non caricabile \"%1\" (%2)")
                            .arg(path, why));
            case PictureData::LoadError::TooLarge:
                in.fail(ErrOutOfMemory,
                        QCoreApplication::translate("qv::LetturaDati", "pagina troppo grande: immagine \"%1\" (%2)")
                            .arg(path, why));
            case PictureData::LoadError::NotAFile:
            case PictureData::LoadError::Invalid:
                in.fail(ErrInvalidPicture,
                        QCoreApplication::translate("qv::LetturaDati", "immagine non caricabile \"%1\" (%2)")
                            .arg(path, why));
            }
            // The cache holds at most a page's budget, as the pictures' does.
            if (m_imageBytes + picture->memoryBytes() > PageMemoryBudget) {
                m_images.clear();
                m_imageBytes = 0;
            }
            m_imageBytes += picture->memoryBytes();
            found = m_images.emplace(path, std::move(*picture)).first;
        }
        op.picture = found->second;
    } else {
        return false;
    }
    op.state = m_state;
    m_shared = true;
    target.drawPainterOp(op);
    return true;
}

} // namespace qv
