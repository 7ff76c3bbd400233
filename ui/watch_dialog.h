#pragma once

#include <QDialog>
#include <QStringList>

#include <functional>

class QLabel;
class QTreeWidget;
class QPushButton;

namespace zorvane::ui {

// Runs zorvane-cli with args without waiting for it; done gets its exit
// status and outputs on the window's thread. The program is the one next to
// the window's, else the one on PATH. input is its whole standard input
// (secrets go there, never into args).
void runCliCommand(QObject* owner, const QStringList& args,
                   std::function<void(int status, const QString& out, const QString& err)> done,
                   const QByteArray& input = {});

// 管理关注: the coupons watched on timers, with remove and 立即检查 (one walk
// of the watch now).
class WatchDialog final : public QDialog
{
    Q_OBJECT

public:
    explicit WatchDialog(QWidget* parent = nullptr);

private:
    void reload();
    void removeChosen();
    void checkChosen();
    QString chosenKey() const;
    void setBusy(bool busy);

    QTreeWidget* m_list = nullptr;
    QPushButton* m_remove = nullptr;
    QPushButton* m_check = nullptr;
    QLabel* m_status = nullptr; // what a check is doing, then what it found
};

} // namespace zorvane::ui
