#include "history/coupon_key.h"

#include <array>

namespace zorvane {

namespace {

constexpr std::array<std::string_view, 3> kPagingParameters = {"page", "s", "click"};

bool isPagingParameter(std::string_view parameter)
{
    const std::string_view name = parameter.substr(0, parameter.find('='));
    for (std::string_view paging : kPagingParameters) {
        if (name == paging)
            return true;
    }
    return false;
}

std::string_view trimmed(std::string_view text)
{
    const std::size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

} // namespace

std::string couponKey(std::string_view address)
{
    address = trimmed(address);
    address = address.substr(0, address.find('#'));
    const std::size_t question = address.find('?');
    std::string key(address.substr(0, question));
    if (question == std::string_view::npos)
        return key;
    std::string_view query = address.substr(question + 1);
    char separator = '?';
    while (!query.empty()) {
        const std::size_t amp = query.find('&');
        const std::string_view parameter = query.substr(0, amp);
        query = amp == std::string_view::npos ? std::string_view() : query.substr(amp + 1);
        if (parameter.empty() || isPagingParameter(parameter))
            continue;
        key += separator;
        key += parameter;
        separator = '&';
    }
    return key;
}

} // namespace zorvane
