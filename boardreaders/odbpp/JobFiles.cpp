// SPDX-License-Identifier: GPL-3.0-or-later
#include "JobFiles.h"

#include <algorithm>

#include "JobArchive.h"
#include "RecordText.h"

namespace boards::odbpp {
namespace {

// The top folders of an ODB++ job.
bool IsJobFolder(std::string_view name) {
    static const char* const kFolders[] = {"matrix", "steps", "misc", "symbols", "fonts", "input",
                                           "output", "user",  "ext",  "wheels",  "forms", "flows"};
    const std::string lower = Lower(name);
    for (const char* folder : kFolders)
        if (lower == folder) return true;
    return false;
}

std::vector<std::string_view> Parts(std::string_view path) {
    std::vector<std::string_view> parts;
    std::size_t i = 0;
    while (i <= path.size() && parts.size() < 16) {
        std::size_t end = path.find('/', i);
        if (end == std::string_view::npos) end = path.size();
        const std::string_view part = path.substr(i, end - i);
        if (!part.empty() && part != ".") parts.push_back(part);
        i = end + 1;
    }
    return parts;
}

bool IsCopperType(std::string_view type) {
    return type == "SIGNAL" || type == "POWER_GROUND" || type == "MIXED";
}

}  // namespace

std::set<std::string> JobFiles::NeededLayers(std::string_view matrix) {
    std::set<std::string> needed;
    StructuredText text;
    int line = 0;
    std::string reason;
    if (!ParseStructuredText(matrix, text, line, reason)) return needed;
    int topRow = 0, bottomRow = 0;
    std::string top, bottom;
    for (const TextBlock& block : text.blocks) {
        if (block.name != "LAYER") continue;
        const std::string type(block.Get("TYPE"));
        const std::string name = Lower(block.Get("NAME"));
        if (!IsBoardLayer(block)) continue;
        int row = 0;
        ParseIndex(block.Get("ROW"), row);
        if (type == "DRILL" || type == "COMPONENT") needed.insert(name);
        if (IsCopperType(type)) {
            if (top.empty() || row < topRow) top = name, topRow = row;
            if (bottom.empty() || row > bottomRow) bottom = name, bottomRow = row;
        }
    }
    if (!top.empty()) needed.insert(top);
    if (!bottom.empty()) needed.insert(bottom);
    return needed;
}

bool JobFiles::SplitPath(std::string_view path, Split& out) const {
    const std::vector<std::string_view> parts = Parts(path);
    std::size_t at = 0;
    if (parts.size() >= 2 && IsJobFolder(parts[0])) {
        at = 0;
    } else if (parts.size() >= 3 && IsJobFolder(parts[1])) {
        at = 1;
        out.root = std::string(parts[0]);
    } else {
        return false;
    }
    std::vector<std::string> rel;
    for (std::size_t i = at; i < parts.size(); ++i) rel.push_back(Lower(parts[i]));
    std::string& last = rel.back();
    if (last.size() > 2 && last.ends_with(".z")) {
        last.resize(last.size() - 2);
        out.compressed = true;
    }
    const std::size_t n = rel.size();
    bool wanted = false;
    if (n == 2)
        wanted =
            (rel[0] == "matrix" && rel[1] == "matrix") || (rel[0] == "misc" && rel[1] == "info");
    else if (rel[0] == "steps" && n == 3)
        wanted = rel[2] == "stephdr" || rel[2] == "profile";
    else if (rel[0] == "steps" && n == 4)
        wanted = rel[2] == "eda" && rel[3] == "data";
    else if (rel[0] == "steps" && n == 5 && rel[2] == "layers") {
        if (rel[4] == "components") {
            wanted = rel[3] == "comp_+_top" || rel[3] == "comp_+_bot";
        } else if (rel[4] == "features") {
            auto needed = neededLayers_.find(out.root);
            wanted = needed == neededLayers_.end() || needed->second.count(rel[3]);
        }
    }
    if (!wanted) return false;
    for (std::size_t i = 0; i < n; ++i) {
        if (i) out.relative += '/';
        out.relative += rel[i];
    }
    return true;
}

bool JobFiles::Wants(std::string_view path) {
    Split split;
    return SplitPath(path, split);
}

void JobFiles::Take(std::string_view path, std::string&& bytes) {
    Split split;
    if (!SplitPath(path, split)) return;
    if (split.compressed) {
        std::string expanded, reason;
        if (!JobArchive::Decompress(bytes, limits_.maxMemberBytes, expanded, reason)) {
            if (error_.empty()) error_ = std::string(path) + ": " + reason;
            return;
        }
        bytes = std::move(expanded);
    }
    if (!roots_.count(split.root)) rootOrder_.push_back(split.root);
    auto& members = roots_[split.root];
    if (split.relative == "matrix/matrix") neededLayers_[split.root] = NeededLayers(bytes);
    members[split.relative] = {std::string(path), std::move(bytes)};
}

bool JobFiles::Settle(std::string& reason) {
    if (!error_.empty()) {
        reason = error_;
        return false;
    }
    // The archive's root first, then the folders one down in the order met.
    std::vector<std::string> order = rootOrder_;
    std::stable_sort(order.begin(), order.end(), [](const std::string& a, const std::string& b) {
        return a.empty() > b.empty();
    });
    for (const std::string& root : order) {
        const auto& members = roots_.at(root);
        if (members.count("matrix/matrix")) {
            job_ = &members;
            // Features kept before the matrix came, of layers not needed, are let go.
            const std::set<std::string> needed = NeededLayers(members.at("matrix/matrix").bytes);
            auto& mutableMembers = roots_.at(root);
            for (auto it = mutableMembers.begin(); it != mutableMembers.end();) {
                const std::vector<std::string_view> parts = Parts(it->first);
                if (parts.size() == 5 && parts[4] == "features" &&
                    !needed.count(std::string(parts[3])))
                    it = mutableMembers.erase(it);
                else
                    ++it;
            }
            for (const auto& [other, unused] : roots_)
                if (other != root) roots_.at(other).clear();
            return true;
        }
    }
    reason = "not an ODB++ job: no matrix/matrix at the root or one folder down";
    return false;
}

const std::string* JobFiles::Find(const std::string& path) const {
    if (!job_) return nullptr;
    auto it = job_->find(path);
    return it == job_->end() ? nullptr : &it->second.bytes;
}

std::string JobFiles::StoredPath(const std::string& path) const {
    if (job_) {
        auto it = job_->find(path);
        if (it != job_->end()) return it->second.stored;
    }
    return path;
}

}  // namespace boards::odbpp
