// The real window over the in-process fixture shop, for screenshots and for
// trying the window by hand: the address is filled in and, after a moment,
// the walk starts by itself.
//   fixture_shop_window [--pages N] [--delay MS] [--start-after MS] [--minimum]
#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "core/app_state.h"
#include "tests/search/fixture_shop.h"
#include "ui/dialogs.h"
#include "ui/main_window.h"
#include "web/http_request.h"

using namespace zorvane;

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
    }
    test::FixtureShop shop(options);
    if (!shop.start()) {
        std::fprintf(stderr, "fixture_shop_window: the shop did not start\n");
        return 1;
    }
    Config config = shop.config();
    config.updateUrl = "http://127.0.0.1:9/vorn/jd.php"; // refused at once, never the network
    auto state = std::make_shared<AppState>(config);
    if (!state->createLocks(nullptr))
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
    QTimer::singleShot(startAfter, window, [window] {
        window->findChild<QPushButton*>(QString::fromUtf8("按钮_控制_开始2暂停"))->click();
    });
    return app.exec();
}
