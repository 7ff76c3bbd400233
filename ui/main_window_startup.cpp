// Start-up steps, settings on close, and the window side of the start-up
// answer: link menus and the hidden browser box.
#include "ui/main_window.h"

#include <QAction>
#include <QApplication>
#include <QMenuBar>
#include <QPushButton>

#include <system_error>

#include "core/log.h"
#include "core/text.h"
#include "services/json_service.h"
#include "startup/startup_check.h"
#include "settings/settings_file.h"
#include "ui/dialogs.h"
#include "ui/feedback_bridge.h"
#include "ui/settings_binding.h"
#include "web/http_request.h"

namespace zorvane::ui {

namespace {

// Member names the menu description never turns into entries.
bool isReservedName(const std::string& name)
{
    return name == "parseJSON" || name == "toJSONString";
}

} // namespace

bool MainWindow::startUp()
{
    m_versionAction->setText(QString::fromUtf8("当前版本：") + QString::fromUtf8(kProgramVersion));
    {
        std::lock_guard guard(*m_state->paramsLock);
        m_state->itemUrlTemplate = m_state->config.itemUrlTemplate;
    }
    m_stop->setEnabled(false);
    m_settingsPath = settingsFilePath(m_options.exeDir);
    const IniFile settings = IniFile::load(m_settingsPath);
    loadSettings(this, settings);
    if (!settings.encodingRecognised())
        appendLog(*m_state, "设置文件编码无法识别，已按GBK读取");
    restoreLayout(settings);
    if (!m_options.startBackgroundThreads)
        return true;

    m_pumpQuit = std::make_shared<ManualResetEvent>();
    m_pumpDone = std::make_shared<std::atomic<bool>>(false);
    try {
        std::thread([state = m_state, sink = m_sink, quit = m_pumpQuit, done = m_pumpDone] {
            logPump(*state, *sink, *quit);
            *done = true;
        }).detach();
    } catch (const std::system_error&) {
        m_pumpQuit.reset();
        Dialogs::message(this, QMessageBox::Critical, QString::fromUtf8("提示"),
                         QString::fromUtf8("启动日志线程失败"));
        return false;
    }
    if (!startStartupCheck()) {
        Dialogs::message(this, QMessageBox::Critical, QString::fromUtf8("提示"),
                         QString::fromUtf8("启动初始化线程失败"));
        return false;
    }
    return true;
}

bool MainWindow::startStartupCheck()
{
    m_startupQuit = std::make_shared<ManualResetEvent>();
    StartupCheckOptions options;
    options.openAddress = [](const std::string& address) {
        // The desktop is asked from the UI thread; the application outlives the window.
        QMetaObject::invokeMethod(
            qApp, [a = QString::fromStdString(address)] { Dialogs::openWebAddress(a); },
            Qt::QueuedConnection);
    };
    try {
        // Detached: a check waiting for the endpoint never keeps the program from ending.
        std::thread([state = m_state, sink = m_sink, quit = m_startupQuit, options]() mutable {
            options.quit = quit.get();
            startupCheck(*state, *sink, options);
        }).detach();
    } catch (const std::system_error&) {
        return false;
    }
    return true;
}

void MainWindow::saveSettingsNow()
{
    if (m_settingsPath.empty())
        return;
    IniFile settings = IniFile::load(m_settingsPath);
    saveSettings(this, settings);
    storeLayout(settings);
    if (!settings.save(m_settingsPath))
        appendLog(*m_state, "保存设置失败：" + m_settingsPath);
}

void MainWindow::buildMenus(const std::string& description)
{
    JsonService doc;
    if (!doc.parse(description))
        return;
    auto addEntry = [this](QMenu* menu, const std::string& caption, std::string link) {
        m_state->menuLinks.push_back(std::move(link));
        const int id = static_cast<int>(m_state->menuLinks.size());
        QAction* action = menu ? menu->addAction(QString::fromStdString(caption))
                               : menuBar()->addAction(QString::fromStdString(caption));
        action->setData(id);
        connect(action, &QAction::triggered, this, [this, id] { menuCommandHook(id); });
    };
    if (doc.exists("top")) {
        JsonService top;
        std::vector<std::string> names;
        if (top.parse(doc.getValue("top", true)) && top.keys(names) > 0) {
            for (const std::string& name : names) {
                if (!isReservedName(name))
                    addEntry(nullptr, name, top.getValue(name));
            }
        }
    }
    if (doc.exists("second")) {
        JsonService second;
        std::vector<std::string> names;
        if (second.parse(doc.getValue("second", true)) && second.keys(names) > 0) {
            for (const std::string& name : names) {
                if (isReservedName(name))
                    continue;
                QMenu* menu = menuBar()->addMenu(QString::fromStdString(name));
                JsonService entries;
                std::vector<std::string> captions;
                if (!entries.parse(second.getValue(name, true)) || entries.keys(captions) == 0)
                    continue;
                for (const std::string& caption : captions) {
                    if (!isReservedName(caption))
                        addEntry(menu, caption, entries.getValue(caption));
                }
            }
        }
    }
}

void MainWindow::menuCommandHook(int id)
{
    if (id < 1 || id > static_cast<int>(m_state->menuLinks.size()))
        return;
    const std::string& link = m_state->menuLinks[static_cast<std::size_t>(id - 1)];
    if (link.empty())
        return;
    if (!Dialogs::openWebAddress(QString::fromStdString(link)))
        appendLog(*m_state, "忽略非网页地址的菜单链接：" + link);
}

void MainWindow::loadBrowserPage(const std::string& address)
{
    if (!isWebAddress(address)) {
        appendLog(*m_state, "忽略非网页地址：" + address);
        return;
    }
    // The box renders nothing: the page is requested and its answer dropped.
    const Config config = m_state->config;
    try {
        std::thread([address, config] {
            HttpRequest request;
            request.url = address;
            request.ignoreCertErrors = config.ignoreCertErrors;
            request.caFile = config.caFile;
            httpRequest(request);
        }).detach();
    } catch (const std::system_error&) {
        appendLog(*m_state, "加载页面失败：" + address);
    }
}

} // namespace zorvane::ui
