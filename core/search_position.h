#pragma once

#include "base/owner_lock.h"
#include "core/search_params.h"

namespace zorvane {

// The search's inputs and the position the last walk reached, shared by the
// start, the walk and the stop. Any thread.
class SearchPosition final
{
public:
    SearchParams copy();
    void install(SearchParams params);
    // The next start begins afresh.
    void forget();
    // A walk was paused and a start goes on from where it was.
    bool canResume();

private:
    friend struct AppState;

    OwnerLock m_lock;
    SearchParams m_params;
};

// The goods page address template ({goods_id} stands for the goods id), which
// the update answer may replace while the window uses it. Any thread.
class GoodsAddressTemplate final
{
public:
    explicit GoodsAddressTemplate(std::string addressTemplate) : m_template(std::move(addressTemplate)) {}
    void set(std::string addressTemplate);
    std::string addressOf(std::string_view goodsId);

private:
    friend struct AppState;

    OwnerLock m_lock;
    std::string m_template;
};

// The address of a goods item's page: the template with every {goods_id}
// replaced by the id.
std::string goodsPageAddress(std::string_view addressTemplate, std::string_view goodsId);

} // namespace zorvane
