// SPDX-License-Identifier: GPL-3.0-or-later
// Turns the reader's element events into the model: tracks where in the document it is and
// keeps what the design needs.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "Ipc2581Model.h"
#include "XmlEventReader.h"

namespace boards::ipc2581 {

class Ipc2581Collector : public XmlEventHandler {
  public:
    explicit Ipc2581Collector(Model& model) : model_(model) {}
    void SetReader(XmlEventReader* reader) { reader_ = reader; }

    void StartElement(std::string_view name, const XmlAttributes& attributes) override;
    void EndElement() override;

    bool SawRoot() const { return sawRoot_; }
    // Once the document has been read: primitives of dictionaries without units take the
    // CadHeader's, which comes after them.
    void Finish();

  private:
    enum class Tag : uint8_t {
        Other,
        Root,
        Bom,
        BomItem,
        RefDes,
        Textual,
        Dictionary,
        Entry,
        CadHeader,
        CadData,
        Layer,
        Step,
        Profile,
        PadStackDef,
        PadstackHoleDef,
        PadstackPadDef,
        Package,
        Pin,
        Outline,
        Component,
        LayerFeature,
        Set,
        Pad,
        PadStack,
        LayerHole,
        LayerPad,
        PinRef,
        Xform,
        Location,
        PrimitiveRef,
        NonstandardAttribute,
        Polygon,
        Cutout,
        PolyBegin,
        PolyStep,
        PolyStepCurve,
        Circle,
        RectCenter,
        Oval,
        RectRound,
        RectCham,
        Contour,
    };
    // A pad being read: a <Pad> of a LayerFeature or a LayerPad of an inline PadStack.
    struct OpenPad {
        PadOccurrence occurrence;
        bool hasPinRef = false;
        bool hasPadStack = false;
    };

    static Tag TagOf(std::string_view name);
    Tag Parent(size_t up = 1) const;
    bool Inside(Tag tag) const;

    void Fail(const std::string& reason);
    bool ReadDouble(const XmlAttributes& attributes, std::string_view name, double& value);
    bool ReadDecimal(const XmlAttributes& attributes, std::string_view name, DecimalText& value);
    uint32_t PrimitiveId(std::string_view id) const;
    uint32_t LayerOrderIndex(std::string_view layer);
    bool IsCopper(std::string_view layer) const;
    bool IsOuterCopper(std::string_view layer) const;

    void StartShape(Tag tag, const XmlAttributes& attributes);
    void StartPolyPoint(Tag tag, const XmlAttributes& attributes);
    void EndPolygon();
    void EndPad();

    Model& model_;
    XmlEventReader* reader_ = nullptr;
    std::vector<Tag> stack_;
    bool sawRoot_ = false;
    bool failed_ = false;

    LengthUnit stepUnit_ = LengthUnit::Millimetre();
    LengthUnit dictionaryUnit_ = LengthUnit::Millimetre();
    bool dictionaryUnitGiven_ = false;
    std::string entryId_;
    bool entryHasShape_ = false;
    Primitive entryPrimitive_;
    bool shapeOpen_ = false;

    std::vector<Point> polygon_;
    bool polygonOpen_ = false;
    LengthUnit polygonUnit_;

    uint32_t padStackDef_ = kNone;
    bool padStackDefHasHole_ = false;
    std::string padstackPadLayer_;
    bool padstackPadRegular_ = false;

    uint32_t package_ = kNone;
    uint32_t layerFeatureIndex_ = kNone;
    OpenPad pad_;
    // Stack depths of the open pad, inline pad stack and component (0: none open); their
    // children count only as direct children.
    size_t padDepth_ = 0;
    size_t inlineDepth_ = 0;
    size_t componentDepth_ = 0;
    bool InPad() const { return padDepth_ != 0 && stack_.size() == padDepth_ + 1; }
    bool InInlinePadStack() const { return inlineDepth_ != 0 && stack_.size() == inlineDepth_ + 1; }
    bool InComponent() const {
        return componentDepth_ != 0 && stack_.size() == componentDepth_ + 1;
    }
    bool inlineHasHole_ = false;
    std::string layerPadLayer_;
    uint32_t bomItem_ = kNone;
    // Runs of pads share a component, a pad stack or a primitive: each is looked up once a run.
    struct LastLookup {
        std::string text;
        uint32_t id = kNone;
        bool valid = false;
    };
    template <typename Lookup>
    static uint32_t Cached(LastLookup& last, std::string_view text, Lookup lookup);
    LastLookup lastComponentRef_, lastPadStack_, lastPrimitive_;
};

}  // namespace boards::ipc2581
