// SPDX-License-Identifier: GPL-3.0-or-later
// Feeds the same bytes to expat and to the IPC-2581 reader's XML tokenizer. Both must accept
// or both refuse, except for the tokenizer's own refusals (document types, entities, limits,
// encodings other than UTF-8 and US-ASCII, non-ASCII names); when both accept they must give
// the same element and attribute events on the same lines, and up to a refusal the same events
// as well. The tokenizer must also give the
// same outcome fed whole and fed in chunks (the first input byte chooses their size).
#include <expat.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "boardreaders/ipc2581/XmlEventReader.h"

namespace {

using boards::ipc2581::LocalName;
using boards::ipc2581::XmlAttributes;
using boards::ipc2581::XmlEventHandler;
using boards::ipc2581::XmlEventReader;

struct ExpatRun {
    XML_Parser parser = nullptr;
    std::string events;
    bool sawDoctype = false;
};

void OnExpatStart(void* data, const char* name, const char** attributes) {
    auto& run = *static_cast<ExpatRun*>(data);
    run.events +=
        std::to_string(XML_GetCurrentLineNumber(run.parser)) + ":<" + std::string(LocalName(name));
    for (const char** p = attributes; *p; p += 2)
        run.events += " " + std::string(p[0]) + "=" + std::string(p[1]);
    run.events += ">";
}

void OnExpatEnd(void* data, const char*) {
    static_cast<ExpatRun*>(data)->events += "</>";
}

void OnExpatDoctype(void* data, const char*, const char*, const char*, int) {
    auto& run = *static_cast<ExpatRun*>(data);
    run.sawDoctype = true;
    XML_StopParser(run.parser, XML_FALSE);
}

bool ExpatAccepts(std::string_view bytes, ExpatRun& run) {
    run.parser = XML_ParserCreate(nullptr);
    if (!run.parser) std::abort();
    XML_SetUserData(run.parser, &run);
    XML_SetElementHandler(run.parser, OnExpatStart, OnExpatEnd);
    XML_SetStartDoctypeDeclHandler(run.parser, OnExpatDoctype);
    const bool ok = XML_Parse(run.parser, bytes.data(), static_cast<int>(bytes.size()), XML_TRUE) ==
                    XML_STATUS_OK;
    XML_ParserFree(run.parser);
    return ok && !run.sawDoctype;
}

class Recorder : public XmlEventHandler {
  public:
    void StartElement(std::string_view localName, const XmlAttributes& attributes) override {
        events += std::to_string(reader->CurrentLine()) + ":<" + std::string(localName);
        for (size_t i = 0; i < attributes.Size(); ++i)
            events +=
                " " + std::string(attributes[i].name) + "=" + std::string(attributes[i].value);
        events += ">";
    }
    void EndElement() override { events += "</>"; }
    XmlEventReader* reader = nullptr;
    std::string events;
};

struct Outcome {
    bool ok;
    std::string events;
    std::string error;
    int line;
    bool operator==(const Outcome&) const = default;
};

Outcome ReadWithTokenizer(std::string_view bytes, size_t chunk) {
    Recorder recorder;
    XmlEventReader reader(recorder);
    recorder.reader = &reader;
    bool ok = true;
    size_t from = 0;
    do {
        const size_t size = std::min(chunk, bytes.size() - from);
        ok = reader.Feed(bytes.data() + from, size, from + size == bytes.size());
        from += size;
    } while (ok && from < bytes.size());
    return {ok, recorder.events, reader.Error(), reader.ErrorLine()};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const size_t chunk = 1 + data[0] % 32;
    const std::string_view bytes(reinterpret_cast<const char*>(data) + 1, size - 1);

    const Outcome whole = ReadWithTokenizer(bytes, bytes.size() + 1);
    if (ReadWithTokenizer(bytes, chunk) != whole) std::abort();
    if (!whole.ok && (whole.error.empty() || whole.line < 1)) std::abort();

    ExpatRun expat;
    const bool expatOk = ExpatAccepts(bytes, expat);
    if (expat.sawDoctype && whole.ok) std::abort();
    if (whole.ok && !expatOk) std::abort();
    if (whole.ok && expat.events != whole.events) std::abort();
    // Only the tokenizer's own refusals may turn down what expat reads.
    const bool malformed = whole.error.rfind("malformed XML: ", 0) == 0;
    if (expatOk && !whole.ok && malformed) std::abort();
    // Up to a refusal both report the same events: all of them when both find the document
    // malformed, a beginning of expat's when the tokenizer stops on a rule of its own.
    if (!whole.ok && !expat.sawDoctype) {
        if (malformed && !expatOk && whole.events != expat.events) std::abort();
        if (!malformed && expat.events.compare(0, whole.events.size(), whole.events) != 0)
            std::abort();
    }
    return 0;
}
