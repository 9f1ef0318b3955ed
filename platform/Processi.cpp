// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
#include "platform/Processi.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <dlfcn.h>
#include <link.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <cerrno>
#include <vector>

extern char **environ;

namespace qv::platform {

namespace {

bool isBlank(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\n');
}

/// E_UNEXPECTED, the result that stands for an exception out of an entry point.
constexpr int32_t UnexpectedFailure = int32_t(0x8000FFFFu);

} // namespace

std::optional<QStringList> splitCommandLine(const QString &line)
{
    QStringList words;
    QString word;
    bool inWord = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar c = line.at(i);
        if (isBlank(c)) {
            if (inWord)
                words << word;
            word.clear();
            inWord = false;
            continue;
        }
        inWord = true;
        if (c == QLatin1Char('\'')) {
            const qsizetype end = line.indexOf(QLatin1Char('\''), i + 1);
            if (end < 0)
                return std::nullopt;
            word += line.mid(i + 1, end - i - 1);
            i = end;
        } else if (c == QLatin1Char('"')) {
            for (++i;; ++i) {
                if (i >= line.size())
                    return std::nullopt;
                const QChar d = line.at(i);
                if (d == QLatin1Char('"'))
                    break;
                if (d == QLatin1Char('\\') && i + 1 < line.size()
                    && QStringLiteral("\"\\$`\n").contains(line.at(i + 1))) {
                    if (line.at(++i) != QLatin1Char('\n'))
                        word += line.at(i);
                    continue;
                }
                word += d;
            }
        } else if (c == QLatin1Char('\\')) {
            if (++i >= line.size())
                return std::nullopt;
            // An escaped line break joins two lines; it adds nothing.
            if (line.at(i) != QLatin1Char('\n'))
                word += line.at(i);
        } else {
            word += c;
        }
    }
    if (inWord)
        words << word;
    return words;
}

std::optional<int> runAndWait(const QStringList &arguments)
{
    if (arguments.isEmpty() || arguments.first().isEmpty())
        return std::nullopt;
    std::vector<QByteArray> bytes;
    bytes.reserve(size_t(arguments.size()));
    for (const QString &argument : arguments)
        bytes.push_back(QFile::encodeName(argument));
    std::vector<char *> argv;
    for (QByteArray &b : bytes)
        argv.push_back(b.data());
    argv.push_back(nullptr);

    pid_t pid = 0;
    // posix_spawnp reports a program that cannot be executed as its result.
    if (::posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0)
        return std::nullopt;
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR)
            return -1; // reaped by someone else: it has ended, how is not known
    }
    if (WIFEXITED(status))
        return WEXITSTATUS(status);
    if (WIFSIGNALED(status))
        return 128 + WTERMSIG(status);
    return -1;
}

bool startDetached(const QString &program, const QStringList &arguments)
{
    return !program.isEmpty() && QProcess::startDetached(program, arguments);
}

namespace {

/// True when \a symbol lies in the object that \a library names itself, not
/// in one of the libraries it depends on.
bool definedBy(void *library, void *symbol)
{
    link_map *own = nullptr;
    if (::dlinfo(library, RTLD_DI_LINKMAP, &own) != 0 || !own)
        return false;
    Dl_info info{};
    link_map *defining = nullptr;
    return ::dladdr1(symbol, &info, reinterpret_cast<void **>(&defining), RTLD_DL_LINKMAP) != 0 && defining == own;
}

} // namespace

EntryResult callLibraryEntryPoint(const QString &path, const char *name)
{
    // A name without "/" would be looked for in the library path; the caller
    // means a file.
    const QByteArray file = QFile::encodeName(QFileInfo(path).absoluteFilePath());
    // Only a regular file (or a link to one) goes to the loader: it opens a
    // FIFO for reading and would wait for a writer for ever, and a device is
    // no library.
    struct stat info
    {};
    if (::stat(file.constData(), &info) != 0 || !S_ISREG(info.st_mode))
        return {EntryCall::NotLoaded, 0};
    void *library = ::dlopen(file.constData(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
    if (!library)
        return {EntryCall::NotLoaded, 0};
    // dlsym looks in the library and then in everything it depends on: a
    // library that links ours would offer our entry point as its own, and
    // calling it would register (or unregister) our classes in its name.
    // Only an entry point the library defines itself counts.
    void *symbol = ::dlsym(library, name);
    if (!symbol || !definedBy(library, symbol)) {
        ::dlclose(library);
        return {EntryCall::NoEntryPoint, 0};
    }
    using EntryPoint = int32_t (*)();
    const auto entry = reinterpret_cast<EntryPoint>(symbol);
    int32_t result = UnexpectedFailure;
    try {
        result = entry();
    } catch (...) {
        result = UnexpectedFailure;
    }
    ::dlclose(library);
    return {EntryCall::Called, result};
}

} // namespace qv::platform
