// qvPreview - print preview for Qt applications.
// The page index of a spool file: where each page's first line starts.
#pragma once

#include <QString>
#include <QVector>

#include <cstdint>

namespace qv::IndicePagine {

/// Scans the spool file \a path once and returns the page index for a
/// document of \a pagineTotali pages: elements 0 to pagineTotali, element 0
/// is 1 (the file start), element n the 1-based byte position (64-bit: a
/// spool file may pass 2 GiB) of the line
/// after the n-th page break line (CR LF or LF line ends,
/// every line compared, text lines included); 0 where no page break was found.
///
/// The positions are those of spool::PageStartScanner, so the replay's seek
/// lands on the page's first line; memory does not grow with the file.
/// Throws qv::Error (source "FrmAnteprima") when the file cannot be read, and
/// error 9 when the file holds more page breaks than pagineTotali - 1 allows,
/// unless pagineTotali is 32767 or more: the control's count stops there, so
/// the pages past it are left out of the index.
QVector<qint64> Costruisci(const QString &path, int32_t pagineTotali);

} // namespace qv::IndicePagine
