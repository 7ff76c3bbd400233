// The job file's shape. Nothing in it is copied as JSON: a copy of a deeply
// nested value recurses, and the file is the user's to edit.
#include "watch/watch_job.h"

#include <nlohmann/json.hpp>

#include "base/text.h"

namespace zorvane {

namespace {

using Json = nlohmann::json;

JobRead failed(JobFault fault, std::string field = "", std::size_t index = 0, bool inArgs = false)
{
    JobRead read;
    read.problem = {fault, std::move(field), index, inArgs, 0};
    return read;
}

// The option "watch run" takes as a job's name, written either way.
bool namesJob(const std::string& arg)
{
    return arg == "--job" || startsWith(arg, "--job=");
}

} // namespace

JobRead parseWatchJob(std::string_view text)
{
    if (text.size() > kMaxJobFileBytes)
        return failed(JobFault::TooLarge);
    const Json doc = Json::parse(text.begin(), text.end(), nullptr, false);
    if (doc.is_discarded())
        return failed(JobFault::NotJson);
    if (!doc.is_object())
        return failed(JobFault::NotAnObject);
    JobRead read;
    const std::pair<const char*, std::string*> texts[] = {{"address", &read.job.address},
                                                          {"every", &read.job.every}};
    for (const auto& [name, target] : texts) {
        const auto found = doc.find(name);
        if (found == doc.end() || !found->is_string())
            return failed(JobFault::WrongType, name);
        *target = found->get_ref<const std::string&>();
    }
    const auto args = doc.find("args");
    if (args == doc.end() || !args->is_array())
        return failed(JobFault::WrongType, "args");
    for (std::size_t i = 0; i < args->size(); ++i) {
        const Json& arg = (*args)[i];
        if (!arg.is_string())
            return failed(JobFault::WrongType, "args", i, true);
        if (namesJob(arg.get_ref<const std::string&>()))
            return failed(JobFault::NestedJob, "args", i, true);
        read.job.args.push_back(arg.get_ref<const std::string&>());
    }
    return read;
}

JobProblem checkWatchJob(const WatchJob& job)
{
    if (!isValidUtf8(job.address))
        return {JobFault::NotUtf8, "address", 0, false, 0};
    if (!isValidUtf8(job.every))
        return {JobFault::NotUtf8, "every", 0, false, 0};
    for (std::size_t i = 0; i < job.args.size(); ++i) {
        if (!isValidUtf8(job.args[i]))
            return {JobFault::NotUtf8, "args", i, true, 0};
        if (namesJob(job.args[i]))
            return {JobFault::NestedJob, "args", i, true, 0};
    }
    return {};
}

std::string watchJobText(const WatchJob& job)
{
    const Json text = {{"address", job.address}, {"every", job.every}, {"args", job.args}};
    return text.dump(2, ' ', false, Json::error_handler_t::replace) + "\n";
}

} // namespace zorvane
