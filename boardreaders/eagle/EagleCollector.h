// SPDX-License-Identifier: GPL-3.0-or-later
// Turns the XML tokenizer's element events into the Eagle model: tracks where in the document
// it is, keeps what the design needs and skips the rest (signals, schematic data, autorouter
// settings) without looking into it.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "EagleModel.h"
#include "boardreaders/ipc2581/XmlEventReader.h"

namespace boards::eagle {

using ipc2581::XmlAttributes;
using ipc2581::XmlEventHandler;
using ipc2581::XmlEventReader;

class EagleCollector : public XmlEventHandler {
  public:
    explicit EagleCollector(Model& model) : model_(model) {}
    void SetReader(XmlEventReader* reader) { reader_ = reader; }

    void StartElement(std::string_view name, const XmlAttributes& attributes) override;
    void EndElement() override;

    bool SawRoot() const { return sawRoot_; }

  private:
    enum class Tag : uint8_t {
        Other,
        Eagle,
        Drawing,
        Board,
        Plain,
        Libraries,
        Library,
        Packages,
        Package,
        DesignRules,
        Elements,
        Element,
        Leaf,  // an element whose children are not looked at
    };

    Tag Open(Tag parent, std::string_view name, const XmlAttributes& a);
    void OpenLibrary(const XmlAttributes& a);
    void OpenPackage(const XmlAttributes& a);
    void AddPad(const XmlAttributes& a, bool smd);
    void AddWire(const XmlAttributes& a, std::vector<Segment>* outline,
                 std::vector<Segment>* dimension);
    void AddCircle(const XmlAttributes& a, std::vector<Segment>* outline,
                   std::vector<Segment>* dimension);
    void AddPackageText(const XmlAttributes& a);
    void AddDesignRule(const XmlAttributes& a);
    void OpenElement(const XmlAttributes& a);
    void AddElementAttribute(const XmlAttributes& a);

    // Attribute readers: false (and the reader stopped with the reason) when malformed.
    bool Number(const XmlAttributes& a, std::string_view name, double& out, bool required,
                double limit);
    bool Decimal(const XmlAttributes& a, std::string_view name, DecimalText& out, bool required);
    bool Integer(const XmlAttributes& a, std::string_view name, int& out, int low, int high);
    bool Look(const XmlAttributes& a, TextLook& look);
    bool Turn(const XmlAttributes& a, Rotation& out);
    bool Required(const XmlAttributes& a, std::string_view name, std::string_view& out);
    void Fail(std::string reason);

    Model& model_;
    XmlEventReader* reader_ = nullptr;
    std::vector<Tag> open_;
    std::string context_;  // the package or element being read, for errors
    bool sawRoot_ = false;
    bool failed_ = false;
    std::string libraryName_, libraryUrn_;
    int package_ = -1;
    size_t keptSegments_ = 0;  // drawing segments kept so far  // index of the package being read
};

}  // namespace boards::eagle
