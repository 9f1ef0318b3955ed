// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
// The busy pointer, shown for as long as a CursoreOccupato lives: around page
// changes, the page index scan and printing.
#pragma once

#include <QApplication>

namespace qv {

class CursoreOccupato
{
public:
    CursoreOccupato() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~CursoreOccupato() { QApplication::restoreOverrideCursor(); }
    CursoreOccupato(const CursoreOccupato &) = delete;
    CursoreOccupato &operator=(const CursoreOccupato &) = delete;
};

} // namespace qv
