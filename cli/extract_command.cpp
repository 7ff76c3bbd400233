#include "cli/extract_command.h"

#include <filesystem>
#include <fstream>
#include <iterator>

#include "cli/exit_status.h"
#include "core/config.h"
#include "core/numbers.h"
#include "search/page_analysis.h"

namespace zorvane::cli {

namespace {

bool readFile(const std::string& path, std::string& bytes)
{
    std::error_code ignored;
    if (std::filesystem::is_directory(path, ignored))
        return false;
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

const char* outcomeNote(PageOutcome outcome)
{
    switch (outcome) {
    case PageOutcome::CouponExpired:
        return "the coupon has expired";
    case PageOutcome::LoginRequired:
        return "a login page";
    case PageOutcome::PatternFailed:
        return "the goods item pattern failed";
    case PageOutcome::NoGoods:
        return "no goods items";
    case PageOutcome::GoodsFound:
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
    for (const std::string& path : files) {
        std::string bytes;
        if (!readFile(path, bytes)) {
            std::fprintf(err, "zorvane-cli: cannot read %s\n", path.c_str());
            status = kExitWriteFailed;
            continue;
        }
        const PageVerdict verdict =
            analysePageText(pageTextFromBody(bytes), config, [out](GoodsRecord&& record) {
                const std::string line = extractLine(record);
                std::fwrite(line.data(), 1, line.size(), out);
            });
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
