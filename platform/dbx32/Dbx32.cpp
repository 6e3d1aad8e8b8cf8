// SPDX-License-Identifier: LGPL-3.0-or-later
// The eleven calls of the design-database interface, served from a snapshot of the design that
// the design tool sent at TOpenDesign. Every call accepts any context: zero-filled, never opened,
// closed (once or more), copied or left by an earlier operation; it then fails with a non-zero
// status. No exception leaves a call.
#include <algorithm>
#include <cstring>
#include <memory>
#include <type_traits>

#include "Dbx32.h"
#include "DbxStatus.h"
#include "DesignContextWords.h"
#include "DesignToolClient.h"
#include "FailureLog.h"
#include "OpenDesignTable.h"

static_assert(DBX_REFDES_SIZE - 1 == dbx::kRecordRefDesChars, "both ends cut refdes alike");

namespace {

using dbx::OpenDesign;
using dbx::OpenDesignTable;

using dbx::kContextMagic;
using enum dbx::ContextWord;
constexpr uint32_t kNone = dbx::kNoCursor;
static_assert(kNone == dbx::kNoComponent, "no component and no cursor read alike");

struct OpenContext {
    uint32_t* words;
    const OpenDesign* design;
    const dbx::Snapshot& snapshot() const { return design->snapshot; }
};

bool Resolve(DesignContext* context, OpenContext* out) {
    if (!context || context->opaque[kMagic] != kContextMagic) return false;
    out->words = context->opaque;
    out->design = OpenDesignTable::Instance().FindForThisThread(context->opaque[kHandle]);
    return out->design != nullptr;
}

// Zero-fills a record through the C library's memset, which picks the fastest way for this
// processor: the inline string store a compiler may choose is slow to start on records of
// these sizes, and a walk fills one at every step.
template <class Record>
void ZeroFill(Record* record) {
    static_assert(std::is_trivially_copyable_v<Record>);
    void* (*const volatile clear)(void*, int, std::size_t) = std::memset;
    clear(record, 0, sizeof *record);
}

template <std::size_t N>
void CopyText(char (&field)[N], std::string_view text) {
    const std::size_t n = std::min(text.size(), N - 1);
    std::memcpy(field, text.data(), n);
    field[n] = '\0';
}

void FillComponent(const OpenContext& c, uint32_t index, ComponentRecord* record) {
    ZeroFill(record);
    record->componentIndex = index;
    CopyText(record->refDes, c.snapshot().Text(c.snapshot().components[index].refDes));
    record->generation = c.snapshot().generation();
}

// The component whose pads or attributes a walk covers, as dbx::SelectComponent picks it with
// the component walk's current component as the record's source; kNone when there is none.
uint32_t FindComponent(const OpenContext& c, const char* refDes) {
    if (!refDes) return kNone;
    const std::string_view wanted(refDes, ::strnlen(refDes, DBX_REFDES_SIZE));
    const auto& s = c.snapshot();
    return dbx::SelectComponent(
        s.components.size(), [&](uint32_t i) { return s.Text(s.components[i].refDes); }, wanted,
        c.words[kComponent]);
}

void FillPad(const OpenContext& c, uint32_t component, uint32_t index, PadRecord* record) {
    const auto& s = c.snapshot();
    const auto& pad = s.pads[s.components[component].firstPad + index];
    ZeroFill(record);
    record->padIndex = index;
    CopyText(record->padNumber, s.Text(pad.number));
    record->padStyleId = pad.padStyle + 1;  // 0: no style
}

void FillAttribute(const OpenContext& c, uint32_t component, uint32_t index,
                   AttributeRecord* record) {
    const auto& s = c.snapshot();
    const auto& a = s.attributes[s.components[component].firstAttribute + index];
    ZeroFill(record);
    record->attributeIndex = index;
    CopyText(record->name, s.Text(a.name));
    CopyText(record->value, s.Text(a.value));
    record->textStyleId = a.textStyle + 1;  // 0: the attribute has no text of its own
}

template <typename Body>
int32_t Guarded(Body body) {
    try {
        return body();
    } catch (...) {
        return dbx::kStatusInternalError;
    }
}

}  // namespace

