// SPDX-License-Identifier: MIT
// The commands of qvpreview; each returns the tool's exit status.
#pragma once

#include "Cli.h"

namespace qvcli {

int commandCheck(const QString &path);
int commandCheckLayout(const QString &path);
int commandFind(const QString &path, const QString &text, const Options &options);
int commandRender(const QString &path, const Options &options);
int commandPrint(const QString &path, const Options &options);
int commandView(const QString &path, bool follow);
/// Whether there is a screen to show a window on (X11 or Wayland).
bool haveDisplay();

} // namespace qvcli
