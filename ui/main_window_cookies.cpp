// 导入Cookie…: the cookies of a browser's cookie file, put into the Cookie box.
#include <QLineEdit>
#include <QPlainTextEdit>

#include <ctime>

#include "base/text.h"
#include "browser/cookie_files.h"
#include "browser/firefox_profile.h"
#include "core/log.h"
#include "ui/dialogs.h"
#include "ui/main_window.h"

namespace zorvane::ui {

namespace {

QString problemMessage(const CookieFile& file)
{
    switch (file.problem) {
    case CookieFileProblem::Unreadable:
    case CookieFileProblem::NoFirefoxProfile:
        return QString::fromStdString("无法读取Cookie文件：" + file.path);
    case CookieFileProblem::TooLarge:
        return QString::fromStdString("Cookie文件超过256 MiB，不是浏览器的Cookie文件，未导入：" + file.path);
    case CookieFileProblem::Chromium:
        return QString::fromUtf8("这是Chromium浏览器的Cookie数据库，其中的Cookie已加密，无法读取；"
                                 "请用浏览器扩展导出cookies.txt后再导入");
    case CookieFileProblem::UnknownFormat:
        return QString::fromUtf8("该文件既不是cookies.txt也不是Firefox的cookies.sqlite，未导入Cookie");
    case CookieFileProblem::None:
        break;
    }
    return {};
}

} // namespace

void MainWindow::importCookies()
{
    const std::string home = homeFolder();
    const std::string profile = defaultFirefoxProfile(home);
    const QString path = Dialogs::openFile(
        this, QString::fromUtf8("选择Cookie文件"), QString::fromStdString(profile.empty() ? home : profile),
        QString::fromUtf8("Cookie文件 (cookies.txt cookies.sqlite *.txt *.sqlite);;全部文件 (*)"));
    if (path.isEmpty())
        return;
    const CookieFile file = readCookieFile(path.toStdString(), home);
    if (file.problem != CookieFileProblem::None) {
        logAndTell(problemMessage(file), QMessageBox::Warning);
        return;
    }
    // The walk starts at the address; before one is typed, at the search host.
    std::string address = trimSpaces(m_address->text().toStdString());
    if (!isWebAddress(address))
        address = "https://" + m_state->config.searchHost + "/";
    const std::string fromFile = cookieHeaderFor(file.cookies, address, std::time(nullptr));
    appendLog(*m_state, cookieImportLogLine(file.path, fromFile));
    if (fromFile.empty()) {
        // A file of another browser profile or another site: the user meant
        // to log in, and the walk would meet the login page.
        logAndTell(QString::fromStdString(noCookieForAddress(file.path, address)), QMessageBox::Warning);
        return;
    }
    // Imported again, the file's fresher values replace those of the same name.
    m_cookie->setPlainText(
        QString::fromStdString(appendTypedCookies(m_cookie->toPlainText().toStdString(), fromFile)));
}

} // namespace zorvane::ui
