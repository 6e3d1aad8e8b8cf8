// SPDX-License-Identifier: GPL-3.0-or-later
// Builds a Design from the events of a streaming JSON parser, checking the format as the
// values arrive, so that no document tree is ever held. An error is thrown as
// JsonDesignBuilder::Invalid with the line of the offending value.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "JsonByteStream.h"
#include "boardreaders/Design.h"

namespace boards {

class JsonDesignBuilder {
  public:
    struct Invalid {
        int line;
        std::string reason;
    };

    JsonDesignBuilder(Design& design, const JsonByteStream& stream);

    // The parser's events (the handler interface of the JSON library).
    bool null();
    bool boolean(bool value);
    bool number_integer(std::int64_t value);
    bool number_unsigned(std::uint64_t value);
    bool number_float(double value, const std::string& text);
    bool string(std::string& value);
    bool binary(std::vector<std::uint8_t>& value);
    bool start_object(std::size_t elements);
    bool key(std::string& key);
    bool end_object();
    bool start_array(std::size_t elements);
    bool end_array();
    template <class Exception>
    bool parse_error(std::size_t position, const std::string&, const Exception& e) {
        syntaxError_ = true;
        syntaxPosition_ = position;
        syntaxMessage_ = e.what();
        return false;
    }

    // Resolves the style references met before their styles; call after a clean parse.
    void Finish();

    bool SyntaxError() const { return syntaxError_; }
    std::size_t SyntaxPosition() const { return syntaxPosition_; }
    const std::string& SyntaxMessage() const { return syntaxMessage_; }

  private:
    // Where the parser is in the format.
    enum class Place {
        Root,
        Top,
        PadStyles,
        PadStyle,
        TextStyles,
        TextStyle,
        Components,
        Component,
        Pads,
        Pad,
        Attributes,
        Attribute
    };
    // A value of one of the known fields, or the value of an unknown key.
    enum class Field {
        None,
        Unknown,
        PadStyles,
        TextStyles,
        Components,
        Name,
        HoleDiameter,
        RefDes,
        Pads,
        Attributes,
        Number,
        Style,
        Value,
        TextStyle
    };
    // A style given by name or index, as written.
    struct StyleRef {
        bool byName = false;
        std::string name;
        double index = -1;  // -1 when the value was neither a name nor a number
        int line = 0;
    };
    // A reference met before the styles it refers to.
    struct PendingRef {
        bool pad;  // else a text style
        std::size_t component, item;
        StyleRef ref;
    };

    // The line of the value just read; a number is read one byte past its end.
    int ValueLine(bool number = false) const;
    [[noreturn]] static void Fail(int line, std::string reason);
    // Takes the field the value belongs to; refuses the value of an unknown key.
    Field TakeField(int line);
    // A value as the parser gave it: a string (text), a number, null, or none of these
    // (true, false, or an object or array where the field wants no container).
    struct Value {
        std::string* text = nullptr;
        const double* number = nullptr;
        bool null = false;
        bool container = false;
    };
    void Scalar(Value value, int line);
    // Takes the field, then reads the value into the object being read.
    void Read(Field field, Value value, int line);
    void Container(bool isObject);
    int Resolve(bool pad, const StyleRef& ref) const;
    void Refer(bool pad, StyleRef ref);
    void EndObject(Place place);

    Design& design_;
    const JsonByteStream& stream_;
    std::vector<Place> places_;
    Field field_ = Field::None;
    std::string fieldKey_;
    std::vector<int> objectLines_;  // where each open object began

    // The object being read.
    PadStyle padStyle_;
    TextStyle textStyle_;
    Component component_;
    Pad pad_;
    Attribute attribute_;
    bool hasName_ = false, hasRefDes_ = false, hasStyle_ = false;
    std::vector<Pad> pads_;  // of the component being read, moved out at its end
    std::vector<Attribute> attributes_;

    bool padStylesDone_ = false, textStylesDone_ = false;
    std::unordered_map<std::string, int> padNames_, textNames_;  // -2: not unique
    std::vector<PendingRef> pending_;

    bool syntaxError_ = false;
    std::size_t syntaxPosition_ = 0;
    std::string syntaxMessage_;
};

}  // namespace boards
