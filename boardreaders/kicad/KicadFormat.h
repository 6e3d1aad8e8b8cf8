// SPDX-License-Identifier: GPL-3.0-or-later
// KiCad board files in the registry of board formats.
#pragma once

#include "boardreaders/BoardFormat.h"

namespace boards {

class KicadFormat final : public BoardFormat {
  public:
    std::string_view Name() const override { return "KiCad board"; }
    std::vector<std::string_view> Suffixes() const override { return {"kicad_pcb"}; }
    bool Recognises(const FileProbe& probe) const override;
    bool Read(const std::string& path, Design& out, ReadError& error) const override;
    bool Parse(std::string_view bytes, const std::string& fileName, Design& out,
               ReadError& error) const override;
};

}  // namespace boards
