// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
#include "preview/ErrorBar.h"

#include "print/MotoreStampa.h"

#include <QAccessible>
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
    // Selected with the mouse or, reached with Tab, with the keyboard; a
    // click leaves the keys with the page.
    m_label->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    m_label->setFocusPolicy(Qt::TabFocus);
    m_label->setTextFormat(Qt::PlainText);
    layout->addWidget(m_label, 1);
    m_hide = new QToolButton(this);
    m_hide->setObjectName(QStringLiteral("cmdNascondiErrore"));
    m_hide->setText(QStringLiteral("\u00d7"));
    m_hide->setToolTip(QCoreApplication::translate("qv::FrmAnteprima", "Nascondi"));
    m_hide->setAutoRaise(true);
    m_hide->setFocusPolicy(Qt::TabFocus);
    layout->addWidget(m_hide, 0, Qt::AlignTop);
    connect(m_hide, &QToolButton::clicked, this, &QWidget::hide);
    setAccessibleName(QCoreApplication::translate("qv::ErrorBar", "Errore di lettura"));
    setAccessibleDescription(QCoreApplication::translate(
        "qv::ErrorBar", "Un errore incontrato leggendo il documento, e il suo file e riga"));
    m_label->setAccessibleDescription(QCoreApplication::translate("qv::ErrorBar", "Il testo dell'errore"));
    m_hide->setAccessibleName(QCoreApplication::translate("qv::ErrorBar", "Nascondi l'errore"));
    m_hide->setAccessibleDescription(QCoreApplication::translate("qv::ErrorBar", "Chiude la barra dell'errore"));
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
    // Said at once by a screen reader, wherever the focus is.
    QAccessibleEvent alert(m_label, QAccessible::Alert);
    QAccessible::updateAccessibility(&alert);
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
