#include "cli/basket_command.h"

#include <charconv>
#include <climits>
#include <map>
#include <new>

#include "base/file_read.h"
#include "base/text.h"
#include "basket/goods_tsv.h"
#include "cli/basket_input.h"
#include "cli/basket_output.h"
#include "cli/cli_options.h"
#include "cli/exit_status.h"
#include "cli/goods_output.h"
#include "cli/history_command.h"
#include "cli/translation.h"

namespace zorvane::cli {

namespace {

using Setter = Result<void> (*)(BasketOptions&, const std::string&);

std::optional<int> wholeNumber(const std::string& text, int least)
{
    int value = 0;
    const char* last = text.data() + text.size();
    const auto [end, error] = std::from_chars(text.data(), last, value);
    if (text.empty() || error != std::errc() || end != last || value < least)
        return std::nullopt;
    return value;
}

Result<void> setMoney(basket::Cents& target, const std::string& name, const std::string& value)
{
    if (basket::yuanAboveLimit(value))
        return Failure{name + _(" is at most ") + basket::yuanText(basket::kMaxCents) + _(" yuan: ") + value};
    const std::optional<basket::Cents> cents = basket::parseYuan(value);
    if (!cents || *cents <= 0)
        return Failure{name + _(" needs a positive sum of yuan with at most two decimals: ") + value};
    target = *cents;
    return {};
}

Result<void> setCount(int& target, const std::string& name, const std::string& value, int least, int most)
{
    const std::optional<int> number = wholeNumber(value, least);
    if (!number || *number > most)
        return Failure{name + _(" needs a whole number from ") + std::to_string(least) + _(" to ") +
                       std::to_string(most) + ": " + value};
    target = *number;
    return {};
}

const std::map<std::string, Setter>& setters()
{
    static const std::map<std::string, Setter> table = {
        {"--threshold", [](BasketOptions& o,
                           const std::string& v) { return setMoney(o.request.threshold, "--threshold", v); }},
        {"--discount", [](BasketOptions& o,
                          const std::string& v) { return setMoney(o.request.discount, "--discount", v); }},
        {"--top",
         [](BasketOptions& o, const std::string& v) {
             return setCount(o.request.top, "--top", v, 1, basket::kMostTop);
         }},
        {"--max-items",
         [](BasketOptions& o, const std::string& v) {
             return setCount(o.request.maxItems, "--max-items", v, 0, basket::kMostItems);
         }},
        {"--max-each",
         [](BasketOptions& o, const std::string& v) {
             return setCount(o.request.maxEach, "--max-each", v, 1, basket::kMostEach);
         }},
        {"--must",
         [](BasketOptions& o, const std::string& v) {
             o.request.must.push_back(v);
             return Result<void>();
         }},
        {"--exclude",
         [](BasketOptions& o, const std::string& v) {
             o.request.exclude.push_back(v);
             return Result<void>();
         }},
        {"--format",
         [](BasketOptions& o, const std::string& v) {
             o.json = v == "json";
             return okOr(v == "json" || v == "tsv", _("--format takes tsv or json: ") + v);
         }},
        {"--coupon",
         [](BasketOptions& o, const std::string& v) {
             o.coupon = v;
             return Result<void>();
         }},
        {"--db",
         [](BasketOptions& o, const std::string& v) {
             o.dbPath = v;
             return Result<void>();
         }},
    };
    return table;
}

Result<void> checkWhole(const BasketOptions& options, const std::vector<std::string>& operands)
{
    if (options.request.threshold <= 0)
        return Failure{_("basket needs --threshold YUAN")};
    if (options.request.discount <= 0)
        return Failure{_("basket needs --discount YUAN")};
    if (operands.size() > 1)
        return Failure{_("basket reads one FILE")};
    if (options.coupon && !operands.empty())
        return Failure{_("basket reads either FILE or --coupon, not both")};
    if (!options.dbPath.empty() && !options.coupon)
        return Failure{_("--db goes with --coupon")};
    return {};
}

BasketGoodsInput readGoods(const BasketOptions& options, std::FILE* in)
{
    if (options.coupon)
        return couponGoods(options.dbPath.empty() ? defaultHistoryPath() : options.dbPath, *options.coupon);
    std::string bytes;
    const bool standardInput = options.file == "-";
    const std::string source = standardInput ? std::string(_("the standard input")) : options.file;
    const ReadOutcome read = standardInput ? readWholeStream(in, bytes, basket::kMostGoodsTsvBytes)
                                           : readWholeFile(options.file, bytes, basket::kMostGoodsTsvBytes);
    if (read == ReadOutcome::TooLarge)
        return {{}, source + _(" is larger than any goods list (1 GiB)")};
    if (read != ReadOutcome::Read)
        return {{}, _("cannot read ") + source};
    return parseGoodsTsv(bytes, standardInput ? _("standard input") : options.file);
}

const char* optionOf(const std::string& field)
{
    static const std::map<std::string, const char*> options = {{"threshold", "--threshold"},
                                                               {"discount", "--discount"},
                                                               {"top", "--top"},
                                                               {"maxItems", "--max-items"},
                                                               {"maxEach", "--max-each"}};
    const auto found = options.find(field);
    return found != options.end() ? found->second : "";
}

// The solver's refusal in the words of the command line, and its status.
int refusal(const basket::BasketResult& result, const basket::BasketRequest& request, std::FILE* err)
{
    switch (result.status) {
    case basket::BasketStatus::UnknownMust:
        std::fprintf(err, _("zorvane-cli: --must %s: no goods item with a price has this id\n"),
                     result.detail.c_str());
        return kExitUsage;
    case basket::BasketStatus::MustExcluded:
        std::fprintf(err, _("zorvane-cli: %s is both --must and --exclude\n"), result.detail.c_str());
        return kExitUsage;
    case basket::BasketStatus::BadRequest:
        std::fprintf(err, _("zorvane-cli: %s is out of range\n"), optionOf(result.detail));
        return kExitUsage;
    case basket::BasketStatus::NoSaving:
        std::fputs(_("zorvane-cli: --discount must be less than --threshold; otherwise every basket would be "
                     "free\n"),
                   err);
        return kExitUsage;
    case basket::BasketStatus::MustOverMaxItems:
        std::fprintf(err, _("zorvane-cli: %s --must goods do not fit in --max-items %d\n"),
                     result.detail.c_str(), request.maxItems);
        return kExitUsage;
    case basket::BasketStatus::TooLarge:
        std::fputs(_("zorvane-cli: the sums are too large to search\n"), err);
        return kExitWriteFailed;
    case basket::BasketStatus::OverMemory:
        std::fputs(_("zorvane-cli: the search would take more than 1 GiB of memory; lower --threshold, or "
                     "give a smaller --max-items or --max-each\n"),
                   err);
        return kExitUsage;
    case basket::BasketStatus::Cancelled:
    case basket::BasketStatus::Ok:
        break;
    }
    return kExitWriteFailed;
}

int solveAndWrite(const BasketOptions& options, std::FILE* in, std::FILE* out, std::FILE* err)
{
    BasketGoodsInput input = readGoods(options, in);
    if (!input.error.empty()) {
        std::fprintf(err, "zorvane-cli: %s\n", input.error.c_str());
        return kExitWriteFailed;
    }
    basket::BasketRequest request = options.request;
    request.goods = std::move(input.goods);
    const basket::BasketResult result = basket::solveBaskets(request);
    if (result.status != basket::BasketStatus::Ok)
        return refusal(result, request, err);
    if (result.baskets.empty()) {
        std::fprintf(err, _("zorvane-cli: no basket of these goods reaches %s\n"),
                     basket::yuanText(request.threshold).c_str());
        return kExitNoBasket;
    }
    if (!writeAll(out, formatBaskets(result.baskets, options.json))) {
        std::fputs(_("zorvane-cli: cannot write the standard output\n"), err);
        return kExitWriteFailed;
    }
    return kExitOk;
}

} // namespace

bool isBasketCommand(const std::string& name)
{
    return name == "basket";
}

Result<BasketOptions> parseBasketCommand(const std::vector<std::string>& args)
{
    BasketOptions options;
    std::vector<std::string> operands;
    bool optionsEnded = false;
    for (std::size_t i = 1; i < args.size(); ++i) {
        std::string arg = args[i];
        if (optionsEnded || arg == "-" || !startsWith(arg, "-")) {
            operands.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        if (arg == "-h" || arg == "--help") {
            options.help = true;
            return options;
        }
        std::optional<std::string> value;
        if (const std::size_t eq = arg.find('='); eq != std::string::npos) {
            value = arg.substr(eq + 1);
            arg.resize(eq);
        }
        const auto setter = setters().find(arg);
        if (setter == setters().end())
            return Failure{_("unknown option: ") + arg};
        if (!value && i + 1 < args.size())
            value = args[++i];
        if (!value)
            return Failure{arg + _(" needs a value")};
        if (const Result<void> taken = setter->second(options, *value); !taken.ok())
            return Failure{taken.error()};
    }
    if (const Result<void> whole = checkWhole(options, operands); !whole.ok())
        return Failure{whole.error()};
    if (!operands.empty())
        options.file = operands.front();
    return options;
}

int runBasketCommand(const BasketOptions& options, std::FILE* in, std::FILE* out, std::FILE* err)
{
    if (options.help)
        return writeAll(out, usageText()) ? kExitOk : kExitWriteFailed;
    try {
        return solveAndWrite(options, in, out, err);
    } catch (const std::bad_alloc&) {
        // The search keeps to its budget; this is what is left (a goods list
        // of countless tiny lines, memory taken by others).
        std::fputs(_("zorvane-cli: out of memory; lower --threshold, or give fewer goods\n"), err);
        return kExitWriteFailed;
    }
}

} // namespace zorvane::cli
