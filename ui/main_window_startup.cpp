// Start-up steps, settings on close, and the window side of the update
// answer: link menus and the hidden browser box.
#include <QAction>
#include <QApplication>
#include <QMenuBar>
#include <QPushButton>

#include "base/file_error.h"
#include "core/log.h"
#include "settings/settings_file.h"
#include "ui/dialogs.h"
#include "ui/feedback_bridge.h"
#include "ui/main_window.h"
#include "ui/settings_binding.h"
#include "update/update_check.h"

namespace zorvane::ui {

bool MainWindow::startUp()
{
    m_versionAction->setText(QString::fromUtf8("当前版本：") + QString::fromUtf8(kProgramVersion));
    m_state->goodsAddress.set(m_state->config.itemUrlTemplate);
    m_stop->setEnabled(false);
    m_settingsPath = settingsFilePath(m_options.exeDir);
    const IniFile settings = IniFile::load(m_settingsPath);
    loadSettings(this, settings);
    if (!settings.encodingRecognised())
        appendLog(*m_state, "设置文件编码无法识别，已按GBK读取");
    // Said now, while the user can act on it, rather than at the close.
    if (const int problem = replaceFileProblem(m_settingsPath)) {
        appendLog(*m_state, "设置无法保存：" + m_settingsPath + "（" + fileErrorCause(problem) + "）");
        m_settingsProblemLogged = true;
    }
    restoreLayout(settings);
    if (!m_options.startBackgroundThreads)
        return true;

    m_pumpQuit = std::make_shared<ManualResetEvent>();
    m_pumpDone = std::make_shared<std::atomic<bool>>(false);
    if (!Workers::startDetached([state = m_state, sink = m_sink, quit = m_pumpQuit, done = m_pumpDone] {
            logPump(*state, *sink, *quit);
            *done = true;
        })) {
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
    UpdateCheckOptions options;
    options.openAddress = [](const std::string& address) {
        // The desktop is asked from the UI thread; the application outlives the window.
        QMetaObject::invokeMethod(
            qApp, [a = QString::fromStdString(address)] { Dialogs::openWebAddress(a); },
            Qt::QueuedConnection);
    };
    // Detached: a check waiting for the endpoint never keeps the program from ending.
    return Workers::startDetached([state = m_state, sink = m_sink, quit = m_startupQuit, options]() mutable {
        options.quit = quit.get();
        updateCheck(*state, *sink, options);
    });
}

void MainWindow::saveSettingsNow()
{
    if (m_settingsPath.empty())
        return;
    IniFile settings = IniFile::load(m_settingsPath);
    const bool wasGbk = settings.encoding() == IniFile::Encoding::Gbk;
    saveSettings(this, settings);
    storeLayout(settings);
    const SettingsWrite write = writeSettingsFile(settings, m_settingsPath);
    if (write.tightened)
        appendLog(*m_state, "设置文件保存了登录Cookie等机密，已改为仅本人可读写：" + m_settingsPath);
    const FileWriteResult& written = write.result;
    if (!written.ok()) {
        if (!m_settingsProblemLogged)
            appendLog(*m_state,
                      "保存设置失败：" + m_settingsPath + "（" + fileErrorCause(written.errorNumber) + "）");
        m_settingsProblemLogged = true;
    } else if (wasGbk && settings.encoding() != IniFile::Encoding::Gbk) {
        // Once: the file is UTF-8 from now on.
        appendLog(*m_state, "设置中有GBK无法表示的字符，设置文件已改用UTF-8保存");
    }
}

void MainWindow::buildMenus(const std::vector<Menu>& menus)
{
    for (const Menu& menu : menus) {
        QMenu* parent = menu.onBar ? nullptr : menuBar()->addMenu(QString::fromStdString(menu.title));
        for (const MenuEntry& entry : menu.entries) {
            m_menuLinks.push_back(entry.link);
            const int id = static_cast<int>(m_menuLinks.size());
            const QString caption = QString::fromStdString(entry.caption);
            QAction* action = parent ? parent->addAction(caption) : menuBar()->addAction(caption);
            action->setData(id);
            connect(action, &QAction::triggered, this, [this, id] { menuCommandHook(id); });
        }
    }
}

void MainWindow::menuCommandHook(int id)
{
    if (id < 1 || id > static_cast<int>(m_menuLinks.size()))
        return;
    const std::string& link = m_menuLinks[static_cast<std::size_t>(id - 1)];
    if (link.empty())
        return;
    if (!Dialogs::openWebAddress(QString::fromStdString(link)))
        appendLog(*m_state, "忽略非网页地址的菜单链接：" + link);
}

void MainWindow::loadBrowserPage(const std::string& address)
{
    requestPageQuietly(*m_state, address);
}

} // namespace zorvane::ui
