// SPDX-License-Identifier: GPL-3.0-or-later
#include "JsonDesignBuilder.h"

#include <cmath>
#include <cstdio>
#include <iterator>
#include <limits>

namespace boards {
namespace {

constexpr int kAmbiguous = -2;

// The first control character of a UTF-8 text (C0, DEL or C1), or -1 when there is none.
int ControlCharacter(const std::string& text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c < 0x20 || c == 0x7f) return c;
        if (c == 0xc2 && i + 1 < text.size()) {
            const auto next = static_cast<unsigned char>(text[i + 1]);
            if (next >= 0x80 && next <= 0x9f) return next;
        }
    }
    return -1;
}

const char* KeyOf(bool pad) {
    return pad ? "pad style" : "text style";
}

}  // namespace

JsonDesignBuilder::JsonDesignBuilder(Design& design, const JsonByteStream& stream)
    : design_(design), stream_(stream) {
    places_.push_back(Place::Root);
}

int JsonDesignBuilder::ValueLine(bool number) const {
    return stream_.Line() - (number && stream_.Last() == '\n' ? 1 : 0);
}

void JsonDesignBuilder::Fail(int line, std::string reason) {
    throw Invalid{line, std::move(reason)};
}

JsonDesignBuilder::Field JsonDesignBuilder::TakeField(int line) {
    const Field field = field_;
    field_ = Field::None;
    if (field != Field::Unknown) return field;
    const char* what = "the design";
    switch (places_.back()) {
        case Place::PadStyle:
            what = "a pad style";
            break;
        case Place::TextStyle:
            what = "a text style";
            break;
        case Place::Component:
            what = "a component";
            break;
        case Place::Pad:
            what = "a pad";
            break;
        case Place::Attribute:
            what = "an attribute";
            break;
        default:
            break;
    }
    Fail(line, "unknown key \"" + fieldKey_ + "\" in " + what);
}

bool JsonDesignBuilder::key(std::string& key) {
    struct Known {
        const char* name;
        Field field;
    };
    static const std::vector<Known> top = {{"padStyles", Field::PadStyles},
                                           {"textStyles", Field::TextStyles},
                                           {"components", Field::Components}};
    static const std::vector<Known> padStyle = {{"name", Field::Name},
                                                {"holeDiameter", Field::HoleDiameter}};
    static const std::vector<Known> textStyle = {{"name", Field::Name}};
    static const std::vector<Known> component = {
        {"refDes", Field::RefDes}, {"pads", Field::Pads}, {"attributes", Field::Attributes}};
    static const std::vector<Known> pad = {{"number", Field::Number}, {"style", Field::Style}};
    static const std::vector<Known> attribute = {
        {"name", Field::Name}, {"value", Field::Value}, {"textStyle", Field::TextStyle}};
    const std::vector<Known>* known = &top;
    switch (places_.back()) {
        case Place::PadStyle:
            known = &padStyle;
            break;
        case Place::TextStyle:
            known = &textStyle;
            break;
        case Place::Component:
            known = &component;
            break;
        case Place::Pad:
            known = &pad;
            break;
        case Place::Attribute:
            known = &attribute;
            break;
        default:
            break;
    }
    field_ = Field::Unknown;
    for (const Known& k : *known) {
        if (key == k.name) {
            field_ = k.field;
            break;
        }
    }
    fieldKey_ = std::move(key);
    return true;
}

void JsonDesignBuilder::Container(bool isObject) {
    const int line = ValueLine();
    const Field field = TakeField(line);
    const Place place = places_.back();
    auto expectObject = [&](Place inner, const char* what) {
        if (!isObject) Fail(line, std::string(what) + " must be an object");
        places_.push_back(inner);
        objectLines_.push_back(line);
    };
    switch (place) {
        case Place::Root:
            if (!isObject) Fail(1, "the design must be a JSON object");
            places_.push_back(Place::Top);
            objectLines_.push_back(line);
            return;
        case Place::Top:
            if (!isObject) {
                places_.push_back(field == Field::PadStyles    ? Place::PadStyles
                                  : field == Field::TextStyles ? Place::TextStyles
                                                               : Place::Components);
                return;
            }
            break;
        case Place::PadStyles:
            padStyle_ = {};
            hasName_ = false;
            return expectObject(Place::PadStyle, "a pad style");
        case Place::TextStyles:
            textStyle_ = {};
            hasName_ = false;
            return expectObject(Place::TextStyle, "a text style");
        case Place::Components:
            component_ = {};
            pads_.clear();
            attributes_.clear();
            hasRefDes_ = false;
            return expectObject(Place::Component, "a component");
        case Place::Pads:
            pad_ = {};
            hasStyle_ = false;
            return expectObject(Place::Pad, "a pad");
        case Place::Attributes:
            attribute_ = {};
            hasName_ = false;
            return expectObject(Place::Attribute, "an attribute");
        case Place::Component:
            if (!isObject && (field == Field::Pads || field == Field::Attributes)) {
                places_.push_back(field == Field::Pads ? Place::Pads : Place::Attributes);
                return;
            }
            break;
        default:
            break;
    }
    // An object or array where the field wants something else.
    Value value;
    value.container = true;
    Read(field, value, line);
}

