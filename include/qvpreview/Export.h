// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
#pragma once

/// \namespace qv
/// The qvPreview component: the recording control PrintPreview, SpoolFile and
/// the printer functions of PrintOptions.h, the palette class CPalette, the
/// utility class qvUtilita, and the error type Error with its catalogue.

/// Marks a class or function of the public interface. The control library is
/// built with hidden visibility: only what carries this mark is exported (and
/// a host sees it the same way when it includes the header).
#define QV_EXPORT __attribute__((visibility("default")))
