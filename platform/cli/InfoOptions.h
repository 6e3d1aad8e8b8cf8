// SPDX-License-Identifier: GPL-3.0-or-later
// --help and --version, answered the same way by every program of the package before it opens
// a window or a socket.
#pragma once

#include <cstdio>
#include <optional>

namespace cli {

struct ProgramInfo {
    const char* name;     // as typed in the shell: "partwise"
    const char* version;  // "1.09"
    const char* help;     // the whole --help text, usage line first, ending with a newline
};

// When an argument before "--" is --help or --version, prints the answer to `out` and returns
// the exit status (0, or 1 when the text cannot be written); otherwise returns nothing and the
// program goes on.
std::optional<int> AnswerInfoOption(int argc, const char* const* argv, const ProgramInfo& info,
                                    std::FILE* out = stdout);

// The --version text: name and version, copyright, licence.
void PrintVersion(const ProgramInfo& info, std::FILE* out);

}  // namespace cli
