// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
#include "platform/Volumi.h"

#include <QDir>
#include <QFile>

#include <sys/stat.h>
#include <sys/statfs.h>

#include <algorithm>
#include <cctype>
#include <cstring>

namespace qv::platform {

std::optional<uint32_t> foldUuid(const QString &uuid)
{
    QString digits = uuid;
    digits.remove(QLatin1Char('-'));
    if (digits.isEmpty())
        return std::nullopt;
    for (const QChar c : digits)
        if (!isxdigit(c.unicode()) || c.unicode() > 0x7F)
            return std::nullopt;
    if (digits.size() == 16)
        digits = digits.right(8);
    uint32_t folded = 0;
    for (qsizetype end = digits.size(); end > 0; end -= 8) {
        const qsizetype start = std::max<qsizetype>(0, end - 8);
        folded ^= digits.mid(start, end - start).toUInt(nullptr, 16);
    }
    return folded;
}

std::optional<uint32_t> volumeSerial(const QString &path, const QString &uuidFolder)
{
    const QByteArray name = QFile::encodeName(path);
    struct stat info
    {};
    if (path.isEmpty() || ::stat(name.constData(), &info) != 0)
        return std::nullopt;
    const bool device = S_ISBLK(info.st_mode);
    const dev_t wanted = device ? info.st_rdev : info.st_dev;

    const QStringList links = QDir(uuidFolder).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);
    for (const QString &link : links) {
        struct stat target
        {};
        const QByteArray linkPath = QFile::encodeName(uuidFolder + QLatin1Char('/') + link);
        if (::stat(linkPath.constData(), &target) == 0 && S_ISBLK(target.st_mode) && target.st_rdev == wanted)
            if (const auto serial = foldUuid(link))
                return serial;
    }
    if (device)
        return std::nullopt;

    struct statfs fs
    {};
    if (::statfs(name.constData(), &fs) != 0)
        return std::nullopt;
    uint32_t halves[2];
    static_assert(sizeof fs.f_fsid == sizeof halves);
    std::memcpy(halves, &fs.f_fsid, sizeof halves);
    return halves[0] ^ halves[1];
}

} // namespace qv::platform
