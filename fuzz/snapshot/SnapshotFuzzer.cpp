// SPDX-License-Identifier: GPL-3.0-or-later
// Feeds arbitrary bytes to the snapshot decoder; a snapshot that decodes is opened and walked
// through every call of the library, checking that the walks agree with the snapshot: counts
// match, records hold the texts cut as documented, style ids resolve, and no refdes read from a
// record selects a component other than the one it came from.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "Dbx32.h"
#include "DbxStatus.h"
#include "DesignContextWords.h"
#include "OpenDesignTable.h"
#include "RecordRefDes.h"
#include "SnapshotReader.h"

namespace {

constexpr uint32_t kMaxWalkedComponents = 512;  // keeps each run short

void Check(bool ok) {
    if (!ok) std::abort();
}

template <std::size_t N>
std::string_view Field(const char (&field)[N]) {
    Check(::strnlen(field, N) < N);  // always terminated inside the field
    return {field, ::strnlen(field, N)};
}

// What a record field of capacity N reads as after holding `text`.
std::string_view AsRecordReads(std::string_view text, std::size_t n) {
    text = text.substr(0, std::min(text.size(), n - 1));
    return text.substr(0, std::min(text.size(), text.find('\0')));
}

// The pads walked for `refDes` must be exactly those of component `expected`.
void CheckPadWalk(DesignContext* context, const dbx::Snapshot& s, const char* refDes,
                  uint32_t expected) {
    PadRecord pad;
    int32_t status = TGetFirstCompPad(context, refDes, &pad);
    if (expected == dbx::kNoCursor) return Check(status == dbx::kStatusNoSuchComponent);
    const auto& component = s.components[expected];
    uint32_t walked = 0;
    for (; status == dbx::kStatusOk; status = TGetNextCompPad(context, &pad), ++walked) {
        Check(walked < component.padCount && pad.padIndex == walked);
        const auto& p = s.pads[component.firstPad + walked];
        Check(pad.padStyleId == p.padStyle + 1);
        Check(Field(pad.padNumber) == AsRecordReads(s.Text(p.number), DBX_PAD_NUMBER_SIZE));
    }
    Check(status == dbx::kStatusEndOfWalk && walked == component.padCount);
}

void CheckAttributeWalk(DesignContext* context, const dbx::Snapshot& s, const char* refDes,
                        uint32_t expected) {
    AttributeRecord attribute;
    int32_t status = TGetFirstCompAttribute(context, refDes, &attribute);
    if (expected == dbx::kNoCursor) return Check(status == dbx::kStatusNoSuchComponent);
    const auto& component = s.components[expected];
    uint32_t walked = 0;
    for (; status == dbx::kStatusOk;
         status = TGetNextCompAttribute(context, &attribute), ++walked) {
        Check(walked < component.attributeCount && attribute.attributeIndex == walked);
        const auto& a = s.attributes[component.firstAttribute + walked];
        Check(attribute.textStyleId == a.textStyle + 1);
        Check(Field(attribute.name) == AsRecordReads(s.Text(a.name), DBX_ATTRIBUTE_NAME_SIZE));
        Check(Field(attribute.value) == AsRecordReads(s.Text(a.value), DBX_ATTRIBUTE_VALUE_SIZE));
    }
    Check(status == dbx::kStatusEndOfWalk && walked == component.attributeCount);
}

// The component that the record text of component `source` selects when no walk stands on a
// component: the first whose whole refdes is the text, else `source` when no other component's
// refdes reads as the same text from a record, else none. Never a component it did not come from
// unless that component's whole refdes is the text.
uint32_t SelectedAway(const dbx::Snapshot& s, std::string_view text, uint32_t source) {
    for (uint32_t i = 0; i < s.components.size(); ++i)
        if (s.Text(s.components[i].refDes) == text) return i;
    for (uint32_t i = 0; i < s.components.size(); ++i)
        if (i != source && dbx::RecordRefDes(s.Text(s.components[i].refDes)) == text)
            return dbx::kNoCursor;
    return source;
}

void CheckStyles(DesignContext* context, const dbx::Snapshot& s) {
    const auto padStyles = int32_t(std::min<std::size_t>(s.padStyles.size(), 1000));
    for (int32_t id = -1; id <= padStyles + 1; ++id) {
        PadStyleRecord record;
        const int32_t status = TGetPadStyle(context, id, &record);
        if (id < 1 || id > int32_t(s.padStyles.size())) {
            Check(status == dbx::kStatusNoSuchStyle && record.padStyleId == 0 &&
                  record.name[0] == 0);
            continue;
        }
        const auto& style = s.padStyles[std::size_t(id) - 1];
        Check(status == dbx::kStatusOk && record.padStyleId == id &&
              record.holeDiameter == style.holeDiameter);
        Check(Field(record.name) == AsRecordReads(s.Text(style.name), DBX_PAD_STYLE_NAME_SIZE));
    }
    const auto textStyles = int32_t(std::min<std::size_t>(s.textStyles.size(), 1000));
    for (int32_t id = -1; id <= textStyles + 1; ++id) {
        TextStyleRecord record;
        const int32_t status = TGetTextStyle(context, id, &record);
        if (id < 1 || id > int32_t(s.textStyles.size())) {
            Check(status == dbx::kStatusNoSuchStyle && record.name[0] == 0);
            continue;
        }
        Check(status == dbx::kStatusOk && record.textStyleId == id);
        Check(Field(record.name) ==
              AsRecordReads(s.Text(s.textStyles[std::size_t(id) - 1]), DBX_TEXT_STYLE_NAME_SIZE));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string error;
    auto decoded = dbx::Snapshot::Decode(std::vector<uint8_t>(data, data + size), &error);
    if (!decoded) {
        Check(!error.empty());
        return 0;
    }
    const auto open =
        std::make_shared<const dbx::OpenDesign>(std::move(*decoded), "/nonexistent/pcb.sock");
    const dbx::Snapshot& s = open->snapshot;
    DesignContext context, idle;
    const uint32_t handle = dbx::OpenDesignTable::Instance().Add(open);
    dbx::OpenContextOn(&context, handle);
    dbx::OpenContextOn(&idle, handle);  // never walks components: no current component

    CheckStyles(&context, s);
    ComponentRecord component;
    int32_t status = TGetFirstComponent(&context, &component);
    uint32_t walked = 0;
    for (; status == dbx::kStatusOk; status = TGetNextComponent(&context, &component), ++walked) {
        Check(walked < s.components.size() && component.componentIndex == walked &&
              component.generation == s.generation());
        const std::string_view full = s.Text(s.components[walked].refDes);
        Check(Field(component.refDes) == dbx::RecordRefDes(full));
        if (walked >= kMaxWalkedComponents) continue;
        // Standing on the component, its record's refdes walks its own pads and attributes.
        CheckPadWalk(&context, s, component.refDes, walked);
        CheckAttributeWalk(&context, s, component.refDes, walked);
        // Elsewhere, the text selects a component whose whole refdes it is, or the one it came
        // from when no other could be meant.
        const uint32_t other = SelectedAway(s, Field(component.refDes), walked);
        CheckPadWalk(&idle, s, component.refDes, other);
        CheckAttributeWalk(&idle, s, component.refDes, other);
    }
    Check(status == dbx::kStatusEndOfWalk && walked == s.components.size());
    Check(TCloseDesign(&context, nullptr) == dbx::kStatusOk);
    Check(TCloseDesign(&idle, nullptr) == dbx::kStatusNotOpen);  // the same handle, now closed
    return 0;
}
