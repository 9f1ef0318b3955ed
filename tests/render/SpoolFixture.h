// SPDX-License-Identifier: MIT
// Test helpers for the replay: spool files written as text, and a drawing
// target that logs every call it receives.
#pragma once

#include "render/DrawTarget.h"

#include <QFile>
#include <QString>
#include <QStringList>

#include <vector>

namespace qv::test {

/// Writes \a lines to \a path, each ending in CR LF. Returns the path.
inline QString writeSpool(const QString &path, const QStringList &lines)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return {};
    for (const QString &l : lines) {
        f.write(l.toUtf8());
        f.write("\r\n");
    }
    return path;
}

/// The records of the worked example: "Totale" at (1440, 2880), a box, a page break.
inline QStringList workedExample()
{
    return {QStringLiteral("#print@"),      QStringLiteral("\"Arial\",10,#FALSE#,#FALSE#,#FALSE#,#FALSE#,0,#TRUE#"),
            QStringLiteral("1440,2880"),    QStringLiteral("Totale"),
            QStringLiteral("#endprint@"),   QStringLiteral("#line@"),
            QStringLiteral("0,13,1,0,0,1"), QStringLiteral("1440,3000,5760,3600,#TRUE#,#FALSE#"),
            QStringLiteral("#newpage@")};
}

/// A text record in Arial 10, black, transparent.
inline QStringList textRecord(double x, double y, const QStringList &text, int size = 10)
{
    QStringList r{QStringLiteral("#print@"),
                  QStringLiteral("\"Arial\",%1,#FALSE#,#FALSE#,#FALSE#,#FALSE#,0,#TRUE#").arg(size),
                  QStringLiteral("%1,%2").arg(x).arg(y)};
    r << text << QStringLiteral("#endprint@");
    return r;
}

/// A drawing target that logs its calls as readable lines ("FontName Arial",
/// "Line 1440,3000,5760,3600 box") and answers TextHeight with a fixed 230.
class RecordingTarget : public DrawTarget
{
public:
    QStringList calls;

    static constexpr double LetterHeight = 230;

    void setFontName(const QString &v) override
    {
        log("FontName " + v);
        DrawTarget::setFontName(v);
    }
    void setFontSize(int32_t v) override
    {
        log("FontSize", v);
        DrawTarget::setFontSize(v);
    }
    void setFontItalic(bool v) override
    {
        log("FontItalic", v);
        DrawTarget::setFontItalic(v);
    }
    void setFontBold(bool v) override
    {
        log("FontBold", v);
        DrawTarget::setFontBold(v);
    }
    void setFontUnderline(bool v) override
    {
        log("FontUnderline", v);
        DrawTarget::setFontUnderline(v);
    }
    void setFontStrikethru(bool v) override
    {
        log("FontStrikethru", v);
        DrawTarget::setFontStrikethru(v);
    }
    void setForeColor(int32_t v) override
    {
        log("ForeColor", v);
        DrawTarget::setForeColor(v);
    }
    void setFontTransparent(bool v) override
    {
        log("FontTransparent", v);
        DrawTarget::setFontTransparent(v);
    }
    void setCurrentX(double v) override
    {
        log("CurrentX", v);
        DrawTarget::setCurrentX(v);
    }
    void setCurrentY(double v) override
    {
        log("CurrentY", v);
        DrawTarget::setCurrentY(v);
    }
    void setDrawMode(int32_t v) override
    {
        log("DrawMode", v);
        DrawTarget::setDrawMode(v);
    }
    void setDrawStyle(int32_t v) override
    {
        log("DrawStyle", v);
        DrawTarget::setDrawStyle(v);
    }
    void setDrawWidth(int32_t v) override
    {
        log("DrawWidth", v);
        DrawTarget::setDrawWidth(v);
    }
    void setFillColor(int32_t v) override
    {
        log("FillColor", v);
        DrawTarget::setFillColor(v);
    }
    void setFillStyle(int32_t v) override
    {
        log("FillStyle", v);
        DrawTarget::setFillStyle(v);
    }

    void Cls() override { calls << QStringLiteral("Cls"); }
    double TextHeight(const QString &) override { return LetterHeight; }
    double TextWidth(const QString &t) override { return 100.0 * t.size(); }
    void Print(const QString &text) override
    {
        QString shown = text;
        shown.replace(QStringLiteral("\r\n"), QStringLiteral("|"));
        calls << QStringLiteral("Print ") + shown;
    }
    void Line(double x1, double y1, double x2, double y2, LineKind k) override
    {
        calls << QStringLiteral("Line %1,%2,%3,%4 %5")
                     .arg(x1)
                     .arg(y1)
                     .arg(x2)
                     .arg(y2)
                     .arg(k == LineKind::Line  ? "line"
                          : k == LineKind::Box ? "box"
                                               : "filled");
    }
    void PSet(double x, double y, int32_t c) override { calls << QStringLiteral("PSet %1,%2 %3").arg(x).arg(y).arg(c); }
    void Circle(double x, double y, double r, int32_t c, double s, double e, double a) override
    {
        calls << QStringLiteral("Circle %1,%2 r%3 c%4 %5 %6 a%7").arg(x).arg(y).arg(r).arg(c).arg(s).arg(e).arg(a);
    }
    void PaintPicture(const PictureData &p, double x, double y, double w, double h) override
    {
        calls << QStringLiteral("PaintPicture %1x%2 at %3,%4 %5x%6")
                     .arg(p.image().width())
                     .arg(p.image().height())
                     .arg(x)
                     .arg(y)
                     .arg(w)
                     .arg(h);
    }

    /// The calls that draw (no attribute settings).
    QStringList drawing() const
    {
        QStringList out;
        for (const QString &c : calls)
            if (c.startsWith("Print") || c.startsWith("Line") || c.startsWith("PSet") || c.startsWith("Circle")
                || c.startsWith("PaintPicture") || c == "Cls")
                out << c;
        return out;
    }

private:
    void log(const char *name, bool v) { calls << QStringLiteral("%1 %2").arg(name, v ? "true" : "false"); }
    void log(const char *name, int32_t v) { calls << QStringLiteral("%1 %2").arg(name).arg(v); }
    void log(const char *name, double v) { calls << QStringLiteral("%1 %2").arg(name).arg(v); }
    void log(const QString &s) { calls << s; }
};

} // namespace qv::test