extern "C" {

DBX32_EXPORT int32_t DBX_CALL TOpenDesign(int32_t /*mode*/, int32_t /*version*/, const char* tool,
                                          DesignContext* context) {
    return Guarded([&] {
        if (!context) return dbx::kStatusBadArgument;
        if (context->opaque[kMagic] == kContextMagic)
            OpenDesignTable::Instance().Remove(context->opaque[kHandle]);
        *context = {};
        if (!tool) return dbx::kStatusBadArgument;
        std::string error;
        const auto path =
            dbx::SocketPathFor(std::string_view(tool, ::strnlen(tool, 64)), false, &error);
        if (!path) {
            dbx::FailureLog::Report("TOpenDesign", "the tool is not running: " + error);
            return dbx::kStatusNoTool;
        }
        auto snapshot = dbx::DesignToolClient::FetchSnapshot(*path, &error);
        if (!snapshot) return dbx::kStatusNoTool;
        auto design = std::make_shared<OpenDesign>(std::move(*snapshot), *path);
        dbx::OpenContextOn(context, OpenDesignTable::Instance().Add(std::move(design)));
        return dbx::kStatusOk;
    });
}

DBX32_EXPORT int32_t DBX_CALL TCloseDesign(DesignContext* context, const char* /*reserved*/) {
    return Guarded([&] {
        if (!context || context->opaque[kMagic] != kContextMagic) return dbx::kStatusNotOpen;
        const bool wasOpen = OpenDesignTable::Instance().Remove(context->opaque[kHandle]);
        *context = {};
        return wasOpen ? dbx::kStatusOk : dbx::kStatusNotOpen;
    });
}

DBX32_EXPORT int32_t DBX_CALL TGetFirstComponent(DesignContext* context,
                                                 ComponentRecord* component) {
    return Guarded([&] {
        OpenContext c;
        if (!Resolve(context, &c)) return dbx::kStatusNotOpen;
        if (!component) return dbx::kStatusBadArgument;
        c.words[kComponent] = kNone;
        if (c.snapshot().components.empty()) return dbx::kStatusEndOfWalk;
        c.words[kComponent] = 0;
        FillComponent(c, 0, component);
        return dbx::kStatusOk;
    });
}

DBX32_EXPORT int32_t DBX_CALL TGetNextComponent(DesignContext* context,
                                                ComponentRecord* component) {
    return Guarded([&] {
        OpenContext c;
        if (!Resolve(context, &c)) return dbx::kStatusNotOpen;
        if (!component) return dbx::kStatusBadArgument;
        const uint32_t current = c.words[kComponent];
        if (current >= c.snapshot().components.size()) return dbx::kStatusEndOfWalk;
        if (current + 1 >= c.snapshot().components.size()) {
            c.words[kComponent] = kNone;
            return dbx::kStatusEndOfWalk;
        }
        c.words[kComponent] = current + 1;
        FillComponent(c, current + 1, component);
        return dbx::kStatusOk;
    });
}

DBX32_EXPORT int32_t DBX_CALL TGetFirstCompAttribute(DesignContext* context, const char* refDes,
                                                     AttributeRecord* attribute) {
    return Guarded([&] {
        OpenContext c;
        if (!Resolve(context, &c)) return dbx::kStatusNotOpen;
        c.words[kAttrComponent] = c.words[kAttr] = kNone;
        if (!attribute) return dbx::kStatusBadArgument;
        const uint32_t component = FindComponent(c, refDes);
        if (component == kNone) return dbx::kStatusNoSuchComponent;
        if (c.snapshot().components[component].attributeCount == 0) return dbx::kStatusEndOfWalk;
        c.words[kAttrComponent] = component;
        c.words[kAttr] = 0;
        FillAttribute(c, component, 0, attribute);
        return dbx::kStatusOk;
    });
}

DBX32_EXPORT int32_t DBX_CALL TGetNextCompAttribute(DesignContext* context,
                                                    AttributeRecord* attribute) {
    return Guarded([&] {
        OpenContext c;
        if (!Resolve(context, &c)) return dbx::kStatusNotOpen;
        if (!attribute) return dbx::kStatusBadArgument;
        const uint32_t component = c.words[kAttrComponent];
        if (component >= c.snapshot().components.size()) return dbx::kStatusEndOfWalk;
        const uint32_t next = c.words[kAttr] + 1;
        if (c.words[kAttr] == kNone || next >= c.snapshot().components[component].attributeCount) {
            c.words[kAttrComponent] = c.words[kAttr] = kNone;
            return dbx::kStatusEndOfWalk;
        }
        c.words[kAttr] = next;
        FillAttribute(c, component, next, attribute);
        return dbx::kStatusOk;
    });
}

DBX32_EXPORT int32_t DBX_CALL TGetFirstCompPad(DesignContext* context, const char* refDes,
                                               PadRecord* pad) {
    return Guarded([&] {
        OpenContext c;
        if (!Resolve(context, &c)) return dbx::kStatusNotOpen;
        c.words[kPadComponent] = c.words[kPad] = kNone;
        if (!pad) return dbx::kStatusBadArgument;
        const uint32_t component = FindComponent(c, refDes);
        if (component == kNone) return dbx::kStatusNoSuchComponent;
        if (c.snapshot().components[component].padCount == 0) return dbx::kStatusEndOfWalk;
        c.words[kPadComponent] = component;
        c.words[kPad] = 0;
        FillPad(c, component, 0, pad);
        return dbx::kStatusOk;
    });
}

DBX32_EXPORT int32_t DBX_CALL TGetNextCompPad(DesignContext* context, PadRecord* pad) {
    return Guarded([&] {
        OpenContext c;
        if (!Resolve(context, &c)) return dbx::kStatusNotOpen;
        if (!pad) return dbx::kStatusBadArgument;
        const uint32_t component = c.words[kPadComponent];
        if (component >= c.snapshot().components.size()) return dbx::kStatusEndOfWalk;
        const uint32_t next = c.words[kPad] + 1;
        if (c.words[kPad] == kNone || next >= c.snapshot().components[component].padCount) {
            c.words[kPadComponent] = c.words[kPad] = kNone;
            return dbx::kStatusEndOfWalk;
        }
        c.words[kPad] = next;
        FillPad(c, component, next, pad);
        return dbx::kStatusOk;
    });
}

DBX32_EXPORT int32_t DBX_CALL TGetPadStyle(DesignContext* context, int32_t padStyleId,
                                           PadStyleRecord* padStyle) {
    return Guarded([&] {
        if (!padStyle) return dbx::kStatusBadArgument;
        ZeroFill(padStyle);
        OpenContext c;
        if (!Resolve(context, &c)) return dbx::kStatusNotOpen;
        const auto& styles = c.snapshot().padStyles;
        if (padStyleId < 1 || std::size_t(padStyleId) > styles.size())
            return dbx::kStatusNoSuchStyle;
        const auto& style = styles[std::size_t(padStyleId) - 1];
        padStyle->padStyleId = padStyleId;
        CopyText(padStyle->name, c.snapshot().Text(style.name));
        padStyle->holeDiameter = style.holeDiameter;
        return dbx::kStatusOk;
    });
}

DBX32_EXPORT int32_t DBX_CALL TGetTextStyle(DesignContext* context, int32_t textStyleId,
                                            TextStyleRecord* textStyle) {
    return Guarded([&] {
        if (!textStyle) return dbx::kStatusBadArgument;
        ZeroFill(textStyle);
        OpenContext c;
        if (!Resolve(context, &c)) return dbx::kStatusNotOpen;
        const auto& styles = c.snapshot().textStyles;
        if (textStyleId < 1 || std::size_t(textStyleId) > styles.size())
            return dbx::kStatusNoSuchStyle;
        textStyle->textStyleId = textStyleId;
        CopyText(textStyle->name, c.snapshot().Text(styles[std::size_t(textStyleId) - 1]));
        return dbx::kStatusOk;
    });
}

DBX32_EXPORT int32_t DBX_CALL THighlightComponent(DesignContext* context, int32_t colour,
                                                  ComponentRecord* component) {
    return Guarded([&] {
        OpenContext c;
        if (!Resolve(context, &c)) return dbx::kStatusNotOpen;
        if (!component) return dbx::kStatusBadArgument;
        dbx::HighlightRequest request;
        request.generation = component->generation;
        request.componentIndex = component->componentIndex;
        request.colour = colour;
        request.refDes.assign(component->refDes,
                              ::strnlen(component->refDes, sizeof component->refDes));
        std::string error;
        const auto status = dbx::DesignToolClient::Highlight(c.design->socketPath, request, &error);
        return status ? *status : dbx::kStatusNoTool;
    });
}

}  // extern "C"
