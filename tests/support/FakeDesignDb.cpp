// SPDX-License-Identifier: GPL-3.0-or-later
#include "FakeDesignDb.h"

#include <algorithm>
#include <cstring>

#include "AfxTesting.h"
#include "Dbx32.h"

namespace fake {

namespace {

DesignDb& Instance() {
    static DesignDb db;
    return db;
}

// Context words, as the library lays them out: a marker, the handle of the open design, then
// the cursors of the component, pad and attribute walks.
constexpr uint32_t kOpen = 0x4f50454e;
constexpr uint32_t kNone = UINT32_MAX;
enum Word { kMarker, kHandle, kComponent, kPadComponent, kPad, kAttrComponent, kAttr };

void Log(const char* function) {
    Instance().calls.push_back({function, afxtest::WaitCursorDepth()});
    if (Instance().onCall) Instance().onCall(function);
}

bool IsOpen(const DesignContext* context) {
    return context && context->opaque[kMarker] == kOpen &&
           Instance().openHandles.count(context->opaque[kHandle]) != 0;
}

template <std::size_t N>
void CopyText(char (&field)[N], const std::string& text) {
    std::memset(field, 0, N);
    std::memcpy(field, text.data(), std::min(text.size(), N - 1));
}

// Style ids are the index + 1; 0 (index -1) is none.
int32_t StyleId(int32_t index) {
    return index < 0 ? 0 : index + 1;
}

uint32_t FindComponent(const DesignContext* context, const char* refDes) {
    if (!refDes) return kNone;
    const auto& components = Instance().design.components;
    const std::string wanted(refDes, ::strnlen(refDes, DBX_REFDES_SIZE));
    auto matches = [&](std::size_t i) {
        return components[i].refDes.substr(0, DBX_REFDES_SIZE - 1) == wanted;
    };
    const uint32_t current = context->opaque[kComponent];
    if (current < components.size() && matches(current)) return current;
    for (std::size_t i = 0; i < components.size(); ++i)
        if (matches(i)) return static_cast<uint32_t>(i);
    return kNone;
}

void StoreComponent(uint32_t index, ComponentRecord* record) {
    *record = ComponentRecord{};
    record->componentIndex = index;
    CopyText(record->refDes, Instance().design.components[index].refDes);
}

void StorePad(uint32_t component, uint32_t pad, PadRecord* record) {
    *record = PadRecord{};
    record->padIndex = pad;
    record->padStyleId = StyleId(Instance().design.components[component].padStyleIds[pad]);
}

void StoreAttribute(uint32_t component, uint32_t attribute, AttributeRecord* record) {
    const Attribute& source = Instance().design.components[component].attributes[attribute];
    *record = AttributeRecord{};
    record->attributeIndex = attribute;
    CopyText(record->name, source.name);
    record->textStyleId = StyleId(source.textStyleId);
}

// The first item of a component's pads or attributes (count of them given), as the library
// starts those walks.
int32_t StartWalk(DesignContext* context, const char* refDes, Word componentWord, Word indexWord,
                  std::size_t (*count)(const Component&)) {
    context->opaque[componentWord] = context->opaque[indexWord] = kNone;
    const uint32_t component = FindComponent(context, refDes);
    if (component == kNone) return DBX_STATUS_NO_SUCH_COMPONENT;
    if (count(Instance().design.components[component]) == 0) return DBX_STATUS_END_OF_WALK;
    context->opaque[componentWord] = component;
    context->opaque[indexWord] = 0;
    return DBX_STATUS_OK;
}

int32_t StepWalk(DesignContext* context, Word componentWord, Word indexWord,
                 std::size_t (*count)(const Component&)) {
    const auto& components = Instance().design.components;
    const uint32_t component = context->opaque[componentWord];
    const uint32_t index = context->opaque[indexWord];
    if (component >= components.size() || index == kNone ||
        index + 1 >= count(components[component])) {
        context->opaque[componentWord] = context->opaque[indexWord] = kNone;
        return DBX_STATUS_END_OF_WALK;
    }
    context->opaque[indexWord] = index + 1;
    return DBX_STATUS_OK;
}

std::size_t PadCount(const Component& c) {
    return c.padStyleIds.size();
}
std::size_t AttributeCount(const Component& c) {
    return c.attributes.size();
}

}  // namespace

DesignDb& Db() {
    return Instance();
}

void Reset(Design design) {
    const uint32_t lastHandle = Instance().lastHandle;  // handles are never reused
    Instance() = DesignDb{};
    Instance().lastHandle = lastHandle;
    Instance().design = std::move(design);
}

int DesignDb::CountCalls(const std::string& function) const {
    return static_cast<int>(std::count_if(calls.begin(), calls.end(),
                                          [&](const Call& c) { return c.function == function; }));
}

int DesignDb::MaxWaitCursorDepth(const std::string& function) const {
    int depth = -1;
    for (const Call& c : calls)
        if (c.function == function) depth = std::max(depth, c.waitCursorDepth);
    return depth;
}

}  // namespace fake

