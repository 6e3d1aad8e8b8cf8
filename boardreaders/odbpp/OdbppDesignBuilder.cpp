// SPDX-License-Identifier: GPL-3.0-or-later
#include "OdbppDesignBuilder.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <optional>
#include <unordered_map>

#include "ComponentsParser.h"
#include "EdaDataParser.h"
#include "FeaturesParser.h"
#include "PadSymbol.h"
#include "RecordText.h"

namespace boards::odbpp {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kMaxCoordinateMm = 1e7;  // 10 km
constexpr double kMaxHoleMm = 1000;
// Lengths the library's records hold.
constexpr std::size_t kMaxRefDes = 63, kMaxPin = 31, kMaxStyleName = 99, kMaxAttributeName = 63,
                      kMaxAttributeValue = 1023;

struct MatrixLayer {
    std::string name;  // lower case, the layer's folder
    std::string type;
    int row = 0;
};

struct Matrix {
    std::vector<std::pair<int, std::string>> steps;  // column, name as written
    std::vector<MatrixLayer> layers;                 // board layers, by row
};

// Pads of one layer, found by position.
class PadGrid {
  public:
    static constexpr double kCell = 0.05;

    void Build(const std::vector<FeaturePad>& pads, const std::vector<FeatureLine>* lines) {
        for (std::size_t i = 0; i < pads.size(); ++i) Add(pads[i].position, int(i));
        if (lines)
            for (std::size_t i = 0; i < lines->size(); ++i) {
                const FeatureLine& l = (*lines)[i];
                Add({(l.a.x + l.b.x) / 2, (l.a.y + l.b.y) / 2}, -1 - int(i));
            }
        std::sort(cells_.begin(), cells_.end());
        ranges_.reserve(cells_.size());
        for (std::size_t i = 0; i < cells_.size();) {
            std::size_t end = i + 1;
            while (end < cells_.size() && cells_[end].first == cells_[i].first) ++end;
            ranges_.emplace(cells_[i].first, std::pair(uint32_t(i), uint32_t(end)));
            i = end;
        }
    }
    // Entries (pad index, or -1 - line index) whose centre lies within the tolerance of `p`,
    // in file order.
    void Near(Point p, const std::vector<FeaturePad>& pads, const std::vector<FeatureLine>* lines,
              std::vector<int>& found) const {
        found.clear();
        // The cells the tolerance square touches: one, unless `p` lies near a cell's edge.
        const int64_t x0 = Cell(p.x - kToeprintTolerance), x1 = Cell(p.x + kToeprintTolerance);
        const int64_t y0 = Cell(p.y - kToeprintTolerance), y1 = Cell(p.y + kToeprintTolerance);
        for (int64_t cx = x0; cx <= x1; ++cx)
            for (int64_t cy = y0; cy <= y1; ++cy) {
                const auto range = ranges_.find(Key(cx, cy));
                if (range == ranges_.end()) continue;
                for (uint32_t at = range->second.first; at < range->second.second; ++at) {
                    const int i = cells_[at].second;
                    Point q =
                        i >= 0 ? pads[std::size_t(i)].position : Mid((*lines)[std::size_t(-1 - i)]);
                    if (std::fabs(q.x - p.x) <= kToeprintTolerance &&
                        std::fabs(q.y - p.y) <= kToeprintTolerance)
                        found.push_back(i);
                }
            }
        // File order: pads by index, lines after them.
        if (found.size() > 1)
            std::sort(found.begin(), found.end(), [](int a, int b) {
                if ((a >= 0) != (b >= 0)) return a >= 0;
                return a >= 0 ? a < b : a > b;
            });
    }

