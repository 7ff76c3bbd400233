// Watching a coupon from the window: zorvane-cli's watch commands run the
// timer's walks, so the window hands them the address and the options in its
// boxes and shows what they answer.
#include <QFileInfo>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRegularExpression>

#include <iterator>

#include "search/search_thread.h"
#include "settings/settings_file.h"
#include "ui/dialogs.h"
#include "ui/main_window.h"
#include "ui/watch_dialog.h"
#include "ui/widget_make.h"
#include "web/cookies.h"

namespace zorvane::ui {

void MainWindow::watchCoupon()
{
    const QString address = m_address->text().trimmed();
    if (address.isEmpty()) {
        logAndTell(QString::fromUtf8("请先填写优惠券地址"), QMessageBox::Warning);
        return;
    }
    static const char* const kPeriods[][2] = {{"每1小时", "1h"}, {"每6小时", "6h"}, {"每天", "1d"}};
    QStringList buttons;
    for (const auto& period : kPeriods)
        buttons << QString::fromUtf8(period[0]);
    buttons << QString::fromUtf8("取消");
    const int chosen = Dialogs::choose(this, QString::fromUtf8("关注此优惠券"),
                                       QString::fromUtf8("多久检查一次这张优惠券？"), buttons, {})
                           .button;
    if (chosen < 0 || chosen >= static_cast<int>(std::size(kPeriods)))
        return;
    // The boxes are read as a start reads them: an empty 搜索页数 is no limit.
    const int interval = readWholeNumber(m_interval->text().toStdString());
    const int pages = readWholeNumber(m_pageLimit->text().toStdString());
    if (interval < 0 || pages < 0) {
        logAndTell(QString::fromUtf8(interval < 0 ? "翻页间隔不能为负数" : "搜索页数不能为负数"),
                   QMessageBox::Warning);
        return;
    }
    QStringList args = {
        QStringLiteral("watch"),      QStringLiteral("add"),
        QStringLiteral("--every"),    QString::fromUtf8(kPeriods[chosen][1]),
        QStringLiteral("--interval"), QString::number(interval),
        QStringLiteral("--pages"),    QString::number(pages),
        QStringLiteral("--db"),       QString::fromStdString(historyFilePath(m_settingsPath))};
    // The timer's walks reach the shop as the window's do: hosts, certificates and proxy of [配置].
    if (QFileInfo::exists(QString::fromStdString(m_settingsPath)))
        args << QStringLiteral("--config") << QString::fromStdString(m_settingsPath);
    // The cookie and the headers go on the child's standard input: its command
    // line is readable by every local user.
    QByteArray secrets;
    if (const std::string cookie = joinCookieLines(requestText(m_cookie).toStdString()); !cookie.empty())
        secrets += "--cookie=" + QByteArray::fromStdString(cookie) + "\n";
    const QString headers = requestText(m_extraHeaders);
    for (const QString& line :
         headers.split(QRegularExpression(QStringLiteral("[\r\n]+")), Qt::SkipEmptyParts))
        secrets += "--header=" + line.toUtf8() + "\n";
    if (!secrets.isEmpty())
        args << QStringLiteral("--options-stdin");
    args << address;
    addWatch(args, secrets);
}

void MainWindow::addWatch(const QStringList& args, const QByteArray& secrets)
{
    runCliCommand(
        this, args,
        [this, args, secrets](int status, const QString& out, const QString& err) {
            // A coupon watched already keeps its watch unless the user says to
            // replace it with what the boxes hold now.
            if (status == 2 && err.contains(QStringLiteral("--replace")) &&
                !args.contains(QStringLiteral("--replace"))) {
                const QStringList buttons = {QString::fromUtf8("替换"), QString::fromUtf8("取消")};
                const QString question =
                    QString::fromUtf8("这张优惠券已在关注中。用现在的设置替换原来的关注吗？\n\n") +
                    err.trimmed();
                if (Dialogs::choose(this, QString::fromUtf8("关注此优惠券"), question, buttons, {}).button ==
                    0) {
                    QStringList replacing = args;
                    replacing.insert(2, QStringLiteral("--replace"));
                    addWatch(replacing, secrets);
                }
                return;
            }
            if (status == 0 && out.isEmpty()) {
                logAndTell(QString::fromUtf8("已关注此优惠券。"), QMessageBox::Information);
                return;
            }
            // Without a user service manager nothing is scheduled: the answer is
            // the command that starts the watch, to copy into a session.
            const QString text = status == 0 ? QString::fromUtf8("关注已保存，但还没有安排定时检查。\n") +
                                                   err.trimmed() + QStringLiteral("\n") + out.trimmed()
                                             : err.trimmed();
            logAndTell(text, QMessageBox::Warning);
        },
        secrets);
}

void MainWindow::showWatchDialog()
{
    WatchDialog dialog(this);
    dialog.exec();
}

} // namespace zorvane::ui
