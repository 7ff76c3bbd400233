#include "cli/extract_command.h"

#include "cli/exit_status.h"
#include "core/config.h"
#include "core/file_read.h"
#include "core/numbers.h"
#include "search/page_analysis.h"

namespace zorvane::cli {

namespace {

const char* outcomeNote(PageOutcome outcome)
{
    switch (outcome) {
    case PageOutcome::couponExpired:
        return "the coupon has expired";
    case PageOutcome::loginRequired:
        return "a login page";
    case PageOutcome::patternFailed:
        return "the goods item pattern failed";
    case PageOutcome::noGoods:
        return "no goods items";
    case PageOutcome::goodsFound:
        break;
    }
    return nullptr;
}

} // namespace

std::string escapeField(std::string_view field)
{
    std::string out;
    out.reserve(field.size());
    for (char c : field) {
        switch (c) {
        case '\t':
            out += "\\t";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\\':
            out += "\\\\";
            break;
        default:
            out += c;
        }
    }
    return out;
}

std::string extractLine(const GoodsRecord& record)
{
    return escapeField(record.goodsId) + '\t' + escapeField(record.name) + '\t' +
           escapeField(formatNumber(record.price)) + '\t' + escapeField(record.tagText) + '\n';
}

int runExtract(const std::vector<std::string>& files, std::FILE* out, std::FILE* err)
{
    int status = kExitOk;
    const Config config;
    std::string bytes; // one buffer for every file
    for (const std::string& path : files) {
        if (!readWholeFile(path, bytes)) {
            std::fprintf(err, "zorvane-cli: cannot read %s\n", path.c_str());
            status = kExitWriteFailed;
            continue;
        }
        // A valid page comes back in the same buffer, checked once.
        bytes = pageTextFromBody(std::move(bytes));
        const PageVerdict verdict = analysePageText(
            bytes, config,
            [out](GoodsRecord&& record) {
                const std::string line = extractLine(record);
                std::fwrite(line.data(), 1, line.size(), out);
            },
            true);
        if (const char* note = outcomeNote(verdict.outcome))
            std::fprintf(err, "zorvane-cli: %s: %s\n", path.c_str(), note);
    }
    if (std::fflush(out) != 0 || std::ferror(out)) {
        std::fprintf(err, "zorvane-cli: cannot write the standard output\n");
        status = kExitWriteFailed;
    }
    return status;
}

} // namespace zorvane::cli