using fake::Instance;

extern "C" {

int32_t TOpenDesign(int32_t, int32_t, const char* tool, DesignContext* context) {
    fake::Log("TOpenDesign");
    ++Instance().opens;
    if (!context) return DBX_STATUS_BAD_ARGUMENT;
    if (context->opaque[fake::kMarker] == fake::kOpen)
        Instance().openHandles.erase(context->opaque[fake::kHandle]);
    *context = DesignContext{};
    if (!tool) return DBX_STATUS_BAD_ARGUMENT;
    const uint32_t handle = ++Instance().lastHandle;
    Instance().openHandles.insert(handle);
    uint32_t* w = context->opaque;
    w[fake::kMarker] = fake::kOpen;
    w[fake::kHandle] = handle;
    w[fake::kComponent] = w[fake::kPadComponent] = w[fake::kPad] = w[fake::kAttrComponent] =
        w[fake::kAttr] = fake::kNone;
    return DBX_STATUS_OK;
}

int32_t TCloseDesign(DesignContext* context, const char*) {
    fake::Log("TCloseDesign");
    ++Instance().closes;
    if (!context || context->opaque[fake::kMarker] != fake::kOpen) return DBX_STATUS_NOT_OPEN;
    const bool wasOpen = Instance().openHandles.erase(context->opaque[fake::kHandle]) != 0;
    *context = DesignContext{};
    return wasOpen ? DBX_STATUS_OK : DBX_STATUS_NOT_OPEN;
}

int32_t TGetFirstComponent(DesignContext* context, ComponentRecord* component) {
    fake::Log("TGetFirstComponent");
    if (!fake::IsOpen(context)) return DBX_STATUS_NOT_OPEN;
    if (!component) return DBX_STATUS_BAD_ARGUMENT;
    context->opaque[fake::kComponent] = fake::kNone;
    if (Instance().design.components.empty()) return DBX_STATUS_END_OF_WALK;
    context->opaque[fake::kComponent] = 0;
    fake::StoreComponent(0, component);
    return DBX_STATUS_OK;
}

int32_t TGetNextComponent(DesignContext* context, ComponentRecord* component) {
    fake::Log("TGetNextComponent");
    if (!fake::IsOpen(context)) return DBX_STATUS_NOT_OPEN;
    if (!component) return DBX_STATUS_BAD_ARGUMENT;
    const std::size_t count = Instance().design.components.size();
    const uint32_t current = context->opaque[fake::kComponent];
    if (current >= count) return DBX_STATUS_END_OF_WALK;
    if (current + 1 >= count) {
        context->opaque[fake::kComponent] = fake::kNone;
        return DBX_STATUS_END_OF_WALK;
    }
    context->opaque[fake::kComponent] = current + 1;
    fake::StoreComponent(current + 1, component);
    return DBX_STATUS_OK;
}

int32_t TGetFirstCompPad(DesignContext* context, const char* refDes, PadRecord* pad) {
    fake::Log("TGetFirstCompPad");
    if (!fake::IsOpen(context)) return DBX_STATUS_NOT_OPEN;
    if (!pad) {
        context->opaque[fake::kPadComponent] = context->opaque[fake::kPad] = fake::kNone;
        return DBX_STATUS_BAD_ARGUMENT;
    }
    const int32_t status =
        fake::StartWalk(context, refDes, fake::kPadComponent, fake::kPad, fake::PadCount);
    if (status == DBX_STATUS_OK) fake::StorePad(context->opaque[fake::kPadComponent], 0, pad);
    return status;
}

int32_t TGetNextCompPad(DesignContext* context, PadRecord* pad) {
    fake::Log("TGetNextCompPad");
    if (!fake::IsOpen(context)) return DBX_STATUS_NOT_OPEN;
    if (!pad) return DBX_STATUS_BAD_ARGUMENT;
    const int32_t status = fake::StepWalk(context, fake::kPadComponent, fake::kPad, fake::PadCount);
    if (status == DBX_STATUS_OK)
        fake::StorePad(context->opaque[fake::kPadComponent], context->opaque[fake::kPad], pad);
    return status;
}

int32_t TGetFirstCompAttribute(DesignContext* context, const char* refDes,
                               AttributeRecord* attribute) {
    fake::Log("TGetFirstCompAttribute");
    if (!fake::IsOpen(context)) return DBX_STATUS_NOT_OPEN;
    if (!attribute) {
        context->opaque[fake::kAttrComponent] = context->opaque[fake::kAttr] = fake::kNone;
        return DBX_STATUS_BAD_ARGUMENT;
    }
    const int32_t status =
        fake::StartWalk(context, refDes, fake::kAttrComponent, fake::kAttr, fake::AttributeCount);
    if (status == DBX_STATUS_OK)
        fake::StoreAttribute(context->opaque[fake::kAttrComponent], 0, attribute);
    return status;
}

int32_t TGetNextCompAttribute(DesignContext* context, AttributeRecord* attribute) {
    fake::Log("TGetNextCompAttribute");
    if (!fake::IsOpen(context)) return DBX_STATUS_NOT_OPEN;
    if (!attribute) return DBX_STATUS_BAD_ARGUMENT;
    const int32_t status =
        fake::StepWalk(context, fake::kAttrComponent, fake::kAttr, fake::AttributeCount);
    if (status == DBX_STATUS_OK)
        fake::StoreAttribute(context->opaque[fake::kAttrComponent], context->opaque[fake::kAttr],
                             attribute);
    return status;
}

int32_t TGetPadStyle(DesignContext* context, int32_t padStyleId, PadStyleRecord* style) {
    fake::Log("TGetPadStyle");
    if (!style) return DBX_STATUS_BAD_ARGUMENT;
    *style = PadStyleRecord{};
    if (!fake::IsOpen(context)) return DBX_STATUS_NOT_OPEN;
    const auto& styles = Instance().design.padStyles;
    if (padStyleId < 1 || std::size_t(padStyleId) > styles.size()) return DBX_STATUS_NO_SUCH_STYLE;
    style->padStyleId = padStyleId;
    fake::CopyText(style->name, styles[std::size_t(padStyleId) - 1].name);
    style->holeDiameter = styles[std::size_t(padStyleId) - 1].holeDiameter;
    return DBX_STATUS_OK;
}

int32_t TGetTextStyle(DesignContext* context, int32_t textStyleId, TextStyleRecord* style) {
    fake::Log("TGetTextStyle");
    if (!style) return DBX_STATUS_BAD_ARGUMENT;
    *style = TextStyleRecord{};
    if (!fake::IsOpen(context)) return DBX_STATUS_NOT_OPEN;
    const auto& styles = Instance().design.textStyles;
    if (textStyleId < 1 || std::size_t(textStyleId) > styles.size())
        return DBX_STATUS_NO_SUCH_STYLE;
    style->textStyleId = textStyleId;
    fake::CopyText(style->name, styles[std::size_t(textStyleId) - 1]);
    return DBX_STATUS_OK;
}

// Like the design tool, a highlight finds its component by refdes; every request is logged.
int32_t THighlightComponent(DesignContext* context, int32_t colour, ComponentRecord* component) {
    fake::Log("THighlightComponent");
    if (!fake::IsOpen(context)) return DBX_STATUS_NOT_OPEN;
    if (!component) return DBX_STATUS_BAD_ARGUMENT;
    const std::string refDes(component->refDes, ::strnlen(component->refDes, DBX_REFDES_SIZE));
    Instance().highlights.push_back({refDes, colour, component->componentIndex});
    const auto& components = Instance().design.components;
    const bool found = std::any_of(components.begin(), components.end(),
                                   [&](const fake::Component& c) { return c.refDes == refDes; });
    return found ? DBX_STATUS_OK : DBX_STATUS_HIGHLIGHT_NOT_FOUND;
}

}  // extern "C"
