// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
#include "preview/ErrorBar.h"

#include "print/MotoreStampa.h"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QToolButton>

#include <algorithm>

namespace qv {

ErrorBar::ErrorBar(QWidget *parent) : QFrame(parent)
{
    setObjectName(QStringLiteral("fraErrore"));
    setFrameShape(QFrame::Box);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(0xfd, 0xe2, 0xe1));
    pal.setColor(QPalette::WindowText, QColor(0x8a, 0x1c, 0x1c));
    setPalette(pal);
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(8, 4, 4, 4);
    m_label = new QLabel(this);
    m_label->setObjectName(QStringLiteral("lblErrore"));
    m_label->setWordWrap(true);
    m_label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_label->setTextFormat(Qt::PlainText);
    layout->addWidget(m_label, 1);
    auto *hide = new QToolButton(this);
    hide->setObjectName(QStringLiteral("cmdNascondiErrore"));
    hide->setText(QStringLiteral("\u00d7"));
    hide->setToolTip(QCoreApplication::translate("qv::FrmAnteprima", "Nascondi"));
    hide->setAutoRaise(true);
    hide->setFocusPolicy(Qt::NoFocus);
    layout->addWidget(hide, 0, Qt::AlignTop);
    connect(hide, &QToolButton::clicked, this, &QWidget::hide);
    QFrame::hide();
}

Error ErrorBar::errorOf(std::exception_ptr error)
{
    try {
        std::rethrow_exception(error);
    } catch (const Error &e) {
        return e;
    } catch (...) {
        return Error(ErrInternal, QStringLiteral("FrmAnteprima"), descrizioneErrore(error));
    }
}

std::optional<Error> ErrorBar::show(const QString &where, std::exception_ptr error)
{
    if (!error) {
        hide();
        return std::nullopt;
    }
    const Error e = errorOf(error);
    if (!m_first)
        m_first = e;
    m_label->setText(where + QStringLiteral(": ") + e.description());
    QFrame::show();
    return e;
}

std::optional<Error> ErrorBar::showPage(int32_t page, std::exception_ptr error)
{
    return show(QCoreApplication::translate("qv::FrmAnteprima", "Pagina %1 mostrata solo in parte").arg(page + 1),
                error);
}

void ErrorBar::place(const QRect &area)
{
    if (isHidden())
        return;
    const int height = hasHeightForWidth() ? heightForWidth(area.width()) : sizeHint().height();
    setGeometry(area.x(), area.y(), area.width(), std::min(height, area.height()));
    raise();
}

} // namespace qv
