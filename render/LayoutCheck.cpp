// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
// The layout check's target keeps nothing of what it is given but the
// findings: per record a rectangle compared with the page's two areas, per
// field text one measurement (often none: a bound from the font's widest
// character settles most texts), per font one question to the font
// matching, asked once for the whole document.
#include "render/LayoutCheck.h"

#include "platform/Devices.h"
#include "render/DrawTarget.h"
#include "render/LetturaDati.h"
#include "render/PageMetrics.h"
#include "render/PainterOp.h"
#include "render/TextMetrics.h"

#include <QCoreApplication>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QStringList>

#include <array>
#include <cmath>
#include <limits>
#include <map>
#include <memory>
#include <new>
#include <vector>

namespace qv {

namespace {

constexpr double TwipsPerMm = 1440.0 / 25.4;
/// What a place may lie beyond an edge and still count as inside: the
/// control rounds its measures to whole twips.
constexpr double Tolerance = 1.0;

/// Thrown from a page's start when the caller stops the check.
struct Stopped
{};

enum class What { Text, Line, Box, Point, Circle, Picture, Drawing };

QString nameOf(What what)
{
    switch (what) {
    case What::Text: return QCoreApplication::translate("qv::LayoutCheck", "testo");
    case What::Line: return QCoreApplication::translate("qv::LayoutCheck", "linea");
    case What::Box: return QCoreApplication::translate("qv::LayoutCheck", "riquadro");
    case What::Point: return QCoreApplication::translate("qv::LayoutCheck", "punto");
    case What::Circle: return QCoreApplication::translate("qv::LayoutCheck", "cerchio");
    case What::Picture: return QCoreApplication::translate("qv::LayoutCheck", "immagine");
    case What::Drawing: return QCoreApplication::translate("qv::LayoutCheck", "disegno");
    }
    return QString();
}

/// \a r within \a outer, give or take Tolerance; false for a place that is
/// no number.
bool inside(const QRectF &outer, const QRectF &r)
{
    return r.left() >= outer.left() - Tolerance && r.right() <= outer.right() + Tolerance
           && r.top() >= outer.top() - Tolerance && r.bottom() <= outer.bottom() + Tolerance;
}

/// A page's two areas in its own coordinates (from the printable area's corner).
struct Areas
{
    QRectF printable;
    QRectF paper;
};

Areas areasOf(const QPageLayout &layout, QSizeF printable)
{
    const QMarginsF m = layout.margins(QPageLayout::Millimeter) * TwipsPerMm;
    const QSizeF paper = layout.fullRect(QPageLayout::Millimeter).size() * TwipsPerMm;
    return {QRectF(QPointF(0, 0), printable), QRectF(QPointF(-m.left(), -m.top()), paper)};
}

/// A font as the check measures it, with what the machine draws it with.
struct Face
{
    FontAttributes key;
    QFont font;
    double lineHeight = 0;
    QString used; ///< the face that replaces it; empty when none does
    /// The advances of the first 256 characters, measured as they are first
    /// met (below 0: not yet).
    std::shared_ptr<std::array<double, 256>> advances;
    std::shared_ptr<QFontMetricsF> metrics;

    /// At least the width of \a text: its characters' advances summed (the
    /// fonts are made without kerning, and ligatures only narrow a text);
    /// infinite for a text that this cannot bound (a tab goes to its tab
    /// stop; characters past the first 256 are not cached).
    double widthBound(const QString &text)
    {
        double sum = 0;
        for (const QChar c : text) {
            const char16_t u = c.unicode();
            if (u == u'\r' || u == u'\n')
                continue;
            if (u >= 256 || u == u'\t')
                return std::numeric_limits<double>::infinity();
            double &a = (*advances)[u];
            if (a < 0)
                a = metrics->horizontalAdvance(c);
            sum += a;
        }
        return sum;
    }
};

class LayoutChecker : public DrawTarget
{
public:
    explicit LayoutChecker(const LayoutCheckProgress &progress) : m_progress(progress) {}

