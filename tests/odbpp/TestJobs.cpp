// SPDX-License-Identifier: GPL-3.0-or-later
#include "TestJobs.h"

#include <archive.h>
#include <archive_entry.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

namespace boards::test {

std::vector<JobMember> ReadArchiveMembers(const std::string& path) {
    std::vector<JobMember> members;
    archive* a = archive_read_new();
    archive_read_support_filter_all(a);
    archive_read_support_format_all(a);
    EXPECT_EQ(archive_read_open_filename(a, path.c_str(), 1 << 16), ARCHIVE_OK) << path;
    archive_entry* entry = nullptr;
    while (archive_read_next_header(a, &entry) == ARCHIVE_OK) {
        JobMember m;
        m.path = archive_entry_pathname(entry);
        if (archive_entry_filetype(entry) == AE_IFDIR) {
            m.kind = JobMember::Kind::Folder;
        } else {
            char buffer[65536];
            la_ssize_t n;
            while ((n = archive_read_data(a, buffer, sizeof buffer)) > 0)
                m.bytes.append(buffer, std::size_t(n));
        }
        members.push_back(std::move(m));
    }
    archive_read_free(a);
    return members;
}

std::vector<JobMember> Rebased(const std::vector<JobMember>& members, const std::string& from,
                               const std::string& to) {
    std::vector<JobMember> out;
    for (JobMember m : members) {
        if (m.path.rfind(from, 0) == 0) m.path = to + m.path.substr(from.size());
        if (m.path.empty() || m.path == "/") continue;
        out.push_back(std::move(m));
    }
    return out;
}

std::string WriteArchive(const std::vector<JobMember>& members, ArchiveKind kind) {
    archive* a = archive_write_new();
    if (kind == ArchiveKind::Zip) {
        archive_write_set_format_zip(a);
    } else {
        archive_write_set_format_pax_restricted(a);
        if (kind == ArchiveKind::Tgz) archive_write_add_filter_gzip(a);
    }
    std::string buffer(64 << 20, '\0');
    std::size_t used = 0;
    EXPECT_EQ(archive_write_open_memory(a, buffer.data(), buffer.size(), &used), ARCHIVE_OK);
    for (const JobMember& m : members) {
        archive_entry* entry = archive_entry_new();
        archive_entry_set_pathname(entry, m.path.c_str());
        archive_entry_set_perm(entry, 0644);
        switch (m.kind) {
            case JobMember::Kind::Folder:
                archive_entry_set_filetype(entry, AE_IFDIR);
                archive_entry_set_perm(entry, 0755);
                break;
            case JobMember::Kind::Symlink:
                archive_entry_set_filetype(entry, AE_IFLNK);
                archive_entry_set_symlink(entry, m.linkTarget.c_str());
                break;
            case JobMember::Kind::Hardlink:
                archive_entry_set_filetype(entry, AE_IFREG);
                archive_entry_set_hardlink(entry, m.linkTarget.c_str());
                break;
            case JobMember::Kind::File:
                archive_entry_set_filetype(entry, AE_IFREG);
                archive_entry_set_size(entry, la_int64_t(m.bytes.size()));
                break;
        }
        EXPECT_EQ(archive_write_header(a, entry), ARCHIVE_OK) << archive_error_string(a);
        if (m.kind == JobMember::Kind::File && !m.bytes.empty()) {
            EXPECT_EQ(archive_write_data(a, m.bytes.data(), m.bytes.size()),
                      la_ssize_t(m.bytes.size()));
        }
        archive_entry_free(entry);
    }
    EXPECT_EQ(archive_write_close(a), ARCHIVE_OK) << archive_error_string(a);
    archive_write_free(a);
    buffer.resize(used);
    return buffer;
}

void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(bytes.data(), std::streamsize(bytes.size()));
    ASSERT_TRUE(out.good()) << path;
}

void WriteFolder(const std::vector<JobMember>& members, const std::string& folder) {
    namespace fs = std::filesystem;
    fs::create_directories(folder);
    for (const JobMember& m : members) {
        const fs::path target = fs::path(folder) / m.path;
        if (m.kind == JobMember::Kind::Folder) {
            fs::create_directories(target);
            continue;
        }
        fs::create_directories(target.parent_path());
        if (m.kind == JobMember::Kind::File)
            WriteFile(target.string(), m.bytes);
        else
            fs::create_symlink(m.linkTarget, target);
    }
}

std::string TemporaryFolder(const std::string& name) {
    namespace fs = std::filesystem;
    const fs::path path =
        fs::temp_directory_path() / ("odbpp-test-" + std::to_string(::getpid()) + "-" + name);
    fs::remove_all(path);
    fs::create_directories(path);
    return path.string();
}

JobMember* FindMember(std::vector<JobMember>& members, const std::string& path) {
    for (JobMember& m : members)
        if (m.path == path) return &m;
    return nullptr;
}

}  // namespace boards::test
