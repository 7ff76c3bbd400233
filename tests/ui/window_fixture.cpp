#include "window_fixture.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QThread>

#include <random>

#include "core/log.h"
#include "core/walk_feedback.h"
#include "ui/dialogs.h"

namespace zorvane::test {

bool waitUntil(const std::function<bool()>& condition, int timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
        if (timer.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(2);
    }
    return true;
}

void WindowFixture::SetUp()
{
    std::random_device rd;
    exeDir = std::filesystem::temp_directory_path() / ("zorvane-ui-" + std::to_string(rd()));
    std::filesystem::create_directories(exeDir);
    ui::Dialogs::resetScript();
    ui::Dialogs::captureOpenedAddresses(true);
    openWindow();
}

void WindowFixture::TearDown()
{
    closeWindow();
    ui::Dialogs::resetScript();
    std::error_code ec;
    std::filesystem::remove_all(exeDir, ec);
}

void WindowFixture::openWindow(Config config, bool backgroundThreads)
{
    closeWindow();
    if (config.updateUrl == Config().updateUrl)
        config.updateUrl = "http://127.0.0.1:9/vorn/jd.php"; // refused at once, never the network
    state = std::make_shared<AppState>(std::move(config));
    ASSERT_TRUE(state->createLocks().ok());
    window = std::make_unique<ui::MainWindow>(state, ui::WindowOptions{exeDir.string(), backgroundThreads});
    window->show();
    ASSERT_TRUE(window->startUp());
}

void WindowFixture::closeWindow()
{
    if (!window)
        return;
    if (window->closeNeedsConfirmation())
        ui::Dialogs::scriptMessageAnswer(QMessageBox::Ok); // 退出
    window->close();
    window.reset();
}

void WindowFixture::storeWalkGoods(const GoodsRecord& record)
{
    const std::int64_t n = state->goods.append(record);
    window->feedbackHandler(newGoodsFeedback(StoredGoods{record, 1, static_cast<int>(n), n}));
}

bool WindowFixture::logShows(const std::string& text, int timeoutMs)
{
    const QString wanted = QString::fromStdString(text);
    return waitUntil([&] { return logBoxText().contains(wanted); }, timeoutMs);
}

QString WindowFixture::logBoxText() const
{
    return control<QPlainTextEdit>("编辑框_日志")->toPlainText();
}

} // namespace zorvane::test
