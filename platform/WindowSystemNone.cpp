// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
// The desktop's windows where the library is built without X11 support:
// other programs' windows cannot be reached.
#include "platform/WindowSystem.h"

namespace qv::platform {

std::optional<QList<DesktopWindow>> desktopWindows()
{
    return std::nullopt;
}

bool bringWindowForward(uint32_t)
{
    return false;
}

bool setWindowAbove(uint32_t, bool)
{
    return false;
}

} // namespace qv::platform
