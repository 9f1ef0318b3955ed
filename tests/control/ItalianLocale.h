// SPDX-License-Identifier: MIT
// Puts the process under an Italian locale (decimal comma) for one test:
// the C library's numeric locale when it can be had (installed, or generated
// with localedef into a temporary folder) and Qt's default locale always.
#pragma once

#include <QByteArray>
#include <QLocale>
#include <QTemporaryDir>

#include <memory>
#include <string>

namespace qv::test {

class ItalianLocale
{
public:
    ItalianLocale();
    ~ItalianLocale();
    ItalianLocale(const ItalianLocale &) = delete;
    ItalianLocale &operator=(const ItalianLocale &) = delete;

    /// True when the C library now formats 0.5 as "0,5".
    bool cLocaleActive() const { return m_active; }

private:
    std::string m_oldNumeric;
    QLocale m_oldQt;
    QByteArray m_oldLocPath;
    bool m_active = false;
};

/// Runs a spool file's bytes through a line splitter (CR LF line ends).
QList<QByteArray> spoolLines(const QByteArray &bytes);

} // namespace qv::test
