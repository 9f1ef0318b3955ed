// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
// Opening documents with the desktop's default program, through GIO: it
// reads the freedesktop MIME associations (mimeapps.list, the .desktop
// entries of the installed programs, the shared MIME database) the way the
// desktop itself does, and tells apart a missing file, a type without a
// program and a program that does not start.
#include "platform/Processi.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

// GIO names a struct member "signals", which Qt defines as a keyword.
#pragma push_macro("signals")
#undef signals
#include <gio/gio.h>
#pragma pop_macro("signals")

#include <unistd.h>

#include <memory>

namespace qv::platform {

namespace {

struct GObjectRelease
{
    void operator()(gpointer object) const { g_object_unref(object); }
};
template <typename T>
using GPtr = std::unique_ptr<T, GObjectRelease>;

struct GErrorRelease
{
    void operator()(GError *error) const { g_error_free(error); }
};
using GErrorPtr = std::unique_ptr<GError, GErrorRelease>;

/// An address with a scheme of two or more characters ("https:", "mailto:");
/// a single letter followed by ":" is a drive, not a scheme.
bool isAddress(const QString &target)
{
    static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.\\-]+:"));
    return scheme.match(target).hasMatch();
}

OpenResult resultOf(const GError *error, OpenResult otherwise)
{
    if (error && error->domain == G_IO_ERROR) {
        if (error->code == G_IO_ERROR_NOT_FOUND)
            return OpenResult::NotFound;
        if (error->code == G_IO_ERROR_PERMISSION_DENIED)
            return OpenResult::AccessDenied;
    }
    return otherwise;
}

} // namespace

OpenResult openDocument(const QString &target)
{
    GPtr<GFile> file;
    const bool address = isAddress(target);
    if (address) {
        file.reset(g_file_new_for_uri(target.toUtf8().constData()));
    } else {
        const QFileInfo info(target);
        if (target.isEmpty() || !info.exists())
            return OpenResult::NotFound;
        const QByteArray path = QFile::encodeName(info.absoluteFilePath());
        if (::access(path.constData(), R_OK) != 0)
            return OpenResult::AccessDenied;
        file.reset(g_file_new_for_path(path.constData()));
    }

    GError *error = nullptr;
    GPtr<GAppInfo> program(g_file_query_default_handler(file.get(), nullptr, &error));
    GErrorPtr queryError(error);
    if (!program)
        return resultOf(queryError.get(), OpenResult::NoAssociation);

    error = nullptr;
    gboolean started = false;
    if (address) {
        const QByteArray uri = target.toUtf8();
        GList *uris = g_list_append(nullptr, const_cast<char *>(uri.constData()));
        started = g_app_info_launch_uris(program.get(), uris, nullptr, &error);
        g_list_free(uris);
    } else {
        GList *files = g_list_append(nullptr, file.get());
        started = g_app_info_launch(program.get(), files, nullptr, &error);
        g_list_free(files);
    }
    GErrorPtr launchError(error);
    return started ? OpenResult::Opened : resultOf(launchError.get(), OpenResult::Failed);
}

} // namespace qv::platform
