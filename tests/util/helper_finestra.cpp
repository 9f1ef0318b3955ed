// SPDX-License-Identifier: MIT
// Helper program for the window tests: opens one top-level window in a
// process of its own.
//   helper_finestra TITLE [X Y WIDTH HEIGHT]
// Prints the window's native id in decimal on a line of its own once the
// window is shown, and closes it when its standard input closes.
#include <QApplication>
#include <QSocketNotifier>
#include <QWidget>

#include <unistd.h>

#include <cstdio>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.size() != 1 && args.size() != 5)
        return 100;
    QWidget window;
    window.setWindowTitle(args[0]);
    if (args.size() == 5)
        window.setGeometry(args[1].toInt(), args[2].toInt(), args[3].toInt(), args[4].toInt());
    window.show();
    std::printf("%llu\n", static_cast<unsigned long long>(window.winId()));
    std::fflush(stdout);
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, [&] {
        char buffer[64];
        if (::read(STDIN_FILENO, buffer, sizeof buffer) <= 0)
            app.quit();
    });
    return app.exec();
}
