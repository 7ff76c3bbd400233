#include "bench/history_walks.h"

namespace zorvane::bench {

Sighting sightingOf(int walk, int i)
{
    const int goods = i + walk * 500;
    const double price = 10.0 + (goods % 997) + ((goods + walk) % 7 == 0 ? walk * 0.5 : 0);
    return Sighting{i / kGoodsPerPage + 1,
                    i % kGoodsPerPage + 1,
                    std::to_string(100000000 + goods),
                    "商品名称 " + std::to_string(goods),
                    price,
                    "自营,满减",
                    {"自营", "满减"}};
}

bool fillStore(HistoryStore& store, int walks)
{
    for (int walk = 0; walk < walks; ++walk) {
        std::int64_t id = 0;
        if (!store.beginTransaction().ok() || !store.beginWalk(kBenchAddress, walk, id).ok())
            return false;
        for (int i = 0; i < kGoodsPerWalk; ++i) {
            if (!store.addSighting(id, sightingOf(walk, i)).ok())
                return false;
        }
        if (!store.setPages(id, kGoodsPerWalk / kGoodsPerPage).ok() || !store.commit().ok())
            return false;
    }
    return true;
}

} // namespace zorvane::bench
