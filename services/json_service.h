#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <nlohmann/json_fwd.hpp>

namespace zorvane {

// Type codes of JsonService::typeOf.
inline constexpr int kJsonNull = 0; // null, or a missing last member
inline constexpr int kJsonNumber = 2;
inline constexpr int kJsonObject = 4;
inline constexpr int kJsonArray = 5;
inline constexpr int kJsonString = 6;
inline constexpr int kJsonOther = -1; // booleans, and paths that lead nowhere

// A JSON document queried and changed by member path: member names joined by
// "." and indexes written "[n]" ("menu.top", "list[2].name", "[0]" for the
// root's first item). A path that is itself the exact name of a member of the
// root ("some caption", "a.b") means that member. An empty path means the
// root for reading operations; member writes need a non-empty path.
//
// Only JSON is ever parsed: a value text is data, never evaluated as code.
// Nothing throws: failures give "", 0, false or leave the document unchanged.
// Numbers come back as "%.13g" text, members in document order.
//
// Copies share the document (a change through one shows in the other);
// parse gives an instance a fresh document of its own. An instance belongs
// to one thread at a time.
class JsonService final
{
public:
    // An instance holding an empty object.
    JsonService();
    ~JsonService();
    JsonService(JsonService&&) noexcept;
    JsonService& operator=(JsonService&&) noexcept;
    JsonService(const JsonService&) = delete;
    JsonService& operator=(const JsonService&) = delete;

    // Releases the document; later reads give empty values and parse fails
    // until init.
    void destroy();
    JsonService copy() const;
    // Starts a fresh document holding an empty object.
    void init();

    // Replaces the document with the parsed text. True when the text is JSON
    // and not null; otherwise the document is null.
    bool parse(std::string_view text);
    // The document as JSON text; with keepCharacters false every non-ASCII
    // character is written as a \u escape.
    std::string toText(bool keepCharacters = true) const;

    // Sets the member to the text, or to the parsed value when isJson ("" as
    // JSON means {}). An invalid JSON value leaves the document unchanged.
    void setText(std::string_view path, std::string_view value, bool isJson = false);
    void setJson(std::string_view path, std::string_view json);
    // Sets the member to the number as "%.13g" reads it back; non-finite
    // numbers change nothing.
    void setNumber(std::string_view path, double value);

    // The member as a number: numbers as they are, numeric text read as a
    // leading number, true as 1; 0 otherwise.
    double getNumber(std::string_view path) const;
    // The member's JSON text; "" when missing.
    std::string getJson(std::string_view path) const;
    // The member as text (see typeOf for the kinds): strings unchanged,
    // numbers "%.13g", booleans "true"/"false", null or missing ""; with
    // asJson the member's JSON text.
    std::string getValue(std::string_view path, bool asJson = false) const;
    // A new instance holding a copy of the member (null when missing).
    JsonService getObject(std::string_view path) const;
    // Members of an object or items of an array; 0 for anything else.
    int count(std::string_view path = {}) const;
    // The members of an object (the items of an array, named "0", "1", ...)
    // in document order, each with a new instance holding a copy of its
    // value; nothing for anything else. One pass, however many members.
    std::vector<std::pair<std::string, JsonService>> members(std::string_view path = {}) const;

    // Appends the value to the array at the path (the root for ""), first
    // making the member an empty array when it is no array.
    void push(std::string_view path, std::string_view value, bool isJson = false);
    JsonService getItemObject(int index, std::string_view path = {}) const;
    std::string getItem(int index, std::string_view path = {}, bool asJson = false) const;
    // Sets root[index] (an array element up to one past the end, or the
    // object member named by the number).
    void setItem(int index, std::string_view value, bool isJson = false);
    // Removes item index of a root array (negative counts from the end).
    void removeItem(int index);
    // Removes the member; an array item becomes null.
    void deleteMember(std::string_view path);

    // kind 0 or 4: the root becomes {}; kind 5: []; other kinds change nothing.
    void reset(int kind);
    void setRoot(std::string_view value, bool isJson = false);
    // True when the member is there and not null.
    bool exists(std::string_view path) const;
    // Replaces names with the member names in document order (array indexes
    // "0", "1", ...) and returns their number.
    int keys(std::vector<std::string>& names, std::string_view path = {}) const;
    // One of the kJson* codes.
    int typeOf(std::string_view path = {}) const;
    // The root becomes {}.
    void clear();

    // Makes text safe inside a single-quoted script string: backslash and
    // both quotes escaped, control characters 8 to 13 as \b \t \n \v \f \r.
    static std::string escape(std::string_view text);

private:
    explicit JsonService(std::shared_ptr<nlohmann::ordered_json> document);

    std::shared_ptr<nlohmann::ordered_json> m_document;
};

} // namespace zorvane
