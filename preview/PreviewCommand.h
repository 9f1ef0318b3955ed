// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
// The commands of the preview window, whichever way the user gives them: a
// toolbar button, an item of the pop-up menu or a key. The toolbar and menu
// (PreviewToolbar) and the keys (PreviewInput) name a command; the window
// (FrmAnteprima) carries it out in one place.
#pragma once

namespace qv {

enum class PreviewCommand {
    Riduci,          ///< one zoom step out
    Ingrandisci,     ///< one zoom step in
    DimensioneReale, ///< 100 %
    AdattaPagina,    ///< the whole page in the window, following its size
    AdattaLarghezza, ///< the page as wide as the window, following its size
    Aggiorna,        ///< read the page on show again
    Stampa,          ///< the print options dialog, then printing
    PrimaPagina,
    PaginaPrecedente,
    PaginaSuccessiva,
    UltimaPagina,
    Chiudi,
    VistaContinua,   ///< pages one under another, or one page at a time again
    VistaAffiancata, ///< facing pages, two a row, or one page at a time again
    Panoramica,      ///< a grid of every page, or one page at a time again
    Miniature,       ///< shows or hides the thumbnail pane
};

} // namespace qv
