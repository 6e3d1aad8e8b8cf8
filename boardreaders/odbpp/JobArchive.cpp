// SPDX-License-Identifier: GPL-3.0-or-later
#include "JobArchive.h"

#include <archive.h>
#include <archive_entry.h>
#include <zlib.h>

#include <cstring>
#include <memory>

#include "boardreaders/RegularFile.h"

namespace boards::odbpp {
namespace {

constexpr std::size_t kChunkBytes = std::size_t(1) << 20;

struct ArchiveCloser {
    void operator()(archive* a) const { archive_read_free(a); }
};
using ArchivePtr = std::unique_ptr<archive, ArchiveCloser>;

// Only what jobs come as, each handled inside the library: no external program is started.
ArchivePtr NewReader() {
    ArchivePtr a(archive_read_new());
    if (!a) return a;
    archive_read_support_filter_gzip(a.get());
    archive_read_support_format_tar(a.get());
    archive_read_support_format_gnutar(a.get());
    archive_read_support_format_zip(a.get());
    return a;
}

std::string LibraryError(archive* a, const char* what) {
    const char* message = archive_error_string(a);
    return std::string(what) + (message ? std::string(": ") + message : std::string());
}

struct FileSource {
    RegularFile file;
    std::string buffer;
    std::string reason;
};

la_ssize_t ReadCallback(archive*, void* data, const void** block) {
    auto* source = static_cast<FileSource*>(data);
    const long n = source->file.Read(source->buffer.data(), source->buffer.size(), &source->reason);
    *block = source->buffer.data();
    return n < 0 ? -1 : la_ssize_t(n);
}

// Walks the opened archive's members, handing the wanted ones to `receiver`.
bool ReadMembers(archive* a, const JobLimits& limits, MemberReceiver& receiver,
                 std::string& reason) {
    uint64_t total = 0, kept = 0, members = 0;
    for (;;) {
        archive_entry* entry = nullptr;
        const int status = archive_read_next_header(a, &entry);
        if (status == ARCHIVE_EOF) return true;
        if (status < ARCHIVE_WARN) {
            reason = LibraryError(a, "archive does not read");
            return false;
        }
        if (++members > limits.maxMembers) {
            reason = "archive holds more than " + std::to_string(limits.maxMembers) + " members";
            return false;
        }
        const char* name = archive_entry_pathname(entry);
        if (!name) name = archive_entry_pathname_utf8(entry);
        if (!name || !*name) {
            reason = "archive member without a name";
            return false;
        }
        std::string path(name);
        for (char& c : path)
            if (c == '\\') c = '/';
        if (const std::string_view why = PathLeavesJob(path); !why.empty()) {
            reason = "member '" + path + "' leaves the job (" + std::string(why) + ")";
            return false;
        }
        if (archive_entry_hardlink(entry) || archive_entry_symlink(entry) ||
            archive_entry_filetype(entry) == AE_IFLNK) {
            reason = "member '" + path + "' is a link";
            return false;
        }
        if (archive_entry_filetype(entry) != AE_IFREG) continue;
        if (archive_entry_size_is_set(entry) &&
            uint64_t(archive_entry_size(entry)) > limits.maxTotalBytes) {
            reason = "member '" + path + "' is larger than " +
                     std::to_string(limits.maxTotalBytes >> 20) + " MiB uncompressed";
            return false;
        }
        const bool wanted = receiver.Wants(path);
        if (wanted && archive_entry_size_is_set(entry) &&
            uint64_t(archive_entry_size(entry)) > limits.maxMemberBytes) {
            reason = "member '" + path + "' is larger than " +
                     std::to_string(limits.maxMemberBytes >> 20) + " MiB";
            return false;
        }
        std::string bytes;
        if (wanted && archive_entry_size_is_set(entry))
            bytes.reserve(std::size_t(archive_entry_size(entry)));
        for (;;) {
            const void* block = nullptr;
            std::size_t size = 0;
            la_int64_t offset = 0;
            const int r = archive_read_data_block(a, &block, &size, &offset);
            if (r == ARCHIVE_EOF) break;
            if (r < ARCHIVE_WARN) {
                reason = LibraryError(a, ("member '" + path + "' does not read").c_str());
                return false;
            }
            total += size;
            if (total > limits.maxTotalBytes) {
                reason = "archive is larger than " + std::to_string(limits.maxTotalBytes >> 20) +
                         " MiB uncompressed";
                return false;
            }
            if (!wanted) continue;
            if (uint64_t(offset) != bytes.size()) {
                reason = "member '" + path + "' is sparse";
                return false;
            }
            kept += size;
            if (bytes.size() + size > limits.maxMemberBytes) {
                reason = "member '" + path + "' is larger than " +
                         std::to_string(limits.maxMemberBytes >> 20) + " MiB";
                return false;
            }
            if (kept > limits.maxKeptBytes) {
                reason = "the job's files are larger than " +
                         std::to_string(limits.maxKeptBytes >> 20) + " MiB";
                return false;
            }
            bytes.append(static_cast<const char*>(block), size);
        }
        if (wanted) receiver.Take(path, std::move(bytes));
    }
}

}  // namespace

std::string_view PathLeavesJob(std::string_view path) {
    if (path.front() == '/') return "absolute path";
    if (path.size() >= 2 && path[1] == ':') return "drive letter";
    std::size_t i = 0;
    while (i <= path.size()) {
        std::size_t end = path.find('/', i);
        if (end == std::string_view::npos) end = path.size();
        if (path.substr(i, end - i) == "..") return "'..' in the path";
        i = end + 1;
    }
    return {};
}

bool JobArchive::ReadFile(const std::string& path, const JobLimits& limits,
                          MemberReceiver& receiver, std::string& reason) {
    FileSource source;
    if (!source.file.Open(path, &reason)) return false;
    source.buffer.resize(kChunkBytes);
    ArchivePtr a = NewReader();
    if (!a) {
        reason = "out of memory";
        return false;
    }
    if (archive_read_open(a.get(), &source, nullptr, ReadCallback, nullptr) != ARCHIVE_OK) {
        reason = !source.reason.empty() ? source.reason
                                        : LibraryError(a.get(), "not an archive libarchive reads");
        return false;
    }
    if (!ReadMembers(a.get(), limits, receiver, reason)) {
        if (!source.reason.empty()) reason = source.reason;
        return false;
    }
    return true;
}

bool JobArchive::ReadBytes(std::string_view bytes, const JobLimits& limits,
                           MemberReceiver& receiver, std::string& reason) {
    ArchivePtr a = NewReader();
    if (!a) {
        reason = "out of memory";
        return false;
    }
    if (archive_read_open_memory(a.get(), bytes.data(), bytes.size()) != ARCHIVE_OK) {
        reason = LibraryError(a.get(), "not an archive libarchive reads");
        return false;
    }
    return ReadMembers(a.get(), limits, receiver, reason);
}

bool JobArchive::HasArchiveMagic(std::string_view head) {
    if (head.size() >= 2 && head[0] == '\x1f' && head[1] == '\x8b') return true;
    if (head.starts_with(std::string_view("PK\x03\x04", 4))) return true;
    return head.size() >= 262 && head.substr(257, 5) == "ustar";
}

std::vector<std::string> JobArchive::LeadingPaths(std::string_view head, std::size_t max) {
    std::vector<std::string> paths;
    // libarchive refuses a gzip stream cut short before it shows the first member, so the
    // head of a gzip stream is inflated here, as far as it goes, and the tar inside read.
    std::string inflated;
    if (head.size() >= 2 && head[0] == '\x1f' && head[1] == '\x8b') {
        z_stream z{};
        if (inflateInit2(&z, 16 + MAX_WBITS) != Z_OK) return paths;
        inflated.resize(std::size_t(256) << 10);
        z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(head.data()));
        z.avail_in = uInt(head.size());
        z.next_out = reinterpret_cast<Bytef*>(inflated.data());
        z.avail_out = uInt(inflated.size());
        const int status = inflate(&z, Z_SYNC_FLUSH);
        inflated.resize(inflated.size() - z.avail_out);
        inflateEnd(&z);
        if (status != Z_OK && status != Z_STREAM_END && status != Z_BUF_ERROR) return paths;
        head = inflated;
    }
    ArchivePtr a = NewReader();
    if (!a || archive_read_open_memory(a.get(), head.data(), head.size()) != ARCHIVE_OK)
        return paths;
    archive_entry* entry = nullptr;
    while (paths.size() < max && archive_read_next_header(a.get(), &entry) >= ARCHIVE_WARN) {
        const char* name = archive_entry_pathname(entry);
        if (name) paths.emplace_back(name);
        if (archive_read_data_skip(a.get()) < ARCHIVE_WARN) break;
    }
    return paths;
}

