// zorvane: the window program.
#include <QApplication>
#include <QCoreApplication>
#include <QMessageBox>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "core/app_state.h"
#include "core/version.h"
#include "settings/config_file.h"
#include "settings/ini_file.h"
#include "settings/settings_file.h"
#include "ui/dialogs.h"
#include "ui/main_window.h"
#include "web/http_request.h"

namespace {

// Qt aborts with a long message when it finds no display; say it in one line.
bool displayAvailable()
{
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    if (!platform.isEmpty() && !platform.startsWith("xcb") && !platform.startsWith("wayland"))
        return true;
    return !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

// --version and --help are answered before Qt is asked for a display, so
// that they work over ssh and in scripts. True when one of them was given.
bool answeredAboutItself(int argc, char* argv[])
{
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("zorvane %s\n", zorvane::kProgramVersion);
            return true;
        }
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs("Usage: zorvane [Qt options]\n"
                       "  the window: walk a JD coupon's result pages and gather the goods\n"
                       "  --help, -h    this text\n"
                       "  --version     the version\n"
                       "The options every Qt program takes (-platform NAME, -style NAME, ...) are\n"
                       "passed to Qt. The same walk without a window: zorvane-cli --help.\n",
                       stdout);
            return true;
        }
    }
    return false;
}

} // namespace

int main(int argc, char* argv[])
{
    if (answeredAboutItself(argc, argv))
        return std::fflush(stdout) == 0 ? 0 : 1;
    if (!displayAvailable()) {
        std::fprintf(stderr,
                     "zorvane: no display found (DISPLAY is not set); start it in a desktop session\n");
        return 1;
    }
    QApplication app(argc, argv);
    zorvane::ui::Dialogs::installChineseTranslations();
    // Lets Wayland desktops match the window with the installed desktop entry and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.zorvane.Zorvane"));
    zorvane::httpGlobalInit();

    const std::string exeDir = QCoreApplication::applicationDirPath().toStdString();
    const std::string settingsPath = zorvane::settingsFilePath(exeDir);
    auto state =
        std::make_shared<zorvane::AppState>(zorvane::loadConfig(zorvane::IniFile::load(settingsPath)));
    if (const zorvane::Result<void> locks = state->createLocks(); !locks.ok()) {
        QMessageBox box(QMessageBox::NoIcon, QString::fromUtf8("信息："),
                        QString::fromStdString(locks.error()));
        box.setTextFormat(Qt::PlainText);
        box.exec();
        return 1;
    }

    // The window is never destroyed: workers may still be inside a request
    // when it closes, and the program ends without waiting for them.
    auto* window = new zorvane::ui::MainWindow(state, {exeDir, true});
    window->show();
    if (!window->startUp())
        std::_Exit(1);
    const int rc = app.exec();
    std::fflush(nullptr);
    std::_Exit(rc);
}
