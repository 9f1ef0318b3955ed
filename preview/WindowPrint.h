// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
// The window's "Stampa": the shared print command on the document on show,
// and what the user is told of how it went.
#pragma once

#include <QString>

#include <functional>

class QWidget;

namespace qv {

class ViewerModel;
struct PrintOutcome;

namespace WindowPrint {

/// "Il documento è stato stampato nel file PDF:" and \a file on the next
/// line: what the user is told after printing on the built-in PDF printer.
QString printedToPdf(const QString &file);

/// Prints the model's document through the print options dialog over
/// \a parent (job title \a title, the page on show as the current page),
/// hands \a listener the outcome, and tells the user what they need to
/// know: where a PDF went, that there is no printer, the error.
void print(QWidget *parent, const ViewerModel &model, const QString &title,
           const std::function<void(const PrintOutcome &)> &listener);

} // namespace WindowPrint

} // namespace qv
