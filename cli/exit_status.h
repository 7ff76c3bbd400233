#pragma once

namespace zorvane::cli {

// What the command tells its caller. Scripts test these, so they never change.
inline constexpr int kExitOk = 0;          // the walk ended by itself; extract read every file
inline constexpr int kExitWriteFailed = 1; // the output (or an input of extract) could not be written or read
inline constexpr int kExitUsage = 2;       // the command line is wrong; nothing was done
inline constexpr int kExitPaused = 3;      // the walk paused itself; the position was printed
inline constexpr int kExitNoBasket = 4;    // basket: no basket of the goods reaches the threshold
inline constexpr int kExitLoginPage = 5;   // the shop asks for a login cookie
inline constexpr int kExitCouponExpired = 6; // the coupon has expired
// A failure that asking again cannot mend ended the walk at once: a
// certificate that fails the check, a proxy that refuses the credentials, an
// unusable proxy address; what was gathered was still written.
inline constexpr int kExitLastingFailure = 7;
inline constexpr int kExitPipeClosed = 141; // the standard output's reader went away; nothing more said
// A signal stopped the walk (128 + its number); what was gathered was still written.
inline constexpr int kExitHangUp = 129;      // SIGHUP
inline constexpr int kExitInterrupted = 130; // SIGINT (Ctrl-C)
inline constexpr int kExitTerminated = 143;  // SIGTERM (kill, timeout)

} // namespace zorvane::cli
