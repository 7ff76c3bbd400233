#include "search/item_extraction.h"

#include <gtest/gtest.h>

#include "base/text.h"
#include "real_pages.h"
#include "search/page_analysis.h"
#include "search/patterns.h"

namespace zorvane {
namespace {

// An item the way the shop lays one out, with the parts a test changes.
std::string item(const std::string& price, const std::string& em, const std::string& icons = "",
                 const std::string& sign = "")
{
    return "<li data-sku=\"100\" class=\"gl-item\">\n<div class=\"gl-i-wrap\">\n"
           "<div class=\"p-price\">\n<strong class=\"J_100\"><em>￥</em>" +
           price +
           "</strong>\n</div>\n<div class=\"p-name p-name-type-2\">\n<a title=\"t\" href=\"//x\">\n<em>" +
           em +
           "</em>\n<i class=\"promo-words\"></i>\n</a>\n</div>\n<div class=\"p-icons\" id=\"J_pro_100\">" +
           icons + "</div>\n" + sign + "</div>\n</li>";
}

TEST(ItemPatterns, PatternTextsHaveTheirLengths)
{
    EXPECT_EQ(kNamePattern.size(), 107u);
    EXPECT_EQ(kIconBlockPattern.size(), 58u);
    EXPECT_EQ(kIconItemPattern.size(), 24u);
    EXPECT_EQ(kSignPattern.size(), 134u);
    EXPECT_EQ(kGoodsItemPattern.size(), 63u);
    // The price pattern is the shop's 69-byte one with <i> opened to <i[^>]*>.
    EXPECT_EQ(replaceAll(kPricePattern, "<i[^>]*>", "<i>").size(), 69u);
    EXPECT_EQ(kPricePattern.size(), 74u);
}

TEST(ExtractItem, LabelIconsAndDatedSignInTagOrder)
{
    const GoodsRecord r = extractItem(
        "100",
        item("<i>12.50</i>",
             "<span class=\"p-tag\" style=\"background-color:#c81623\">京 品\t电\xE3\x80\x80脑</span>\t\n"
             "商品<font class=\"skcolor_ljg\">名</font>",
             "<i class=\"goods-icons J-picon-tips\" data-tips=\"京东自营\">自营</i>"
             "<i class=\"goods-icons4\" data-tips=\"\"></i><img src=\"a.png\">"
             "<i class=\"goods-icons4\"data-tips=\"本商品可领用优惠券\">券99-10</i>",
             "<div class=\"sign-title ac\">每满200减30\n   <span "
             "class=\"sign-date\">6.27-7.10</span>\n</div>\n"));
    EXPECT_EQ(r.goodsId, "100");
    EXPECT_EQ(r.name, "\t\n商品<font class=\"skcolor_ljg\">名</font>");
    EXPECT_EQ(r.price, 12.5);
    const std::vector<std::string> tags = {"京品\t电脑", "自营", "券99-10", "每满200减306.27-7.10"};
    EXPECT_EQ(r.tags, tags);
    EXPECT_EQ(r.tagText, "京品\t电脑,自营,券99-10,每满200减306.27-7.10");
    EXPECT_EQ(r.passesFilter, 1);
}

TEST(ExtractItem, SelfClosingImageGivesNoLabel)
{
    const GoodsRecord r =
        extractItem("7", item("<i>5</i>", "<img class=\"p-tag3\" src=\"//x/t.png\" />商品名"));
    EXPECT_EQ(r.name, "商品名");
    EXPECT_TRUE(r.tags.empty());
    EXPECT_EQ(r.tagText, "");
}

TEST(ExtractItem, PlainNameGivesNoLabel)
{
    const GoodsRecord r = extractItem("7", item("<i>5</i>", "平板电脑 10英寸"));
    EXPECT_EQ(r.name, "平板电脑 10英寸");
    EXPECT_TRUE(r.tags.empty());
}

TEST(ExtractItem, SignTitleWithoutDate)
{
    const GoodsRecord r =
        extractItem("7", item("<i>5</i>", "n", "", "<div class=\"sign-title\">满99减10 </div>\n"));
    EXPECT_EQ(r.tags, std::vector<std::string>{"满99减10"});
    EXPECT_EQ(r.tagText, "满99减10");
}

TEST(ExtractItem, OneIconAmongEmptyOnes)
{
    const GoodsRecord r = extractItem(
        "7", item("<i>5</i>", "n", "<i class=\"a\"></i><i class=\"b\"> 自营 </i><i class=\"c\"></i>"));
    EXPECT_EQ(r.tags, std::vector<std::string>{" 自营 "}); // icon texts are kept as written
}

TEST(ExtractItem, PriceInTheNewerMarkup)
{
    EXPECT_EQ(extractItem("7", item("<i data-price=\"10057186449307\">179.90</i>", "n")).price, 179.9);
    // The first <i> whose content is digits and points counts.
    EXPECT_EQ(extractItem("7", item("<i class=\"tag\">促</i><i>5.00</i>", "n")).price, 5);
}

TEST(ExtractItem, MissingPriceGivesZeroAndARecord)
{
    const std::string text = "<li data-sku=\"9\"><div class=\"p-name\"><em>名字</em></div></li>";
    const GoodsRecord r = extractItem("9", text);
    EXPECT_EQ(r.price, 0);
    EXPECT_EQ(r.name, "名字");
    EXPECT_EQ(r.goodsId, "9");
}

TEST(ExtractItem, PricesRoundHalfAwayFromZero)
{
    const std::pair<const char*, double> cases[] = {
        {"99.995", 100},  {"0.005", 0.01}, {"1.005", 1.01}, {"12", 12},
        {"12.5.3", 12.5}, {".", 0},        {"2.675", 2.68},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(extractItem("1", item(std::string("<i>") + text + "</i>", "n")).price, expected) << text;
}

TEST(ExtractItem, UpperCaseMarkup)
{
    const std::string text =
        "<LI DATA-SKU=\"77\"><DIV CLASS=\"P-PRICE\"><EM>￥</EM><I>8.80</I></DIV>"
        "<DIV CLASS=\"P-NAME\"><A><EM><SPAN CLASS=\"P-TAG\">标签</SPAN>NAME</EM></A></DIV>"
        "<DIV CLASS=\"P-ICONS\"><I CLASS=\"X\">自营</I></DIV>"
        "<DIV CLASS=\"SIGN-TITLE\">满减<SPAN CLASS=\"SIGN-DATE\">1.1-2.2</SPAN></DIV></DIV></LI>";
    const GoodsRecord r = extractItem("77", text);
    EXPECT_EQ(r.price, 8.8);
    EXPECT_EQ(r.name, "NAME");
    EXPECT_EQ(r.tagText, "标签,自营,满减1.1-2.2");
}

TEST(ExtractItem, SingleQuotedAttributes)
{
    const std::string text = "<li data-sku='5'><div class='p-price'><i>3.00</i></div>"
                             "<div class='p-name'><em>单引号</em></div>"
                             "<div class='p-icons'><i class='goods-icons'>自营</i></div></div></li>";
    const GoodsRecord r = extractItem("5", text);
    EXPECT_EQ(r.price, 3);
    EXPECT_EQ(r.name, "单引号");
    EXPECT_EQ(r.tagText, "自营");
}

struct RealItem
{
    const char* page;
    int index; // 0-based position among the page's goods
    const char* goodsId;
    const char* name;
    double price;
    std::vector<std::string> tags;
};

// Read off the saved pages. Some show the name pattern's reading of markup:
// a keyword <font> opening the name becomes the label; a self-closing image
// opening the name is skipped whole (2019-03 item 2), but an image written
// without the slash is taken as an opening tag, so when the name ends in
// markup the name is left empty (2022-09 item 9).
const RealItem kRealItems[] = {
    {"2016-03-raw.html", 0, "11371342", "成人式", 25.20, {"123", "货到付款"}},
    {"2016-03-raw.html", 1, "1195464225", "卡罗德Carod钢琴T23立式家用教学 黑色", 16899.00, {}},
    {"2016-03-raw.html",
     59,
     "1715729143",
     "大显（Daxian）JL<font class=\"skcolor_ljg\">123</font> 移动联通2G 老人手机 单卡单待 手机 黑色",
     59.00,
     {"货到付款"}},
    {"2016-03-fragment.html", 0, "11371342", "成人式", 25.20, {"123", "货到付款"}},
    {"2016-09-rewritten.html",
     0,
     "940275",
     "（SONY） MDR-EX15LP 小巧入耳式<font class=\"skcolor_ljg\">耳机</font>,佩戴舒适 半透明果冻色渐变机身 "
     "黑色",
     55.00,
     {"索尼", "自营", "货到付款"}},
    {"2016-09-rewritten.html",
     28,
     "10413248111",
     "（SONY） MDR-EX15AP入耳式智能手机通话<font class=\"skcolor_ljg\">耳机</font>兼容多种智能手机 黑色",
     69.00,
     {"索尼", "货到付款"}},
    {"2019-03-dom.html",
     0,
     "1405158",
     "汤臣倍健 <font class=\"skcolor_ljg\">蛋白粉</font> 蛋白质<font class=\"skcolor_ljg\">粉</font> 450g/桶 "
     " 中老年成人孕妇增强免疫力营养<font class=\"skcolor_ljg\">粉</font>保健品",
     318.00,
     {"京东超市", "自营", "保健食品", "券298-20", "每满200-30", "赠"}},
    {"2019-03-dom.html",
     2,
     "3004563",
     "汤臣倍健 乳清<font class=\"skcolor_ljg\">蛋白</font> 营养强化固体饮料1360g(香草味)3磅",
     226.00,
     {"自营", "券298-20", "2件8折", "赠"}},
    {"2019-03-dom.html",
     59,
     "1339410032",
     "修正 胶原<font class=\"skcolor_ljg\">蛋白粉</font> 深海鱼胶原小分子<font "
     "class=\"skcolor_ljg\">蛋白</font>肽<font class=\"skcolor_ljg\">粉</font>美容养颜口服液胶原<font "
     "class=\"skcolor_ljg\">蛋白</font>片 小分子<font class=\"skcolor_ljg\">蛋白</font>肽",
     128.00,
     {"京东物流", "放心购", "免邮", "赠", "险"}},
    {"2019-04-dom.html",
     1,
     "27986577126",
     "寻音 <font class=\"skcolor_ljg\">古筝</font>初学者入门演奏<font class=\"skcolor_ljg\">古筝</font> "
     "考试级<font class=\"skcolor_ljg\">古筝</font>民族乐器 空谷幽兰（送架子+凳子）",
     1198.00,
     {"爱心东东", "秒杀", "满1000-100", "赠", "险"}},
    {"2019-04-dom.html",
     34,
     "41306262842",
     "WITTNER韦特纳德国原装进口机械节拍器钢琴<font "
     "class=\"skcolor_ljg\">古筝</font>吉他小提琴二胡乐器通用精准节奏器考级专用 红木色",
     348.00,
     {}},
    {"2020-07-fragment.html",
     1,
     "100008610496",
     "\t\n戴尔(DELL)成就3471 英特尔酷睿i3 高性能 商用办公 台式<font "
     "class=\"skcolor_ljg\">电脑</font>整机(i3-9100 8G 1T 四年上门  WIFI)21.5英寸",
     2889.00,
     {"京品电脑", "自营", "秒杀"}},
    {"2020-07-fragment.html",
     59,
     "60992680372",
     "联想（Lenovo）拯救者R7000 2020款15.6英寸游戏笔记本<font class=\"skcolor_ljg\">电脑</font> R5-4600H 16G "
     "GTX1650套装",
     5766.00,
     {"自营", "赠"}},
    {"2021-02-raw.html",
     3,
     "8141909",
     "\n雷蛇(Razer) 蝰蛇标准版 <font class=\"skcolor_ljg\">鼠标</font> 有线<font "
     "class=\"skcolor_ljg\">鼠标</font> 游戏<font class=\"skcolor_ljg\">鼠标</font> 人体工程学 电竞 黑色 "
     "6400DPI lol吃鸡神器cf",
     99.00,
     {"京东超市", "自营", "放心购", "满99-10"}},
    {"2021-02-raw.html",
     29,
     "100002706135",
     "\n赛睿 (SteelSeries) RIVAL 106 镜面白 赛博朋克2077合作外设品牌7200DPI TM1电竞传感器 80g轻量化 "
     "游戏<font class=\"skcolor_ljg\">鼠标</font>",
     199.00,
     {"京品数码", "自营", "放心购"}},
    {"2022-09-dom-cr.html",
     0,
     "6027207",
     "英菲克（INPHIC）PM6 无线<font class=\"skcolor_ljg\">鼠标</font>可充电 轻音<font "
     "class=\"skcolor_ljg\">鼠标</font> 无线游戏<font class=\"skcolor_ljg\">鼠标</font> "
     "电脑台式笔记本2.4G通用便携 黑",
     34.90,
     {"自营"}},
    {"2022-09-dom-cr.html",
     1,
     "100023650594",
     "\r雷蛇 Razer 炼狱蝰蛇标准版 黑色新版  人体工程学 侧键 6400DPI 电竞游戏 有线<font "
     "class=\"skcolor_ljg\">鼠标</font>",
     109.00,
     {"京品数码", "自营", "满99-10"}},
    {"2022-09-dom-cr.html",
     9,
     "100023650618",
     "",
     109.00,
     {"\r雷蛇Razer炼狱蝰蛇标准版白色新版人体工程学侧键6400DPI电竞游戏有线<fontclass=\"skcolor_ljg\">鼠标",
      "自营", "满99-10"}},
    {"2022-09-dom-cr.html",
     18,
     "60675163793",
     "牧马人 M1有线电竞游戏<font class=\"skcolor_ljg\">鼠标</font>RGB背光机械宏编程<font "
     "class=\"skcolor_ljg\">鼠标</font>网吧笔记本电脑台式吃鸡竞技穿越火线cf外设 M1幻彩之影-黑色RGB版",
     69.00,
     {}},
    {"2023-06-raw.html",
     0,
     "100037199917",
     "HUAWEI <font class=\"skcolor_ljg\">Mate</font> <font class=\"skcolor_ljg\">50</font> 直屏旗舰 "
     "超光变XMAGE影像 北斗卫星消息 低电量应急模式 256GB曜金黑<font class=\"skcolor_ljg\">华为</font>鸿蒙手机",
     4109.00,
     {"自营"}},
    {"2023-06-raw.html",
     1,
     "10061541334833",
     "e 新品手机 曜金黑 8G+256G 官方标配",
     4199.00,
     {"华为mate50", "京东物流", "满2000-621"}},
    {"2023-07-raw-a.html",
     0,
     "100030264685",
     "\r\n浪莎丝袜女超薄性感<font class=\"skcolor_ljg\">黑丝</font>显瘦美腿袜纯欲风长筒打底连裤袜 2条装",
     19.90,
     {"自营", "2件9.5折", "满赠"}},
    {"2023-07-raw-a.html",
     14,
     "10068239957922",
     "伦洛弗丝袜黑色性感开档免脱吊带丝袜撞色假内裤套装连裤袜 黑色 均码（80-130斤）",
     13.90,
     {"满39元任选4件5.31-8.31"}},
    {"2023-07-raw-b.html",
     0,
     "10044456688314",
     "TOMMY HILFIGER女装潮流时髦签名字体刺绣LOGO高腰牛仔<font class=\"skcolor_ljg\">背带裤</font>DW0DW12381 "
     "牛仔蓝1AB L",
     1251.00,
     {}},
    {"2023-07-raw-b.html",
     4,
     "10057186449307",
     "马登工装 复古卡其做旧甲板<font class=\"skcolor_ljg\">背带裤</font>直筒宽松休闲连体长裤子男潮 "
     "浅卡其(宽松版型) L",
     179.90,
     {"免邮", "券299-20", "每满200减306.27-7.10"}},
    {"2024-05-dom.html",
     3,
     "100094995977",
     "OPPO K12 5G 100W闪充 5500mAh超长续航 第三代骁龙7旗舰芯 直屏新款拍照游戏 AI<font "
     "class=\"skcolor_ljg\">手机</font> 8GB+256GB 青云",
     1899.00,
     {"自营", "新品", "满800-100"}},
    {"2024-05-dom.html",
     59,
     "100049775534",
     "诺基亚NOKIA新105 4G 【2023款】全网通移动联通电信 老人老年按键直板学生儿童备用<font "
     "class=\"skcolor_ljg\">手机</font> 双卡双待 黑色",
     199.00,
     {"自营"}},
};

struct PageCount
{
    const char* page;
    int goods;
};

const PageCount kPageCounts[] = {
    {"2016-03-fragment.html", 60}, {"2016-03-raw.html", 60},    {"2016-09-rewritten.html", 29},
    {"2019-03-dom.html", 60},      {"2019-04-dom.html", 60},    {"2020-07-fragment.html", 60},
    {"2021-02-raw.html", 30},      {"2022-09-dom-cr.html", 30}, {"2023-06-raw.html", 30},
    {"2023-07-raw-a.html", 30},    {"2023-07-raw-b.html", 30},  {"2024-05-dom.html", 60},
};

GoodsList pageGoods(const std::string& page)
{
    GoodsList goods;
    analysePageText(page, Config{}, [&](GoodsRecord&& r) { goods.push_back(std::move(r)); });
    return goods;
}

TEST(ExtractRealPages, EveryGoodsItemIsFoundWithAPrice)
{
    for (const PageCount& expected : kPageCounts) {
        const std::string page = testing::readRealPage(expected.page);
        const GoodsList goods = pageGoods(page);
        ASSERT_EQ(static_cast<int>(goods.size()), expected.goods) << expected.page;
        std::vector<std::string> ids;
        for (const GoodsRecord& r : goods) {
            ids.push_back(r.goodsId);
            EXPECT_GT(r.price, 0) << expected.page << " " << r.goodsId;
        }
        EXPECT_EQ(ids, testing::scanGoodsIds(page)) << expected.page;
    }
}

TEST(ExtractRealPages, ChosenItemsMatchThePages)
{
    std::string loaded;
    GoodsList goods;
    for (const RealItem& expected : kRealItems) {
        if (loaded != expected.page) {
            loaded = expected.page;
            goods = pageGoods(testing::readRealPage(loaded));
        }
        ASSERT_LT(expected.index, static_cast<int>(goods.size())) << expected.page;
        const GoodsRecord& r = goods[static_cast<std::size_t>(expected.index)];
        EXPECT_EQ(r.goodsId, expected.goodsId) << expected.page;
        EXPECT_EQ(r.name, expected.name) << expected.page << " " << r.goodsId;
        EXPECT_DOUBLE_EQ(r.price, expected.price) << expected.page << " " << r.goodsId;
        EXPECT_EQ(r.tags, expected.tags) << expected.page << " " << r.goodsId;
        std::string joined;
        for (const std::string& tag : expected.tags)
            joined += (joined.empty() ? "" : ",") + tag;
        EXPECT_EQ(r.tagText, joined) << expected.page << " " << r.goodsId;
    }
}

} // namespace
} // namespace zorvane
