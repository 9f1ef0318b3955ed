// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
// The layout check: one replay of every page onto a target that draws
// nothing and looks at where each record lands, what its text measures
// here, which face draws its font and whether its picture reads.
#pragma once

#include <qvpreview/LayoutCheck.h>

#include <QRectF>
#include <QString>

#include <cstdint>
#include <functional>

namespace qv {

/// Told at each page's start with its number (1-based); false stops the
/// check there (LayoutCheck::cancelled).
using LayoutCheckProgress = std::function<bool(int32_t page)>;

/// Checks every page of the spool file at \a spoolPath. Never throws: an
/// error that stops the reading is LayoutCheck::error, with the findings
/// before it. Safe to run in a thread of its own (it draws nothing).
LayoutCheck checkLayout(const QString &spoolPath, const LayoutCheckProgress &progress = {});

/// The face this machine draws \a family with (fontconfig through Qt's
/// font matching), in that weight and slant; empty when it is \a family
/// itself (letter case aside) or a face made to its metrics ("Arial" drawn
/// with "Liberation Sans" keeps every width).
QString substitutedFace(const QString &family, bool bold, bool italic);

/// Where a finding's rectangle \a twips (in page twips) lies on a page
/// shown as \a pageRect: the page's printable area at that place and size.
/// The views draw a finding's outline there.
QRectF findingOnPage(const QRectF &twips, const QRectF &pageRect, double pageWidthTwips, double pageHeightTwips);

} // namespace qv
