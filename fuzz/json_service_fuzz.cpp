// The JSON service: parse, then read the document back over the paths its own
// keys lead to, and over the input as a path. An input starting with the byte
// FF (never in UTF-8, so never JSON) spells a long document briefly, so that
// nesting far deeper than any input could hold is reached too.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include <pthread.h>

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

// FF, a count n (one byte), then P FF H FF M FF T FF S: the document is P,
// H repeated n times, M, T repeated n times and S, at most kLongest bytes.
// Missing parts are empty. Long documents cost time: on a small stack (see
// checkOnSmallStack) a few hundred levels show what a deeper one would.
constexpr std::size_t kLongest = 16 * 1024;

std::string expand(std::string_view input)
{
    std::size_t n = static_cast<unsigned char>(input[1]);
    std::vector<std::string_view> parts;
    for (std::string_view rest = input.substr(2); parts.size() < 5;) {
        const std::size_t end = std::min(rest.find('\xFF'), rest.size());
        parts.push_back(rest.substr(0, end));
        rest.remove_prefix(std::min(rest.size(), end + 1));
    }
    const std::string_view head = parts[1];
    const std::string_view tail = parts[3];
    if (!head.empty() || !tail.empty())
        n = std::min(n, kLongest / (head.size() + tail.size()));
    std::string text(parts[0]);
    text.reserve(n * (head.size() + tail.size()) + input.size());
    for (std::size_t i = 0; i < n; ++i)
        text += head;
    text += parts[2];
    for (std::size_t i = 0; i < n; ++i)
        text += tail;
    text += parts[4];
    return text;
}

// Everything that walks or copies a whole document, in time and memory in
// proportion to its text.
void checkWhole(const std::string& text)
{
    JsonService doc;
    if (!doc.parse(text))
        return;
    const std::string written = doc.toText();
    (void)doc.getValue({});
    FUZZ_CHECK(doc.getObject({}).toText() == written);
    if (doc.typeOf() == zorvane::kJsonObject) {
        // Set beside the members: a new one, whatever the document holds.
        const int count = doc.count();
        doc.setText("\x01", "x");
        FUZZ_CHECK(doc.count() == count + 1);
    }
}

// A small stack, on which a walk that recursed once per level would overflow
// within a few hundred levels.
constexpr std::size_t kSmallStack = 64 * 1024;

void checkOnSmallStack(const std::string& text)
{
    pthread_attr_t attributes;
    FUZZ_CHECK(pthread_attr_init(&attributes) == 0);
    FUZZ_CHECK(pthread_attr_setstacksize(&attributes, kSmallStack) == 0);
    pthread_t thread;
    auto run = [](void* argument) -> void* {
        checkWhole(*static_cast<const std::string*>(argument));
        return nullptr;
    };
    FUZZ_CHECK(pthread_create(&thread, &attributes, run, const_cast<std::string*>(&text)) == 0);
    FUZZ_CHECK(pthread_join(thread, nullptr) == 0);
    pthread_attr_destroy(&attributes);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    if (size >= 2 && text[0] == '\xFF') {
        checkOnSmallStack(expand(text));
        return 0;
    }
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
