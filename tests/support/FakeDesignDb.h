// SPDX-License-Identifier: GPL-3.0-or-later
// An in-memory design behind the eleven design-database calls, with a log of the calls,
// for driving the dialogs without a design tool. It answers as the real library does: the
// same statuses, style ids from 1 (0: none), style records zero-filled when a fetch fails.
#pragma once

#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <vector>

namespace fake {

struct PadStyle {
    std::string name;
    int32_t holeDiameter = 0;
};

struct Attribute {
    std::string name;
    int32_t textStyleId = 0;  // index into Design::textStyles; -1: none; anything else fails
};

struct Component {
    std::string refDes;
    std::vector<int32_t>
        padStyleIds;  // index into Design::padStyles; -1: none; anything else fails
    std::vector<Attribute> attributes;
};

struct Design {
    std::vector<PadStyle> padStyles;
    std::vector<std::string> textStyles;
    std::vector<Component> components;
};

struct Call {
    std::string function;
    int waitCursorDepth = 0;  // the application's wait-cursor depth when it was made
};

struct Highlight {
    std::string refDes;
    int colour = 0;
    uint32_t componentIndex = 0;
};

// The design served to the calls and what the calls did.
struct DesignDb {
    Design design;
    std::vector<Call> calls;
    std::vector<Highlight> highlights;
    int opens = 0;
    int closes = 0;
    std::set<uint32_t> openHandles;  // designs opened and not yet closed
    uint32_t lastHandle = 0;
    // Runs at the start of every call, with the function's name; a test may throw from it.
    std::function<void(const std::string& function)> onCall;

    int CountCalls(const std::string& function) const;
    int MaxWaitCursorDepth(const std::string& function) const;
};

// The one instance the calls use; Reset() empties it.
DesignDb& Db();
void Reset(Design design = {});

}  // namespace fake
