#include "cli/extract_command.h"

#include <cerrno>

#include <unistd.h>

#include "base/file_read.h"
#include "base/file_replace.h"
#include "cli/exit_status.h"
#include "cli/goods_output.h"
#include "cli/search_inputs.h"
#include "cli/translation.h"
#include "core/config.h"
#include "core/search_position.h"
#include "search/page_analysis.h"

namespace zorvane::cli {

namespace {

// The walk refuses a page body larger than this; a saved page is one.
constexpr std::size_t kMostPageBytes = std::size_t{64} << 20;

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

// Writes to standard output; false when it cannot be written. pipeClosed
// tells whether its reader went away (head has what it wanted).
bool writeOut(std::FILE* out, std::string_view text, bool& pipeClosed)
{
    errno = 0;
    const bool written = writeAll(out, text);
    pipeClosed = !written && errno == EPIPE;
    return written;
}

// Writes what is left: the workbook or the CSV made of all pages' goods
// (when whole is given), then the file whole; or flushes standard output.
// Returns the exit status, after its line on err when something failed.
int finishOutput(const GoodsOutput& output, const GoodsList* whole, std::string& fileText, std::FILE* out,
                 std::FILE* err)
{
    const bool toFile = output.path != "-";
    bool pipeClosed = false;
    if (whole) {
        const Config config;
        const auto linkOf = [&config](std::string_view id) {
            return goodsPageAddress(config.itemUrlTemplate, id);
        };
        const Result<std::string> made = outputBytes(*whole, output, linkOf);
        if (!made.ok()) {
            std::fprintf(err, _("zorvane-cli: cannot write %s: %s\n"), output.path.c_str(),
                         made.error().c_str());
            return kExitWriteFailed;
        }
        if (toFile)
            fileText += *made;
        else if (!writeOut(out, *made, pipeClosed) && pipeClosed)
            return kExitPipeClosed;
    }
    if (toFile) {
        const FileWriteResult result = replaceFileContents(output.path, fileText);
        if (!result.ok())
            std::fprintf(err, _("zorvane-cli: cannot write %s: %s\n"), output.path.c_str(),
                         result.error.c_str());
        return result.ok() ? kExitOk : kExitWriteFailed;
    }
    errno = 0;
    if (std::fflush(out) != 0 || std::ferror(out)) {
        if (errno == EPIPE)
            return kExitPipeClosed;
        std::fprintf(err, "zorvane-cli: %s\n", _("cannot write the standard output"));
        return kExitWriteFailed;
    }
    return kExitOk;
}

} // namespace

int runExtract(const ExtractOptions& options, std::FILE* out, std::FILE* err)
{
    const Result<GoodsOutput> output =
        resolveOutput(options.outputPath, options.output, isatty(fileno(out)) != 0);
    if (!output.ok()) {
        std::fprintf(err, "zorvane-cli: %s\n", output.error().c_str());
        return kExitUsage;
    }
    if (std::string problem = outputProblem(output->path); !problem.empty()) {
        std::fprintf(err, _("zorvane-cli: cannot write %s: %s\n"), output->path.c_str(), problem.c_str());
        return kExitWriteFailed;
    }
    int status = kExitOk;
    const Config config;
    // csv has one header over all pages and xlsx is one workbook: both are
    // made at the end, and so is a file, which is replaced whole.
    const bool whole = output->format == GoodsFormat::Csv || output->format == GoodsFormat::Xlsx;
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
        const ReadOutcome read = path == "-" ? readWholeStream(stdin, bytes, kMostPageBytes)
                                             : readWholeFile(path, bytes, kMostPageBytes);
        if (read != ReadOutcome::Read) {
            std::fprintf(err,
                         read == ReadOutcome::TooLarge
                             ? _("zorvane-cli: %s is larger than any page (64 MiB)\n")
                             : _("zorvane-cli: cannot read %s\n"),
                         path == "-" ? _("the standard input") : path.c_str());
            status = kExitWriteFailed;
            continue;
        }
        // A valid page comes back in the same buffer, checked once.
        bytes = pageTextFromBody(std::move(bytes));
        const PageVerdict verdict = analysePageText(bytes, config, take, true);
        if (!lines.empty()) {
            // Whoever closed the pipe (head) has what they wanted: the rest
            // of the files are not read, and nothing more is said.
            bool pipeClosed = false;
            if (toFile)
                fileText += lines;
            else if (!writeOut(out, lines, pipeClosed) && pipeClosed)
                return kExitPipeClosed;
            lines.clear();
        }
        if (const char* note = outcomeNote(verdict.outcome); note && !options.output.quiet)
            std::fprintf(err, "zorvane-cli: %s: %s\n", path.c_str(), note);
    }
    const int finished = finishOutput(*output, whole ? &wholeFile : nullptr, fileText, out, err);
    return finished == kExitOk ? status : finished;
}

} // namespace zorvane::cli
