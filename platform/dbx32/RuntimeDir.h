// SPDX-License-Identifier: LGPL-3.0-or-later
// Where the design tool's socket lives: $XDG_RUNTIME_DIR/dbx/ when XDG_RUNTIME_DIR is an absolute
// path, else /tmp/dbx-<uid>/. The directory must be a real directory (not a symlink), owned by
// the calling user, with mode 0700; anything else is refused.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace dbx {

// The directory path by the rule above; not checked.
std::string RuntimeDirPath();

// Checks the directory; when create is set, a missing directory is created with mode 0700
// first (its parent must exist).
bool CheckRuntimeDir(const std::string& dir, bool create, std::string* error);

// A tool name is 1 to 32 characters of [A-Za-z0-9_-].
bool IsValidToolName(std::string_view tool);

// The checked socket path for the tool, "<dir>/<tool>.sock", or nullopt with *error set.
std::optional<std::string> SocketPathFor(std::string_view tool, bool createDir, std::string* error);

}  // namespace dbx
