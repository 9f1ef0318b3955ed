// SPDX-License-Identifier: MIT
// A host that runs the older control library while the installer replaces
// it: it loads the library named on its command line, says "pronto", waits
// for a line on its standard input and then calls into the library again,
// printing what it answers. Exits 0 when the library answered both times.
#include <dlfcn.h>

#include <cstdio>
#include <cstring>

int main(int argc, char **argv)
{
    if (argc != 2)
        return 2;
    void *library = dlopen(argv[1], RTLD_NOW);
    if (!library)
        return 3;
    auto revisione = reinterpret_cast<int (*)()>(dlsym(library, "qvprova_revisione"));
    if (!revisione)
        return 4;
    std::printf("pronto %d\n", revisione());
    std::fflush(stdout);
    char line[64];
    if (!std::fgets(line, sizeof line, stdin))
        return 5;
    // The whole mapping is read again: a library overwritten in place
    // would show here as different bytes or a bus error.
    std::printf("ancora %d\n", revisione());
    std::fflush(stdout);
    return 0;
}
