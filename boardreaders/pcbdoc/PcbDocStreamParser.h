// SPDX-License-Identifier: GPL-3.0-or-later
// The streams of a .PcbDoc read into PcbDocBoardModel: Components6, Pads6, Texts6 (with
// WideStrings6), Tracks6 and Arcs6 (components' overlay drawing), PrimitiveParameters and the
// outline in Board6. Every record is checked against its stream.
#pragma once

#include <string>

#include "CompoundFile.h"
#include "PcbDocBoardModel.h"

namespace boards::pcbdoc {

// Whether the compound file is a PcbDoc PCB document; when not, `reason` says what it is.
bool IsPcbDocument(const CompoundFile& file, std::string* reason);

// False with the reason (stream, record, byte offset) when a stream does not read.
bool ReadPcbDocStreams(const CompoundFile& file, PcbDocBoardModel& model, std::string* reason);

}  // namespace boards::pcbdoc
