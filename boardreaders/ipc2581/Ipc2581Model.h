// SPDX-License-Identifier: GPL-3.0-or-later
// What the reader keeps of an IPC-2581 file while streaming it: only what becomes the design
// (components, pins, pad occurrences, pad stacks, primitives, bill of materials), never the
// document.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "DecimalText.h"
#include "boardreaders/Design.h"

namespace boards::ipc2581 {

constexpr uint32_t kNone = UINT32_MAX;

// A pad shape from a dictionary (or a pin's own primitive). Sizes are kept as written, with
// their unit, so that generated style names round the file's decimals exactly.
struct Primitive {
    enum class Kind { Circle, Rect, Oval, RoundRect, ChamferedRect, Custom };
    Kind kind = Kind::Circle;
    DecimalText width, height, corner;  // Circle: width is the diameter; corner: radius, chamfer
    LengthUnit unit;
    bool unitFromHeader = false;  // its dictionary gave no units: the CadHeader's apply
    double rotation = 0;          // degrees, from the primitive's own Xform
    std::vector<Point> vertices;  // Custom: outline in mm, y up
};

struct Layer {
    bool copper = false;
    bool outer = false;
    bool bottom = false;
};

struct PackagePin {
    uint32_t number = kNone;  // interned pin number
    Point location;           // mm, package frame, y up
};

struct Package {
    std::vector<PackagePin> pins;             // in file order, repeats included
    std::vector<std::vector<Point>> outline;  // mm, package frame, y up
};

struct PadStackDef {
    int32_t holeUnits = 0;  // first PadstackHoleDef, design units
    uint32_t primitive = kNone;
};

// A revision B pad stack written inline, one per pin.
struct InlinePadStack {
    enum class HoleType { None, Plated, NonPlated };
    HoleType holeType = HoleType::None;
    DecimalText hole;
    LengthUnit holeUnit;
    uint32_t outerPrimitive = kNone;  // first LayerPad on an outer copper layer
};

// A copper (or other) pad that names a component pin: a <Pad> with a PinRef, or a LayerPad of
// an inline PadStack.
struct PadOccurrence {
    uint32_t component = kNone;       // interned componentRef
    uint32_t pin = kNone;             // interned pin number
    uint32_t layer = kNone;           // index into Model::layerOrder
    uint32_t padStackDef = kNone;     // interned padstackDefRef name, or kNone
    uint32_t inlinePadStack = kNone;  // index into Model::inlinePadStacks, or kNone
    uint32_t primitive = kNone;       // index into Model::primitives
    float x = 0, y = 0;               // mm, y up
    float rotation = 0;
    bool HasPadStack() const { return padStackDef != kNone || inlinePadStack != kNone; }
};

// A <Pad> without PinRef (vias, mechanical pins): the candidates for pins that have none.
struct LoosePad {
    double x = 0, y = 0;  // mm, y up
    uint32_t padStackDef = kNone;
    uint32_t primitive = kNone;
};

struct ComponentRecord {
    uint32_t refDes = kNone;   // interned
    uint32_t package = kNone;  // interned packageRef
    int line = 0;
    Point location;  // mm, y up
    double rotation = 0;
    bool mirror = false;
    bool bottom = false;
    std::vector<std::pair<std::string, std::string>> attributes;  // NonstandardAttribute
};

struct BomItem {
    std::vector<std::pair<std::string, std::string>> characteristics;
    std::optional<std::string> description;
};

// Hash maps keyed by std::string that take string_view keys without a copy.
struct TextHash {
    using is_transparent = void;
    size_t operator()(std::string_view s) const { return std::hash<std::string_view>()(s); }
};
template <typename Value>
using TextMap = std::unordered_map<std::string, Value, TextHash, std::equal_to<>>;

// Strings that recur (refdes, pin numbers, padstack and package names) stored once.
class StringPool {
  public:
    uint32_t Intern(std::string_view text);
    uint32_t Find(std::string_view text) const;
    const std::string& At(uint32_t id) const { return strings_[id]; }

  private:
    std::vector<std::string> strings_;
    TextMap<uint32_t> ids_;
};

struct Model {
    StringPool strings;
    std::vector<Primitive> primitives;
    TextMap<uint32_t> primitiveIds;       // dictionary id -> primitives
    std::vector<std::string> layerOrder;  // layers in order of first pad
    TextMap<uint32_t> layerIndex;
    TextMap<Layer> layers;  // from <Layer> definitions
    std::unordered_map<uint32_t, Package> packages;
    std::unordered_map<uint32_t, PadStackDef> padStackDefs;
    std::vector<InlinePadStack> inlinePadStacks;
    std::vector<ComponentRecord> components;
    std::vector<PadOccurrence> occurrences;
    std::vector<LoosePad> loosePads;
    std::vector<BomItem> bomItems;
    std::unordered_map<uint32_t, uint32_t> bomItemOfRefDes;  // first BomItem naming a refdes
    std::vector<std::vector<Point>> boardOutline;            // mm, y up
};

}  // namespace boards::ipc2581
