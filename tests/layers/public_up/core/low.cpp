// SPDX-License-Identifier: MIT
// A lower layer reaching up through a public header.
#include <qvpreview/High.h>
