#include "JsonDesignReader.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cmath>
#include <initializer_list>
#include <limits>
#include <unordered_map>

#include "JsonLineIndex.h"

namespace pcbhost {
namespace {

// Thrown inside the reader only; carries the path of the offending value.
struct Invalid {
    std::string path;
    std::string reason;
};

std::string Child(const std::string& path, const char* key) {
    return path + "/" + key;
}
std::string Child(const std::string& path, qsizetype index) {
    return path + "/" + std::to_string(index);
}

QJsonObject AsObject(const QJsonValue& v, const std::string& path, const char* what,
                     std::initializer_list<const char*> keys) {
    if (!v.isObject()) throw Invalid{path, std::string(what) + " must be an object"};
    const QJsonObject object = v.toObject();
    for (auto it = object.begin(); it != object.end(); ++it) {
        const std::string key = it.key().toStdString();
        bool known = false;
        for (const char* k : keys) known = known || key == k;
        if (!known)
            throw Invalid{Child(path, key.c_str()), "unknown key \"" + key + "\" in " + what};
    }
    return object;
}

QJsonArray OptionalArray(const QJsonObject& o, const char* key, const std::string& path) {
    if (!o.contains(QLatin1String(key))) return {};
    const QJsonValue v = o.value(QLatin1String(key));
    if (!v.isArray())
        throw Invalid{Child(path, key), std::string("\"") + key + "\" must be an array"};
    return v.toArray();
}

std::string RequiredString(const QJsonObject& o, const char* key, const std::string& path,
                           const char* what) {
    if (!o.contains(QLatin1String(key)))
        throw Invalid{path, std::string(what) + " has no \"" + key + "\""};
    const QJsonValue v = o.value(QLatin1String(key));
    if (!v.isString())
        throw Invalid{Child(path, key), std::string("\"") + key + "\" must be a string"};
    return v.toString().toStdString();
}

std::string OptionalString(const QJsonObject& o, const char* key, const std::string& path) {
    if (!o.contains(QLatin1String(key))) return {};
    const QJsonValue v = o.value(QLatin1String(key));
    if (!v.isString())
        throw Invalid{Child(path, key), std::string("\"") + key + "\" must be a string"};
    return v.toString().toStdString();
}

int32_t OptionalInt32(const QJsonObject& o, const char* key, const std::string& path) {
    if (!o.contains(QLatin1String(key))) return 0;
    const QJsonValue v = o.value(QLatin1String(key));
    const double d = v.toDouble(std::nan(""));
    if (!v.isDouble() || d != std::floor(d) || d < std::numeric_limits<int32_t>::min() ||
        d > std::numeric_limits<int32_t>::max())
        throw Invalid{Child(path, key), std::string("\"") + key + "\" must be a 32-bit integer"};
    return int32_t(d);
}

// Styles are referred to by name (which must then be unique) or by 0-based index.
class StyleNames {
  public:
    StyleNames(const char* what, std::size_t count) : what_(what), count_(count) {}
    void Add(const std::string& name, int index) {
        auto [it, added] = indexes_.emplace(name, index);
        if (!added) it->second = kAmbiguous;
    }
    int Resolve(const QJsonValue& v, const std::string& path) const {
        if (v.isString()) {
            const std::string name = v.toString().toStdString();
            const auto it = indexes_.find(name);
            if (it == indexes_.end()) throw Invalid{path, "unknown " + what_ + " \"" + name + "\""};
            if (it->second == kAmbiguous)
                throw Invalid{path, what_ + " name \"" + name +
                                        "\" is not unique; refer to the style by its index"};
            return it->second;
        }
        const double d = v.toDouble(-1);
        if (v.isDouble() && d == std::floor(d) && d >= 0 && d < double(count_)) return int(d);
        throw Invalid{path, what_ + " reference must be a style name or an index below " +
                                std::to_string(count_)};
    }

