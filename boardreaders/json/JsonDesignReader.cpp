// SPDX-License-Identifier: GPL-3.0-or-later
#include "JsonDesignReader.h"

#include <QJsonDocument>
#include <algorithm>
#include <nlohmann/json.hpp>
#include <vector>

#include "JsonByteStream.h"
#include "JsonDesignBuilder.h"
#include "JsonLineIndex.h"
#include "boardreaders/RegularFile.h"

namespace boards {
namespace {

std::string TooLarge() {
    return "file too large (limit " + std::to_string(JsonDesignReader::kMaxFileBytes) + " bytes)";
}

// A text the streaming parser refused: Qt's parser names the fault and its place as this
// reader always has; the streaming parser's own words are the fallback.
ReadError SyntaxError(const QByteArray& bytes, const std::string& fileName,
                      const JsonDesignBuilder& builder) {
    QJsonParseError parseError;
    const QJsonDocument doc = QJsonDocument::fromJson(bytes, &parseError);
    if (parseError.error != QJsonParseError::NoError)
        return {fileName, JsonLineIndex::LineAtOffset(bytes, parseError.offset),
                parseError.errorString().toStdString()};
    return {fileName, JsonLineIndex::LineAtOffset(bytes, qsizetype(builder.SyntaxPosition())),
            builder.SyntaxMessage()};
}

// Parses the stream into out; on a syntax error, bytes() gives the whole text for its report.
template <class Bytes>
bool Parse(JsonByteStream& stream, const std::string& fileName, Design& out, ReadError& error,
           Bytes bytes) {
    Design design;
    JsonDesignBuilder builder(design, stream);
    try {
        const bool parsed = nlohmann::json::sax_parse(
            stream.begin(), JsonByteStream::end(), &builder, nlohmann::json::input_format_t::json,
            /*strict=*/true);
        if (stream.TooLarge()) {
            error = {fileName, stream.Line(), TooLarge()};
            return false;
        }
        if (stream.ReadFailed()) {
            error = {fileName, stream.Line(), "cannot read the file"};
            return false;
        }
        if (!parsed) {
            error = SyntaxError(bytes(), fileName, builder);
            return false;
        }
        builder.Finish();
    } catch (const JsonDesignBuilder::Invalid& invalid) {
        error = {fileName, invalid.line, invalid.reason};
        return false;
    }
    out = std::move(design);
    return true;
}

// The line holding the first byte past the limit, counted without keeping the text.
int LineOfLimit(RegularFile& file) {
    int line = 1;
    std::int64_t left = JsonDesignReader::kMaxFileBytes;
    std::vector<char> chunk(1 << 20);
    std::string reason;
    while (left > 0) {
        const long got = file.Read(
            chunk.data(), std::size_t(std::min<std::int64_t>(left, std::int64_t(chunk.size()))),
            &reason);
        if (got <= 0) break;
        line += int(std::count(chunk.data(), chunk.data() + got, '\n'));
        left -= got;
    }
    return line;
}

}  // namespace

// The file is opened as a regular file only, so that a design swapped for a FIFO or a device
// after the loader looked at it is refused rather than waited on.
bool JsonDesignReader::ReadFile(const std::string& path, Design& out, ReadError& error) {
    RegularFile file;
    std::string reason;
    if (!file.Open(path, &reason)) {
        error = {path, 0, "cannot open: " + reason};
        return false;
    }
    if (file.size() > std::uint64_t(kMaxFileBytes)) {
        error = {path, LineOfLimit(file), TooLarge()};
        return false;
    }
    JsonByteStream stream(
        [&file, &reason](char* buffer, std::int64_t capacity) -> std::int64_t {
            return file.Read(buffer, std::size_t(capacity), &reason);
        },
        kMaxFileBytes);
    return Parse(stream, path, out, error, [&] {
        RegularFile again;
        std::string text;
        if (!again.Open(path, &reason) || !again.ReadAll(&text, &reason)) return QByteArray();
        return QByteArray(text.data(), qsizetype(text.size()));
    });
}

bool JsonDesignReader::ReadBytes(const QByteArray& bytes, const std::string& fileName, Design& out,
                                 ReadError& error) {
    JsonByteStream stream(bytes.constData(), std::size_t(bytes.size()), kMaxFileBytes);
    return Parse(stream, fileName, out, error, [&] { return bytes; });
}

}  // namespace boards
