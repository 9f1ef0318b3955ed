// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
// The preview window's 256-colour page image file: the raster on show goes
// through it when "Massima qualità" is off, so that the page looks as it
// will on a 256-colour device.
#pragma once

#include <QImage>
#include <QString>

namespace qv {

class Bitmap256File
{
public:
    /// A fresh temporary name for the file (nothing is written yet).
    void open();
    /// Deletes the file and forgets its name.
    void remove();
    const QString &path() const { return m_path; }

    /// Reads the file back as the bitmap it always is; false when it cannot.
    bool load(QImage &image) const;
    /// \a raster through the file: saved in 256 colours, read back and
    /// expanded once (not at every paint); a null image when that failed.
    QImage convert(const QImage &raster) const;

private:
    QString m_path;
};

} // namespace qv