bool JobArchive::Decompress(std::string_view bytes, uint64_t maxBytes, std::string& out,
                            std::string& reason) {
    ArchivePtr a(archive_read_new());
    if (!a) {
        reason = "out of memory";
        return false;
    }
    archive_read_support_filter_compress(a.get());
    archive_read_support_filter_gzip(a.get());
    archive_read_support_format_raw(a.get());
    archive_entry* entry = nullptr;
    if (archive_read_open_memory(a.get(), bytes.data(), bytes.size()) != ARCHIVE_OK ||
        archive_read_next_header(a.get(), &entry) < ARCHIVE_WARN ||
        archive_filter_code(a.get(), 0) == ARCHIVE_FILTER_NONE) {
        reason = "compressed member does not read";
        return false;
    }
    std::string text;
    for (;;) {
        const void* block = nullptr;
        std::size_t size = 0;
        la_int64_t offset = 0;
        const int r = archive_read_data_block(a.get(), &block, &size, &offset);
        if (r == ARCHIVE_EOF) break;
        if (r < ARCHIVE_WARN) {
            reason = LibraryError(a.get(), "compressed member does not read");
            return false;
        }
        if (text.size() + size > maxBytes) {
            reason = "compressed member is larger than " + std::to_string(maxBytes >> 20) +
                     " MiB uncompressed";
            return false;
        }
        text.append(static_cast<const char*>(block), size);
    }
    out = std::move(text);
    return true;
}

}  // namespace boards::odbpp
