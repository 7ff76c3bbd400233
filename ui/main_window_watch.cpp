// Watching a coupon from the window: zorvane-cli's watch commands run the
// timer's walks, so the window hands them the address and the options in its
// boxes and shows what they answer.
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRegularExpression>

#include <iterator>

#include "ui/dialogs.h"
#include "ui/main_window.h"
#include "ui/watch_dialog.h"
#include "ui/widget_make.h"

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
    QStringList args = {QStringLiteral("watch"),      QStringLiteral("add"),
                        QStringLiteral("--every"),    QString::fromUtf8(kPeriods[chosen][1]),
                        QStringLiteral("--interval"), m_interval->text().trimmed(),
                        QStringLiteral("--pages"),    m_pageLimit->text().trimmed()};
    if (const QString cookie = requestText(m_cookie); !cookie.isEmpty())
        args << QStringLiteral("--cookie") << cookie;
    const QString headers = requestText(m_extraHeaders);
    for (const QString& line :
         headers.split(QRegularExpression(QStringLiteral("[\r\n]+")), Qt::SkipEmptyParts))
        args << QStringLiteral("--header") << line;
    args << address;
    runCliCommand(this, args, [this](int status, const QString& out, const QString& err) {
        // Without a user service manager, the answer is the command that starts the watch.
        const QString text = status == 0 ? QString::fromUtf8("已关注此优惠券。") +
                                               (out.isEmpty() ? QString() : QStringLiteral("\n") + out)
                                         : err;
        logAndTell(text.trimmed(), status == 0 ? QMessageBox::Information : QMessageBox::Warning);
    });
}

void MainWindow::showWatchDialog()
{
    WatchDialog dialog(this);
    dialog.exec();
}

} // namespace zorvane::ui
