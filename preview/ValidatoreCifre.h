// qvPreview - print preview for Qt applications.
// The validator of the dialogs' digit fields.
#pragma once

#include <QValidator>

namespace qv {

/// Keeps a text field to the digits "0" to "9". Whatever the user brings to
/// it, typed, pasted (Ctrl+V, Shift+Insert, the field's menu, the middle
/// button) or committed by an input method, keeps its digits and loses every
/// other character, as if each character had been typed through the key
/// filter CampiTesto::SoloNumeri: "x7" pastes "7", a typed "a" changes
/// nothing. The field's length limit applies to what the field takes.
class ValidatoreCifre : public QValidator
{
    Q_OBJECT
public:
    using QValidator::QValidator;

    /// Removes every character that is not a digit from \a input, moving
    /// \a pos back by those before it. Any text of digits (the empty text
    /// too) is acceptable.
    State validate(QString &input, int &pos) const override;
};

} // namespace qv
