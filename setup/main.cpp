// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
// Setup: the service-pack installer of the control library. It is started
// from the folder that holds the new library file beside it.
#include "setup/Form1.h"

#include <qvpreview/Translation.h>

#include <QApplication>

#include <cstdio>
#include <cstring>

int main(int argc, char **argv)
{
    // "Setup --version" says which version this service pack delivers, without
    // a window and so without a display: for scripts and install checks.
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("Setup %s\n", qv::Form1::VersioneServicePack);
        return 0;
    }
    QApplication app(argc, argv);
    // The user's language (LANGUAGE, LC_ALL, LC_MESSAGES, LANG) where the
    // component has a catalogue for it; Italian otherwise.
    qv::installTranslator(QLocale::system());
    qv::Form1 form(QCoreApplication::applicationDirPath());
    form.show();
    return app.exec();
}
