// Throughput of one result page's analysis through RegexService: the goods
// item pattern over the page, then the five item patterns over each item,
// with JIT and with the interpreter.
#include <string>

#include <benchmark/benchmark.h>

#include "services/regex_service.h"
#include "tests/services/page_patterns.h"

namespace {

using namespace zorvane;
using namespace zorvane::test;

constexpr int kItems = 60;
constexpr std::size_t kPageBytes = 300 * 1024;

std::string goodsItem(int n)
{
    const std::string sku = std::to_string(100105483276LL + n * 7919);
    std::string thumbs;
    for (int t = 0; t < 3; ++t)
        thumbs += "\t\t\t\t\t<li class=\"ps-item\">\n\t\t\t\t\t\t<a href=\"javascript:;\" title=\"颜色" +
                  std::to_string(t) + "\"><img data-sku=\"" + sku +
                  "\" data-img=\"1\" width=\"25\" "
                  "height=\"25\" data-lazy-img=\"done\" src=\"//img10.360buyimg.com/n9/s40x40_jfs/t1/" +
                  sku + ".jpg.avif\"></a>\n\t\t\t\t\t</li>\n";
    const std::string click = "onclick=\"searchlog(1, &#39;" + sku +
                              "&#39;,&#39;0&#39;,&#39;1&#39;,&#39;&#39;,"
                              "&#39;flagsClk=2097626&#39;);\"";
    return "<li data-sku=\"" + sku + "\" data-spu=\"" + sku +
           "\" ware-type=\"10\" bybt=\"0\" class=\"gl-item\">\n"
           "\t<div class=\"gl-i-wrap\">\n\t\t<div class=\"p-img\">\n\t\t\t<a target=\"_blank\" "
           "title=\"下单赠耳机+"
           "会员PLUS限量赠背包\" href=\"https://item.jd.com/" +
           sku + ".html\" " + click +
           ">\n\t\t\t\t<img "
           "width=\"220\" height=\"220\" data-img=\"1\" src=\"//img10.360buyimg.com/n7/jfs/t1/" +
           sku +
           ".jpg.avif\">\n\t\t\t</a>\n\t\t\t<div data-lease=\"\" data-catid=\"655\" "
           "data-venid=\"1000310642\" "
           "data-presale=\"0\" data-done=\"1\"></div>\n\t\t</div>\n\t\t<div class=\"p-scroll\">\n\t\t\t<span "
           "class=\"ps-prev\">&lt;</span>\n\t\t\t<span class=\"ps-next\">&gt;</span>\n\t\t\t<div "
           "class=\"ps-wrap\">"
           "\n\t\t\t\t<ul class=\"ps-main\">\n" +
           thumbs +
           "\t\t\t\t</ul>\n\t\t\t</div>\n\t\t</div>\n"
           "\t\t<div class=\"p-price\">\n\t\t\t<strong class=\"J_" +
           sku +
           "\" data-done=\"1\"><em>￥</em><i "
           "data-price=\"" +
           sku +
           "\">59.90</i></strong>\n\t\t</div>\n"
           "\t\t<div class=\"p-name p-name-type-2\">\n\t\t\t<a target=\"_blank\" title=\"新品6期免息\" "
           "href=\"https://item.jd.com/" +
           sku + ".html\" " + click +
           ">\n\t\t\t\t<em><span class=\"p-tag\" "
           "style=\"background-color:#c81623\">京品手机</span>\t\nvivo iQOO Z9 Turbo 12GB+256GB 星芒白 "
           "第三代骁龙8s "
           "<font class=\"skcolor_ljg\">手机</font></em>\n\t\t\t\t<i class=\"promo-words\" id=\"J_AD_" +
           sku +
           "\">新品6期免息+下单赠耳机</i>\n\t\t\t</a>\n\t\t</div>\n"
           "\t\t<div class=\"p-commit\" data-done=\"1\">\n\t\t\t<strong><a id=\"J_comment_" +
           sku +
           "\" "
           "target=\"_blank\" href=\"https://item.jd.com/" +
           sku + ".html#comment\" " + click +
           ">1万+</a>条评价</strong>\n\t\t</div>\n"
           "\t\t<div class=\"p-shop\" data-selfware=\"1\" data-score=\"5\" data-done=\"1\">\n\t\t\t<span "
           "class=\"J_im_icon\"><a target=\"_blank\" class=\"curr-shop hd-shopname\" href=\"//mall.jd.com/"
           "index-1000310642.html\" "
           "title=\"iQOO京东自营官方旗舰店\">iQOO京东自营官方旗舰店</a></span>\n\t\t</div>\n"
           "\t\t<div class=\"p-icons\" id=\"J_pro_" +
           sku +
           "\" data-done=\"1\">\n\t\t\t<i class=\"goods-icons "
           "J-picon-tips J-picon-fix\" data-idx=\"1\" data-tips=\"京东自营，品质保障\">自营</i>\n\t\t\t<i "
           "class=\"goods-icons4 J-picon-tips\" data-tips=\"品质服务\">放心购</i>\n\t\t\t<i "
           "class=\"goods-icons4 "
           "J-picon-tips\" data-tips=\"本商品可领用优惠券\">券500-50</i>\n\t\t</div>\n"
           "\t\t<div class=\"sign-title ac\">每满200减30\n\t\t\t<span class=\"sign-date\">6.27-7.10</span>\n"
           "\t\t</div>\n\t</div>\n</li>\n";
}

// A result page: the page scripts, 60 goods items, then the footer markup
// (repeated banner and link lists) up to about 300 KB.
std::string resultPage()
{
    std::string page =
        "<!DOCTYPE html>\n<html>\n<head>\n<meta charset=\"utf-8\">\n<script>\nvar SEARCH = {};\n"
        "SEARCH.base_url='keyword=%E6%89%8B%E6%9C%BA\\x26wq=%E6%89%8B%E6%9C%BA';\nSEARCH.click=0;\n"
        "</script>\n</head>\n<body>\n<div id=\"J_goodsList\" class=\"goods-list-v2 gl-type-1\">\n"
        "<ul class=\"gl-warp clearfix\" data-tpl=\"1\">\n";
    for (int n = 0; n < kItems; ++n)
        page += goodsItem(n);
    page += "</ul>\n</div>\n<script>s.init(1, 100, '4800+ ',\"\",1, 0, 0,0, 4, 0 ,0);</script>\n";
    const std::string footer =
        "<div class=\"mod_help_item\">\n<h5>购物指南</h5>\n<ul>\n<li><a href=\"//help.jd.com/"
        "user/issue/list-29.html\" target=\"_blank\">购物流程</a></li>\n<li><a href=\"//"
        "help.jd.com/user/issue/list-151.html\" target=\"_blank\">会员介绍</a></li>\n"
        "<li class=\"item\"><a href=\"//help.jd.com/user/issue/list-297.html\">常见问题</a>"
        "</li>\n</ul>\n</div>\n";
    while (page.size() + footer.size() < kPageBytes)
        page += footer;
    return page + "</body>\n</html>\n";
}

// What page analysis does with the patterns; returns what it found so the
// work cannot be optimised away.
std::size_t analyse(const std::string& page)
{
    std::size_t found = 0;
    RegexService items;
    if (!items.create(kGoodsItemPattern, page))
        return 0;
    RegexService re;
    for (int i = 1; i <= items.matchCount(); ++i) {
        found += items.subMatchText(i, 1).size();
        const std::string item = items.matchText(i);
        if (re.create(kNamePattern, item, {.global = false}))
            found += re.subMatchText(1, 2).size();
        if (re.create(kPricePattern, item, {.global = false}))
            found += re.subMatchText(1, 1).size();
        if (re.create(kIconBlockPattern, item, {.global = false}) && re.matchCount() > 0) {
            RegexService icons;
            if (icons.create(kIconItemPattern, re.subMatchText(1, 1)))
                found += static_cast<std::size_t>(icons.matchCount());
        }
        if (re.create(kSignPattern, item, {.global = false}))
            found += re.subMatchText(1, 1).size() + re.subMatchText(1, 2).size();
    }
    return found;
}

void BM_ResultPage(benchmark::State& state)
{
    RegexService::setJitEnabled(state.range(0) != 0);
    const std::string page = resultPage();
    if (analyse(page) == 0) {
        state.SkipWithError("the generated page yields no goods");
        return;
    }
    for (auto _ : state)
        benchmark::DoNotOptimize(analyse(page));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(page.size()));
    state.SetLabel(RegexService::jitActive() ? "jit" : "interpreter");
    RegexService::setJitEnabled(true);
}
BENCHMARK(BM_ResultPage)->ArgName("jit")->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

} // namespace
