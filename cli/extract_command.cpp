#include "cli/extract_command.h"

#include <unistd.h>

#include "cli/exit_status.h"
#include "cli/goods_output.h"
#include "cli/search_inputs.h"
#include "core/config.h"
#include "core/file_read.h"
#include "core/file_replace.h"
#include "core/search_position.h"
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

// Writes what is left: the workbook or the CSV made of all pages' goods
// (when whole is given), then the file whole; or flushes standard output.
// False (after its line on err) when any of it cannot be written.
bool finishOutput(const GoodsOutput& output, const GoodsList* whole, std::string& fileText, std::FILE* out,
                  std::FILE* err)
{
    const bool toFile = output.path != "-";
    if (whole) {
        const Config config;
        const auto linkOf = [&config](std::string_view id) {
            return goodsPageAddress(config.itemUrlTemplate, id);
        };
        std::string error;
        std::optional<std::string> made = outputBytes(*whole, output, linkOf, error);
        if (!made) {
            std::fprintf(err, "zorvane-cli: cannot write %s: %s\n", output.path.c_str(), error.c_str());
            return false;
        }
        if (toFile)
            fileText += *made;
        else
            writeAll(out, *made);
    }
    if (toFile) {
        const FileWriteResult result = replaceFileContents(output.path, fileText);
        if (!result.ok())
            std::fprintf(err, "zorvane-cli: cannot write %s: %s\n", output.path.c_str(),
                         result.error.c_str());
        return result.ok();
    }
    if (std::fflush(out) != 0 || std::ferror(out)) {
        std::fprintf(err, "zorvane-cli: cannot write the standard output\n");
        return false;
    }
    return true;
}

} // namespace

int runExtract(const ExtractOptions& options, std::FILE* out, std::FILE* err)
{
    std::string error;
    const std::optional<GoodsOutput> output =
        resolveOutput(options.outputPath, options.output, isatty(fileno(out)) != 0, error);
    if (!output) {
        std::fprintf(err, "zorvane-cli: %s\n", error.c_str());
        return kExitUsage;
    }
    if (std::string problem = outputProblem(output->path); !problem.empty()) {
        std::fprintf(err, "zorvane-cli: cannot write %s: %s\n", output->path.c_str(), problem.c_str());
        return kExitWriteFailed;
    }
    int status = kExitOk;
    const Config config;
    // csv has one header over all pages and xlsx is one workbook: both are
    // made at the end, and so is a file, which is replaced whole.
    const bool whole = output->format == GoodsFormat::csv || output->format == GoodsFormat::xlsx;
    const bool toFile = output->path != "-";
    GoodsList wholeFile;
    std::string lines;    // a page's lines, written in one go before its note
    std::string fileText; // what goes to the file
    const auto take = [&](GoodsRecord&& record) {
        if (whole)
            wholeFile.push_back(std::move(record));
        else
            appendGoodsLine(lines, record, output->format);
    };
    std::string bytes; // one buffer for every file
    for (const std::string& path : options.files) {
        if (!(path == "-" ? readStandardInput(bytes) : readWholeFile(path, bytes))) {
            std::fprintf(err, "zorvane-cli: cannot read %s\n",
                         path == "-" ? "the standard input" : path.c_str());
            status = kExitWriteFailed;
            continue;
        }
        // A valid page comes back in the same buffer, checked once.
        bytes = pageTextFromBody(std::move(bytes));
        const PageVerdict verdict = analysePageText(bytes, config, take, true);
        if (!lines.empty()) {
            if (toFile)
                fileText += lines;
            else
                writeAll(out, lines);
            lines.clear();
        }
        if (const char* note = outcomeNote(verdict.outcome); note && !options.output.quiet)
            std::fprintf(err, "zorvane-cli: %s: %s\n", path.c_str(), note);
    }
    if (!finishOutput(*output, whole ? &wholeFile : nullptr, fileText, out, err))
        status = kExitWriteFailed;
    return status;
}

} // namespace zorvane::cli