  private:
    static Point Mid(const FeatureLine& l) { return {(l.a.x + l.b.x) / 2, (l.a.y + l.b.y) / 2}; }
    static int64_t Cell(double v) { return int64_t(std::clamp(std::floor(v / kCell), -1e9, 1e9)); }
    static int64_t Key(int64_t cx, int64_t cy) { return cx * 4000000007LL + cy; }
    void Add(Point p, int index) { cells_.emplace_back(Key(Cell(p.x), Cell(p.y)), index); }
    std::vector<std::pair<int64_t, int>> cells_;                         // sorted by cell
    std::unordered_map<int64_t, std::pair<uint32_t, uint32_t>> ranges_;  // cell -> its entries
};

struct Layer {
    std::string name;
    int edaIndex = -1;
    LayerFeatures features;
    PadGrid grid;
    // Per symbol, described once: its shape, and the hole it drills (mm).
    mutable std::vector<std::optional<PadSymbol>> shapes;
    mutable std::vector<double> drills;

    const PadSymbol& Shape(int symbol) const {
        auto& shape = shapes[std::size_t(symbol)];
        if (!shape) {
            const FeatureSymbol& s = features.symbols[std::size_t(symbol)];
            shape = DescribeSymbol(s.name, s.sizeMm);
        }
        return *shape;
    }
    double Drill(int symbol) const {
        double& d = drills[std::size_t(symbol)];
        if (d < 0) {
            const FeatureSymbol& s = features.symbols[std::size_t(symbol)];
            d = DrillDiameter(s.name, s.sizeMm);
        }
        return d;
    }
};

Point ToDesign(Point p) {
    return {p.x, -p.y};
}

bool IsCopperType(std::string_view type) {
    return type == "SIGNAL" || type == "POWER_GROUND" || type == "MIXED";
}

bool NameIsNonPlated(std::string_view layer) {
    return layer.find("npth") != std::string_view::npos ||
           layer.find("non-plated") != std::string_view::npos ||
           layer.find("non_plated") != std::string_view::npos ||
           layer.find("nonplated") != std::string_view::npos;
}

PadSymbol PinSymbol(const PinOutline& pin) {
    PadSymbol s;
    s.sizeX = pin.sizeX;
    s.sizeY = pin.sizeY;
    s.known = pin.sizeX > 0 && pin.sizeY > 0 && pin.sizeX < 10000 && pin.sizeY < 10000;
    if (!s.known) return s;
    if (pin.shape == PinOutline::Shape::Contour) {
        s.shape = PadShape::Custom;
        s.name = "Custom " + FormatMm(pin.sizeX) + "x" + FormatMm(pin.sizeY);
        for (const Point& q : pin.polygon) s.polygon.push_back({q.x, -q.y});
    } else if (pin.shape == PinOutline::Shape::Circle) {
        s.shape = PadShape::Circle;
        s.name = "Circle " + FormatMm(pin.sizeX);
    } else {
        s.shape = PadShape::Rect;
        s.name = FormatMm(pin.sizeX) == FormatMm(pin.sizeY)
                     ? "Rect " + FormatMm(pin.sizeX)
                     : "Rect " + FormatMm(pin.sizeX) + "x" + FormatMm(pin.sizeY);
    }
    return s;
}

// Whether a components file holds a CMP record (not only "# CMP 0" comments).
bool HasComponentRecord(std::string_view text) {
    LineCursor lines(text);
    std::string_view line;
    while (lines.Next(line))
        if (line.starts_with("CMP") && (line.size() == 3 || line[3] == ' ' || line[3] == '\t'))
            return true;
    return false;
}

class Builder {
  public:
    Builder(const JobFiles& files, const std::string& jobName, ReadError& error)
        : files_(files), jobName_(jobName), error_(error) {}

    bool Run(Design& out, BuildResult& result);

  private:
    bool Fail(const std::string& member, int line, const std::string& reason) {
        error_ = {member.empty() ? jobName_ : jobName_ + "/" + files_.StoredPath(member), line,
                  reason};
        return false;
    }
    bool ReadMatrix();
    bool ChooseStep(std::vector<ComponentRecord>& top, std::vector<ComponentRecord>& bottom);
    bool ReadLayer(const MatrixLayer& layer, bool drill, Layer& out);
    bool AddComponents(const std::vector<ComponentRecord>& records, bool bottom, Design& design);
    const PinOutline* PackagePin(const ComponentRecord& r, const Toeprint& t) const {
        if (r.package < 0 || std::size_t(r.package) >= eda_.packages.size()) return nullptr;
        const auto& pins = eda_.packages[std::size_t(r.package)].pins;
        if (t.pin < 0 || std::size_t(t.pin) >= pins.size()) return nullptr;
        const PinOutline& pin = pins[std::size_t(t.pin)];
        return pin.shape == PinOutline::Shape::None ? nullptr : &pin;
    }
    int StyleFor(const std::string& name, const PadSymbol* symbol, double holeMm, PadType type,
                 Design& design);

