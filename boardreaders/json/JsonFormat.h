// SPDX-License-Identifier: GPL-3.0-or-later
// JSON design files in the registry of board formats.
#pragma once

#include "boardreaders/BoardFormat.h"

namespace boards {

class JsonFormat final : public BoardFormat {
  public:
    std::string_view Name() const override { return "JSON design"; }
    std::vector<std::string_view> Suffixes() const override { return {"json"}; }
    bool Recognises(const FileProbe& probe) const override;
    bool Read(const std::string& path, Design& out, ReadError& error) const override;
    bool Parse(std::string_view bytes, const std::string& fileName, Design& out,
               ReadError& error) const override;
};

}  // namespace boards