    LayoutCheck result;

    void startRecord(qint64 line) override { m_line = line; }
    void fieldOfNextText(const spool::FieldLine &field) override { m_field = field; }

    bool goOnAfterUnreadablePicture(const Error &, const QString &what, const QRectF &twips) override
    {
        add(LayoutFinding::PictureUnreadable, twips.normalized(), what);
        return true;
    }

    void startPage(const std::optional<QPageLayout> &recorded) override
    {
        result.pages = ++m_page;
        if (m_progress && !m_progress(m_page))
            throw Stopped{};
        m_field.reset();
        m_facesOnPage.clear();
        if (recorded) {
            if (!(m_lastRecorded && *m_lastRecorded == *recorded)) {
                m_lastRecorded = recorded;
                m_recordedAreas = areasOf(*recorded, PageMetrics::drawableTwips(*recorded));
            }
            m_areas = &m_recordedAreas;
        } else {
            // The current printer's page, asked once (it may ask CUPS).
            if (!m_printerAreas)
                m_printerAreas = areasOf(platform::currentPageLayout(), QSizeF(PageMetrics::pageTwips(std::nullopt)));
            m_areas = &*m_printerAreas;
        }
    }

    void Cls() override {}
    double TextHeight(const QString &text) override
    {
        return face().lineHeight * double(text.count(QLatin1Char('\n')) + 1);
    }
    double TextWidth(const QString &text) override { return textWidthTwips(face().font, text); }

    void Print(const QString &text) override
    {
        Face &f = face();
        const double x = m_state.currentX;
        const double y = m_state.currentY;
        const double h = f.lineHeight * double(text.count(QLatin1Char('\n')) + 1);
        // Most texts are placed by a bound of their width without being laid out.
        const double bound = f.widthBound(text);
        const QRectF roughly(x, y, bound, h);
        const bool fieldHolds = !m_field || (x >= m_field->x - Tolerance && x + bound <= fieldRight() + Tolerance);
        double width = bound;
        if (!fieldHolds || !inside(m_areas->printable, roughly))
            width = textWidthTwips(f.font, text);
        const QRectF rect(x, y, width, h);
        if (m_field) {
            const QRectF field(m_field->x, y, m_field->width, h);
            if (m_field->cut > 0)
                add(LayoutFinding::TextCut, field,
                    QCoreApplication::translate("qv::LayoutCheck",
                                                "testo tagliato dal campo: %1 caratteri non stampati")
                        .arg(m_field->cut));
            const double beyond = std::max(m_field->x - x, x + width - fieldRight());
            if (!fieldHolds && beyond > Tolerance)
                add(LayoutFinding::TextOverflow, rect.united(field),
                    QCoreApplication::translate("qv::LayoutCheck", "testo più largo del campo di %1 mm")
                        .arg(beyond / TwipsPerMm, 0, 'f', 1));
            m_field.reset();
        }
        place(rect, What::Text);
        if (!f.used.isEmpty())
            fontFound(f.key.name, f.used, f.key.bold, f.key.italic, rect);
        m_state.currentY = y + h;
    }

    void Line(double x1, double y1, double x2, double y2, LineKind kind) override
    {
        place(QRectF(QPointF(x1, y1), QPointF(x2, y2)).normalized(), kind == LineKind::Line ? What::Line : What::Box);
    }
    void PSet(double x, double y, int32_t) override { place(QRectF(x, y, 0, 0), What::Point); }
    void Circle(double x, double y, double radius, int32_t, double, double, double aspect) override
    {
        // The radius lies along the longer axis; aspect is height / width.
        const double r = std::fabs(radius);
        const double a = std::isfinite(aspect) && aspect > 0 ? aspect : 1.0;
        const double rx = a <= 1 ? r : r / a;
        const double ry = a <= 1 ? r * a : r;
        place(QRectF(x - rx, y - ry, 2 * rx, 2 * ry), What::Circle);
    }
    void PaintPicture(const PictureData &, double x, double y, double width, double height) override
    {
        place(QRectF(x, y, width, height).normalized(), What::Picture);
    }

