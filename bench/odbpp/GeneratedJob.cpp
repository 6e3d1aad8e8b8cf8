// SPDX-License-Identifier: GPL-3.0-or-later
#include "GeneratedJob.h"

#include <archive.h>
#include <archive_entry.h>

#include <cstdio>
#include <stdexcept>

namespace bench {
namespace {

void Append(std::string& out, const char* format, double a, double b, double c = 0, double d = 0) {
    char line[160];
    const int n = std::snprintf(line, sizeof line, format, a, b, c, d);
    out.append(line, std::size_t(n));
}

std::string Layer(const char* name, const char* type, int row) {
    char text[200];
    std::snprintf(text, sizeof text,
                  "LAYER {\n    ROW=%d\n    CONTEXT=BOARD\n    TYPE=%s\n    NAME=%s\n"
                  "    POLARITY=POSITIVE\n}\n\n",
                  row, type, name);
    return text;
}

}  // namespace

Members GenerateJob(int components) {
    Members m;
    std::string matrix = "STEP {\n    COL=1\n    NAME=PCB\n}\n\n";
    const char* layers[][2] = {
        {"COMP_+_TOP", "COMPONENT"}, {"SST", "SILK_SCREEN"}, {"SMT", "SOLDER_MASK"},
        {"TOP", "SIGNAL"},           {"IN1", "SIGNAL"},      {"IN2", "SIGNAL"},
        {"BOTTOM", "SIGNAL"},        {"SMB", "SOLDER_MASK"}, {"SSB", "SILK_SCREEN"},
        {"COMP_+_BOT", "COMPONENT"}, {"DRILL", "DRILL"}};
    int row = 1;
    for (auto& l : layers) matrix += Layer(l[0], l[1], row++);
    m.emplace_back("job/matrix/matrix", matrix);
    m.emplace_back("job/misc/info", "JOB_NAME=bench\nUNITS=MM\nODB_SOURCE=bench\n");
    const std::string base = "job/steps/pcb/";
    m.emplace_back(base + "profile",
                   "UNITS=MM\nS P 0\nOB 0 0 I\nOS 500 0\nOS 500 400\nOS 0 400\nOS 0 0\nOE\nSE\n");
    std::string top = "UNITS=MM\n", bottom = "UNITS=MM\n", eda = "HDR bench\nUNITS=MM\n";
    eda += "LYR top in1 in2 bottom drill\n";
    eda += "PKG R0603 1.6 -0.8 -0.4 0.8 0.4;ID=1\nRC -0.8 -0.4 1.6 0.8\n";
    for (int p = 0; p < 4; ++p) {
        Append(eda, "PIN %.0f S %.2f 0 0 U U\n", p + 1, -0.75 + 0.5 * p);
        eda += "RC -0.2 -0.3 0.4 0.6\n";
    }
    const char* copper = "UNITS=MM\n$0 rect400x600\n$1 r1600\n$2 r150\n$3 r250\n@0 .pad_usage\n";
    std::string features[4] = {copper, copper, copper, copper};
    std::string silk = "UNITS=MM\n$0 r150\n", drill = "UNITS=MM\n$0 r800\n$1 r300\n@0 .drill\n";
    int featureCount[5] = {};
    for (int c = 0; c < components; ++c) {
        const bool bottomSide = c % 2 == 1;
        const double x = 5 + (c % 200) * 2.4, y = 5 + (c / 200) * 1.9;
        const bool tht = c % 8 == 0;
        std::string& file = bottomSide ? bottom : top;
        char cmp[200];
        std::snprintf(cmp, sizeof cmp, "# CMP %d\nCMP 0 %.3f %.3f 0.0 %c %s%d R0603 ;ID=%d\n",
                      c / 2, x, y, bottomSide ? 'M' : 'N', tht ? "J" : "R", c, c);
        file += cmp;
        file += "PRP VALUE '10k'\nPRP PART_NUMBER 'RC0603FR-0710KL'\nPRP TOLERANCE '1%'\n";
        for (int p = 0; p < 4; ++p) {
            const double px = x - 0.75 + 0.5 * p;
            char tp[120];
            std::snprintf(tp, sizeof tp, "TOP %d %.3f %.3f 0.0 %c %d 0 %d\n", p, px, y,
                          bottomSide ? 'M' : 'N', c * 4 + p, p + 1);
            file += tp;
            char snt[80];
            std::snprintf(snt, sizeof snt, "SNT TOP %c %d %d\n", bottomSide ? 'B' : 'T', c / 2, p);
            eda += snt;
            for (int l = 0; l < 4; ++l) {
                const bool padHere = tht || (l == (bottomSide ? 3 : 0));
                if (!padHere) continue;
                Append(features[l], "P %.3f %.3f %.0f P 0 8 0;0=0\n", px, y, tht ? 1 : 0);
                char fid[48];
                std::snprintf(fid, sizeof fid, "FID C %d %d\n", l, featureCount[l]++);
                eda += fid;
            }
            if (tht) {
                Append(drill, "P %.3f %.3f 0 P 0 8 0;0=%.0f\n", px, y, 0);
                char fid[48];
                std::snprintf(fid, sizeof fid, "FID H 4 %d\n", featureCount[4]++);
                eda += fid;
            }
            // Tracks from the pad, on every copper layer.
            for (int l = 0; l < 4; ++l) {
                for (int t = 0; t < 3; ++t) {
                    Append(features[l], "L %.3f %.3f %.3f %.3f 2 P 0;;ID=9\n", px, y + 0.3 * t,
                           px + 0.4, y + 0.3 * t + 0.2);
                    ++featureCount[l];
                }
            }
        }
        Append(silk, "L %.3f %.3f %.3f %.3f 0 P 0\n", x - 0.8, y - 0.4, x + 0.8, y - 0.4);
        Append(silk, "L %.3f %.3f %.3f %.3f 0 P 0\n", x - 0.8, y + 0.4, x + 0.8, y + 0.4);
        // A via beside the component.
        Append(drill, "P %.3f %.3f 1 P 0 8 0;0=%.0f\n", x, y + 0.9, 2);
        ++featureCount[4];
        for (int l = 0; l < 4; ++l) {
            Append(features[l], "P %.3f %.3f 3 P 0 8 0\n", x, y + 0.9);
            ++featureCount[l];
        }
    }
    m.emplace_back(base + "layers/comp_+_top/components", top);
    m.emplace_back(base + "layers/comp_+_bot/components", bottom);
    const char* copperNames[] = {"top", "in1", "in2", "bottom"};
    for (int l = 0; l < 4; ++l)
        m.emplace_back(base + "layers/" + copperNames[l] + "/features", features[l]);
    // Masks: the outer layers' pads again.
    m.emplace_back(base + "layers/smt/features", features[0]);
    m.emplace_back(base + "layers/smb/features", features[3]);
    m.emplace_back(base + "layers/sst/features", silk);
    m.emplace_back(base + "layers/ssb/features", silk);
    m.emplace_back(base + "layers/drill/features", drill);
    m.emplace_back(base + "eda/data", eda);
    return m;
}

std::string WriteArchive(const Members& members, const std::string& kind) {
    archive* a = archive_write_new();
    if (kind == "zip") {
        archive_write_set_format_zip(a);
    } else {
        archive_write_set_format_pax_restricted(a);
        archive_write_add_filter_gzip(a);
    }
    std::size_t total = 0;
    for (const auto& [path, bytes] : members) total += bytes.size();
    std::string buffer(total / 2 + (1 << 20), '\0');
    std::size_t used = 0;
    if (archive_write_open_memory(a, buffer.data(), buffer.size(), &used) != ARCHIVE_OK)
        throw std::runtime_error("archive_write_open_memory");
    for (const auto& [path, bytes] : members) {
        archive_entry* entry = archive_entry_new();
        archive_entry_set_pathname(entry, path.c_str());
        archive_entry_set_filetype(entry, AE_IFREG);
        archive_entry_set_perm(entry, 0644);
        archive_entry_set_size(entry, la_int64_t(bytes.size()));
        if (archive_write_header(a, entry) != ARCHIVE_OK ||
            archive_write_data(a, bytes.data(), bytes.size()) != la_ssize_t(bytes.size()))
            throw std::runtime_error(archive_error_string(a));
        archive_entry_free(entry);
    }
    archive_write_close(a);
    archive_write_free(a);
    buffer.resize(used);
    return buffer;
}

}  // namespace bench
