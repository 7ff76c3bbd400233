// zorvane: the window program.
#include <QApplication>
#include <QCoreApplication>
#include <QMessageBox>

#include <cstdio>
#include <cstdlib>
#include <memory>

#include "core/app_state.h"
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

} // namespace

int main(int argc, char* argv[])
{
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
    std::string failure;
    if (!state->createLocks(&failure)) {
        QMessageBox box(QMessageBox::NoIcon, QString::fromUtf8("信息："), QString::fromStdString(failure));
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
