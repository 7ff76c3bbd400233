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
#include "goods/csv_export.h"
#include "goods/display_text.h"
#include "goods/filter.h"
#include "goods/sort.h"
#include "goods/xlsx_export.h"
#include "ui/dialogs.h"
#include "ui/feedback_bridge.h"
#include "ui/goods_panel.h"
#include "ui/goods_table_model.h"
#include "ui/list_lock.h"
#include "ui/log_panel.h"
#include "ui/main_window.h"

namespace zorvane::ui {

void MainWindow::feedbackHandler(const Feedback& message)
{
    switch (message.code) {
    case kFeedbackLog:
        if (message.text)
            m_log->append(*message.text);
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
        if (message.goods)
            m_goods->showNewGoods(message.goods->record, message.goods->count, true);
        break;
    case kFeedbackPageDone:
        m_status->setPagesDone(static_cast<int>(message.number));
        break;
    case kFeedbackChanges:
        m_goods->showChanges(message.changes);
        break;
    case kFeedbackClearGoods:
        emptyGoods();
        break;
    case kFeedbackShowGoods:
        if (auto record = m_state->goods.copyAt(message.number))
            m_goods->addGoodsRow(*record);
        break;
    case kFeedbackSearchEnded:
        if (!message.end)
            break;
        onSearchEnded(*message.end);
        m_goods->refreshPriceChart();
        break;
    case kFeedbackFilterEnded:
    case kFeedbackSortEnded: {
        const bool filter = message.code == kFeedbackFilterEnded;
        const GoodsWidgets& goods = m_goods->widgets();
        goods.model->flush();
        m_state->workers.release(filter ? Worker::Filter : Worker::Sort);
        goods.filter->setEnabled(true);
        setListLocked(goods.view, false);
        m_goods->showSortDirection();
        appendLog(*m_state, filter ? "筛选完毕" : "排序完毕");
        m_goods->refreshPriceChart();
        break;
    }
    case kFeedbackExportEnded:
        m_state->workers.release(Worker::Export);
        m_goods->widgets().exportButton->setEnabled(true);
        if (message.number == 1)
            m_goods->exportSucceeded();
        appendLog(*m_state, "导出完毕");
        if (message.number == 0 && message.text)
            tellExportFailure(QString::fromStdString(*message.text));
        break;
    default:
        break;
    }
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
    m_goods->clear();
    m_status->setGoods(0);
    appendLog(*m_state, "已清空");
}

void MainWindow::onFilterClicked()
{
    const GoodsWidgets& goods = m_goods->widgets();
    goods.filter->setEnabled(false);
    if (!busyCheck(*m_state, true)) {
        goods.filter->setEnabled(true);
        return;
    }
    const FilterCriteria criteria = m_goods->filterCriteria();
    setListLocked(goods.view, true);
    goods.model->clear();
    if (!m_state->workers.start(Worker::Filter, [state = m_state, sink = m_sink, criteria] {
            runFilter(*state, *sink, criteria);
        })) {
        logAndTell(QString::fromUtf8("启动筛选线程失败"), QMessageBox::NoIcon);
        goods.filter->setEnabled(true);
        setListLocked(goods.view, false);
    }
}

void MainWindow::onGoodsHeaderClicked(int column)
{
    const GoodsWidgets& goods = m_goods->widgets();
    // The header flips its mark on any click; it shows the store's order only.
    m_goods->showSortDirection();
    if (isListLocked(goods.view) ||
        goods.model->headerData(column, Qt::Horizontal, Qt::DisplayRole).toString() !=
            QString::fromUtf8("价格") ||
        !busyCheck(*m_state, true))
        return;
    setListLocked(goods.view, true);
    goods.filter->setEnabled(false);
    goods.model->clear();
    const bool ascending = m_goods->turnSortDirection();
    if (!m_state->workers.start(Worker::Sort, [state = m_state, sink = m_sink, ascending] {
            runSort(*state, *sink, ascending);
        })) {
        logAndTell(QString::fromUtf8("启动排序线程失败"), QMessageBox::NoIcon);
        goods.filter->setEnabled(true);
        setListLocked(goods.view, false);
    }
}

void MainWindow::clearLog()
{
    m_log->clear();
}

void MainWindow::onGoodsListClicked(int row)
{
    m_goods->widgets().model->flush();
    if (isListLocked(m_goods->widgets().view))
        return;
    if (const std::string link = goodsLink(row); !link.empty())
        Dialogs::openWebAddress(QString::fromStdString(link));
}

void MainWindow::onExportClicked()
{
    QPushButton* exportButton = m_goods->widgets().exportButton;
    exportButton->setEnabled(false);
    if (m_state->workers.running(Worker::Export)) {
        appendLog(*m_state, "正在导出中");
        exportButton->setEnabled(true);
        return;
    }
    QObject* dialog = m_exportDialog;
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
    m_goods->exportStarting();
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
