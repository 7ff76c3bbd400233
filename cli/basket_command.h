#pragma once

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "base/result.h"
#include "basket/basket_solver.h"

namespace zorvane::cli {

// The options of "basket": the coupon's terms and limits, and where the goods
// come from (a tsv file, standard input, or a coupon's last walk).
struct BasketOptions
{
    basket::BasketRequest request; // goods still empty
    bool json = false;
    std::string file = "-";            // "-" = standard input
    std::optional<std::string> coupon; // --coupon ADDRESS
    std::string dbPath;                // --db, "" = the window's history file
    bool help = false;                 // -h, --help: the usage text, nothing else
};

bool isBasketCommand(const std::string& name);

// Reads the arguments from the command name on. Nothing but the reason when
// they are wrong.
Result<BasketOptions> parseBasketCommand(const std::vector<std::string>& args);

// Reads the goods, solves and writes the baskets. Returns the exit status.
int runBasketCommand(const BasketOptions& options, std::FILE* in, std::FILE* out, std::FILE* err);

} // namespace zorvane::cli
