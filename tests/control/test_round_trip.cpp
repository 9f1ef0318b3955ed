// SPDX-License-Identifier: MIT
// What the control records, the replay reads back: every command's record
// through LetturaDati onto a target that logs its calls.
#include "render/LetturaDati.h"
#include "render/SpoolFixture.h"
#include "support/TestEnv.h"

#include <qvpreview/PrintPreview.h>

#include <QImage>

#include <gtest/gtest.h>

using namespace qv;

namespace {

class RoundTrip : public qv::test::TempEnvTest
{
protected:
    RoundTrip() { qv::test::TempEnv::noPrinters(); }

    QStringList replay(int16_t page)
    {
        qv::test::RecordingTarget target;
        LetturaDati::DisegnaPagina(target, pp.spoolPath(), LetturaDati::PageSpec::page(page));
        QStringList calls = target.drawing();
        calls.removeAll(QStringLiteral("Cls"));
        return calls;
    }

    PrintPreview pp;
};

TEST_F(RoundTrip, EveryRecordReadsBack)
{
    pp.setScaleMode(SM_Millimeters);
    pp.StampaTesto(10, 20, QStringLiteral("Totale\r\nIVA inclusa"));
    pp.StampaTesto(10, 30, QStringLiteral("a\r\n#endprint@\r\n#newpage@"));
    ASSERT_TRUE(pp.linea(10, 40, 100, 60, true, true));
    ASSERT_TRUE(pp.Punto(0.5f, 0.25f));
    pp.Cerchio(50, 50, 10);
    pp.Cerchio(50, 50, 10, 255, -0.5, 1.25f, 0.5);
    QImage image(30, 20, QImage::Format_RGB32);
    image.fill(Qt::blue);
    pp.StampaPicture(image, 0, 0, 20, 10);
    pp.NuovaPagina();
    pp.setFontName(QStringLiteral("Strana \"Font\""));
    pp.StampaCampo(0, 10, QStringLiteral("pagina due"), 100, PP_Sinistra, true);

    const QStringList page1 = replay(1);
    ASSERT_EQ(page1.size(), 7) << qPrintable(page1.join('\n'));
    EXPECT_EQ(page1[0], QStringLiteral("Print Totale|IVA inclusa"));
    EXPECT_EQ(page1[1], QStringLiteral("Print a|#endprint@ |#newpage@ "));
    EXPECT_EQ(page1[2], QStringLiteral("Line 566.929,2267.72,5669.29,3401.57 filled"));
    EXPECT_EQ(page1[3], QStringLiteral("PSet 28.3465,14.1732 0"));
    EXPECT_EQ(page1[4], QStringLiteral("Circle 2834.65,2834.65 r566.929 c0 2 2 a1"));
    EXPECT_EQ(page1[5], QStringLiteral("Circle 2834.65,2834.65 r566.929 c255 -0.5 1.25 a0.5"));
    EXPECT_EQ(page1[6], QStringLiteral("PaintPicture 30x20 at 0,0 1133.86x566.929"));

    const QStringList page2 = replay(2);
    ASSERT_EQ(page2.size(), 1) << qPrintable(page2.join('\n'));
    EXPECT_EQ(page2[0], QStringLiteral("Print pagina due"));
    EXPECT_EQ(pp.TotalePagine(), 2);
}

} // namespace
