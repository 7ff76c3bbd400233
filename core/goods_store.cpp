#include "core/goods_store.h"

#include <iterator>

namespace zorvane {

std::int64_t GoodsStore::append(GoodsRecord record)
{
    std::lock_guard guard(m_lock.get());
    m_goods.push_back(std::move(record));
    return static_cast<std::int64_t>(m_goods.size());
}

std::optional<GoodsRecord> GoodsStore::copyAt(std::int64_t n)
{
    std::lock_guard guard(m_lock.get());
    if (n < 1 || n > static_cast<std::int64_t>(m_goods.size()))
        return std::nullopt;
    return m_goods[static_cast<std::size_t>(n - 1)];
}

void GoodsStore::setChange(std::int64_t n, std::string change)
{
    std::lock_guard guard(m_lock.get());
    if (n >= 1 && n <= static_cast<std::int64_t>(m_goods.size()))
        m_goods[static_cast<std::size_t>(n - 1)].change = std::move(change);
}

GoodsList GoodsStore::snapshot()
{
    std::lock_guard guard(m_lock.get());
    return m_goods;
}

std::size_t GoodsStore::size()
{
    std::lock_guard guard(m_lock.get());
    return m_goods.size();
}

std::vector<std::int64_t> GoodsStore::markPassing(const std::function<bool(const GoodsRecord&)>& passes)
{
    std::vector<std::int64_t> passing;
    std::lock_guard guard(m_lock.get());
    for (std::size_t i = 0; i < m_goods.size(); ++i) {
        GoodsRecord& record = m_goods[i];
        record.passesFilter = passes(record) ? 1 : 0;
        if (record.passesFilter)
            passing.push_back(static_cast<std::int64_t>(i) + 1);
    }
    return passing;
}

void GoodsStore::installSorted(GoodsList sorted)
{
    std::lock_guard guard(m_lock.get());
    if (m_goods.size() > sorted.size())
        sorted.insert(sorted.end(),
                      std::make_move_iterator(m_goods.begin() + static_cast<std::ptrdiff_t>(sorted.size())),
                      std::make_move_iterator(m_goods.end()));
    m_goods = std::move(sorted);
}

void GoodsStore::clear(const std::function<void()>& onCleared)
{
    std::lock_guard guard(m_lock.get());
    m_goods = GoodsList();
    onCleared();
}

} // namespace zorvane
