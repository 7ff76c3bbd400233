// The real window over the in-process fixture shop, for screenshots and for
// trying the window by hand: the address is filled in and, after a moment,
// the walk starts by itself.
// With --second-walk the first walk stops two pages short; then the shop moves
// some prices, the list is emptied and a second walk runs to the end, so the
// 变化 column has something to show; --tick then keeps the new and cheaper.
// With --basket the 凑单 dialog opens after the walk, works out 满299减50 with
// the third row 必选, and shows its baskets.
//   fixture_shop_window [--pages N] [--delay MS] [--start-after MS] [--minimum]
//                       [--second-walk [--tick]] [--basket]
#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTimer>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "core/app_state.h"
#include "tests/search/fixture_shop.h"
#include "ui/dialogs.h"
#include "ui/goods_table_model.h"
#include "ui/main_window.h"
#include "web/http_request.h"

using namespace zorvane;

namespace {

// Every page's third goods item a little cheaper and its seventh dearer.
void changePrices(test::FixtureShop& shop, const test::FixtureShopOptions& options)
{
    const auto priceText = [](double price) { return QString::number(price, 'f', 2).toStdString(); };
    for (int page = 1; page <= options.pages; ++page) {
        std::string text = shop.pageText(page);
        const double cheaper = test::FixtureShop::price(page, 3);
        const double dearer = test::FixtureShop::price(page, 7);
        text = test::withPrice(text, test::FixtureShop::goodsId(page, 3), priceText(cheaper),
                               priceText(cheaper - 1.2 - page % 3));
        text = test::withPrice(text, test::FixtureShop::goodsId(page, 7), priceText(dearer),
                               priceText(dearer + 2));
        shop.setRawPage(page, 200, text);
    }
}

// Once the walk is over: the 凑单 dialog over its goods.
void showBaskets(ui::MainWindow* window)
{
    auto* poll = new QTimer(window);
    QObject::connect(poll, &QTimer::timeout, window, [window, poll] {
        if (window->statusPanel()->walkState() != ui::StatusPanel::WalkState::Idle ||
            window->goodsModel()->rowCount() == 0)
            return;
        poll->stop();
        window->findChild<QTableView*>(QString::fromUtf8("超级列表框_商品列表"))->selectRow(2);
        window->showBasketDialog();
        auto* dialog = window->findChild<QDialog*>(QString::fromUtf8("凑单对话框"));
        dialog->findChild<QLineEdit*>(QString::fromUtf8("编辑框_凑单_满"))->setText(QStringLiteral("299"));
        dialog->findChild<QLineEdit*>(QString::fromUtf8("编辑框_凑单_减"))->setText(QStringLiteral("50"));
        dialog->findChild<QPushButton*>(QString::fromUtf8("按钮_凑单_加入必选"))->click();
        dialog->findChild<QPushButton*>(QString::fromUtf8("按钮_凑单_计算"))->click();
    });
    poll->start(200);
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    ui::Dialogs::installChineseTranslations();
    httpGlobalInit();
    test::FixtureShopOptions options;
    options.pages = 12;
    options.itemsPerPage = 30;
    options.delay = std::chrono::milliseconds(700);
    int startAfter = 1500;
    bool minimum = false;
    bool secondWalk = false;
    bool tick = false;
    bool baskets = false;
    for (int i = 1; i < argc; ++i) {
        const bool hasValue = i + 1 < argc;
        if (!std::strcmp(argv[i], "--pages") && hasValue)
            options.pages = std::atoi(argv[++i]);
        else if (!std::strcmp(argv[i], "--delay") && hasValue)
            options.delay = std::chrono::milliseconds(std::atoi(argv[++i]));
        else if (!std::strcmp(argv[i], "--start-after") && hasValue)
            startAfter = std::atoi(argv[++i]);
        else if (!std::strcmp(argv[i], "--minimum"))
            minimum = true;
        else if (!std::strcmp(argv[i], "--second-walk"))
            secondWalk = true;
        else if (!std::strcmp(argv[i], "--tick"))
            tick = true;
        else if (!std::strcmp(argv[i], "--basket"))
            baskets = true;
    }
    test::FixtureShop shop(options);
    if (!shop.start()) {
        std::fprintf(stderr, "fixture_shop_window: the shop did not start\n");
        return 1;
    }
    Config config = shop.config();
    config.updateUrl = "http://127.0.0.1:9/vorn/jd.php"; // refused at once, never the network
    auto state = std::make_shared<AppState>(config);
    if (!state->createLocks().ok())
        return 1;
    const QString exeDir = QDir::temp().filePath(QStringLiteral("zorvane-fixture-window"));
    QDir(exeDir).removeRecursively();
    auto* window = new ui::MainWindow(state, {exeDir.toStdString(), true});
    window->show();
    if (!window->startUp())
        return 1;
    if (minimum)
        window->resize(window->minimumSizeHint());
    window->findChild<QLineEdit*>(QString::fromUtf8("编辑框_参数_地址"))
        ->setText(QString::fromStdString(shop.firstPageUrl()));
    window->findChild<QLineEdit*>(QString::fromUtf8("编辑框_参数_间隔"))->setText(QStringLiteral("300"));
    auto* start = window->findChild<QPushButton*>(QString::fromUtf8("按钮_控制_开始2暂停"));
    QTimer::singleShot(startAfter, window, [start] { start->click(); });
    if (baskets)
        QTimer::singleShot(startAfter + 500, window, [window] { showBaskets(window); });
    if (secondWalk) {
        auto* pageLimit = window->findChild<QLineEdit*>(QString::fromUtf8("编辑框_参数_页数"));
        pageLimit->setText(QString::number(options.pages - 2));
        auto* poll = new QTimer(window);
        int walksDone = 0;
        QObject::connect(poll, &QTimer::timeout, window, [&, window, poll, pageLimit, start] {
            if (window->statusPanel()->walkState() != ui::StatusPanel::WalkState::Idle ||
                window->goodsModel()->rowCount() == 0)
                return;
            if (++walksDone == 2) {
                poll->stop();
                if (tick) {
                    window->findChild<QCheckBox*>(QString::fromUtf8("选择框_只看新品和降价"))
                        ->setChecked(true);
                    window->onFilterClicked();
                }
                return;
            }
            changePrices(shop, options);
            pageLimit->setText(QStringLiteral("0"));
            ui::Dialogs::scriptMessageAnswer(QMessageBox::Ok); // 确认清空商品吗？
            window->clearGoods();
            start->click();
        });
        QTimer::singleShot(startAfter + 500, poll, [poll] { poll->start(200); });
    }
    return app.exec();
}
