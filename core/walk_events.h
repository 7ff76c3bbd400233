#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/goods_record.h"

namespace zorvane {

// Why a walk ended.
enum class WalkEndReason
{
    Finished,      // the last page had no next page
    PageLimit,     // the page limit was reached
    CouponExpired, // the shop said the coupon has run out
    LoginPage,     // the shop asked for a login
    PausedItself,  // a page left the walk no way on; it can go on from nextAddress
    Paused,        // the user paused it; it can go on from nextAddress
    Stopped,       // the user stopped it
    // A failure that asking again cannot mend (a certificate that fails the
    // check, a proxy that refuses the credentials, an unusable proxy address)
    // ended a walk told to end at one; WalkEnd::failure says which.
    LastingFailure,
};

struct WalkEnd
{
    WalkEndReason reason = WalkEndReason::Finished;
    int pagesDone = 0;
    std::string nextAddress; // where a paused walk goes on from ("" = afresh)
    std::string failure;     // for LastingFailure: its cause, as the log words it
};

// Where a walk starts.
struct WalkStart
{
    std::string address; // the page it asks first: the goods address, or where a paused walk goes on
    int pagesBefore = 0; // pages done before a pause (page numbers count them)
};

// A goods item the walk stored, with where it was found and where it is kept.
struct StoredGoods
{
    GoodsRecord record;
    int page = 0;           // 1-based page of the walk, pages before a pause counted
    int place = 0;          // 1-based place on that page
    std::int64_t count = 0; // records in the goods store now: the record's 1-based position there
};

// What a walk tells its front end, on the walk's own thread. Each call
// returns before the walk goes on.
class WalkObserver
{
public:
    virtual ~WalkObserver() = default;
    // The walk's first act, before any page is asked for.
    virtual void walkStarted(const WalkStart& start) = 0;
    virtual void pageStarted(int number) = 0;
    virtual void pageDone(int pagesDone) = 0;
    // A record was added to the goods store.
    virtual void goodsStored(const StoredGoods& goods) = 0;
    virtual void logLine(std::string_view message) = 0;
    // The walk's very last act: it touches nothing after this returns. The
    // front end answers with WalkSession::ended on its control thread.
    virtual void walkEnded(const WalkEnd& end) = 0;
};

} // namespace zorvane
