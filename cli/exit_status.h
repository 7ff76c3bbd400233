#pragma once

namespace zorvane::cli {

// What the command tells its caller. Scripts test these, so they never change.
enum ExitStatus : int
{
    kExitOk = 0,           // the walk ended by itself; extract read every file
    kExitWriteFailed = 1,  // the output (or an input of extract) could not be written or read
    kExitUsage = 2,        // the command line is wrong; nothing was done
    kExitPaused = 3,       // the walk paused itself; the position was printed
    kExitPipeClosed = 141, // the reader of the standard output went away; nothing more was said
    // A signal stopped the walk (128 + its number); what was gathered was still written.
    kExitHangUp = 129,      // SIGHUP
    kExitInterrupted = 130, // SIGINT (Ctrl-C)
    kExitTerminated = 143,  // SIGTERM (kill, timeout)
};

} // namespace zorvane::cli
