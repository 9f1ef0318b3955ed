// qvPreview - print preview for Qt applications.
#pragma once

#include <QString>
#include <stdexcept>

namespace qv {

/// A numbered error of the component, as the host receives it: the number
/// (380 for an invalid property value, 1001 for a command that could not
/// record, ...), the source (usually the name of the failing command) and an
/// Italian description.
class Error : public std::runtime_error
{
public:
    Error(int number, QString source, QString description)
        : std::runtime_error(description.toStdString())
        , m_number(number)
        , m_source(std::move(source))
        , m_description(std::move(description))
    {
    }

    int number() const noexcept { return m_number; }
    const QString &source() const noexcept { return m_source; }
    const QString &description() const noexcept { return m_description; }

private:
    int m_number;
    QString m_source;
    QString m_description;
};

/// Error numbers used across the component.
enum ErrorNumber : int {
    ErrSubscriptOutOfRange = 9,
    ErrTypeMismatch = 13,
    ErrInvalidPropertyValue = 380,
    ErrCannotPrint = 1001,
};

/// "Valore di proprietà non valido", the text of error 380.
QString invalidPropertyValueText();

} // namespace qv
