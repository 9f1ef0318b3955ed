// SPDX-License-Identifier: MIT
// A lower layer reaching up by its folder.
#include "upper/high.h"
