// SPDX-License-Identifier: MIT
// Downward in both forms, and a header no layer lists.
#include "core/low.h"
#include <qvpreview/Low.h>
#include <qvpreview/Types.h>
