// The log box under a flood: 200,000 lines go through the real log pump into
// the window. The box keeps its last 10,000 lines, so the window's memory
// after the flood must stay within 20 % of its memory after 10,000 lines.
// Prints both figures; exits 1 when the bound is missed.
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QThread>

#include <cstdio>
#include <memory>
#include <string>

#include "bench/process_memory.h"
#include "core/app_state.h"
#include "core/log.h"
#include "ui/main_window.h"

namespace {

// Resident set size of this process, in KiB.
long residentKiB()
{
    return zorvane::bench::processStatusKiB("VmRSS:");
}

// Writes lines [from, to) the way workers do, letting the pump move them.
void feed(zorvane::AppState& state, QPlainTextEdit* box, int from, int to)
{
    constexpr int kBatch = 5000;
    for (int n = from; n < to; n += kBatch) {
        for (int i = n; i < std::min(to, n + kBatch); ++i)
            zorvane::appendLog(state, "搜索线程：(" + std::to_string(i) + "页)正在搜索... 商品 100012043978");
        const QString last = QString::number(std::min(to, n + kBatch) - 1);
        while (!box->toPlainText().endsWith(QString::fromUtf8("(") + last +
                                            QString::fromUtf8("页)正在搜索... 商品 100012043978\n"))) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
            QThread::msleep(5);
        }
    }
}

} // namespace

int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    zorvane::Config config;
    config.updateUrl = "http://127.0.0.1:9/vorn/jd.php"; // refused at once, never the network
    auto state = std::make_shared<zorvane::AppState>(config);
    if (!state->createLocks().ok())
        return 2;
    const std::string exeDir = QDir::tempPath().toStdString() + "/zorvane-log-bench";
    auto window = std::make_unique<zorvane::ui::MainWindow>(state, zorvane::ui::WindowOptions{exeDir, true});
    window->show();
    if (!window->startUp())
        return 2;
    QPlainTextEdit* box = window->logBox();

    QElapsedTimer timer;
    timer.start();
    feed(*state, box, 0, 10000);
    const long after10k = residentKiB();
    feed(*state, box, 10000, 200000);
    const long after200k = residentKiB();
    const double growth = 100.0 * static_cast<double>(after200k - after10k) / static_cast<double>(after10k);
    std::printf("log lines in the box: %d\n", box->blockCount() - 1);
    std::printf("resident after 10,000 lines: %ld KiB\n", after10k);
    std::printf("resident after 200,000 lines: %ld KiB (%+.1f %%)\n", after200k, growth);
    std::printf("time for 200,000 lines: %.1f s\n", static_cast<double>(timer.elapsed()) / 1000.0);
    window->close();
    return growth <= 20.0 ? 0 : 1;
}
