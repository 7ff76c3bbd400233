#include "services/json_service.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include "base/numbers.h"
#include "services/json_path.h"

namespace zorvane {

using json_detail::Json;
using json_detail::Lookup;

namespace {

// The value a set operation stores: the parsed JSON, or the text itself.
std::optional<Json> valueOf(std::string_view value, bool isJson)
{
    if (isJson)
        return json_detail::parseJson(value);
    return Json(std::string(value));
}

// A number as the script would hold it after reading its "%.13g" text;
// integral values stay integers so their JSON text has no fraction.
Json numberValue(double value)
{
    const double read = parseNumber(formatNumber(value));
    if (std::trunc(read) == read && std::fabs(read) < 9e15)
        return Json(static_cast<long long>(read));
    return Json(read);
}

} // namespace

JsonService::JsonService() : m_document(std::make_shared<Json>(Json::object())) {}
JsonService::JsonService(std::shared_ptr<Json> document) : m_document(std::move(document)) {}
JsonService::~JsonService() = default;
JsonService::JsonService(JsonService&&) noexcept = default;
JsonService& JsonService::operator=(JsonService&&) noexcept = default;

void JsonService::destroy()
{
    m_document.reset();
}

JsonService JsonService::copy() const
{
    return JsonService(m_document);
}

void JsonService::init()
{
    m_document = std::make_shared<Json>(Json::object());
}

bool JsonService::parse(std::string_view text)
{
    if (!m_document)
        return false;
    // A fresh document, so copies made earlier keep the old one.
    auto parsed = json_detail::parseJson(text);
    m_document = std::make_shared<Json>(parsed ? std::move(*parsed) : Json());
    return !m_document->is_null();
}

std::string JsonService::toText(bool keepCharacters) const
{
    return m_document ? json_detail::jsonText(*m_document, !keepCharacters) : std::string();
}

void JsonService::setText(std::string_view path, std::string_view value, bool isJson)
{
    if (!m_document)
        return;
    auto slot = json_detail::slotFor(*m_document, path);
    auto stored = valueOf(isJson && value.empty() ? std::string_view("{}") : value, isJson);
    if (slot && stored)
        json_detail::assign(*slot, std::move(*stored));
}

void JsonService::setJson(std::string_view path, std::string_view json)
{
    if (!json.empty())
        setText(path, json, true);
}

void JsonService::setNumber(std::string_view path, double value)
{
    if (!m_document || !std::isfinite(value))
        return;
    if (auto slot = json_detail::slotFor(*m_document, path))
        json_detail::assign(*slot, numberValue(value));
}

double JsonService::getNumber(std::string_view path) const
{
    if (!m_document)
        return 0;
    Lookup found = json_detail::lookUp(*m_document, path);
    if (!found.found())
        return 0;
    const Json& value = *found.value;
    if (value.is_number())
        return value.get<double>();
    if (value.is_string())
        return parseNumber(value.get_ref<const std::string&>());
    if (value.is_boolean())
        return value.get<bool>() ? 1 : 0;
    return 0;
}

std::string JsonService::getJson(std::string_view path) const
{
    if (!m_document)
        return {};
    Lookup found = json_detail::lookUp(*m_document, path);
    return found.found() ? json_detail::jsonText(*found.value) : std::string();
}

std::string JsonService::getValue(std::string_view path, bool asJson) const
{
    if (asJson)
        return getJson(path);
    if (!m_document)
        return {};
    Lookup found = json_detail::lookUp(*m_document, path);
    return found.found() ? json_detail::displayText(*found.value) : std::string();
}

JsonService JsonService::getObject(std::string_view path) const
{
    auto document = std::make_shared<Json>();
    if (m_document) {
        Lookup found = json_detail::lookUp(*m_document, path);
        if (found.found())
            *document = json_detail::deepCopy(*found.value);
    }
    return JsonService(std::move(document));
}

int JsonService::count(std::string_view path) const
{
    if (!m_document)
        return 0;
    Lookup found = json_detail::lookUp(*m_document, path);
    if (!found.found() || !(found.value->is_object() || found.value->is_array()))
        return 0;
    return static_cast<int>(found.value->size());
}

std::vector<std::pair<std::string, JsonService>> JsonService::members(std::string_view path) const
{
    std::vector<std::pair<std::string, JsonService>> out;
    if (!m_document)
        return out;
    Lookup found = json_detail::lookUp(*m_document, path);
    if (!found.found())
        return out;
    auto copyOf = [](const Json& value) {
        return JsonService(std::make_shared<Json>(json_detail::deepCopy(value)));
    };
    const Json& value = *found.value;
    if (value.is_object()) {
        for (auto it = value.cbegin(); it != value.cend(); ++it)
            out.emplace_back(it.key(), copyOf(it.value()));
    } else if (value.is_array()) {
        for (std::size_t i = 0; i < value.size(); ++i)
            out.emplace_back(std::to_string(i), copyOf(value[i]));
    }
    return out;
}

void JsonService::push(std::string_view path, std::string_view value, bool isJson)
{
    if (!m_document)
        return;
    std::optional<Json> item;
    if (!isJson || !value.empty()) {
        item = valueOf(value, isJson);
        if (!item)
            return;
    }
    Lookup target = json_detail::lookUp(*m_document, path);
    if (!target.found()) {
        auto slot = json_detail::slotFor(*m_document, path);
        if (!slot || !json_detail::assign(*slot, Json::array()))
            return;
        target = json_detail::lookUp(*m_document, path);
        if (!target.found())
            return;
    }
    if (!target.value->is_array())
        *target.value = Json::array();
    if (item)
        target.value->push_back(std::move(*item));
}

JsonService JsonService::getItemObject(int index, std::string_view path) const
{
    auto document = std::make_shared<Json>();
    if (m_document) {
        Lookup item =
            json_detail::lookUpStep(json_detail::lookUp(*m_document, path), json_detail::indexStep(index));
        if (item.found())
            *document = json_detail::deepCopy(*item.value);
    }
    return JsonService(std::move(document));
}

std::string JsonService::getItem(int index, std::string_view path, bool asJson) const
{
    if (!m_document)
        return {};
    Lookup item =
        json_detail::lookUpStep(json_detail::lookUp(*m_document, path), json_detail::indexStep(index));
    if (!item.found())
        return {};
    return asJson ? json_detail::jsonText(*item.value) : json_detail::displayText(*item.value);
}

void JsonService::setItem(int index, std::string_view value, bool isJson)
{
    if (!m_document || m_document->is_null())
        return;
    if (auto stored = valueOf(value, isJson))
        json_detail::assign({m_document.get(), json_detail::indexStep(index)}, std::move(*stored));
}

void JsonService::removeItem(int index)
{
    if (!m_document || !m_document->is_array())
        return;
    Json& items = *m_document;
    const auto size = static_cast<long long>(items.size());
    long long at = index < 0 ? std::max(size + index, 0LL) : index;
    if (at < size)
        items.erase(static_cast<std::size_t>(at));
}

void JsonService::deleteMember(std::string_view path)
{
    if (!m_document)
        return;
    if (auto slot = json_detail::slotFor(*m_document, path))
        json_detail::erase(*slot);
}

void JsonService::reset(int kind)
{
    if (!m_document)
        return;
    if (kind == 0 || kind == kJsonObject)
        *m_document = Json::object();
    else if (kind == kJsonArray)
        *m_document = Json::array();
}

void JsonService::setRoot(std::string_view value, bool isJson)
{
    if (!m_document)
        return;
    if (auto stored = valueOf(value, isJson))
        *m_document = std::move(*stored);
}

bool JsonService::exists(std::string_view path) const
{
    if (!m_document)
        return false;
    Lookup found = json_detail::lookUp(*m_document, path);
    return found.found() && !found.value->is_null();
}

int JsonService::keys(std::vector<std::string>& names, std::string_view path) const
{
    names.clear();
    if (!m_document)
        return 0;
    Lookup found = json_detail::lookUp(*m_document, path);
    if (!found.found())
        return 0;
    if (found.value->is_object()) {
        for (const auto& member : found.value->items())
            names.push_back(member.key());
    } else if (found.value->is_array()) {
        for (std::size_t i = 0; i < found.value->size(); ++i)
            names.push_back(std::to_string(i));
    }
    return static_cast<int>(names.size());
}

int JsonService::typeOf(std::string_view path) const
{
    if (!m_document)
        return kJsonOther;
    Lookup found = json_detail::lookUp(*m_document, path);
    if (found.state == Lookup::State::Undefined)
        return kJsonNull;
    if (!found.found())
        return kJsonOther;
    switch (found.value->type()) {
    case Json::value_t::null:
        return kJsonNull;
    case Json::value_t::number_integer:
    case Json::value_t::number_unsigned:
    case Json::value_t::number_float:
        return kJsonNumber;
    case Json::value_t::object:
        return kJsonObject;
    case Json::value_t::array:
        return kJsonArray;
    case Json::value_t::string:
        return kJsonString;
    default:
        return kJsonOther;
    }
}

void JsonService::clear()
{
    if (m_document)
        *m_document = Json::object();
}

std::string JsonService::escape(std::string_view text)
{
    // Each character of kSpecial is written as a backslash and its letter in kLetters.
    constexpr std::string_view kSpecial = "\\'\"\b\t\n\v\f\r";
    constexpr std::string_view kLetters = "\\'\"btnvfr";
    std::string out;
    out.reserve(text.size() + 8);
    for (char c : text) {
        const std::size_t at = kSpecial.find(c);
        if (at == std::string_view::npos) {
            out += c;
        } else {
            out += '\\';
            out += kLetters[at];
        }
    }
    return out;
}

} // namespace zorvane
