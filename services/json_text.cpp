#include "services/json_text.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <unordered_map>
#include <utility>
#include <vector>

#include <locale.h>
#include <stdlib.h>

#include "base/numbers.h"
#include "base/text.h"

namespace zorvane::json_detail {

namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr std::uint32_t kReplacement = 0xFFFD;

void appendUtf8(std::string& out, std::uint32_t cp)
{
    auto byte = [&out](std::uint32_t b) { out += static_cast<char>(b); };
    if (cp < 0x80) {
        byte(cp);
    } else if (cp < 0x800) {
        byte(0xC0 | (cp >> 6));
        byte(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        byte(0xE0 | (cp >> 12));
        byte(0x80 | ((cp >> 6) & 0x3F));
        byte(0x80 | (cp & 0x3F));
    } else {
        byte(0xF0 | (cp >> 18));
        byte(0x80 | ((cp >> 12) & 0x3F));
        byte(0x80 | ((cp >> 6) & 0x3F));
        byte(0x80 | (cp & 0x3F));
    }
}

// Numbers are read the same whatever locale the program runs in.
locale_t cLocale()
{
    static const locale_t locale = ::newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    return locale;
}

// Reads the scalar tokens of a JSON text; the structure is the caller's.
class Reader final
{
public:
    explicit Reader(std::string_view text) : m_text(text) {}

    bool atEnd()
    {
        skipSpace();
        return m_pos == m_text.size();
    }

    // Takes c when it is the next character after white space.
    bool take(char c)
    {
        skipSpace();
        if (m_pos == m_text.size() || m_text[m_pos] != c)
            return false;
        ++m_pos;
        return true;
    }

    char peek()
    {
        skipSpace();
        return m_pos < m_text.size() ? m_text[m_pos] : '\0';
    }

    std::optional<std::string> string()
    {
        if (!take('"'))
            return std::nullopt;
        std::string out;
        while (m_pos < m_text.size()) {
            const char c = m_text[m_pos++];
            if (c == '"')
                return out;
            if (static_cast<unsigned char>(c) < 0x20)
                return std::nullopt;
            if (c != '\\')
                out += c;
            else if (!escape(out))
                return std::nullopt;
        }
        return std::nullopt;
    }

    // A string, number, true, false or null.
    std::optional<Json> scalar()
    {
        const char c = peek();
        if (c == '"') {
            auto text = string();
            return text ? std::optional<Json>(Json(std::move(*text))) : std::nullopt;
        }
        if (c == '-' || (c >= '0' && c <= '9'))
            return number();
        for (auto [word, value] :
             {std::pair<std::string_view, Json>{"true", true}, {"false", false}, {"null", nullptr}}) {
            if (m_text.substr(m_pos, word.size()) == word) {
                m_pos += word.size();
                return value;
            }
        }
        return std::nullopt;
    }

private:
    void skipSpace()
    {
        while (m_pos < m_text.size() && (m_text[m_pos] == ' ' || m_text[m_pos] == '\t' ||
                                         m_text[m_pos] == '\n' || m_text[m_pos] == '\r'))
            ++m_pos;
    }

    std::size_t digits()
    {
        const std::size_t start = m_pos;
        while (m_pos < m_text.size() && m_text[m_pos] >= '0' && m_text[m_pos] <= '9')
            ++m_pos;
        return m_pos - start;
    }

    bool next(char c)
    {
        if (m_pos < m_text.size() && m_text[m_pos] == c) {
            ++m_pos;
            return true;
        }
        return false;
    }

    std::optional<Json> number()
    {
        const std::size_t start = m_pos;
        const bool negative = next('-');
        if (!next('0') && digits() == 0)
            return std::nullopt;
        bool integral = true;
        if (next('.')) {
            integral = false;
            if (digits() == 0)
                return std::nullopt;
        }
        if (next('e') || next('E')) {
            integral = false;
            if (!next('+'))
                next('-');
            if (digits() == 0)
                return std::nullopt;
        }
        const std::string token(m_text.substr(start, m_pos - start));
        if (integral) {
            std::int64_t signedValue = 0;
            std::uint64_t unsignedValue = 0;
            const char* end = token.data() + token.size();
            if (negative && std::from_chars(token.data(), end, signedValue).ec == std::errc())
                return Json(signedValue);
            if (!negative && std::from_chars(token.data(), end, unsignedValue).ec == std::errc())
                return Json(unsignedValue);
        }
        // Out of the double range this is an infinity (or zero), as a script reads it.
        return Json(::strtod_l(token.c_str(), nullptr, cLocale()));
    }

    std::optional<std::uint32_t> hex4(std::size_t at) const
    {
        std::uint32_t value = 0;
        if (at + 4 > m_text.size() ||
            std::from_chars(m_text.data() + at, m_text.data() + at + 4, value, 16).ptr !=
                m_text.data() + at + 4)
            return std::nullopt;
        return value;
    }

    // After a backslash: appends what the escape stands for.
    bool escape(std::string& out)
    {
        if (m_pos == m_text.size())
            return false;
        const char c = m_text[m_pos++];
        constexpr std::string_view kLetters = "\"\\/bfnrt";
        constexpr std::string_view kMeanings = "\"\\/\b\f\n\r\t";
        if (const std::size_t at = kLetters.find(c); at != std::string_view::npos) {
            out += kMeanings[at];
            return true;
        }
        if (c != 'u')
            return false;
        auto unit = hex4(m_pos);
        if (!unit)
            return false;
        m_pos += 4;
        std::uint32_t cp = *unit;
        if (cp >= 0xD800 && cp <= 0xDBFF) {
            auto low = m_text.substr(m_pos, 2) == "\\u" ? hex4(m_pos + 2) : std::nullopt;
            if (low && *low >= 0xDC00 && *low <= 0xDFFF) {
                cp = 0x10000 + ((cp - 0xD800) << 10) + (*low - 0xDC00);
                m_pos += 6;
            } else {
                cp = kReplacement; // a script keeps the lone half; as UTF-8 it has no form
            }
        } else if (cp >= 0xDC00 && cp <= 0xDFFF) {
            cp = kReplacement;
        }
        appendUtf8(out, cp);
        return true;
    }

    std::string_view m_text;
    std::size_t m_pos = 0;
};

// Past this many members a repeated name is found through a hash table.
constexpr std::size_t kFewMembers = 16;

using Members = std::vector<std::pair<std::string, Json>>;

// Moves the value of member i to member first, of the same name, and marks i
// as a repeat.
template <typename Marks> void mergeInto(Members& members, std::size_t first, std::size_t i, Marks& repeat)
{
    members[first].second = std::move(members[i].second);
    repeat[i] = true;
}

// Merges the repeats of a few members by comparing names pairwise.
template <typename Marks> void mergeFew(Members& members, Marks& repeat)
{
    for (std::size_t i = 1; i < members.size(); ++i) {
        for (std::size_t j = 0; j < i; ++j) {
            if (!repeat[j] && members[j].first == members[i].first) {
                mergeInto(members, j, i, repeat);
                break;
            }
        }
    }
}

// Merges the repeats of many members through a table of the names seen.
template <typename Marks> void mergeMany(Members& members, Marks& repeat)
{
    std::unordered_map<std::string_view, std::size_t> seen;
    seen.reserve(members.size());
    for (std::size_t i = 0; i < members.size(); ++i) {
        const auto [at, fresh] = seen.try_emplace(members[i].first, i);
        if (!fresh)
            mergeInto(members, at->second, i, repeat);
    }
}

// Moves the members that are no repeats into the object, in a list sized once.
template <typename Marks> void moveUnique(Json& object, Members& members, const Marks& repeat)
{
    std::size_t unique = 0;
    for (std::size_t i = 0; i < members.size(); ++i)
        unique += repeat[i] ? 0u : 1u;
    auto& list = object.get_ref<Json::object_t&>();
    list.reserve(unique);
    for (std::size_t i = 0; i < members.size(); ++i) {
        if (!repeat[i])
            list.emplace_back(std::move(members[i].first), std::move(members[i].second));
    }
}

// Moves the members into an object that has none yet: a repeated name keeps
// its first place and its last value. The object's list is sized once (its
// own growth would copy every value), and a few members need no table.
void appendUniqueMembers(Json& object, Members& members)
{
    if (members.size() <= kFewMembers) {
        std::array<bool, kFewMembers> repeat{};
        mergeFew(members, repeat);
        moveUnique(object, members, repeat);
    } else {
        std::vector<bool> repeat(members.size());
        mergeMany(members, repeat);
        moveUnique(object, members, repeat);
    }
}

// A container between its opening and its closing bracket. An object's
// members wait in a list of their own and become the object when it closes:
// an object's member list copies its values whenever it grows (its keys are
// const), and a copy of a deep value recurses once per level.
struct OpenContainer
{
    Json array;      // an array's items so far
    Members members; // an object's members so far
    std::string key; // the member whose value comes next
    bool isObject = false;

    void add(Json value)
    {
        if (isObject)
            members.emplace_back(std::move(key), std::move(value));
        else
            array.push_back(std::move(value));
    }

    Json close()
    {
        if (!isObject)
            return std::move(array);
        Json object = Json::object();
        appendUniqueMembers(object, members);
        return object;
    }
};

// After '{' or ',' in an object: the member name and its colon.
bool readKey(Reader& in, OpenContainer& container)
{
    auto key = in.string();
    if (!key || !in.take(':'))
        return false;
    container.key = std::move(*key);
    return true;
}

// A number's JSON text as a script writes it (Number.prototype.toString):
// the fewest digits that read back as the same double, written out in full
// from 1e-6 up to below 1e21 and with an exponent beyond; -0 is 0, and an
// infinity, which JSON cannot hold, is null. A 64-bit integer is first the
// double a script would have read.
std::string numberJsonText(double value)
{
    if (!std::isfinite(value))
        return "null";
    if (value == 0)
        return "0";
    std::array<char, 32> buffer{};
    const auto written = std::to_chars(buffer.data(), buffer.data() + buffer.size(), std::fabs(value),
                                       std::chars_format::scientific);
    const std::string_view text(buffer.data(), static_cast<std::size_t>(written.ptr - buffer.data()));
    const std::size_t e = text.find('e');
    std::string digits(1, text[0]);
    if (e > 1)
        digits.append(text.substr(2, e - 2));
    int power = 0; // of the first digit
    std::from_chars(text.data() + e + 2, text.data() + text.size(), power);
    if (text[e + 1] == '-')
        power = -power;

    std::string out = value < 0 ? "-" : "";
    const int k = static_cast<int>(digits.size());
    const int n = power + 1; // digits before the point
    if (k <= n && n <= 21) {
        out += digits;
        out.append(static_cast<std::size_t>(n - k), '0');
    } else if (0 < n && n <= 21) {
        out.append(digits, 0, static_cast<std::size_t>(n))
            .append(".")
            .append(digits, static_cast<std::size_t>(n));
    } else if (-6 < n && n <= 0) {
        out.append("0.").append(static_cast<std::size_t>(-n), '0').append(digits);
    } else {
        out += digits[0];
        if (k > 1)
            out.append(".").append(digits, 1);
        out.append(power < 0 ? "e-" : "e+").append(std::to_string(std::abs(power)));
    }
    return out;
}

std::string scalarText(const Json& value)
{
    switch (value.type()) {
    case Json::value_t::string:
        return value.get_ref<const std::string&>();
    case Json::value_t::boolean:
        return value.get<bool>() ? "true" : "false";
    case Json::value_t::number_integer:
    case Json::value_t::number_unsigned:
    case Json::value_t::number_float:
        return formatNumber(value.get<double>());
    case Json::value_t::object:
        return "[object Object]";
    default:
        return {};
    }
}

} // namespace

std::optional<Json> parseJson(std::string_view text)
{
    if (startsWith(text, kUtf8Bom))
        text.remove_prefix(kUtf8Bom.size());
    if (!isValidUtf8(text))
        return std::nullopt;
    Reader in(text);
    std::vector<OpenContainer> open; // innermost last
    Json done;                       // the value read last
    for (;;) {
        const char c = in.peek();
        if (c == '[' || c == '{') {
            if (open.size() == kMaxDepth)
                return std::nullopt;
            in.take(c);
            const bool isObject = c == '{';
            if (in.take(isObject ? '}' : ']')) {
                done = isObject ? Json::object() : Json::array();
            } else {
                open.push_back({isObject ? Json() : Json::array(), {}, {}, isObject});
                if (isObject && !readKey(in, open.back()))
                    return std::nullopt;
                continue;
            }
        } else if (auto value = in.scalar()) {
            done = std::move(*value);
        } else {
            return std::nullopt;
        }
        // A value is complete: it joins its container, and the containers that end here close.
        for (;;) {
            if (open.empty())
                return in.atEnd() ? std::optional<Json>(std::move(done)) : std::nullopt;
            OpenContainer& container = open.back();
            container.add(std::move(done));
            if (in.take(',')) {
                if (container.isObject && !readKey(in, container))
                    return std::nullopt;
                break;
            }
            if (!in.take(container.isObject ? '}' : ']'))
                return std::nullopt;
            done = container.close();
            open.pop_back();
        }
    }
}

std::string jsonText(const Json& value, bool asciiOnly)
{
    std::string out;
    struct Frame
    {
        const Json* container;
        Json::const_iterator next;
    };
    std::vector<Frame> open;
    auto write = [&](const Json& v) {
        if ((v.is_array() || v.is_object()) && !v.empty()) {
            out += v.is_array() ? '[' : '{';
            open.push_back({&v, v.cbegin()});
        } else if (v.is_number()) {
            out += numberJsonText(v.get<double>());
        } else {
            out += v.dump(-1, ' ', asciiOnly, Json::error_handler_t::replace);
        }
    };
    write(value);
    while (!open.empty()) {
        Frame& frame = open.back();
        if (frame.next == frame.container->cend()) {
            out += frame.container->is_array() ? ']' : '}';
            open.pop_back();
            continue;
        }
        if (frame.next != frame.container->cbegin())
            out += ',';
        if (frame.container->is_object())
            out += Json(frame.next.key()).dump(-1, ' ', asciiOnly, Json::error_handler_t::replace) + ':';
        const Json& item = *frame.next++;
        write(item);
    }
    return out;
}

std::string displayText(const Json& value)
{
    if (!value.is_array())
        return scalarText(value);
    std::string out;
    // Items of nested arrays are joined in line, as a script's array-to-text does.
    std::vector<std::pair<const Json*, std::size_t>> open{{&value, 0}};
    while (!open.empty()) {
        auto& [array, next] = open.back();
        if (next == array->size()) {
            open.pop_back();
            continue;
        }
        if (next > 0)
            out += ',';
        const Json& item = (*array)[next++];
        if (item.is_array())
            open.emplace_back(&item, 0);
        else
            out += scalarText(item);
    }
    return out;
}

Json deepCopy(const Json& value)
{
    Json root;
    std::vector<std::pair<const Json*, Json*>> pending{{&value, &root}};
    while (!pending.empty()) {
        auto [from, to] = pending.back();
        pending.pop_back();
        if (from->is_array()) {
            *to = Json::array();
            auto& items = to->get_ref<Json::array_t&>();
            items.resize(from->size());
            for (std::size_t i = 0; i < items.size(); ++i)
                pending.emplace_back(&(*from)[i], &items[i]);
        } else if (from->is_object()) {
            // Every member first, in a list sized once, so that no pointer into it moves afterwards.
            *to = Json::object();
            auto& members = to->get_ref<Json::object_t&>();
            members.reserve(from->size());
            for (auto it = from->cbegin(); it != from->cend(); ++it)
                members.emplace_back(it.key(), nullptr);
            auto copy = to->begin();
            for (auto it = from->cbegin(); it != from->cend(); ++it, ++copy)
                pending.emplace_back(&it.value(), &copy.value());
        } else {
            *to = *from;
        }
    }
    return root;
}

void setMember(Json& object, const std::string& name, Json value)
{
    auto& members = object.get_ref<Json::object_t&>();
    for (auto& member : members) {
        if (member.first == name) {
            member.second = std::move(value);
            return;
        }
    }
    if (members.size() == members.capacity()) {
        // Grown by hand: the list's own growth would copy every value.
        Json::object_t grown;
        grown.reserve(2 * members.size() + 1);
        for (auto& member : members)
            grown.emplace_back(member.first, std::move(member.second));
        members.swap(grown);
    }
    members.emplace_back(name, std::move(value));
}

} // namespace zorvane::json_detail
