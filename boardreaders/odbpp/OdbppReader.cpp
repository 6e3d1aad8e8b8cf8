// SPDX-License-Identifier: GPL-3.0-or-later
#include "OdbppReader.h"

#include <sys/stat.h>

#include <new>

#include "JobArchive.h"
#include "JobDirectory.h"
#include "JobFiles.h"
#include "OdbppDesignBuilder.h"
#include "RecordText.h"

namespace boards {
namespace {

using odbpp::JobArchive;
using odbpp::JobDirectory;
using odbpp::JobFiles;
using odbpp::JobLimits;

template <typename ReadMembers>
bool ReadJob(ReadMembers readMembers, const std::string& name, const JobLimits& limits, Design& out,
             ReadError& error, std::string* step) {
    try {
        JobFiles files(limits);
        std::string reason;
        if (!readMembers(files, reason) || !files.Settle(reason)) {
            error = {name, 0, reason};
            return false;
        }
        odbpp::BuildResult result;
        if (!odbpp::BuildOdbppDesign(files, name, out, result, error)) return false;
        if (step) *step = result.step;
        return true;
    } catch (const std::bad_alloc&) {
        error = {name, 0, "out of memory reading the job"};
        return false;
    }
}

// A job's top folders that its first members lie in.
bool InJobFolder(std::string_view path) {
    static const char* const kFolders[] = {"matrix", "steps", "misc", "symbols", "fonts"};
    for (int depth = 0; depth < 2; ++depth) {
        const std::size_t slash = path.find('/');
        if (slash == std::string_view::npos) return false;
        const std::string part = odbpp::Lower(path.substr(0, slash));
        for (const char* folder : kFolders)
            if (part == folder) return true;
        path.remove_prefix(slash + 1);
    }
    return false;
}

}  // namespace

bool ReadOdbppJob(const std::string& path, Design& out, ReadError& error, const JobLimits& limits,
                  std::string* step) {
    struct stat info {};
    const bool directory = ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
    return ReadJob(
        [&](JobFiles& files, std::string& reason) {
            return directory ? JobDirectory::Read(path, limits, files, reason)
                             : JobArchive::ReadFile(path, limits, files, reason);
        },
        path, limits, out, error, step);
}

bool ParseOdbppJob(std::string_view bytes, const std::string& fileName, Design& out,
                   ReadError& error, const JobLimits& limits, std::string* step) {
    return ReadJob(
        [&](JobFiles& files, std::string& reason) {
            return JobArchive::ReadBytes(bytes, limits, files, reason);
        },
        fileName, limits, out, error, step);
}

bool RecognisesOdbppJob(const FileProbe& probe) {
    if (probe.isDirectory) return JobDirectory::HoldsJob(probe.path);
    if (!JobArchive::HasArchiveMagic(probe.head)) return false;
    for (const std::string& path : JobArchive::LeadingPaths(probe.head, 64))
        if (InJobFolder(path)) return true;
    return false;
}

}  // namespace boards
