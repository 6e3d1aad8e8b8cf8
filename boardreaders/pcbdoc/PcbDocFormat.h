// SPDX-License-Identifier: GPL-3.0-or-later
// PcbDoc PCB documents in the registry of board formats.
#pragma once

#include "boardreaders/BoardFormat.h"

namespace boards {

class PcbDocFormat final : public BoardFormat {
  public:
    std::string_view Name() const override { return "PcbDoc PCB document"; }
    std::vector<std::string_view> Suffixes() const override { return {"pcbdoc"}; }
    bool Recognises(const FileProbe& probe) const override;
    bool Read(const std::string& path, Design& out, ReadError& error) const override;
    bool Parse(std::string_view bytes, const std::string& fileName, Design& out,
               ReadError& error) const override;
};

}  // namespace boards
