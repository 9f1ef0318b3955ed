// SPDX-License-Identifier: MIT
// A temporary world for one test: temporary folder, configuration folder, PDF
// folder and key store inside one QTemporaryDir, and platform hooks reset
// afterwards.
#pragma once

#include "platform/Devices.h"
#include "platform/Platform.h"

#include <QString>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace qv::test {

class TempEnv
{
public:
    TempEnv();
    ~TempEnv();
    TempEnv(const TempEnv &) = delete;
    TempEnv &operator=(const TempEnv &) = delete;

    /// The root of this test's folders (ends with "/").
    QString root() const;
    /// The folder TMPDIR points at (ends with "/").
    QString tempFolder() const;
    /// The folder XDG_CONFIG_HOME points at (ends with "/").
    QString configFolder() const;
    /// The folder QVPREVIEW_PDF_DIR points at (ends with "/").
    QString pdfFolder() const;
    /// The folder QVPREVIEW_REGISTRY_DIR points at, the key store's hives
    /// (ends with "/"; created by the first write).
    QString registryFolder() const;

    /// Files in the temporary folder whose names start with \a prefix.
    QStringList tempFiles(const QString &prefix = QString()) const;

    /// No printer installed.
    static void noPrinters();
    /// The built-in PDF printer only, its page A4: what a job is printed on
    /// when a test wants a PDF and no CUPS queue asked.
    static void onlyThePdfPrinter();
    /// One printer with the given drawable area in twips.
    static void onePrinter(double widthTwips, double heightTwips, const QString &name = QStringLiteral("Test"));

private:
    QTemporaryDir m_dir;
    QByteArray m_oldTmp, m_oldConfig, m_oldPdf, m_oldRegistry;
};

/// A gtest fixture that owns a TempEnv.
class TempEnvTest : public ::testing::Test
{
protected:
    TempEnv env;
};

/// Reads a whole file as bytes.
QByteArray readAll(const QString &path);
/// Writes \a bytes as the whole of the file \a path; returns the path.
QString writeAll(const QString &path, const QByteArray &bytes);

} // namespace qv::test
