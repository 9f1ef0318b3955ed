// qvPreview - print preview for Qt applications.
#pragma once

#include <qvpreview/Export.h>

#include <cstdint>

namespace qv {

/// Stateless helpers shared by the control library and its installer.
/// Callers create an object when they need one and drop it afterwards.
class QV_EXPORT qvUtilita
{
public:
    /// The maker's web page, opened by Homepage() and shown in the about box.
    static constexpr const char SitoWeb[] = "https://qvpreview.example.org";
    /// The maker's e-mail address, shown in the about box.
    static constexpr const char EMail[] = "info@qvpreview.example.org";

    /// True exactly when the system version can be read and names the
    /// Windows NT family (platform identifier 2). Always false on Linux,
    /// whose platform identifier is 3; false as well when the query fails.
    bool IsWindowsNT();

    /// Opens the maker's web page with the desktop's default browser.
    /// \a hWnd is the handle of the asking window (0 for none); it is
    /// accepted for the callers' sake and not needed to open the page.
    /// Never reports a failure: a page that cannot be opened does nothing.
    void Homepage(int32_t hWnd);
};

} // namespace qv
