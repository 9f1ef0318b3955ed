// SPDX-License-Identifier: MIT
// The preview's scroll bars: what they draw must be where the mouse finds it,
// they draw nothing of the window behind them, and a bar with nothing to
// scroll shows no slider.
#include "preview/BarraScorrimento.h"

#include <QApplication>
#include <QImage>
#include <QMouseEvent>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

#include <memory>

namespace qv {
namespace {

// The bar with the style options it paints from made public.
struct Barra : BarraScorrimento
{
    using BarraScorrimento::BarraScorrimento;
    using BarraScorrimento::initStyleOption;
};

// A red window holding one bar, so that any pixel the bar leaves unpainted
// shows up red in a grab.
struct Finestra
{
    explicit Finestra(Qt::Orientation o)
    {
        window.setAutoFillBackground(true);
        QPalette pal = window.palette();
        pal.setColor(QPalette::Window, Qt::red);
        window.setPalette(pal);
        bar = new Barra(o, &window);
        bar->setPalette(QApplication::palette());
        const int spessore =
            bar->sizeHint().rheight() > bar->sizeHint().rwidth() ? bar->sizeHint().width() : bar->sizeHint().height();
        bar->setGeometry(o == Qt::Vertical ? QRect(0, 0, spessore, 300) : QRect(0, 0, 300, spessore));
        window.resize(bar->size());
        bar->setRange(0, 100);
        bar->setPageStep(25);
        window.show();
    }

    QImage grab() const { return bar->grab().toImage().convertToFormat(QImage::Format_RGB32); }

    QRect area(QStyle::SubControl sc) const
    {
        QStyleOptionSlider opt;
        bar->initStyleOption(&opt);
        return bar->style()->subControlRect(QStyle::CC_ScrollBar, &opt, sc, bar);
    }

    // Start and end, along the bar, of the pixels on its middle line that
    // differ from the groove between the arrow buttons; (-1, -1) for none.
    std::pair<int, int> tratto(const QImage &img) const
    {
        const bool v = bar->orientation() == Qt::Vertical;
        const QRect groove = area(QStyle::SC_ScrollBarGroove);
        const int meta = v ? img.width() / 2 : img.height() / 2;
        auto pixel = [&](int t) { return v ? img.pixel(meta, t) : img.pixel(t, meta); };
        const int a = v ? groove.top() : groove.left();
        const int b = v ? groove.bottom() : groove.right();
        // The groove's colour: whichever end of it the slider is not at.
        const QRgb fondo = bar->value() > (bar->maximum() + bar->minimum()) / 2 ? pixel(a) : pixel(b);
        int primo = -1, ultimo = -1;
        for (int t = a; t <= b; ++t)
            if (pixel(t) != fondo) {
                if (primo < 0)
                    primo = t;
                ultimo = t;
            }
        return {primo, ultimo};
    }

    QWidget window;
    Barra *bar = nullptr;
};

class BarraTest : public ::testing::TestWithParam<Qt::Orientation>
{};

TEST_P(BarraTest, SliderIsDrawnWhereTheMouseFindsItAndFollowsTheValue)
{
    Finestra f(GetParam());
    const bool v = GetParam() == Qt::Vertical;
    for (int value : {0, 40, 100}) {
        f.bar->setValue(value);
        const QRect slider = f.area(QStyle::SC_ScrollBarSlider);
        const auto [primo, ultimo] = f.tratto(f.grab());
        EXPECT_NEAR(primo, v ? slider.top() : slider.left(), 1) << value;
        EXPECT_NEAR(ultimo, v ? slider.bottom() : slider.right(), 1) << value;
    }

    // Dragging the drawn slider by its middle moves the value.
    f.bar->setValue(0);
    const auto [primo, ultimo] = f.tratto(f.grab());
    const int mezzo = (primo + ultimo) / 2;
    const QPoint presa = v ? QPoint(f.bar->width() / 2, mezzo) : QPoint(mezzo, f.bar->height() / 2);
    const QPoint dopo = presa + (v ? QPoint(0, 60) : QPoint(60, 0));
    QTest::mousePress(f.bar, Qt::LeftButton, Qt::NoModifier, presa);
    EXPECT_TRUE(f.bar->isSliderDown());
    QMouseEvent move(QEvent::MouseMove, dopo, f.bar->mapToGlobal(dopo), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(f.bar, &move);
    QTest::mouseRelease(f.bar, Qt::LeftButton, Qt::NoModifier, dopo);
    EXPECT_GT(f.bar->value(), 0);
}

TEST_P(BarraTest, EveryPixelIsTheBarsOwnInEveryState)
{
    Finestra f(GetParam());
    auto senzaRosso = [](const QImage &img) {
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x)
                if (img.pixel(x, y) == qRgb(255, 0, 0))
                    return false;
        return true;
    };
    f.bar->setValue(50);
    EXPECT_TRUE(senzaRosso(f.window.grab().toImage().convertToFormat(QImage::Format_RGB32)));
    f.bar->setEnabled(false);
    EXPECT_TRUE(senzaRosso(f.window.grab().toImage().convertToFormat(QImage::Format_RGB32)));
}

TEST_P(BarraTest, NothingToScrollShowsNoSliderButKeepsTheArrows)
{
    Finestra f(GetParam());
    f.bar->setRange(0, 0);
    EXPECT_EQ(f.tratto(f.grab()), std::make_pair(-1, -1));

    f.bar->setRange(0, 100);
    f.bar->setEnabled(false);
    EXPECT_EQ(f.tratto(f.grab()), std::make_pair(-1, -1));

    // The arrows are still there: their buttons are not a flat fill.
    const QImage img = f.grab();
    const QRect su = f.area(QStyle::SC_ScrollBarSubLine);
    ASSERT_FALSE(su.isEmpty());
    const QRgb angolo = img.pixel(su.topLeft() + QPoint(2, 2));
    EXPECT_NE(img.pixel(su.center()), angolo);
}

INSTANTIATE_TEST_SUITE_P(Orientamenti, BarraTest, ::testing::Values(Qt::Vertical, Qt::Horizontal),
                         [](const auto &info) { return info.param == Qt::Vertical ? "Verticale" : "Orizzontale"; });

} // namespace
} // namespace qv
