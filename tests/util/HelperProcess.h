// SPDX-License-Identifier: MIT
// Runs the helper program of the utility tests (helper_utilita) as a second
// process.
#pragma once

#include <QProcess>
#include <QStringList>

#include <memory>

namespace qv::test {

/// Starts the helper with \a arguments; the process is killed if still running
/// when the pointer goes.
inline std::unique_ptr<QProcess> startHelper(const QStringList &arguments)
{
    auto process = std::make_unique<QProcess>();
    process->start(QStringLiteral(QV_HELPER_UTILITA), arguments);
    process->waitForStarted();
    return process;
}

/// Waits for a started helper and gives its exit code (-1 when it crashed or
/// did not finish within \a timeoutMs).
inline int finishHelper(QProcess &process, int timeoutMs = 120000)
{
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished();
        return -1;
    }
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

} // namespace qv::test
