// SPDX-License-Identifier: MIT
// Spool files written by hand for the preview's tests and benchmarks.
#pragma once

#include "render/DrawTarget.h"
#include "render/PageSurface.h"
#include "spool/Document.h"

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QStringList>
#include <QVector>

#include <algorithm>

namespace qv::test {

/// The page index as the preview window holds it for a document of
/// \a pagine pages: the document's index held against that count, elements
/// 0 to pagine, 0 where no page break was found.
inline QVector<qint64> indiceFinestra(const QString &path, int32_t pagine)
{
    QVector<qint64> posizioni(std::max<int32_t>(pagine, 0) + 1, 0);
    const spool::PageIndex indice = spool::Document::onFile(path).pageIndex(QStringLiteral("FrmAnteprima"), pagine);
    std::copy(indice.begin(), indice.end(), posizioni.begin());
    return posizioni;
}

/// The records of one text at (x, y) (y is the lower edge of the line).
inline QByteArray testo(double x, double y, const QByteArray &text, int size = 10, bool bold = false)
{
    return "#print@\r\n\"Arial\"," + QByteArray::number(size) + ",#FALSE#," + (bold ? "#TRUE#" : "#FALSE#")
           + ",#FALSE#,#FALSE#,0,#TRUE#\r\n" + QByteArray::number(x) + ',' + QByteArray::number(y) + "\r\n" + text
           + "\r\n#endprint@\r\n";
}

/// A box (or a line) in black.
inline QByteArray riquadro(double x1, double y1, double x2, double y2, bool box = true, bool filled = false)
{
    return "#line@\r\n0,13,1,0,0,1\r\n" + QByteArray::number(x1) + ',' + QByteArray::number(y1) + ','
           + QByteArray::number(x2) + ',' + QByteArray::number(y2) + ',' + (box ? "#TRUE#" : "#FALSE#") + ','
           + (filled ? "#TRUE#" : "#FALSE#") + "\r\n";
}

inline QByteArray interruzione()
{
    return "#newpage@\r\n";
}

/// One invoice-like page: a heading, an address block, a table of
/// \a righe rows of four fields with its frame, and a total.
inline QByteArray paginaFattura(int numero, int righe = 20)
{
    QByteArray page;
    page += testo(1440, 1440, "Fattura n. " + QByteArray::number(numero), 16, true);
    page += testo(1440, 1800, "Ditta Esempio S.r.l. - Via Roma 1 - 00100 Roma");
    page += testo(7200, 2400, "Spett.le Cliente " + QByteArray::number(numero));
    page += riquadro(1440, 3000, 10080, 3000 + 300 * (righe + 1));
    page += riquadro(1440, 3300, 10080, 3300, false);
    page += testo(1500, 3250, "Descrizione");
    page += testo(6000, 3250, "Quantita'");
    page += testo(7500, 3250, "Prezzo");
    page += testo(9000, 3250, "Importo");
    for (int r = 0; r < righe; ++r) {
        const double y = 3550 + 300 * r;
        page += testo(1500, y, "Articolo " + QByteArray::number(numero * 100 + r));
        page += testo(6000, y, QByteArray::number(r + 1));
        page += testo(7500, y, QByteArray::number(10 + r) + ".50");
        page += testo(9000, y, QByteArray::number((r + 1) * (10 + r)) + ".00");
    }
    page += testo(7500, 3600 + 300 * (righe + 1), "Totale", 12, true);
    return page;
}

/// Writes a document of \a pagine pages to \a path (page n reads "Pagina n"
/// in its heading when \a fattura is false); false when it cannot be written.
inline bool scriviDocumento(const QString &path, int pagine, bool fattura = true, int righe = 20)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    for (int p = 1; p <= pagine; ++p) {
        if (p > 1)
            file.write(interruzione());
        if (fattura)
            file.write(paginaFattura(p, righe));
        else
            file.write(testo(1440, 2880, "Pagina " + QByteArray::number(p)) + riquadro(1440, 3000, 5760, 3600));
    }
    return file.error() == QFileDevice::NoError;
}

/// The texts a frozen page prints, in order; none for no page.
inline QStringList testiDi(const FrozenPage &page)
{
    /// Keeps the texts and nothing else.
    class Testi : public DrawTarget
    {
    public:
        double TextHeight(const QString &) override { return 200; }
        double TextWidth(const QString &) override { return 100; }
        void Cls() override {}
        void Print(const QString &text) override { testi << text; }
        void Line(double, double, double, double, LineKind) override {}
        void PSet(double, double, int32_t) override {}
        void Circle(double, double, double, int32_t, double, double, double) override {}
        void PaintPicture(const PictureData &, double, double, double, double) override {}
        QStringList testi;
    };
    Testi target;
    if (page)
        page->replay(target);
    return target.testi;
}

} // namespace qv::test
