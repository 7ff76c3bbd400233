#include "cli/extract_command.h"

#include <cerrno>

#include <unistd.h>

#include "cli/exit_status.h"
#include "cli/goods_output.h"
#include "cli/translation.h"
#include "core/config.h"
#include "core/file_read.h"
#include "search/page_analysis.h"

namespace zorvane::cli {

namespace {

bool readStandardInput(std::string& bytes)
{
    bytes.clear();
    char buffer[64 * 1024];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, stdin)) > 0;)
        bytes.append(buffer, n);
    return !std::ferror(stdin);
}

const char* outcomeNote(PageOutcome outcome)
{
    switch (outcome) {
    case PageOutcome::CouponExpired:
        return _("the coupon has expired");
    case PageOutcome::LoginRequired:
        return _("a login page");
    case PageOutcome::PatternFailed:
        return _("the goods item pattern failed");
    case PageOutcome::NoGoods:
        return _("no goods items");
    case PageOutcome::GoodsFound:
        break;
    }
    return nullptr;
}

} // namespace

int runExtract(const ExtractOptions& options, std::FILE* out, std::FILE* err)
{
    std::string error;
    const std::optional<GoodsOutput> output =
        resolveOutput(std::nullopt, options.output, isatty(fileno(out)) != 0, error);
    if (!output) {
        std::fprintf(err, "zorvane-cli: %s\n", error.c_str());
        return kExitUsage;
    }
    int status = kExitOk;
    const Config config;
    GoodsList wholeFile; // csv has one header over all pages, so it is written at the end
    std::string lines;   // a page's lines, written in one go before its note
    const auto take = [&](GoodsRecord&& record) {
        if (output->format == GoodsFormat::csv)
            wholeFile.push_back(std::move(record));
        else
            appendGoodsLine(lines, record, output->format);
    };
    // Whoever closed the pipe (head) has what they wanted: the rest of the
    // files are not read, and nothing more is said.
    bool pipeClosed = false;
    const auto emit = [&](std::string_view text) {
        errno = 0;
        pipeClosed = !writeAll(out, text) && errno == EPIPE;
    };
    std::string bytes; // one buffer for every file
    for (const std::string& path : options.files) {
        if (!(path == "-" ? readStandardInput(bytes) : readWholeFile(path, bytes))) {
            std::fprintf(err, _("zorvane-cli: cannot read %s\n"),
                         path == "-" ? _("the standard input") : path.c_str());
            status = kExitWriteFailed;
            continue;
        }
        // A valid page comes back in the same buffer, checked once.
        bytes = pageTextFromBody(std::move(bytes));
        const PageVerdict verdict = analysePageText(bytes, config, take, true);
        if (!lines.empty()) {
            emit(lines);
            lines.clear();
        }
        if (pipeClosed)
            return kExitPipeClosed;
        if (const char* note = outcomeNote(verdict.outcome); note && !options.output.quiet)
            std::fprintf(err, "zorvane-cli: %s: %s\n", path.c_str(), note);
    }
    if (output->format == GoodsFormat::csv)
        emit(formatGoods(wholeFile, GoodsFormat::csv, output->encoding));
    if (pipeClosed)
        return kExitPipeClosed;
    if (std::fflush(out) != 0 || std::ferror(out)) {
        std::fprintf(err, "zorvane-cli: %s\n", _("cannot write the standard output"));
        status = kExitWriteFailed;
    }
    return status;
}

} // namespace zorvane::cli