void JsonDesignBuilder::Scalar(Value value, int line) {
    Read(TakeField(line), value, line);
}

void JsonDesignBuilder::Read(Field field, Value value, int line) {
    std::string* text = value.text;
    const double* number = value.number;
    auto mustBe = [&](const char* kind) { Fail(line, "\"" + fieldKey_ + "\" must be " + kind); };
    auto name = [&](std::string& into, bool& has) {
        if (text == nullptr) mustBe("a string");
        const int control = ControlCharacter(*text);
        if (control >= 0) {
            char code[16];
            std::snprintf(code, sizeof code, "U+%04X", unsigned(control));
            Fail(line, "\"" + fieldKey_ + "\" holds a control character (" + code + ")");
        }
        into = std::move(*text);
        has = true;
    };
    auto styleRef = [&] {
        StyleRef ref;
        ref.line = line;
        if (text != nullptr) {
            ref.byName = true;
            ref.name = std::move(*text);
        } else if (number != nullptr) {
            ref.index = *number;
        }
        return ref;
    };
    switch (places_.back()) {
        case Place::Root:
            Fail(1, "the design must be a JSON object");
        case Place::Top:
            return mustBe("an array");
        case Place::PadStyles:
            Fail(line, "a pad style must be an object");
        case Place::TextStyles:
            Fail(line, "a text style must be an object");
        case Place::Components:
            Fail(line, "a component must be an object");
        case Place::Pads:
            Fail(line, "a pad must be an object");
        case Place::Attributes:
            Fail(line, "an attribute must be an object");
        case Place::PadStyle:
            if (field == Field::Name) return name(padStyle_.name, hasName_);
            if (number == nullptr || *number != std::floor(*number) ||
                *number < std::numeric_limits<int32_t>::min() ||
                *number > std::numeric_limits<int32_t>::max())
                return mustBe("a 32-bit integer");
            padStyle_.holeDiameter = int32_t(*number);
            return;
        case Place::TextStyle:
            return name(textStyle_.name, hasName_);
        case Place::Component:
            if (field == Field::RefDes) return name(component_.refDes, hasRefDes_);
            return mustBe("an array");
        case Place::Pad:
            if (field == Field::Number) {
                if (text == nullptr) mustBe("a string");
                pad_.number = std::move(*text);
                return;
            }
            hasStyle_ = true;
            if (value.container) Resolve(true, styleRef());  // refuses it
            return Refer(true, styleRef());
        case Place::Attribute:
            if (field == Field::Name) return name(attribute_.name, hasName_);
            if (field == Field::Value) {
                if (text == nullptr) mustBe("a string");
                attribute_.value = std::move(*text);
                return;
            }
            // A null text style: the attribute has no text of its own.
            if (value.null) return;
            if (value.container) Resolve(false, styleRef());  // refuses it
            return Refer(false, styleRef());
    }
}

int JsonDesignBuilder::Resolve(bool pad, const StyleRef& ref) const {
    const auto& names = pad ? padNames_ : textNames_;
    const std::size_t count = pad ? design_.padStyles.size() : design_.textStyles.size();
    const std::string what = KeyOf(pad);
    if (ref.byName) {
        const auto it = names.find(ref.name);
        if (it == names.end()) Fail(ref.line, "unknown " + what + " \"" + ref.name + "\"");
        if (it->second == kAmbiguous)
            Fail(ref.line, what + " name \"" + ref.name +
                               "\" is not unique; refer to the style by its index");
        return it->second;
    }
    const double d = ref.index;
    if (d == std::floor(d) && d >= 0 && d < double(count)) return int(d);
    Fail(ref.line,
         what + " reference must be a style name or an index below " + std::to_string(count));
}

