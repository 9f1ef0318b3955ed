// SPDX-License-Identifier: MIT
// qvPreview - print preview for Qt applications.
// The process's peak resident memory, for the benchmarks that report it.
#pragma once

#include <fstream>
#include <string>

namespace qv::bench {

/// Starts a new peak: the kernel's high-water mark is set back to the
/// resident memory of now.
inline void resetPeak()
{
    std::ofstream("/proc/self/clear_refs") << "5";
}

/// The peak resident memory since the last resetPeak(), in MiB (0 when the
/// kernel does not say).
inline double peakMiB()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0)
            return std::stod(line.substr(6)) / 1024.0;
    return 0;
}

} // namespace qv::bench
