// SPDX-License-Identifier: LGPL-3.0-or-later
#include "RuntimeDir.h"

#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace dbx {

std::string RuntimeDirPath() {
    const char* xdg = std::getenv("XDG_RUNTIME_DIR");
    if (xdg && xdg[0] == '/') return std::string(xdg) + "/dbx";
    return "/tmp/dbx-" + std::to_string(::getuid());
}

bool CheckRuntimeDir(const std::string& dir, bool create, std::string* error) {
    struct stat st {};
    if (::lstat(dir.c_str(), &st) != 0) {
        if (errno != ENOENT || !create) {
            *error = dir + ": " + std::strerror(errno);
            return false;
        }
        if (::mkdir(dir.c_str(), 0700) == 0) {
            // The umask may have taken bits away; a directory left unusable would refuse every
            // later start too.
            if (::chmod(dir.c_str(), 0700) != 0) {
                *error = "cannot set the mode of " + dir + ": " + std::strerror(errno);
                ::rmdir(dir.c_str());
                return false;
            }
        } else if (errno != EEXIST) {
            *error = "cannot create " + dir + ": " + std::strerror(errno);
            return false;
        }
        if (::lstat(dir.c_str(), &st) != 0) {
            *error = dir + ": " + std::strerror(errno);
            return false;
        }
    }
    if (S_ISLNK(st.st_mode)) {
        *error = dir + " is a symbolic link";
        return false;
    }
    if (!S_ISDIR(st.st_mode)) {
        *error = dir + " is not a directory";
        return false;
    }
    if (st.st_uid != ::getuid()) {
        *error = dir + " is owned by another user";
        return false;
    }
    if ((st.st_mode & 07777) != 0700) {
        *error = dir + " must have mode 0700";
        return false;
    }
    return true;
}

bool IsValidToolName(std::string_view tool) {
    if (tool.empty() || tool.size() > 32) return false;
    for (char c : tool) {
        const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                        (c >= '0' && c <= '9') || c == '_' || c == '-';
        if (!ok) return false;
    }
    return true;
}

std::optional<std::string> SocketPathFor(std::string_view tool, bool createDir,
                                         std::string* error) {
    if (!IsValidToolName(tool)) {
        *error = "invalid tool name";
        return std::nullopt;
    }
    const std::string dir = RuntimeDirPath();
    if (!CheckRuntimeDir(dir, createDir, error)) return std::nullopt;
    std::string path = dir + "/" + std::string(tool) + ".sock";
    if (path.size() >= sizeof(sockaddr_un::sun_path)) {
        *error = "socket path too long: " + path;
        return std::nullopt;
    }
    return path;
}

}  // namespace dbx
