// qvPreview - print preview for Qt applications.
// Setup: the service-pack installer of the control library. It is started
// from the folder that holds the new library file beside it.
#include "setup/Form1.h"

#include <QApplication>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    qv::Form1 form(QCoreApplication::applicationDirPath());
    form.show();
    return app.exec();
}
