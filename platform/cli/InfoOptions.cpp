// SPDX-License-Identifier: GPL-3.0-or-later
#include "InfoOptions.h"

#include <cstring>

#include "PackageVersion.h"

namespace cli {

void PrintVersion(const ProgramInfo& info, std::FILE* out) {
    std::fprintf(out,
                 "%s %s\n"
                 "Copyright (C) %s\n"
                 "License GPL-3.0-or-later: GNU GPL version 3 or later "
                 "<https://gnu.org/licenses/gpl.html>.\n"
                 "This is free software: you are free to change and redistribute it.\n"
                 "There is NO WARRANTY, to the extent permitted by law.\n",
                 info.name, info.version, kCopyrightHolder);
}

std::optional<int> AnswerInfoOption(int argc, const char* const* argv, const ProgramInfo& info,
                                    std::FILE* out) {
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        if (std::strcmp(arg, "--") == 0) break;
        if (std::strcmp(arg, "--help") == 0 || std::strcmp(arg, "-h") == 0) {
            std::fputs(info.help, out);
        } else if (std::strcmp(arg, "--version") == 0) {
            PrintVersion(info, out);
        } else {
            continue;
        }
        return std::fflush(out) == 0 && !std::ferror(out) ? 0 : 1;
    }
    return std::nullopt;
}

}  // namespace cli