    const JobFiles& files_;
    const std::string& jobName_;
    ReadError& error_;
    Units units_ = Units::Inch;
    Matrix matrix_;
    std::string step_;  // lower case
    std::string stepName_;
    std::string componentsTop_, componentsBottom_;
    std::vector<Layer> copper_;  // [0] top, [1] bottom (may be the same layer name)
    std::vector<Layer> drills_;
    EdaData eda_;
    std::unordered_map<std::string, int> styleIndex_;
    std::vector<int> found_;
};

bool Builder::ReadMatrix() {
    const std::string* text = files_.Find("matrix/matrix");
    StructuredText matrix;
    int line = 0;
    std::string reason;
    if (!ParseStructuredText(*text, matrix, line, reason))
        return Fail("matrix/matrix", line, reason);
    for (const TextBlock& block : matrix.blocks) {
        if (block.name == "STEP") {
            int col = 0;
            ParseIndex(block.Get("COL"), col);
            if (block.Get("NAME").empty())
                return Fail("matrix/matrix", block.line, "step without a name");
            matrix_.steps.emplace_back(col, std::string(block.Get("NAME")));
        } else if (block.name == "LAYER") {
            if (!IsBoardLayer(block)) continue;
            MatrixLayer layer{Lower(block.Get("NAME")), std::string(block.Get("TYPE")), 0};
            if (layer.name.empty())
                return Fail("matrix/matrix", block.line, "layer without a name");
            ParseIndex(block.Get("ROW"), layer.row);
            matrix_.layers.push_back(layer);
        }
    }
    std::stable_sort(matrix_.steps.begin(), matrix_.steps.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    std::stable_sort(matrix_.layers.begin(), matrix_.layers.end(),
                     [](const MatrixLayer& a, const MatrixLayer& b) { return a.row < b.row; });
    if (matrix_.steps.empty()) return Fail("matrix/matrix", 0, "the matrix lists no step");
    return true;
}

bool Builder::ChooseStep(std::vector<ComponentRecord>& top, std::vector<ComponentRecord>& bottom) {
    // The steps that hold components; a panel (a step that repeats other steps) only when no
    // other step holds any.
    struct Candidate {
        std::string step, name;
        bool panel = false;
    };
    std::vector<Candidate> candidates;
    for (const auto& [col, name] : matrix_.steps) {
        const std::string step = Lower(name);
        const std::string base = "steps/" + step + "/layers/";
        bool any = false;
        for (const char* side : {"comp_+_top", "comp_+_bot"}) {
            const std::string* text = files_.Find(base + side + "/components");
            if (text && HasComponentRecord(*text)) any = true;
        }
        if (!any) continue;
        const std::string* header = files_.Find("steps/" + step + "/stephdr");
        const bool panel = header && header->find("STEP-REPEAT") != std::string::npos;
        candidates.push_back({step, name, panel});
    }
    if (candidates.empty())
        return Fail("", 0,
                    "the job holds no components (no CMP record in comp_+_top or comp_+_bot "
                    "of any step)");
    std::stable_partition(candidates.begin(), candidates.end(),
                          [](const Candidate& c) { return !c.panel; });
    step_ = candidates.front().step;
    stepName_ = candidates.front().name;
    componentsTop_ = "steps/" + step_ + "/layers/comp_+_top/components";
    componentsBottom_ = "steps/" + step_ + "/layers/comp_+_bot/components";
    for (auto [member, records] :
         {std::pair(&componentsTop_, &top), {&componentsBottom_, &bottom}}) {
        const std::string* text = files_.Find(*member);
        if (!text) continue;
        int line = 0;
        std::string reason;
        if (!ParseComponents(*text, units_, *records, line, reason))
            return Fail(*member, line, reason);
    }
    return true;
}

bool Builder::ReadLayer(const MatrixLayer& layer, bool drill, Layer& out) {
    out.name = layer.name;
    const std::string member = "steps/" + step_ + "/layers/" + layer.name + "/features";
    const std::string* text = files_.Find(member);
    if (text) {
        FeaturesOptions options;
        options.defaultUnits = units_;
        options.keepLines = drill;
        int line = 0;
        std::string reason;
        if (!ParseFeatures(*text, options, out.features, line, reason))
            return Fail(member, line, reason);
    }
    out.grid.Build(out.features.pads, drill ? &out.features.lines : nullptr);
    out.shapes.resize(out.features.symbols.size());
    out.drills.assign(out.features.symbols.size(), -1);
    out.edaIndex = eda_.Layer(layer.name);
    return true;
}

int Builder::StyleFor(const std::string& name, const PadSymbol* symbol, double holeMm, PadType type,
                      Design& design) {
    auto it = styleIndex_.find(name);
    if (it != styleIndex_.end()) return it->second;
    PadStyle style;
    style.name = name;
    style.holeDiameter = int32_t(std::floor(holeMm * kDesignUnitsPerMm + 0.5));
    PadGeometry& g = style.geometry;
    g.type = type;
    if (symbol && symbol->known) {
        g.shape = symbol->shape;
        g.sizeX = symbol->sizeX;
        g.sizeY = symbol->sizeY;
        g.roundRectRatio = symbol->shape == PadShape::RoundRect ? symbol->cornerRatio : 0;
        if (symbol->shape == PadShape::ChamferedRect) {
            g.chamferRatio = symbol->cornerRatio;
            g.chamferCorners =
                kChamferTopLeft | kChamferTopRight | kChamferBottomLeft | kChamferBottomRight;
        }
        if (!symbol->polygon.empty()) g.customPolygons.push_back(symbol->polygon);
        if (name.find("Diamond") != std::string::npos) {
            const double hx = symbol->sizeX / 2, hy = symbol->sizeY / 2;
            g.customPolygons.push_back({{0, -hy}, {hx, 0}, {0, hy}, {-hx, 0}});
        }
    } else {
        // Unknown symbols and bare holes are drawn as the hole's circle.
        g.shape = PadShape::Circle;
        g.sizeX = g.sizeY = holeMm > 0 ? holeMm : 0.2;
    }
    g.drillX = g.drillY = holeMm;
    const int index = int(design.padStyles.size());
    design.padStyles.push_back(std::move(style));
    styleIndex_.emplace(name, index);
    return index;
}

bool Builder::AddComponents(const std::vector<ComponentRecord>& records, bool bottom,
                            Design& design) {
    const std::string& member = bottom ? componentsBottom_ : componentsTop_;
    const Layer& copper = copper_[bottom ? 1 : 0];
    for (std::size_t ci = 0; ci < records.size(); ++ci) {
        const ComponentRecord& r = records[ci];
        if (r.refDes.size() > kMaxRefDes || HasControl(r.refDes))
            return Fail(member, r.line, "reference designator too long or with control characters");
        if (std::fabs(r.position.x) > kMaxCoordinateMm ||
            std::fabs(r.position.y) > kMaxCoordinateMm)
            return Fail(member, r.line, "component position out of range");
        Component c;
        c.refDes = std::string(r.refDes);
        c.position = ToDesign(r.position);
        c.rotation = -r.rotation;
        c.bottomSide = bottom;
        c.refDesPosition = c.position;
        c.hasGeometry = true;
        for (std::size_t ti = 0; ti < r.toeprints.size(); ++ti) {
            const Toeprint& t = r.toeprints[ti];
            if (t.name.size() > kMaxPin || HasControl(t.name))
                return Fail(member, r.line, "pin name too long or with control characters");
            // The copper pad: linked to this toeprint by eda/data, else one that is no via,
            // else the first at the place.
            copper.grid.Near(t.position, copper.features.pads, nullptr, found_);
            const FeaturePad* pad = nullptr;
            int rank = 3;
            for (int i : found_) {
                const FeaturePad& p = copper.features.pads[std::size_t(i)];
                const FeatureLink* link =
                    copper.edaIndex >= 0 ? eda_.Find(copper.edaIndex, p.index) : nullptr;
                int score = 2;
                if (link && !link->via && link->component == int(ci) && link->toeprint == int(ti) &&
                    link->bottom == bottom)
                    score = 0;
                else if (!(link && link->via) && p.drill != DrillKind::Via)
                    score = 1;
                if (score < rank) rank = score, pad = &p;
            }
            // The hole: a drill at the place that is no via, one linked to this toeprint first.
            double holeMm = 0;
            DrillKind kind = DrillKind::Unknown;
            bool holeLinked = false;
            std::string_view holeLayer;
            for (const Layer& drill : drills_) {
                drill.grid.Near(t.position, drill.features.pads, &drill.features.lines, found_);
                for (int i : found_) {
                    const bool isPad = i >= 0;
                    const int index = isPad ? drill.features.pads[std::size_t(i)].index
                                            : drill.features.lines[std::size_t(-1 - i)].index;
                    const DrillKind k = isPad ? drill.features.pads[std::size_t(i)].drill
                                              : drill.features.lines[std::size_t(-1 - i)].drill;
                    const int symbol = isPad ? drill.features.pads[std::size_t(i)].symbol
                                             : drill.features.lines[std::size_t(-1 - i)].symbol;
                    const FeatureLink* link =
                        drill.edaIndex >= 0 ? eda_.Find(drill.edaIndex, index) : nullptr;
                    if (k == DrillKind::Via || (link && link->via)) continue;
                    const bool linked = link && link->component == int(ci) &&
                                        link->toeprint == int(ti) && link->bottom == bottom;
                    if (holeMm > 0 && (holeLinked || !linked)) continue;
                    const double d = drill.Drill(symbol);
                    if (!(d > 0) || d > kMaxHoleMm) continue;
                    holeMm = d;
                    kind = k;
                    holeLinked = linked;
                    holeLayer = drill.name;
                }
            }
            PadSymbol fromPin;
            const PadSymbol* symbol = nullptr;
            if (pad) {
                symbol = &copper.Shape(pad->symbol);
            } else if (const PinOutline* pin = holeMm > 0 ? nullptr : PackagePin(r, t)) {
                // No copper pad and no hole at the toeprint: the package pin's own outline.
                fromPin = PinSymbol(*pin);
                if (fromPin.known) symbol = &fromPin;
            }
            const bool shaped = symbol != nullptr;
            PadType type = PadType::Smd;
            std::string name;
            if (holeMm > 0) {
                const bool npth = kind == DrillKind::NonPlated ||
                                  (kind == DrillKind::Unknown && NameIsNonPlated(holeLayer));
                type = npth ? PadType::NpThroughHole : PadType::ThroughHole;
                name = npth ? "NPTH " : "THT ";
            } else {
                name = "SMD ";
            }
            name += shaped ? symbol->name : "Hole";
            if (holeMm > 0) name += " D" + FormatMm(holeMm);
            if (name.size() > kMaxStyleName) name.resize(kMaxStyleName);
            Pad out;
            if (shaped || holeMm > 0) out.padStyle = StyleFor(name, symbol, holeMm, type, design);
            // Without a toeprint name, the pin's number from 1.
            out.number = t.name.empty() ? std::to_string(t.pin + 1) : std::string(t.name);
            out.position = ToDesign(pad ? pad->position : t.position);
            out.rotation = -(pad ? pad->rotation : t.rotation);
            out.onTop = !bottom || holeMm > 0;
            out.onBottom = bottom || holeMm > 0;
            c.pads.push_back(std::move(out));
        }
        // Properties by name; a name met again keeps its first value.
        for (const auto& [name, value] : r.properties) {
            if (name.size() > kMaxAttributeName || HasControl(name) ||
                value.size() > kMaxAttributeValue)
                return Fail(member, r.line,
                            "property name or value too long, or with control characters");
            bool seen = false;
            for (const Attribute& a : c.attributes) seen = seen || a.name == name;
            if (!seen) c.attributes.push_back({std::string(name), std::string(value), -1});
        }
        // The package outline, placed: mirrored (x negated) for a mirrored component, turned
        // clockwise, moved to the component.
        if (r.package >= 0 && std::size_t(r.package) < eda_.packages.size()) {
            const double a = r.rotation * kPi / 180, cs = std::cos(a), sn = std::sin(a);
            auto place = [&](Point q) {
                if (r.mirror) q.x = -q.x;
                const Point turned{q.x * cs + q.y * sn, -q.x * sn + q.y * cs};
                return ToDesign({r.position.x + turned.x, r.position.y + turned.y});
            };
            for (const Segment& s : eda_.packages[std::size_t(r.package)].edges)
                c.outline.push_back({place(s.a), place(s.b), 0.1});
        }
        design.components.push_back(std::move(c));
    }
    return true;
}

bool Builder::Run(Design& out, BuildResult& result) {
    if (!files_.Find("matrix/matrix")) return Fail("", 0, "not an ODB++ job: no matrix/matrix");
    if (const std::string* info = files_.Find("misc/info")) {
        LineCursor lines(*info);
        std::string_view line;
        while (lines.Next(line))
            if (ParseUnitsLine(line, units_)) break;
    }
    if (!ReadMatrix()) return false;
    std::vector<ComponentRecord> top, bottom;
    if (!ChooseStep(top, bottom)) return false;
    const std::string edaMember = "steps/" + step_ + "/eda/data";
    if (const std::string* text = files_.Find(edaMember)) {
        int line = 0;
        std::string reason;
        if (!ParseEdaData(*text, units_, eda_, line, reason)) return Fail(edaMember, line, reason);
    }
    const MatrixLayer* topCopper = nullptr;
    const MatrixLayer* bottomCopper = nullptr;
    for (const MatrixLayer& layer : matrix_.layers)
        if (IsCopperType(layer.type)) {
            if (!topCopper) topCopper = &layer;
            bottomCopper = &layer;
        }
    copper_.resize(2);
    if (topCopper && !ReadLayer(*topCopper, false, copper_[0])) return false;
    if (bottomCopper && !ReadLayer(*bottomCopper, false, copper_[1])) return false;
    for (const MatrixLayer& layer : matrix_.layers)
        if (layer.type == "DRILL") {
            drills_.emplace_back();
            if (!ReadLayer(layer, true, drills_.back())) return false;
        }

    Design design;
    design.hasGeometry = true;
    if (!AddComponents(top, false, design) || !AddComponents(bottom, true, design)) return false;
    const std::string profileMember = "steps/" + step_ + "/profile";
    if (const std::string* text = files_.Find(profileMember)) {
        LayerFeatures profile;
        FeaturesOptions options;
        options.defaultUnits = units_;
        options.keepSurfaces = true;
        int line = 0;
        std::string reason;
        if (!ParseFeatures(*text, options, profile, line, reason))
            return Fail(profileMember, line, reason);
        for (const Segment& s : profile.surfaceEdges)
            design.boardOutline.push_back({ToDesign(s.a), ToDesign(s.b), 0.1});
    }
    result.step = stepName_;
    if (matrix_.steps.size() > 1) {
        std::string names;
        for (const auto& step : matrix_.steps) names += (names.empty() ? "" : ", ") + step.second;
        design.readNote = "read step " + stepName_ + ", the one holding the components, of " +
                          std::to_string(matrix_.steps.size()) + " steps (" + names + ")";
    }
    out = std::move(design);
    return true;
}

}  // namespace

bool BuildOdbppDesign(const JobFiles& files, const std::string& jobName, Design& out,
                      BuildResult& result, ReadError& error) {
    Builder builder(files, jobName, error);
    return builder.Run(out, result);
}

}  // namespace boards::odbpp