  private:
    static constexpr int kAmbiguous = -2;
    std::string what_;
    std::size_t count_;
    std::unordered_map<std::string, int> indexes_;
};

Design Parse(const QJsonDocument& doc) {
    Design design;
    const std::string root;
    const QJsonObject top =
        AsObject(doc.object(), root, "the design", {"padStyles", "textStyles", "components"});

    const QJsonArray padStyles = OptionalArray(top, "padStyles", root);
    StyleNames padNames("pad style", std::size_t(padStyles.size()));
    for (qsizetype i = 0; i < padStyles.size(); ++i) {
        const std::string path = Child("/padStyles", i);
        const QJsonObject o = AsObject(padStyles[i], path, "a pad style", {"name", "holeDiameter"});
        PadStyle style;
        style.name = RequiredString(o, "name", path, "a pad style");
        style.holeDiameter = OptionalInt32(o, "holeDiameter", path);
        padNames.Add(style.name, int(i));
        design.padStyles.push_back(std::move(style));
    }

    const QJsonArray textStyles = OptionalArray(top, "textStyles", root);
    StyleNames textNames("text style", std::size_t(textStyles.size()));
    for (qsizetype i = 0; i < textStyles.size(); ++i) {
        const std::string path = Child("/textStyles", i);
        const QJsonObject o = AsObject(textStyles[i], path, "a text style", {"name"});
        TextStyle style;
        style.name = RequiredString(o, "name", path, "a text style");
        textNames.Add(style.name, int(i));
        design.textStyles.push_back(std::move(style));
    }

    const QJsonArray components = OptionalArray(top, "components", root);
    design.components.reserve(std::size_t(components.size()));
    for (qsizetype i = 0; i < components.size(); ++i) {
        const std::string path = Child("/components", i);
        const QJsonObject o =
            AsObject(components[i], path, "a component", {"refDes", "pads", "attributes"});
        Component component;
        component.refDes = RequiredString(o, "refDes", path, "a component");
        const QJsonArray pads = OptionalArray(o, "pads", path);
        for (qsizetype p = 0; p < pads.size(); ++p) {
            const std::string padPath = Child(Child(path, "pads"), p);
            const QJsonObject po = AsObject(pads[p], padPath, "a pad", {"number", "style"});
            Pad pad;
            pad.number = OptionalString(po, "number", padPath);
            if (!po.contains(QLatin1String("style")))
                throw Invalid{padPath, "a pad has no \"style\""};
            pad.padStyle =
                padNames.Resolve(po.value(QLatin1String("style")), Child(padPath, "style"));
            component.pads.push_back(std::move(pad));
        }
        const QJsonArray attributes = OptionalArray(o, "attributes", path);
        for (qsizetype a = 0; a < attributes.size(); ++a) {
            const std::string attrPath = Child(Child(path, "attributes"), a);
            const QJsonObject ao =
                AsObject(attributes[a], attrPath, "an attribute", {"name", "value", "textStyle"});
            Attribute attribute;
            attribute.name = RequiredString(ao, "name", attrPath, "an attribute");
            attribute.value = OptionalString(ao, "value", attrPath);
            const QJsonValue style = ao.value(QLatin1String("textStyle"));
            if (!style.isUndefined() && !style.isNull())
                attribute.textStyle = textNames.Resolve(style, Child(attrPath, "textStyle"));
            component.attributes.push_back(std::move(attribute));
        }
        design.components.push_back(std::move(component));
    }
    return design;
}

}  // namespace

bool JsonDesignReader::ReadFile(const std::string& path, Design& out, ReadError& error) {
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::ReadOnly)) {
        error = {path, 0, "cannot open: " + file.errorString().toStdString()};
        return false;
    }
    if (file.size() > kMaxFileBytes) {
        error = {path, 0, "file too large (limit " + std::to_string(kMaxFileBytes) + " bytes)"};
        return false;
    }
    const QByteArray bytes = file.read(kMaxFileBytes + 1);
    if (bytes.size() > kMaxFileBytes) {
        error = {path, 0, "file too large"};
        return false;
    }
    return ReadBytes(bytes, path, out, error);
}

bool JsonDesignReader::ReadBytes(const QByteArray& bytes, const std::string& fileName, Design& out,
                                 ReadError& error) {
    QJsonParseError parseError;
    const QJsonDocument doc = QJsonDocument::fromJson(bytes, &parseError);
    if (parseError.error != QJsonParseError::NoError) {
        error = {fileName, JsonLineIndex::LineAtOffset(bytes, parseError.offset),
                 parseError.errorString().toStdString()};
        return false;
    }
    if (!doc.isObject()) {
        error = {fileName, 1, "the design must be a JSON object"};
        return false;
    }
    try {
        out = Parse(doc);
        return true;
    } catch (const Invalid& invalid) {
        const JsonLineIndex index(bytes);
        error = {fileName, index.LineOf(invalid.path), invalid.reason};
        return false;
    }
}

}  // namespace pcbhost
