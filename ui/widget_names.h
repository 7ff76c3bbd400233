#pragma once

// The object names of the window's widgets, each written here only. Tests
// find the widgets by them, and the settings file keeps the inputs' values
// under them: a name changed here changes the saved file.
namespace zorvane::ui::widget_names {

// The frame: the groups and what holds them.
inline constexpr char kCentral[] = "centralWidget";
inline constexpr char kControlGroup[] = "分组框_控制";
inline constexpr char kTagGroup[] = "分组框_标签";
inline constexpr char kGoodsGroup[] = "分组_商品列表";
inline constexpr char kLogGroup[] = "分组框_日志";
inline constexpr char kSplitter[] = "listsAndLog";
inline constexpr char kFeedbackBridge[] = "feedbackBridge";
inline constexpr char kFeedbackLabel[] = "标签_反馈标签";
inline constexpr char kBrowser[] = "超文本浏览框";
inline constexpr char kExportDialog[] = "通用对话框_导出";
inline constexpr char kHistoryMenu[] = "菜单_历史";

// The search's inputs and the run commands.
inline constexpr char kAddressLabel[] = "透明标签1";
inline constexpr char kAddress[] = "编辑框_参数_地址";
inline constexpr char kCommonTitle[] = "透明标签8";
inline constexpr char kIntervalLabel[] = "透明标签2";
inline constexpr char kInterval[] = "编辑框_参数_间隔";
inline constexpr char kIntervalHint[] = "透明标签6";
inline constexpr char kPageLimitLabel[] = "透明标签3";
inline constexpr char kPageLimit[] = "编辑框_参数_页数";
inline constexpr char kAdvancedTitle[] = "透明标签7";
inline constexpr char kExtraHeadersLabel[] = "透明标签9";
inline constexpr char kCookieLabel[] = "透明标签10";
inline constexpr char kImportCookies[] = "按钮_导入Cookie";
inline constexpr char kExtraHeaders[] = "编辑框_参数_附加协议头";
inline constexpr char kCookie[] = "编辑框_参数_COOKIE";
inline constexpr char kStartPause[] = "按钮_控制_开始2暂停";
inline constexpr char kStop[] = "按钮_控制_停止";

// The goods panel.
inline constexpr char kTagList[] = "超级列表框_商品标签";
inline constexpr char kPriceLabel[] = "透明标签4";
inline constexpr char kMinPrice[] = "编辑框_价格min";
inline constexpr char kPriceDash[] = "透明标签5";
inline constexpr char kMaxPrice[] = "编辑框_价格max";
inline constexpr char kFilter[] = "按钮_筛选";
inline constexpr char kPriceChart[] = "图表_价格";
inline constexpr char kOnlyNewOrCheaper[] = "选择框_只看新品和降价";
inline constexpr char kGoodsList[] = "超级列表框_商品列表";
inline constexpr char kExport[] = "按钮_导出";
inline constexpr char kBasket[] = "按钮_凑单";
inline constexpr char kClearGoods[] = "按钮_清空商品";

// The log panel.
inline constexpr char kLog[] = "编辑框_日志";
inline constexpr char kClearLog[] = "按钮_日志_清空";

} // namespace zorvane::ui::widget_names