    void drawPainterOp(const PainterOp &op) override
    {
        const QTransform &m = op.state->matrix;
        switch (op.kind) {
        case PainterOp::Kind::Path: place(m.mapRect(op.path.boundingRect()), What::Drawing); break;
        case PainterOp::Kind::Polygon: place(m.mapRect(op.polygon.boundingRect()), What::Drawing); break;
        case PainterOp::Kind::Image: place(m.mapRect(op.image.target), What::Picture); break;
        case PainterOp::Kind::Text: {
            // A run is placed by its baseline's start; its font is checked.
            const QRectF at(op.text.pageTwips, QSizeF(0, 0));
            place(at, What::Text);
            const QFont &font = op.state->font.font;
            const QString key = font.family();
            auto known = m_painterFaces.find(key);
            if (known == m_painterFaces.end())
                known = m_painterFaces.emplace(key, substitutedFace(key, false, false)).first;
            if (!known->second.isEmpty())
                fontFound(key, known->second, false, false, at);
            break;
        }
        }
    }

private:
    double fieldRight() const { return double(m_field->x) + double(m_field->width); }

    Face &face()
    {
        if (m_last < m_faces.size() && m_faces[m_last].key == m_state.font)
            return m_faces[m_last];
        for (std::size_t i = 0; i < m_faces.size(); ++i)
            if (m_faces[i].key == m_state.font) {
                m_last = i;
                return m_faces[i];
            }
        Face f;
        f.key = m_state.font;
        f.font = makeTwipsFont(f.key);
        f.metrics = std::make_shared<QFontMetricsF>(f.font);
        f.lineHeight = f.metrics->ascent() + f.metrics->descent();
        f.advances = std::make_shared<std::array<double, 256>>();
        f.advances->fill(-1);
        f.used = substitutedFace(f.key.name, f.key.bold, f.key.italic);
        m_faces.push_back(std::move(f));
        m_last = m_faces.size() - 1;
        return m_faces.back();
    }

    void fontFound(const QString &asked, const QString &used, bool bold, bool italic, const QRectF &where)
    {
        const QString key = asked + QLatin1Char('\n') + QLatin1Char(bold ? 'b' : '-') + QLatin1Char(italic ? 'i' : '-');
        if (m_facesOnPage.contains(key))
            return;
        m_facesOnPage.append(key);
        LayoutFinding &f = add(
            LayoutFinding::FontSubstituted, where,
            QCoreApplication::translate("qv::LayoutCheck", "carattere \"%1\" sostituito da \"%2\"").arg(asked, used));
        f.fontAsked = asked;
        f.fontUsed = used;
    }

    void place(const QRectF &r, What what)
    {
        if (!inside(m_areas->paper, r))
            add(LayoutFinding::OffPage, r,
                QCoreApplication::translate("qv::LayoutCheck", "%1 fuori dalla pagina").arg(nameOf(what)));
        else if (!inside(m_areas->printable, r))
            add(LayoutFinding::OutsidePrintable, r,
                QCoreApplication::translate("qv::LayoutCheck", "%1 fuori dall'area stampabile").arg(nameOf(what)));
    }

    LayoutFinding &add(LayoutFinding::Kind kind, const QRectF &place, const QString &text)
    {
        LayoutFinding f;
        f.page = m_page;
        f.kind = kind;
        f.place = place;
        f.line = m_line;
        f.text = text;
        result.findings.append(std::move(f));
        return result.findings.last();
    }

