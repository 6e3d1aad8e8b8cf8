// SPDX-License-Identifier: GPL-3.0-or-later
#include "FloorWalks.h"

#include <cstdio>
#include <string_view>
#include <unordered_set>

#include "Dbx32.h"
#include "DesignRecords.h"

namespace floorwalks {
namespace {

// Opens the design for one operation and closes it after.
class Session {
  public:
    Session() { TOpenDesign(DBX_OPEN_MODE, DBX_OPEN_VERSION, DBX_OPEN_TOOL, &context); }
    ~Session() { TCloseDesign(&context, ""); }
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;
    DesignContext context{};
};

std::string HoleSizeText(int32_t diameter) {
    char text[32];
    std::snprintf(text, sizeof text, "%.2f Dia", diameter * 0.0003937007874015748);
    return text;
}

template <class VisitPad>
void ForEachPad(DesignContext& c, const ComponentRecord& component, VisitPad visit) {
    PadRecord pad;
    for (int s = TGetFirstCompPad(&c, component.refDes, &pad); s == 0;
         s = TGetNextCompPad(&c, &pad))
        if (visit(pad)) return;
}

template <class VisitAttribute>
void ForEachAttribute(DesignContext& c, const ComponentRecord& component, VisitAttribute visit) {
    AttributeRecord a;
    for (int s = TGetFirstCompAttribute(&c, component.refDes, &a); s == 0;
         s = TGetNextCompAttribute(&c, &a))
        if (visit(a)) return;
}

template <class VisitComponent>
void ForEachComponent(DesignContext& c, VisitComponent visit) {
    ComponentRecord component;
    for (int s = TGetFirstComponent(&c, &component); s == 0; s = TGetNextComponent(&c, &component))
        visit(component);
}

constexpr auto kPads = [](DesignContext& c, const ComponentRecord& component, auto visit) {
    ForEachPad(c, component, visit);
};
constexpr auto kAttributes = [](DesignContext& c, const ComponentRecord& component, auto visit) {
    ForEachAttribute(c, component, visit);
};

// Where Used: every component searched, each listed once when one of its items matches.
template <class ForEachItem, class Matches>
int WhereUsed(ForEachItem forEachItem, Matches matches) {
    Session session;
    std::unordered_set<std::string> listed;
    int searched = 0;
    ForEachComponent(session.context, [&](const ComponentRecord& component) {
        ++searched;
        forEachItem(session.context, component, [&](const auto& item) {
            if (!matches(session.context, item)) return false;
            listed.emplace(designdb::RefDes(component));
            return true;
        });
    });
    return searched;
}

}  // namespace

int GetPads() {
    Session session;
    std::unordered_set<std::string> names;
    int pads = 0;
    PadStyleRecord style;
    ForEachComponent(session.context, [&](const ComponentRecord& component) {
        ForEachPad(session.context, component, [&](const PadRecord& pad) {
            ++pads;
            if (TGetPadStyle(&session.context, designdb::PadStyleId(pad), &style) == 0)
                names.emplace(designdb::PadStyleName(style));
            return false;
        });
    });
    return pads;
}

int PadWhereUsed(const std::string& padStyle) {
    PadStyleRecord style;
    return WhereUsed(kPads, [&](DesignContext& c, const PadRecord& pad) {
        return TGetPadStyle(&c, designdb::PadStyleId(pad), &style) == 0 &&
               designdb::PadStyleName(style) == padStyle;
    });
}

int GetHoles() {
    Session session;
    std::unordered_set<std::string> sizes;
    int holes = 0;
    PadStyleRecord style;
    ForEachComponent(session.context, [&](const ComponentRecord& component) {
        ForEachPad(session.context, component, [&](const PadRecord& pad) {
            if (TGetPadStyle(&session.context, designdb::PadStyleId(pad), &style) != 0 ||
                designdb::HoleDiameter(style) <= 0)
                return false;
            ++holes;
            sizes.insert(HoleSizeText(designdb::HoleDiameter(style)));
            return false;
        });
    });
    return holes;
}

int HoleWhereUsed(const std::string& holeSize) {
    PadStyleRecord style;
    return WhereUsed(kPads, [&](DesignContext& c, const PadRecord& pad) {
        return TGetPadStyle(&c, designdb::PadStyleId(pad), &style) == 0 &&
               designdb::HoleDiameter(style) > 0 &&
               HoleSizeText(designdb::HoleDiameter(style)) == holeSize;
    });
}

int GetAttributes() {
    Session session;
    std::unordered_set<std::string> names;
    int attributes = 0;
    ForEachComponent(session.context, [&](const ComponentRecord& component) {
        ForEachAttribute(session.context, component, [&](const AttributeRecord& a) {
            ++attributes;
            names.emplace(designdb::AttributeName(a));
            return false;
        });
    });
    return attributes;
}

int AttributeWhereUsed(const std::string& name) {
    return WhereUsed(kAttributes, [&](DesignContext&, const AttributeRecord& a) {
        return designdb::AttributeName(a) == name;
    });
}

int GetText() {
    Session session;
    std::unordered_set<std::string> names;
    int texts = 0;
    TextStyleRecord style;
    ForEachComponent(session.context, [&](const ComponentRecord& component) {
        ForEachAttribute(session.context, component, [&](const AttributeRecord& a) {
            ++texts;
            if (TGetTextStyle(&session.context, designdb::TextStyleId(a), &style) == 0)
                names.emplace(designdb::TextStyleName(style));
            return false;
        });
    });
    return texts;
}

int TextWhereUsed(const std::string& textStyle) {
    TextStyleRecord style;
    return WhereUsed(kAttributes, [&](DesignContext& c, const AttributeRecord& a) {
        return TGetTextStyle(&c, designdb::TextStyleId(a), &style) == 0 &&
               designdb::TextStyleName(style) == textStyle;
    });
}

}  // namespace floorwalks
