// Keyboard and context-menu ways to the window's commands.
#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QShortcut>
#include <QTableView>

#include "base/text.h"
#include "ui/dialogs.h"
#include "ui/goods_panel.h"
#include "ui/goods_table_model.h"
#include "ui/list_lock.h"
#include "ui/main_window.h"

namespace zorvane::ui {

namespace {

void copyText(const std::string& text)
{
    QApplication::clipboard()->setText(QString::fromStdString(text));
}

} // namespace

void MainWindow::connectShortcuts()
{
    connect(m_address, &QLineEdit::returnPressed, this, [this] {
        if (m_startPause->isEnabled() && !m_state->walk.walking())
            m_startPause->click();
    });
    auto* exportKey = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_E), this);
    connect(exportKey, &QShortcut::activated, this, [this] {
        if (QPushButton* exportButton = m_goods->widgets().exportButton; exportButton->isEnabled())
            exportButton->click();
    });
    for (QKeyCombination key : {Qt::CTRL | Qt::Key_Q, Qt::CTRL | Qt::Key_W}) {
        auto* closeKey = new QShortcut(QKeySequence(key), this);
        connect(closeKey, &QShortcut::activated, this, &QWidget::close);
    }
    auto* copyKey =
        new QShortcut(QKeySequence::Copy, m_goods->widgets().view, nullptr, nullptr, Qt::WidgetShortcut);
    connect(copyKey, &QShortcut::activated, this, [this] {
        if (const QString rows = selectedRowsText(); !rows.isEmpty())
            QApplication::clipboard()->setText(rows);
    });
}

QString MainWindow::selectedRowsText() const
{
    const GoodsWidgets& goods = m_goods->widgets();
    goods.model->flush();
    QModelIndexList selected = goods.view->selectionModel()->selectedRows();
    std::sort(selected.begin(), selected.end());
    QString text;
    for (const QModelIndex& index : selected) {
        if (const GoodsTableModel::Row* row = goods.model->rowAt(index.row()))
            text += QString::fromStdString(row->shownName + '\t' + row->goodsId + '\t' + row->priceText +
                                           '\t' + row->shownTags + '\n');
    }
    return text;
}

std::string MainWindow::goodsLink(int row) const
{
    const GoodsTableModel::Row* goods = m_goods->widgets().model->rowAt(row);
    const std::string id = goods ? removeSpaces(goods->goodsId) : std::string();
    if (id.empty())
        return {};
    return m_state->goodsAddress.addressOf(id);
}

void MainWindow::showGoodsMenu(const QPoint& at)
{
    const GoodsWidgets& goods = m_goods->widgets();
    const QModelIndex index = goods.view->indexAt(at);
    const GoodsTableModel::Row* row = goods.model->rowAt(index.row());
    if (!index.isValid() || !row || isListLocked(goods.view))
        return;
    const int r = index.row();
    QMenu menu(this);
    connect(menu.addAction(QString::fromUtf8("打开商品页")), &QAction::triggered, this,
            [this, r] { Dialogs::openWebAddress(QString::fromStdString(goodsLink(r))); });
    connect(menu.addAction(QString::fromUtf8("复制商品ID")), &QAction::triggered, this,
            [id = row->goodsId] { copyText(id); });
    connect(menu.addAction(QString::fromUtf8("复制名称")), &QAction::triggered, this,
            [name = row->shownName] { copyText(name); });
    connect(menu.addAction(QString::fromUtf8("复制商品链接")), &QAction::triggered, this,
            [this, r] { copyText(goodsLink(r)); });
    menu.exec(goods.view->viewport()->mapToGlobal(at));
}

} // namespace zorvane::ui
