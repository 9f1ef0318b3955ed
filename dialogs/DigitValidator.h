// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
// The validator of the dialogs' digit fields.
#pragma once

#include <QValidator>

class QLineEdit;

namespace qv {

/// Keeps what the user brings to a text field to the digits "0" to "9".
/// Whatever arrives, typed, pasted (Ctrl+V, Shift+Insert, the field's menu,
/// the middle button) or committed by an input method, keeps its digits and
/// loses every other character, as if each character had been typed through
/// the key filter CampiTesto::SoloNumeri: "x7" pastes "7", a typed "a"
/// changes nothing. The field's length limit applies to what the field takes.
///
/// A text the program sets (QLineEdit::setText, which clears the undo
/// history) is left as it is: a count below 0 that the caller gave shows as
/// given.
class DigitValidator : public QValidator
{
    Q_OBJECT
public:
    /// The validator of \a campo; the caller sets it on the field, which owns it.
    explicit DigitValidator(QLineEdit *campo);

    /// After an edit of the user, removes every character that is not a digit
    /// from \a input and moves \a pos back by those before it. Always
    /// acceptable, the empty text too.
    State validate(QString &input, int &pos) const override;

private:
    const QLineEdit *m_campo;
};

} // namespace qv
