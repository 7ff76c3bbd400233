#include "ui/history_dialog.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <vector>

#include "history/history_store.h"
#include "ui/dialogs.h"
#include "ui/history_text.h"
#include "ui/tooltip_text.h"

namespace zorvane::ui {

namespace {

QString u8(const char* text)
{
    return QString::fromUtf8(text);
}

} // namespace

HistoryDialog::HistoryDialog(HistoryStore& store, QWidget* parent) : QDialog(parent), m_store(store)
{
    setObjectName(u8("历史记录对话框"));
    setWindowTitle(u8("历史记录"));
    m_list = new QTreeWidget(this);
    m_list->setObjectName(u8("超级列表框_历史"));
    m_list->setHeaderLabels({u8("时间"), u8("地址"), u8("页数"), u8("商品数"), u8("结束")});
    m_list->setRootIsDecorated(false);
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_list->header()->resizeSection(0, 150);
    m_list->header()->resizeSection(1, 400);
    auto* buttons = new QDialogButtonBox(this);
    auto* load = buttons->addButton(u8("载入"), QDialogButtonBox::AcceptRole);
    load->setObjectName(u8("按钮_历史_载入"));
    auto* remove = buttons->addButton(u8("删除"), QDialogButtonBox::ActionRole);
    remove->setObjectName(u8("按钮_历史_删除"));
    buttons->addButton(u8("关闭"), QDialogButtonBox::RejectRole);
    connect(load, &QPushButton::clicked, this, &HistoryDialog::loadSelected);
    connect(remove, &QPushButton::clicked, this, &HistoryDialog::deleteSelected);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_list, &QTreeWidget::itemDoubleClicked, this, &HistoryDialog::loadSelected);
    auto* rows = new QVBoxLayout(this);
    rows->addWidget(m_list);
    rows->addWidget(buttons);
    resize(860, 360);
    fill();
}

void HistoryDialog::fill()
{
    m_list->clear();
    const SqlRows<WalkSummary> walks = m_store.listWalks();
    for (auto walk = walks.rows.rbegin(); walk != walks.rows.rend(); ++walk) {
        const QString address = readableAddress(walk->address);
        auto* item = new QTreeWidgetItem(
            m_list, {QString::fromStdString(formatLocalTime(walk->startedMs)),
                     elideMiddle(address, kShownAddressChars), QString::number(walk->pages),
                     QString::number(walk->goodsCount), walkEndText(walk->endReason)});
        item->setData(0, Qt::UserRole, QVariant::fromValue<qlonglong>(walk->id));
        item->setToolTip(1, plainToolTip(address));
    }
    if (m_list->topLevelItemCount() > 0)
        m_list->setCurrentItem(m_list->topLevelItem(0));
}

std::int64_t HistoryDialog::selectedWalk() const
{
    const QTreeWidgetItem* item = m_list->currentItem();
    return item ? item->data(0, Qt::UserRole).toLongLong() : 0;
}

void HistoryDialog::loadSelected()
{
    m_chosen = selectedWalk();
    if (m_chosen != 0)
        accept();
}

void HistoryDialog::deleteSelected()
{
    std::vector<std::int64_t> walks;
    for (const QTreeWidgetItem* item : m_list->selectedItems())
        walks.push_back(item->data(0, Qt::UserRole).toLongLong());
    if (walks.empty())
        return;
    const QString question =
        walks.size() == 1 ? u8("确认删除这条历史记录吗？")
                          : u8("确认删除选中的%1条历史记录吗？").arg(static_cast<qsizetype>(walks.size()));
    if (Dialogs::message(this, QMessageBox::Question, u8("提示"), question,
                         QMessageBox::Ok | QMessageBox::Cancel) != QMessageBox::Ok)
        return;
    for (std::int64_t walk : walks) {
        if (const SqlStatus status = m_store.deleteWalk(walk); !status.ok()) {
            Dialogs::message(this, QMessageBox::Warning, u8("提示"),
                             u8("删除失败：") + QString::fromStdString(status.message));
            break;
        }
    }
    fill();
}

} // namespace zorvane::ui
