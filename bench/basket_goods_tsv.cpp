// Writes the benchmark's goods as tsv on standard output, so that other
// programs can be timed on the very same instance: basket_goods_tsv COUNT.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "bench/basket_goods.h"

int main(int argc, char** argv)
{
    const int count = argc == 2 ? std::atoi(argv[1]) : 0;
    if (count <= 0) {
        std::fputs("usage: basket_goods_tsv COUNT\n", stderr);
        return 2;
    }
    const std::string text = zorvane::bench::benchGoodsTsv(zorvane::bench::benchGoods(count));
    return std::fwrite(text.data(), 1, text.size(), stdout) == text.size() ? 0 : 1;
}