void JsonDesignBuilder::Refer(bool pad, StyleRef ref) {
    int& into = pad ? pad_.padStyle : attribute_.textStyle;
    if (pad ? padStylesDone_ : textStylesDone_) {
        into = Resolve(pad, ref);
        return;
    }
    // The styles come later in the file: resolved by Finish.
    into = -1;
    pending_.push_back(
        {pad, design_.components.size(), pad ? pads_.size() : attributes_.size(), std::move(ref)});
}

void JsonDesignBuilder::EndObject(Place place) {
    const int line = objectLines_.back();
    objectLines_.pop_back();
    switch (place) {
        case Place::PadStyle: {
            if (!hasName_) Fail(line, "a pad style has no \"name\"");
            const int index = int(design_.padStyles.size());
            auto [it, added] = padNames_.emplace(padStyle_.name, index);
            if (!added) it->second = kAmbiguous;
            design_.padStyles.push_back(std::move(padStyle_));
            break;
        }
        case Place::TextStyle: {
            if (!hasName_) Fail(line, "a text style has no \"name\"");
            const int index = int(design_.textStyles.size());
            auto [it, added] = textNames_.emplace(textStyle_.name, index);
            if (!added) it->second = kAmbiguous;
            design_.textStyles.push_back(std::move(textStyle_));
            break;
        }
        case Place::Component:
            if (!hasRefDes_) Fail(line, "a component has no \"refDes\"");
            // Exactly as many as there are: most components have few pads and attributes.
            component_.pads.assign(std::make_move_iterator(pads_.begin()),
                                   std::make_move_iterator(pads_.end()));
            component_.attributes.assign(std::make_move_iterator(attributes_.begin()),
                                         std::make_move_iterator(attributes_.end()));
            design_.components.push_back(std::move(component_));
            break;
        case Place::Pad:
            if (!hasStyle_) Fail(line, "a pad has no \"style\"");
            pads_.push_back(std::move(pad_));
            hasStyle_ = false;
            break;
        case Place::Attribute:
            if (!hasName_) Fail(line, "an attribute has no \"name\"");
            attributes_.push_back(std::move(attribute_));
            break;
        default:
            break;
    }
}

void JsonDesignBuilder::Finish() {
    for (const PendingRef& p : pending_) {
        Component& component = design_.components[p.component];
        if (p.pad)
            component.pads[p.item].padStyle = Resolve(true, p.ref);
        else
            component.attributes[p.item].textStyle = Resolve(false, p.ref);
    }
    pending_.clear();
    design_.components.shrink_to_fit();
}

bool JsonDesignBuilder::null() {
    Value value;
    value.null = true;
    Scalar(value, ValueLine());
    return true;
}

bool JsonDesignBuilder::boolean(bool) {
    Scalar({}, ValueLine());
    return true;
}

bool JsonDesignBuilder::number_integer(std::int64_t value) {
    const double d = double(value);
    Value number;
    number.number = &d;
    Scalar(number, ValueLine(true));
    return true;
}

bool JsonDesignBuilder::number_unsigned(std::uint64_t value) {
    const double d = double(value);
    Value number;
    number.number = &d;
    Scalar(number, ValueLine(true));
    return true;
}

bool JsonDesignBuilder::number_float(double value, const std::string&) {
    Value number;
    number.number = &value;
    Scalar(number, ValueLine(true));
    return true;
}

bool JsonDesignBuilder::string(std::string& value) {
    Value text;
    text.text = &value;
    Scalar(text, ValueLine());
    return true;
}

bool JsonDesignBuilder::binary(std::vector<std::uint8_t>&) {
    return false;  // not produced by a JSON text
}

bool JsonDesignBuilder::start_object(std::size_t) {
    Container(true);
    return true;
}

bool JsonDesignBuilder::end_object() {
    const Place place = places_.back();
    places_.pop_back();
    EndObject(place);
    return true;
}

bool JsonDesignBuilder::start_array(std::size_t) {
    Container(false);
    return true;
}

bool JsonDesignBuilder::end_array() {
    const Place place = places_.back();
    places_.pop_back();
    if (place == Place::PadStyles) padStylesDone_ = true;
    if (place == Place::TextStyles) textStylesDone_ = true;
    return true;
}

}  // namespace boards
