// SPDX-License-Identifier: MIT
// A host of the installed kind: it links the shared control library and
// writes one line to the utility class's default log, which lies beside the
// library because the code that writes it runs inside the library.
#include <qvpreview/qvUtilita.h>

#include <QString>

int main(int argc, char **argv)
{
    if (argc != 2)
        return 2;
    return qv::qvUtilita().ScriviLog(QString::fromLocal8Bit(argv[1])) ? 0 : 1;
}
