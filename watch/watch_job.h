#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace zorvane {

// A watch as its job file holds it: what "watch run --job KEY" walks.
struct WatchJob
{
    std::string address;           // the coupon's first-page address
    std::string every;             // the timer's period, a systemd time span
    std::vector<std::string> args; // what follows "watch run": the walk's options, the rule's, the address

    bool operator==(const WatchJob&) const = default;
};

// No real job comes near this (a long cookie is a few KiB); a larger file is
// not one of ours.
inline constexpr std::size_t kMaxJobFileBytes = 64 * 1024;

// Why a job cannot be read or written.
enum class JobFault
{
    None,
    Missing,      // no file of that name
    Unreadable,   // opening or reading failed (errorNumber)
    Unwritable,   // creating, writing or renaming failed (errorNumber)
    SymbolicLink, // the name is a symbolic link, which is not followed
    NotAFile,     // a folder, a device or a FIFO
    TooLarge,     // more than kMaxJobFileBytes
    NotJson,      // not JSON text in UTF-8
    NotAnObject,  // JSON, but not an object
    WrongType,    // field is missing or of another JSON type
    NestedJob,    // args[index] is --job: a job naming a job
    NotUtf8,      // field (args[index]) holds bytes that are not UTF-8
};

struct JobProblem
{
    JobFault fault = JobFault::None;
    std::string field;     // WrongType, NestedJob, NotUtf8: "address", "every" or "args"
    std::size_t index = 0; // the element of args, when field is "args" and one element is at fault
    bool inArgs = false;   // index names an element
    int errorNumber = 0;   // Unreadable, Unwritable
};

// A job file read: the job, or its problem.
struct JobRead
{
    WatchJob job;
    JobProblem problem;
    bool tightened = false; // others could read or write the file; it is now 0600

    bool ok() const { return problem.fault == JobFault::None; }
};

// The job in a job file's text, read against its shape: an object whose
// "address" and "every" are texts and whose "args" is a list of texts, none
// of them --job. Other keys are left alone.
JobRead parseWatchJob(std::string_view text);

// What keeps a job from being written: text that is not UTF-8, --job among
// its args.
JobProblem checkWatchJob(const WatchJob& job);

// The job file's text (indented JSON). Text that is not UTF-8 is replaced,
// never thrown on: checkWatchJob tells of it first.
std::string watchJobText(const WatchJob& job);

} // namespace zorvane
