// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
// What the layout check of a spool file finds (SpoolFile::checkLayout()):
// texts cut by their field, records outside the printable area or off the
// page, pictures that cannot be read, fonts replaced by another face.
#pragma once

#include <qvpreview/Error.h>

#include <QList>
#include <QRectF>
#include <QString>

#include <cstdint>
#include <optional>

namespace qv {

/// One thing the layout check found on a page.
///
/// For example (examples/tour/main.cpp, which CI runs):
/// \snippet tour/main.cpp LayoutCheck
struct LayoutFinding
{
    /// What was found.
    enum Kind : int32_t {
        TextCut = 0,           ///< the field a text was recorded into left part of it out (StampaCampo, recorded with
                               ///< PrintPreview::setFieldsRecorded())
        TextOverflow = 1,      ///< a field's text, as replayed here, is wider than its field
        OutsidePrintable = 2,  ///< a record lies (partly) in the margins, outside the printable area
        OffPage = 3,           ///< a record lies (partly) beyond the paper's edge
        PictureUnreadable = 4, ///< a picture whose file cannot be read or drawn
        FontSubstituted = 5,   ///< a font asked for that this machine replaces by another face
    };

    int32_t page = 1;    ///< 1-based page
    Kind kind = TextCut; ///< what was found
    /// Where, in twips, in the page's own coordinates: from the top-left
    /// corner of its printable area (the area within the margins, which the
    /// preview shows), as the records and SpoolMatch are. May reach beyond
    /// the page for OffPage.
    QRectF place;
    qint64 line = 0; ///< the record's line in the file (1-based)
    QString text;    ///< a short description, in the component's language
    /// For FontSubstituted: the face asked for and the face used; empty otherwise.
    QString fontAsked;
    QString fontUsed; ///< the face this machine draws it with (fontconfig through Qt)

    /// Two findings are equal when every field is.
    bool operator==(const LayoutFinding &) const = default;
};

/// What SpoolFile::checkLayout() found: the findings in page order, and the
/// error that ended the reading early.
///
/// For example (examples/tour/main.cpp, which CI runs):
/// \snippet tour/main.cpp LayoutCheck
struct LayoutCheck
{
    int32_t pages = 0;             ///< the pages read
    QList<LayoutFinding> findings; ///< in page order, and in record order within a page
    /// The error that stopped the check (file, line, what was expected); the
    /// findings hold what was found before it. nullopt when the whole file reads.
    std::optional<Error> error;
    /// True when the check was stopped by its caller before the end.
    bool cancelled = false;

    /// True when the whole file read and nothing was found.
    bool clean() const { return !error && !cancelled && findings.isEmpty(); }
    /// One line that counts the findings and the pages read, in the
    /// component's language ("2 segnalazioni in 3 pagine", "nessuna
    /// segnalazione in 1 pagina").
    QV_EXPORT QString summary() const;
};

} // namespace qv
