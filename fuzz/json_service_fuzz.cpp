// The JSON service: parse, then read the document back over the paths its own
// keys lead to, and over the input as a path.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz/fuzz_check.h"
#include "services/json_service.h"

namespace {

using zorvane::JsonService;

constexpr int kMaxVisits = 400;

bool isPlainName(const std::string& name)
{
    if (name.empty())
        return false;
    for (char c : name) {
        if (c == '.' || c == '[' || c == ']' || c == '\'' || c == '"')
            return false;
    }
    return true;
}

// Reads the member at path every way the service offers and walks on into
// its members, while the path can name them.
void visit(const JsonService& doc, const std::string& path, int depth, int& visits)
{
    if (++visits > kMaxVisits)
        return;
    const int type = doc.typeOf(path);
    const std::string value = doc.getValue(path);
    const std::string json = doc.getJson(path);
    (void)doc.getNumber(path);
    (void)doc.exists(path);
    std::vector<std::string> names;
    const int keyCount = doc.keys(names, path);
    FUZZ_CHECK(keyCount == static_cast<int>(names.size()));
    const int count = doc.count(path);
    if (type == zorvane::kJsonObject || type == zorvane::kJsonArray) {
        FUZZ_CHECK(count == keyCount);
        FUZZ_CHECK(!json.empty());
    } else {
        FUZZ_CHECK(count == 0);
    }
    if (type == zorvane::kJsonString)
        FUZZ_CHECK(doc.getValue(path, true) == json);
    if (depth > 40)
        return;
    for (int i = 0; i < keyCount && visits <= kMaxVisits; ++i) {
        if (type == zorvane::kJsonArray)
            visit(doc, path + "[" + std::to_string(i) + "]", depth + 1, visits);
        else if (isPlainName(names[static_cast<std::size_t>(i)]))
            visit(doc,
                  path.empty() ? names[static_cast<std::size_t>(i)]
                               : path + "." + names[static_cast<std::size_t>(i)],
                  depth + 1, visits);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    JsonService doc;
    const bool parsed = doc.parse(text);

    // Any text as a path: a lookup, never a crash.
    (void)doc.typeOf(text);
    (void)doc.getValue(text);
    (void)doc.count(text);
    if (!parsed) {
        FUZZ_CHECK(doc.typeOf() == zorvane::kJsonNull);
        return 0;
    }
    int visits = 0;
    visit(doc, "", 0, visits);

    // What the service writes, it reads back unchanged, with or without escapes.
    const std::string written = doc.toText();
    JsonService again;
    // An infinity alone is written as null, as a script engine writes it, and
    // a lone null reads as no document.
    if (written == "null") {
        FUZZ_CHECK(!again.parse(written));
        return 0;
    }
    FUZZ_CHECK(again.parse(written));
    FUZZ_CHECK(again.toText() == written);
    JsonService escaped;
    FUZZ_CHECK(escaped.parse(doc.toText(false)));
    FUZZ_CHECK(escaped.toText() == written);
    return 0;
}
