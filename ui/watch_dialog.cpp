#include "ui/watch_dialog.h"

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QHeaderView>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>

#include "ui/dialogs.h"

namespace zorvane::ui {

namespace {

QString cliProgram()
{
    const QString beside = QCoreApplication::applicationDirPath() + QStringLiteral("/zorvane-cli");
    if (QFileInfo(beside).isExecutable())
        return beside;
    const QString onPath = QStandardPaths::findExecutable(QStringLiteral("zorvane-cli"));
    return onPath.isEmpty() ? beside : onPath;
}

// A check's result in words: its changes, or what its standard error says
// of itself (its "zorvane-cli:" lines, else the walk log's last lines).
QString checkResult(int status, const QString& out, const QString& err)
{
    const QStringList lines = err.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QStringList remarks = lines.filter(QRegularExpression(QStringLiteral("^zorvane-cli:")));
    if (status != 0) {
        if (remarks.isEmpty())
            remarks = lines.mid(std::max(0, static_cast<int>(lines.size()) - 3));
        return QString::fromUtf8("检查失败（退出状态 %1）：\n").arg(status) + remarks.join(QLatin1Char('\n'));
    }
    if (!out.isEmpty())
        return QString::fromUtf8("有变化：\n") + out.trimmed();
    remarks.prepend(QString::fromUtf8("没有变化"));
    return remarks.join(QLatin1Char('\n'));
}

} // namespace

void runCliCommand(QObject* owner, const QStringList& args,
                   std::function<void(int status, const QString& out, const QString& err)> done,
                   const QByteArray& input)
{
    // Not the owner's child: a dialog closed while its command runs would
    // otherwise take the command's answer half destroyed. The command runs to
    // its end, answering no one; the application ends what still runs at its
    // own end.
    auto* process = new QProcess(QCoreApplication::instance());
    if (input.isEmpty())
        process->setStandardInputFile(QProcess::nullDevice());
    QObject::connect(process, &QProcess::finished, owner,
                     [process, done](int status, QProcess::ExitStatus how) {
                         done(how == QProcess::NormalExit ? status : -1,
                              QString::fromUtf8(process->readAllStandardOutput()),
                              QString::fromUtf8(process->readAllStandardError()));
                     });
    QObject::connect(process, &QProcess::errorOccurred, owner, [process, done](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            done(-1, {}, QString::fromUtf8("无法启动 zorvane-cli：") + process->errorString());
    });
    QObject::connect(process, &QProcess::finished, process, &QObject::deleteLater);
    QObject::connect(process, &QProcess::errorOccurred, process, [process](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            process->deleteLater();
    });
    process->start(cliProgram(), args);
    if (!input.isEmpty()) {
        // Kept until the child has it; its end of input is the pipe's close.
        process->write(input);
        process->closeWriteChannel();
    }
}

WatchDialog::WatchDialog(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QString::fromUtf8("管理关注"));
    setObjectName(QString::fromUtf8("窗口_管理关注"));
    m_list = new QTreeWidget(this);
    m_list->setObjectName(QString::fromUtf8("列表_关注"));
    m_list->setHeaderLabels({QString::fromUtf8("编号"), QString::fromUtf8("周期"), QString::fromUtf8("地址"),
                             QString::fromUtf8("上次搜索")});
    m_list->setRootIsDecorated(false);
    m_remove = new QPushButton(QString::fromUtf8("删除"), this);
    m_remove->setObjectName(QString::fromUtf8("按钮_删除关注"));
    m_check = new QPushButton(QString::fromUtf8("立即检查"), this);
    m_check->setObjectName(QString::fromUtf8("按钮_立即检查"));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    buttons->addButton(m_check, QDialogButtonBox::ActionRole);
    buttons->addButton(m_remove, QDialogButtonBox::ActionRole);
    m_status = new QLabel(this);
    m_status->setObjectName(QString::fromUtf8("标签_关注状态"));
    m_status->setWordWrap(true);
    m_status->setTextFormat(Qt::PlainText);
    m_status->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_list);
    layout->addWidget(m_status);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_remove, &QPushButton::clicked, this, &WatchDialog::removeChosen);
    connect(m_check, &QPushButton::clicked, this, &WatchDialog::checkChosen);
    resize(760, 320);
    reload();
}

void WatchDialog::setBusy(bool busy)
{
    m_remove->setEnabled(!busy);
    m_check->setEnabled(!busy);
}

void WatchDialog::reload()
{
    setBusy(true);
    runCliCommand(this, {QStringLiteral("watch"), QStringLiteral("list"), QStringLiteral("--format=json")},
                  [this](int, const QString& out, const QString&) {
                      m_list->clear();
                      for (const QString& line : out.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
                          const QJsonObject watch = QJsonDocument::fromJson(line.toUtf8()).object();
                          new QTreeWidgetItem(m_list, {watch[QStringLiteral("key")].toString(),
                                                       watch[QStringLiteral("every")].toString(),
                                                       watch[QStringLiteral("address")].toString(),
                                                       watch[QStringLiteral("lastWalk")].toString()});
                      }
                      if (m_list->topLevelItemCount() > 0)
                          m_list->setCurrentItem(m_list->topLevelItem(0));
                      setBusy(false);
                  });
}

QString WatchDialog::chosenKey() const
{
    const QTreeWidgetItem* item = m_list->currentItem();
    return item ? item->text(0) : QString();
}

void WatchDialog::removeChosen()
{
    const QString key = chosenKey();
    if (key.isEmpty())
        return;
    setBusy(true);
    runCliCommand(this, {QStringLiteral("watch"), QStringLiteral("remove"), key},
                  [this](int status, const QString&, const QString& err) {
                      if (status != 0)
                          Dialogs::message(this, QMessageBox::Warning, QString::fromUtf8("删除关注"), err);
                      reload();
                  });
}

void WatchDialog::checkChosen()
{
    const QString key = chosenKey();
    if (key.isEmpty())
        return;
    setBusy(true);
    // A walk of many pages takes minutes: the dialog says that it is under way.
    m_status->setText(QString::fromUtf8("正在检查 %1……").arg(key));
    runCliCommand(this, {QStringLiteral("watch"), QStringLiteral("run"), QStringLiteral("--job"), key},
                  [this, key](int status, const QString& out, const QString& err) {
                      const QString text = checkResult(status, out, err);
                      m_status->setText(QString::fromUtf8("%1：").arg(key) + text);
                      Dialogs::message(this, status == 0 ? QMessageBox::Information : QMessageBox::Warning,
                                       QString::fromUtf8("立即检查"), text);
                      reload();
                  });
}

} // namespace zorvane::ui
