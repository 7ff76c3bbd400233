// The window side of the feedback channel and the goods commands: clear,
// filter, sort, export and opening a goods item's page.
#include <QCheckBox>
#include <QFileInfo>
#include <QHeaderView>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QTreeWidget>

#include "base/text.h"
#include "core/log.h"
#include "core/walk_feedback.h"
#include "goods/csv_export.h"
#include "goods/display_text.h"
#include "goods/filter.h"
#include "goods/sort.h"
#include "goods/xlsx_export.h"
#include "ui/dialogs.h"
#include "ui/feedback_bridge.h"
#include "ui/goods_table_model.h"
#include "ui/list_lock.h"
#include "ui/main_window.h"

namespace zorvane::ui {

void MainWindow::feedbackHandler(const Feedback& message)
{
    switch (message.code) {
    case kFeedbackLog:
        if (message.text)
            appendLogText(*message.text);
        break;
    case kFeedbackMenu:
        buildMenus(message.menus);
        break;
    case kFeedbackCaption:
        if (message.text)
            setWindowTitle(QString::fromStdString(*message.text));
        break;
    case kFeedbackMessage:
        if (message.text)
            Dialogs::message(this, QMessageBox::NoIcon, QString::fromUtf8("提示"),
                             QString::fromStdString(*message.text));
        break;
    case kFeedbackLoadPage:
        if (message.text)
            loadBrowserPage(*message.text);
        break;
    case kFeedbackNewGoods:
        showNewGoods(message.number, true);
        break;
    case kFeedbackPageDone:
        m_status->setPagesDone(static_cast<int>(message.number));
        break;
    case kFeedbackChanges:
        showChanges(message.changes);
        break;
    case kFeedbackShowGoods:
        if (auto record = m_state->goods.copyAt(message.number))
            addGoodsRow(*record);
        break;
    case kFeedbackSearchEnded:
        onSearchEnded(walkEndReasonOf(message.number));
        refreshPriceChart();
        break;
    case kFeedbackFilterEnded:
    case kFeedbackSortEnded: {
        const bool filter = message.code == kFeedbackFilterEnded;
        m_goodsModel->flush();
        m_state->workers.release(filter ? Worker::Filter : Worker::Sort);
        control<QPushButton>("按钮_筛选")->setEnabled(true);
        setListLocked(m_goodsView, false);
        showSortDirection();
        appendLog(*m_state, filter ? "筛选完毕" : "排序完毕");
        refreshPriceChart();
        break;
    }
    case kFeedbackExportEnded:
        m_state->workers.release(Worker::Export);
        control<QPushButton>("按钮_导出")->setEnabled(true);
        if (message.number == 1)
            m_exported = m_exportStarted;
        appendLog(*m_state, "导出完毕");
        if (message.number == 0 && message.text)
            tellExportFailure(QString::fromStdString(*message.text));
        break;
    default:
        break;
    }
}

void MainWindow::addGoodsRow(const GoodsRecord& record)
{
    if (record.passesFilter != 0)
        m_goodsModel->appendRecord(record);
}

void MainWindow::appendLogText(const std::string& text)
{
    QTextCursor cursor = m_logBox->textCursor();
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(QString::fromStdString(replaceAll(text, "\r\n", "\n")));
    m_logBox->setTextCursor(cursor);
    m_logBox->ensureCursorVisible();
}

void MainWindow::clearGoods()
{
    if (!confirmClear() || !busyCheck(*m_state, true))
        return;
    emptyGoods();
}

bool MainWindow::confirmClear()
{
    return Dialogs::message(this, QMessageBox::Question, QString::fromUtf8("提示"),
                            QString::fromUtf8("确认清空商品吗？"),
                            QMessageBox::Ok | QMessageBox::Cancel) == QMessageBox::Ok;
}

void MainWindow::emptyGoods()
{
    m_state->goods.clear([this] {
        m_goodsModel->clear();
        m_tagList->clear();
    });
    m_storeCount = 0;
    // Cleared goods cannot be exported any more: closing loses nothing of them.
    m_gathered = m_exportStarted = m_exported = 0;
    m_sorted = false;
    m_status->setGoods(0);
    showSortDirection();
    refreshPriceChart();
    appendLog(*m_state, "已清空");
}

void MainWindow::clearLog()
{
    if (Dialogs::message(this, QMessageBox::Information, QString::fromUtf8("提示"),
                         QString::fromUtf8("确认清除日志？"),
                         QMessageBox::Ok | QMessageBox::Cancel) != QMessageBox::Ok)
        return;
    m_logBox->clear();
}

FilterCriteria MainWindow::readFilterCriteria() const
{
    std::vector<std::string> ticked;
    for (int i = 0; i < m_tagList->topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = m_tagList->topLevelItem(i);
        if (item->checkState(0) == Qt::Checked)
            ticked.push_back(item->data(0, Qt::UserRole).toString().toStdString());
    }
    FilterCriteria criteria =
        makeFilterCriteria(std::move(ticked), editText(QString::fromUtf8("编辑框_价格min")).toStdString(),
                           editText(QString::fromUtf8("编辑框_价格max")).toStdString());
    criteria.onlyNewOrCheaper = control<QCheckBox>("选择框_只看新品和降价")->isChecked();
    return criteria;
}

void MainWindow::onFilterClicked()
{
    auto* filterButton = control<QPushButton>("按钮_筛选");
    filterButton->setEnabled(false);
    if (!busyCheck(*m_state, true)) {
        filterButton->setEnabled(true);
        return;
    }
    const FilterCriteria criteria = readFilterCriteria();
    setListLocked(m_goodsView, true);
    m_goodsModel->clear();
    if (!m_state->workers.start(Worker::Filter, [state = m_state, sink = m_sink, criteria] {
            runFilter(*state, *sink, criteria);
        })) {
        logAndTell(QString::fromUtf8("启动筛选线程失败"), QMessageBox::NoIcon);
        filterButton->setEnabled(true);
        setListLocked(m_goodsView, false);
    }
}

void MainWindow::onGoodsHeaderClicked(int column)
{
    // The header flips its mark on any click; it shows the store's order only.
    showSortDirection();
    if (isListLocked(m_goodsView) ||
        m_goodsModel->headerData(column, Qt::Horizontal, Qt::DisplayRole).toString() !=
            QString::fromUtf8("价格") ||
        !busyCheck(*m_state, true))
        return;
    setListLocked(m_goodsView, true);
    control<QPushButton>("按钮_筛选")->setEnabled(false);
    m_goodsModel->clear();
    m_state->goods.toggleSortDirection();
    m_sorted = true;
    if (!m_state->workers.start(Worker::Sort, [state = m_state, sink = m_sink] { runSort(*state, *sink); })) {
        logAndTell(QString::fromUtf8("启动排序线程失败"), QMessageBox::NoIcon);
        control<QPushButton>("按钮_筛选")->setEnabled(true);
        setListLocked(m_goodsView, false);
    }
}

void MainWindow::showSortDirection()
{
    QHeaderView* header = m_goodsView->horizontalHeader();
    header->setSortIndicatorShown(m_sorted);
    header->setSortIndicator(GoodsTableModel::kPriceColumn,
                             m_state->goods.sortAscending() ? Qt::AscendingOrder : Qt::DescendingOrder);
}

void MainWindow::onGoodsListClicked()
{
    m_goodsModel->flush();
    const QModelIndexList selected = m_goodsView->selectionModel()->selectedRows();
    if (selected.isEmpty() || isListLocked(m_goodsView))
        return;
    if (const std::string link = goodsLink(selected.first().row()); !link.empty())
        Dialogs::openWebAddress(QString::fromStdString(link));
}

void MainWindow::onExportClicked()
{
    auto* exportButton = control<QPushButton>("按钮_导出");
    exportButton->setEnabled(false);
    if (m_state->workers.running(Worker::Export)) {
        appendLog(*m_state, "正在导出中");
        exportButton->setEnabled(true);
        return;
    }
    QObject* dialog = findChild<QObject*>(QString::fromUtf8("通用对话框_导出"));
    const QString proposed = proposedExportPath();
    dialog->setProperty("initialDirectory", QFileInfo(proposed).absolutePath());
    QString chosenFilter;
    const QString path = Dialogs::saveFile(this, dialog->property("title").toString(), proposed,
                                           dialog->property("filter").toString(),
                                           dialog->property("defaultSuffix").toString(), &chosenFilter);
    if (path.isEmpty()) {
        exportButton->setEnabled(true);
        return;
    }
    const CsvEncoding encoding =
        chosenFilter.contains(QStringLiteral("UTF-8")) ? CsvEncoding::Utf8 : CsvEncoding::Gbk;
    m_exportDir = QFileInfo(path).absolutePath();
    m_exportStarted = m_gathered;
    const bool workbook = path.endsWith(QStringLiteral(".xlsx"), Qt::CaseInsensitive);
    if (!m_state->workers.start(
            Worker::Export, [state = m_state, sink = m_sink, file = path.toStdString(), workbook, encoding] {
                if (workbook)
                    runXlsxExport(*state, *sink, file);
                else
                    runExport(*state, *sink, file, encoding);
            })) {
        logAndTell(QString::fromUtf8("启动导出线程失败"), QMessageBox::NoIcon);
        exportButton->setEnabled(true);
    }
}

void MainWindow::tellExportFailure(const QString& text)
{
    // Shown once the worker's last message has returned, so that the worker
    // does not wait on the box.
    QMetaObject::invokeMethod(
        this, [this, text] { Dialogs::message(this, QMessageBox::Warning, QString::fromUtf8("提示"), text); },
        Qt::QueuedConnection);
}

} // namespace zorvane::ui
