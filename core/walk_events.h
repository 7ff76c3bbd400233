#pragma once

#include <cstdint>
#include <string>
#include <string_view>

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
    Stopped,       // the user stopped it (the last reason: walkEndReasonOf counts on it)
};

struct WalkEnd
{
    WalkEndReason reason = WalkEndReason::Finished;
    int pagesDone = 0;
    std::string nextAddress; // where a paused walk goes on from ("" = afresh)
};

// What a walk tells its front end, on the walk's own thread. Each call
// returns before the walk goes on.
class WalkObserver
{
public:
    virtual ~WalkObserver() = default;
    virtual void pageStarted(int number) = 0;
    virtual void pageDone(int pagesDone) = 0;
    // A record was added to the goods store, which now holds count records.
    virtual void goodsStored(std::int64_t count) = 0;
    virtual void logLine(std::string_view message) = 0;
    // The walk's very last act: it touches nothing after this returns. The
    // front end answers with WalkSession::ended on its control thread.
    virtual void walkEnded(const WalkEnd& end) = 0;
};

} // namespace zorvane