    LayoutCheckProgress m_progress;
    int32_t m_page = 0;
    qint64 m_line = 0;
    std::optional<spool::FieldLine> m_field;
    std::optional<QPageLayout> m_lastRecorded;
    Areas m_recordedAreas;
    std::optional<Areas> m_printerAreas;
    const Areas *m_areas = nullptr;
    std::vector<Face> m_faces;
    std::size_t m_last = 0;
    std::map<QString, QString> m_painterFaces;
    QStringList m_facesOnPage;
};

/// Whether \a used is made to the metrics of \a asked, letter for letter:
/// drawn with it, every text keeps the widths its author laid out, so the
/// replacement is no finding (fontconfig's own aliases for the common
/// office faces).
bool metricCompatible(const QString &asked, const QString &used)
{
    static const struct
    {
        const char *asked;
        const char *used;
    } pairs[] = {
        {"arial", "liberation sans"},
        {"arial", "arimo"},
        {"helvetica", "liberation sans"},
        {"helvetica", "arimo"},
        {"arial narrow", "liberation sans narrow"},
        {"times new roman", "liberation serif"},
        {"times new roman", "tinos"},
        {"times", "liberation serif"},
        {"times", "tinos"},
        {"courier new", "liberation mono"},
        {"courier new", "cousine"},
        {"courier", "liberation mono"},
        {"courier", "cousine"},
        {"calibri", "carlito"},
        {"cambria", "caladea"},
    };
    const QString a = asked.trimmed().toLower();
    const QString u = used.trimmed().toLower();
    for (const auto &pair : pairs) {
        if (a == QLatin1String(pair.asked) && u == QLatin1String(pair.used))
            return true;
    }
    return false;
}

} // namespace

QString substitutedFace(const QString &family, bool bold, bool italic)
{
    if (family.trimmed().isEmpty())
        return QString();
    FontAttributes attributes;
    attributes.name = family;
    attributes.bold = bold;
    attributes.italic = italic;
    const QString used = QFontInfo(makeTwipsFont(attributes)).family();
    if (used.isEmpty() || used.compare(family.trimmed(), Qt::CaseInsensitive) == 0 || metricCompatible(family, used))
        return QString();
    return used;
}

QString LayoutCheck::summary() const
{
    const qsizetype n = findings.size();
    const QString found = n == 0   ? QCoreApplication::translate("qv::LayoutCheck", "nessuna segnalazione")
                          : n == 1 ? QCoreApplication::translate("qv::LayoutCheck", "1 segnalazione")
                                   : QCoreApplication::translate("qv::LayoutCheck", "%1 segnalazioni").arg(n);
    const QString read = pages == 1 ? QCoreApplication::translate("qv::LayoutCheck", "1 pagina")
                                    : QCoreApplication::translate("qv::LayoutCheck", "%1 pagine").arg(pages);
    //: the findings ("2 segnalazioni") in the pages read ("3 pagine")
    return QCoreApplication::translate("qv::LayoutCheck", "%1 in %2").arg(found, read);
}

LayoutCheck checkLayout(const QString &spoolPath, const LayoutCheckProgress &progress)
{
    LayoutChecker checker(progress);
    try {
        LetturaDati::DisegnaPagina(checker, spoolPath, LetturaDati::PageSpec::everyPage());
    } catch (const Stopped &) {
        checker.result.cancelled = true;
    } catch (const Error &e) {
        checker.result.error = e;
    } catch (const std::bad_alloc &) {
        checker.result.error = Error(ErrOutOfMemory, QStringLiteral("checkLayout"));
    }
    return std::move(checker.result);
}

QRectF findingOnPage(const QRectF &twips, const QRectF &pageRect, double pageWidthTwips, double pageHeightTwips)
{
    if (!(pageWidthTwips > 0 && pageHeightTwips > 0))
        return QRectF();
    const double sx = pageRect.width() / pageWidthTwips;
    const double sy = pageRect.height() / pageHeightTwips;
    return QRectF(pageRect.left() + twips.left() * sx, pageRect.top() + twips.top() * sy, twips.width() * sx,
                  twips.height() * sy);
}

} // namespace qv
