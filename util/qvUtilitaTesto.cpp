// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
// qvUtilita: text helpers. Positions and lengths are 16-bit numbers in these
// routines, so texts longer than 32767 characters raise error 6 ("Overflow").
#include <qvpreview/qvUtilita.h>

#include <qvpreview/Error.h>

#include <QStringView>

#include <cmath>

namespace qv {

namespace {

constexpr qsizetype MaxLength = 32767;

void checkLength(const QString &text, const char *operation)
{
    if (text.size() > MaxLength)
        throw Error(ErrOverflow, QStringLiteral("qvUtilita.") + QLatin1String(operation));
}

} // namespace

QString qvUtilita::qvReplace(const QString &testo, const QString &ricerca, const QString &sostituzione)
{
    if (ricerca.isEmpty() || testo.isEmpty() || sostituzione.isEmpty())
        return testo;
    checkLength(testo, "qvReplace");
    checkLength(ricerca, "qvReplace");
    QString result;
    result.reserve(testo.size());
    const QStringView text(testo);
    qsizetype p = 0;
    while (p < text.size()) {
        if (text.mid(p).startsWith(ricerca)) {
            result += sostituzione;
            p += ricerca.size();
        } else {
            result += text.at(p);
            ++p;
        }
    }
    return result;
}

bool qvUtilita::qvSplit(QStringList &tmp, const QString &buf, const QString &sep)
{
    tmp = QStringList{QString()};
    if (buf.isEmpty() || sep.isEmpty())
        return false;
    checkLength(buf, "qvSplit");
    checkLength(sep, "qvSplit");
    QStringView text(buf);
    if (text.endsWith(sep))
        text.chop(sep.size());
    qsizetype p = 0;
    while (p < text.size()) {
        if (text.mid(p).startsWith(sep)) {
            tmp.append(QString());
            p += sep.size();
        } else {
            tmp.last() += text.at(p);
            ++p;
        }
    }
    return true;
}

QString qvUtilita::EspuraSpazi(const QString &testo)
{
    checkLength(testo, "EspuraSpazi");
    QString result = testo;
    result.remove(QLatin1Char(' '));
    return result;
}

QString qvUtilita::StripTerminator(const QString &strString)
{
    const qsizetype nul = strString.indexOf(QChar(u'\0'));
    return nul < 0 ? strString : strString.left(nul);
}

int16_t qvUtilita::KeyMaiuscolo(int16_t KeyAscii)
{
    const QChar key{char16_t(uint16_t(KeyAscii))};
    return int16_t(key.toUpper().unicode());
}

QDateTime qvUtilita::LongToDate(int32_t sec)
{
    // Hours, minutes and seconds are 16-bit; only the hours can overflow.
    const double hours = std::floor(double(sec) / 3600.0);
    if (hours > 32767.0 || hours < -32768.0)
        throw Error(ErrOverflow, QStringLiteral("qvUtilita.LongToDate"));
    const QDateTime dayZero(QDate(1899, 12, 30), QTime(0, 0), Qt::UTC);
    return dayZero.addSecs(sec);
}

} // namespace qv
