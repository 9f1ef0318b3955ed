// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
#pragma once

#include <qvpreview/Export.h>

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <stdexcept>

namespace qv {

/// The error numbers of the component. The numbers below 1000 are the classic
/// run-time error numbers, each with its fixed Italian text in the error
/// catalogue (errorText()); 1001 and 6000 are the component's own.
enum ErrorNumber : int {
    ErrReturnWithoutGoSub = 3,
    ErrInvalidProcedureCall = 5,
    ErrOverflow = 6,
    ErrOutOfMemory = 7,
    ErrSubscriptOutOfRange = 9,
    ErrArrayFixedOrLocked = 10,
    ErrDivisionByZero = 11,
    ErrTypeMismatch = 13,
    ErrOutOfStringSpace = 14,
    ErrExpressionTooComplex = 16,
    ErrCannotPerformOperation = 17,
    ErrUserInterrupt = 18,
    ErrResumeWithoutError = 20,
    ErrOutOfStackSpace = 28,
    ErrProcedureNotDefined = 35,
    ErrTooManyDllClients = 47,
    ErrDllLoad = 48,
    ErrBadDllCallingConvention = 49,
    ErrInternal = 51,
    ErrBadFileNameOrNumber = 52,
    ErrFileNotFound = 53,
    ErrBadFileMode = 54,
    ErrFileAlreadyOpen = 55,
    ErrDeviceIO = 57,
    ErrFileAlreadyExists = 58,
    ErrBadRecordLength = 59,
    ErrDiskFull = 61,
    ErrInputPastEnd = 62,
    ErrBadRecordNumber = 63,
    ErrTooManyFiles = 67,
    ErrDeviceUnavailable = 68,
    ErrPermissionDenied = 70,
    ErrDiskNotReady = 71,
    ErrRenameAcrossDisks = 74,
    ErrPathFileAccess = 75,
    ErrPathNotFound = 76,
    ErrObjectNotSet = 91,
    ErrForLoopNotInitialized = 92,
    ErrInvalidPattern = 93,
    ErrInvalidUseOfNull = 94,
    ErrInvalidFileFormat = 321,
    ErrCannotCreateTempFile = 322,
    ErrInvalidPropertyValue = 380,
    ErrInvalidPropertyArrayIndex = 381,
    ErrSetNotSupportedAtRunTime = 382,
    ErrSetNotSupportedReadOnly = 383,
    ErrGetNotSupportedAtRunTime = 393,
    ErrGetNotSupportedWriteOnly = 394,
    ErrPropertyNotFound = 422,
    ErrPropertyOrMethodNotFound = 423,
    ErrObjectRequired = 424,
    ErrCannotCreateObject = 429,
    ErrNotSupportedByObject = 438,
    ErrAutomation = 440,
    ErrArgumentNotOptional = 449,
    ErrWrongNumberOfArguments = 450,
    ErrDllEntryPointNotFound = 453,
    ErrKeyAlreadyInCollection = 457,
    ErrUnsupportedAutomationType = 458,
    ErrClassNotRegistered = 463,
    ErrInvalidPicture = 481,
    ErrPrinter = 482,
    ErrCannotSaveInTemp = 735,
    ErrSearchTextNotFound = 744,
    ErrReplacementsTooLong = 746,
    /// A recording command could not record ("Impossibile stampare...").
    ErrCannotPrint = 1001,
    /// The 256-colour conversion could not read the picture's information.
    ErrPictureInfo = 6000,
};

/// The catalogue's Italian text of error \a number, exactly as the component
/// shows it (trailing blanks included, as in "Impossibile trovare il
/// percorso "); an empty text for a number the catalogue does not list.
/// With a catalogue installed by installTranslator() (Translation.h), the
/// text in that language ("Path not found " for 76); the number stays.
QV_EXPORT QString errorText(int number);

/// True when the catalogue lists \a number.
QV_EXPORT bool hasErrorText(int number);

/// A numbered error of the component, as the host receives it: the number
/// (380 for an invalid property value, 1001 for a command that could not
/// record, ...), the source (usually the name of the failing command) and an
/// Italian description (or its translation, see installTranslator()). Errors found in a file (the spool file, a palette
/// file) also carry the file's path and the 1-based line (0: not known).
///
/// Besides the description, which for most errors is the catalogue's fixed
/// text, an error may carry a detail: what exactly was refused or where
/// ("ForeColor = -65536 (0xFFFF0000) ..." for a property value, the file
/// and line of a palette file). what() shows both, "description: detail".
///
/// For example (examples/tour/main.cpp, which CI runs):
/// \snippet tour/main.cpp Error
class QV_EXPORT Error : public std::runtime_error
{
public:
    /// An error with its own description.
    Error(int number, QString source, QString description)
        : std::runtime_error(description.toStdString())
        , m_number(number)
        , m_source(std::move(source))
        , m_description(std::move(description))
        , m_what(m_description.toUtf8())
    {}

    /// An error with its own description and a detail (see detail()).
    Error(int number, QString source, QString description, QString detail)
        : Error(number, std::move(source), std::move(description))
    {
        withDetail(std::move(detail));
    }

    /// An error whose description is the catalogue's text of \a number.
    Error(ErrorNumber number, QString source) : Error(int(number), std::move(source), errorText(number)) {}

    /// The error number (ErrorNumber, or another number a caller chose).
    int number() const noexcept { return m_number; }
    /// Where it was raised: usually the failing command's or property's name.
    const QString &source() const noexcept { return m_source; }
    /// The Italian text, or its translation in the language installed when the
    /// error was raised, without the detail; what() adds the detail.
    const QString &description() const noexcept { return m_description; }

    /// What exactly went wrong, beside description(): for a property value
    /// refused with 380, the property and the value ("FontSize = 0 (ammessi
    /// da 1 a 2160)"); for an error in a file whose description does not say
    /// so already, the file and line. Empty when there is nothing to add.
    const QString &detail() const noexcept { return m_detail; }
    /// Sets detail(); returns the error for a throw expression.
    Error &withDetail(QString detail)
    {
        m_detail = std::move(detail);
        QString shown = m_description;
        if (!m_detail.isEmpty()) {
            // "Impossibile trovare il percorso " keeps its blank in
            // description(), but not before the colon.
            while (shown.endsWith(QLatin1Char(' ')))
                shown.chop(1);
            shown += QStringLiteral(": ") + m_detail;
        }
        m_what = shown.toUtf8();
        return *this;
    }
    /// description() in UTF-8, followed by ": " and detail() when there is one.
    const char *what() const noexcept override { return m_what.constData(); }

    /// The file the error was found in; empty when it is not about a file.
    const QString &file() const noexcept { return m_file; }
    /// The 1-based line of file() the error was found on; 0 when not known.
    int64_t line() const noexcept { return m_line; }
    /// Sets where the error was found; returns the error for a throw expression.
    Error &at(QString file, int64_t line = 0)
    {
        m_file = std::move(file);
        m_line = line;
        return *this;
    }

private:
    int m_number;
    QString m_source;
    QString m_description;
    QString m_detail;
    QByteArray m_what; // implicitly shared, so copying an error cannot throw
    QString m_file;
    int64_t m_line = 0;
};

/// "Valore di proprietà non valido", the text of error 380.
inline QString invalidPropertyValueText()
{
    return errorText(ErrInvalidPropertyValue);
}

} // namespace qv
