// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
// qvUtilita: the Windows family test and the maker's web page.
#include <qvpreview/qvUtilita.h>

#include "platform/Platform.h"

#include <QString>

namespace qv {

namespace {
constexpr uint32_t PlatformWindowsNT = 2;
}

bool qvUtilita::IsWindowsNT()
{
    const std::optional<platform::SystemVersion> version = platform::systemVersion();
    return version && version->platformId == PlatformWindowsNT;
}

void qvUtilita::Homepage(int32_t hWnd)
{
    Q_UNUSED(hWnd);
    // The desktop decides whether the address opens; the caller is told nothing.
    (void)platform::openUrl(QString::fromLatin1(SitoWeb));
}

} // namespace qv
