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

// Context words: 0 open marker, 1 current component, 2 pad walk's component, 3 pad index,
// 4 attribute walk's component, 5 attribute index.
constexpr uint32_t kOpen = 0x4f50454e;

void Log(const char* function) {
    Instance().calls.push_back({function, afxtest::WaitCursorDepth()});
    if (Instance().onCall) Instance().onCall(function);
}

bool IsOpen(const DesignContext* context) {
    return context && context->opaque[0] == kOpen;
}

template <std::size_t N>
void CopyText(char (&field)[N], const std::string& text) {
    std::memset(field, 0, N);
    std::memcpy(field, text.data(), std::min(text.size(), N - 1));
}

int FindComponent(const DesignContext* context, const char* refDes) {
    const auto& components = Instance().design.components;
    const uint32_t current = context->opaque[1];
    const std::string wanted(refDes, ::strnlen(refDes, DBX_REFDES_SIZE));
    if (current < components.size() && components[current].refDes == wanted) return current;
    for (std::size_t i = 0; i < components.size(); ++i)
        if (components[i].refDes == wanted) return static_cast<int>(i);
    return -1;
}

int StoreComponent(DesignContext* context, uint32_t index, ComponentRecord* record) {
    const auto& components = Instance().design.components;
    if (index >= components.size()) return 1;
    context->opaque[1] = index;
    *record = ComponentRecord{};
    record->componentIndex = index;
    CopyText(record->refDes, components[index].refDes);
    return 0;
}

int StorePad(DesignContext* context, PadRecord* record) {
    const auto& components = Instance().design.components;
    const uint32_t component = context->opaque[2], pad = context->opaque[3];
    if (component >= components.size() || pad >= components[component].padStyleIds.size()) return 1;
    *record = PadRecord{};
    record->padIndex = pad;
    record->padStyleId = components[component].padStyleIds[pad];
    return 0;
}

int StoreAttribute(DesignContext* context, AttributeRecord* record) {
    const auto& components = Instance().design.components;
    const uint32_t component = context->opaque[4], attribute = context->opaque[5];
    if (component >= components.size() || attribute >= components[component].attributes.size())
        return 1;
    const Attribute& source = components[component].attributes[attribute];
    *record = AttributeRecord{};
    record->attributeIndex = attribute;
    CopyText(record->name, source.name);
    record->textStyleId = source.textStyleId;
    return 0;
}

}  // namespace

DesignDb& Db() {
    return Instance();
}

void Reset(Design design) {
    Instance() = DesignDb{};
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

int32_t TOpenDesign(int32_t, int32_t, const char*, DesignContext* context) {
    fake::Log("TOpenDesign");
    ++Instance().opens;
    *context = DesignContext{};
    context->opaque[0] = fake::kOpen;
    return 0;
}

int32_t TCloseDesign(DesignContext* context, const char*) {
    fake::Log("TCloseDesign");
    ++Instance().closes;
    *context = DesignContext{};
    return 0;
}

int32_t TGetFirstComponent(DesignContext* context, ComponentRecord* component) {
    fake::Log("TGetFirstComponent");
    if (!fake::IsOpen(context)) return 1;
    return fake::StoreComponent(context, 0, component);
}

int32_t TGetNextComponent(DesignContext* context, ComponentRecord* component) {
    fake::Log("TGetNextComponent");
    if (!fake::IsOpen(context)) return 1;
    return fake::StoreComponent(context, context->opaque[1] + 1, component);
}

int32_t TGetFirstCompPad(DesignContext* context, const char* refDes, PadRecord* pad) {
    fake::Log("TGetFirstCompPad");
    if (!fake::IsOpen(context)) return 1;
    const int component = fake::FindComponent(context, refDes);
    if (component < 0) return 1;
    context->opaque[2] = component;
    context->opaque[3] = 0;
    return fake::StorePad(context, pad);
}

int32_t TGetNextCompPad(DesignContext* context, PadRecord* pad) {
    fake::Log("TGetNextCompPad");
    if (!fake::IsOpen(context)) return 1;
    ++context->opaque[3];
    return fake::StorePad(context, pad);
}

int32_t TGetFirstCompAttribute(DesignContext* context, const char* refDes,
                               AttributeRecord* attribute) {
    fake::Log("TGetFirstCompAttribute");
    if (!fake::IsOpen(context)) return 1;
    const int component = fake::FindComponent(context, refDes);
    if (component < 0) return 1;
    context->opaque[4] = component;
    context->opaque[5] = 0;
    return fake::StoreAttribute(context, attribute);
}

int32_t TGetNextCompAttribute(DesignContext* context, AttributeRecord* attribute) {
    fake::Log("TGetNextCompAttribute");
    if (!fake::IsOpen(context)) return 1;
    ++context->opaque[5];
    return fake::StoreAttribute(context, attribute);
}

int32_t TGetPadStyle(DesignContext* context, int32_t padStyleId, PadStyleRecord* style) {
    fake::Log("TGetPadStyle");
    const auto& styles = Instance().design.padStyles;
    if (!fake::IsOpen(context) || padStyleId < 0 ||
        padStyleId >= static_cast<int32_t>(styles.size())) {
        // Leave the record as a failing library might: holding the previous style's values.
        return 1;
    }
    *style = PadStyleRecord{};
    style->padStyleId = padStyleId;
    fake::CopyText(style->name, styles[padStyleId].name);
    style->holeDiameter = styles[padStyleId].holeDiameter;
    return 0;
}

int32_t TGetTextStyle(DesignContext* context, int32_t textStyleId, TextStyleRecord* style) {
    fake::Log("TGetTextStyle");
    const auto& styles = Instance().design.textStyles;
    if (!fake::IsOpen(context) || textStyleId < 0 ||
        textStyleId >= static_cast<int32_t>(styles.size()))
        return 1;
    *style = TextStyleRecord{};
    style->textStyleId = textStyleId;
    fake::CopyText(style->name, styles[textStyleId]);
    return 0;
}

int32_t THighlightComponent(DesignContext* context, int32_t colour, ComponentRecord* component) {
    fake::Log("THighlightComponent");
    if (!fake::IsOpen(context)) return 1;
    Instance().highlights.push_back(
        {std::string(component->refDes, ::strnlen(component->refDes, DBX_REFDES_SIZE)), colour,
         component->componentIndex});
    return 0;
}

}  // extern "C"
