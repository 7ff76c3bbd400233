#include "core/search_position.h"

#include <mutex>

#include "base/text.h"

namespace zorvane {

SearchParams SearchPosition::copy()
{
    std::lock_guard guard(m_lock.get());
    return m_params;
}

void SearchPosition::install(SearchParams params)
{
    std::lock_guard guard(m_lock.get());
    m_params = std::move(params);
}

void SearchPosition::forget()
{
    std::lock_guard guard(m_lock.get());
    m_params.nextPageAddress.clear();
}

bool SearchPosition::canResume()
{
    std::lock_guard guard(m_lock.get());
    return !m_params.nextPageAddress.empty();
}

void GoodsAddressTemplate::set(std::string addressTemplate)
{
    std::lock_guard guard(m_lock.get());
    m_template = std::move(addressTemplate);
}

std::string GoodsAddressTemplate::addressOf(std::string_view goodsId)
{
    std::lock_guard guard(m_lock.get());
    return goodsPageAddress(m_template, goodsId);
}

std::string goodsPageAddress(std::string_view addressTemplate, std::string_view goodsId)
{
    return replaceAll(addressTemplate, "{goods_id}", goodsId);
}

} // namespace zorvane
