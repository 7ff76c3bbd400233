#pragma once

namespace zorvane::cli {

// What the command tells its caller. Scripts test these, so they never change.
enum ExitStatus : int
{
    kExitOk = 0,            // the walk ended by itself; extract read every file
    kExitWriteFailed = 1,   // the output (or an input of extract) could not be written or read
    kExitUsage = 2,         // the command line is wrong; nothing was done
    kExitPaused = 3,        // the walk paused itself; the position was printed
    kExitInterrupted = 130, // Ctrl-C stopped the walk; what was gathered was still written
};

} // namespace zorvane::cli
