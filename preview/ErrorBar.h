// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
// The bar over the top of the preview's page that shows a reading error,
// with a button that hides it.
#pragma once

#include <qvpreview/Error.h>

#include <QFrame>
#include <QString>

#include <cstdint>
#include <exception>
#include <optional>

class QLabel;
class QToolButton;

namespace qv {

/// The window's fraErrore: its text (lblErrore, selectable, so that the file
/// name and the line can be copied) and its "hide" button. Hidden until an
/// error is shown. Both are reached with Tab while it is shown, and a
/// screen reader hears of each error as it comes.
class ErrorBar : public QFrame
{
    Q_OBJECT
public:
    explicit ErrorBar(QWidget *parent);

    QLabel *label() const { return m_label; }
    QToolButton *hideButton() const { return m_hide; }
    /// Shows \a error after \a where (what it affected); no error hides the
    /// bar. Returns the error shown, as a qv::Error; the first one is kept.
    std::optional<Error> show(const QString &where, std::exception_ptr error);
    /// The same for page \a page (0-based): "Pagina n mostrata solo in parte".
    std::optional<Error> showPage(int32_t page, std::exception_ptr error);
    /// The first error shown since forgetFirst().
    const std::optional<Error> &first() const { return m_first; }
    void forgetFirst() { m_first.reset(); }
    /// Lays the bar over the top of \a area, as high as its text needs.
    void place(const QRect &area);

    /// The error that \a error holds, as a qv::Error.
    static Error errorOf(std::exception_ptr error);

private:
    QLabel *m_label = nullptr;
    QToolButton *m_hide = nullptr;
    std::optional<Error> m_first;
};

} // namespace qv
