#include "ui/main_window.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSplitter>
#include <QStatusBar>
#include <QTableView>
#include <QThread>
#include <QVBoxLayout>

#include "core/log.h"
#include "history/history_recorder.h"
#include "history/history_store.h"
#include "ui/dialogs.h"
#include "ui/feedback_bridge.h"
#include "ui/goods_panel.h"
#include "ui/goods_table_model.h"
#include "ui/list_lock.h"
#include "ui/log_panel.h"
#include "ui/widget_make.h"
#include "ui/widget_names.h"

namespace zorvane::ui {

namespace names = widget_names;

MainWindow::MainWindow(std::shared_ptr<AppState> state, WindowOptions options, QWidget* parent)
    : QMainWindow(parent), m_state(std::move(state)), m_options(std::move(options))
{
    setWindowTitle(u8("Zorvane"));
    auto* about = menuBar()->addMenu(u8("关于"));
    m_versionAction = about->addAction(u8("关于"));
    buildHistoryMenu();
    m_goods = new GoodsPanel(m_state, this);
    m_log = new LogPanel(this);
    buildControls();
    m_status = new StatusPanel(this);
    statusBar()->addWidget(m_status, 1);
    m_bridge = new FeedbackBridge([this](const Feedback& m) { feedbackHandler(m); }, this);
    m_bridge->setObjectName(u8(names::kFeedbackBridge));
    m_sink = std::make_shared<GuardedSink>(m_bridge);
    connectCommands();
    connectShortcuts();
    placeOnScreen();
}

MainWindow::~MainWindow()
{
    m_sink->detach();
    if (m_startupQuit)
        m_startupQuit->set();
    if (m_pumpQuit) {
        // The pump may be waiting in a send to this window: let it finish.
        m_pumpQuit->set();
        while (!m_pumpDone->load()) {
            QCoreApplication::processEvents();
            QThread::msleep(1);
        }
    }
}

FeedbackSink& MainWindow::sink()
{
    return *m_bridge;
}

void MainWindow::buildControls()
{
    auto* central = new QWidget(this);
    central->setObjectName(u8(names::kCentral));
    setCentralWidget(central);

    auto* controls = group(central, names::kControlGroup, "控制");
    buildControlGroup(controls);
    auto* tags = group(central, names::kTagGroup, "筛选");
    m_goods->buildTagGroup(tags);
    auto* goods = group(central, names::kGoodsGroup, "商品列表");
    m_goods->buildGoodsGroup(goods);
    auto* log = group(central, names::kLogGroup, "日志");
    m_log->build(log);

    auto* lists = new QWidget;
    auto* listsRow = new QHBoxLayout(lists);
    listsRow->setContentsMargins(0, 0, 0, 0);
    listsRow->addWidget(tags);
    listsRow->addWidget(goods, 1);
    m_splitter = new QSplitter(Qt::Vertical, central);
    m_splitter->setObjectName(u8(names::kSplitter));
    m_splitter->setChildrenCollapsible(false);
    m_splitter->addWidget(lists);
    m_splitter->addWidget(log);
    m_splitter->setStretchFactor(0, 3);
    m_splitter->setStretchFactor(1, 2);
    // The lists first: on a laptop screen the tags and the price chart still fit.
    m_splitter->setSizes({390, 160});

    auto* column = new QVBoxLayout(central);
    column->setContentsMargins(6, 4, 6, 2);
    column->addWidget(controls);
    column->addWidget(m_splitter, 1);

    auto* feedbackLabel = label(central, names::kFeedbackLabel, "反馈标签");
    feedbackLabel->setVisible(false);
    auto* browser = named<QWidget>(central, names::kBrowser);
    browser->setGeometry(-32767, -32767, 1, 1);
    browser->setVisible(false);
    m_exportDialog = new QObject(this);
    m_exportDialog->setObjectName(u8(names::kExportDialog));
    m_exportDialog->setProperty("title", u8("选择保存位置"));
    // GBK first: it stays the default; UTF-8 keeps what GBK lacks (emoji, Hangul).
    m_exportDialog->setProperty(
        "filter", u8("CSV文件 GBK(*.csv);;CSV文件 UTF-8(*.csv);;Excel 工作簿 (*.xlsx);;全部文件(*.*)"));
    m_exportDialog->setProperty("defaultSuffix", u8("csv"));
    m_exportDialog->setProperty("initialDirectory", QString::fromStdString(m_options.exeDir));
}

void MainWindow::buildControlGroup(QWidget* g)
{
    QFont bold = font();
    bold.setBold(true);

    auto* address = new QHBoxLayout;
    address->addWidget(label(g, names::kAddressLabel, "可用商品地址："));
    m_address = lineEdit(g, names::kAddress, "");
    address->addWidget(m_address, 1);

    auto* commonTitle = label(g, names::kCommonTitle, "普通选项");
    commonTitle->setFont(bold);
    auto* common = new QGridLayout;
    common->addWidget(commonTitle, 0, 0, 1, 3);
    common->addWidget(label(g, names::kIntervalLabel, "翻页间隔(毫秒)："), 1, 0);
    m_interval = numberBox(g, names::kInterval, "1000", InputMode::Kind::Integer);
    common->addWidget(m_interval, 1, 1);
    auto* hint = label(g, names::kIntervalHint, "如果翻页过快遭到京东限制，可增大这个间隔，1秒=1000毫秒");
    QPalette grey = hint->palette();
    grey.setColor(QPalette::WindowText, QColor(128, 128, 128));
    hint->setPalette(grey);
    common->addWidget(hint, 2, 0, 1, 3);
    common->addWidget(label(g, names::kPageLimitLabel, "搜索页数(0为不限制)："), 3, 0);
    m_pageLimit = numberBox(g, names::kPageLimit, "0", InputMode::Kind::Integer);
    common->addWidget(m_pageLimit, 3, 1);
    common->setColumnStretch(2, 1);

    auto* advancedTitle = label(g, names::kAdvancedTitle, "高级选项(一般无需修改)");
    advancedTitle->setFont(bold);
    auto* advanced = new QGridLayout;
    advanced->addWidget(advancedTitle, 0, 0, 1, 2);
    advanced->addWidget(label(g, names::kExtraHeadersLabel, "附加协议头"), 1, 0);
    auto* cookieTitle = new QHBoxLayout;
    cookieTitle->addWidget(label(g, names::kCookieLabel, "Cookie"));
    cookieTitle->addStretch(1);
    m_importCookies = button(g, names::kImportCookies, "导入Cookie…");
    cookieTitle->addWidget(m_importCookies);
    advanced->addLayout(cookieTitle, 1, 1);
    m_extraHeaders = textEdit(g, names::kExtraHeaders);
    m_cookie = textEdit(g, names::kCookie);
    int c = 0;
    for (QPlainTextEdit* box : {m_extraHeaders, m_cookie}) {
        box->setTabChangesFocus(true); // Tab moves on: no header or cookie holds a tab
        box->setFixedHeight(box->fontMetrics().lineSpacing() * 3 + 12);
        box->setMinimumWidth(140);
        advanced->addWidget(box, 2, c++);
    }
    advanced->setRowStretch(3, 1);

    auto* run = new QVBoxLayout;
    m_startPause = button(g, names::kStartPause, "开始");
    m_stop = button(g, names::kStop, "停止");
    for (QPushButton* b : {m_startPause, m_stop}) {
        b->setMinimumSize(64, 36);
        b->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);
        run->addWidget(b);
    }

    auto* options = new QHBoxLayout;
    options->addLayout(common);
    options->addSpacing(16);
    options->addLayout(advanced, 1);
    options->addSpacing(16);
    options->addLayout(run);
    auto* rows = new QVBoxLayout(g);
    rows->setContentsMargins(8, 6, 8, 8);
    rows->addLayout(address);
    rows->addLayout(options);
    g->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Maximum);
}

void MainWindow::connectCommands()
{
    connect(m_startPause, &QPushButton::clicked, this, &MainWindow::startPause);
    connect(m_stop, &QPushButton::clicked, this, &MainWindow::stopCommand);
    const GoodsWidgets& goods = m_goods->widgets();
    connect(goods.clear, &QPushButton::clicked, this, &MainWindow::clearGoods);
    connect(goods.filter, &QPushButton::clicked, this, &MainWindow::onFilterClicked);
    connect(goods.exportButton, &QPushButton::clicked, this, &MainWindow::onExportClicked);
    connect(goods.basket, &QPushButton::clicked, this, &MainWindow::showBasketDialog);
    connect(m_importCookies, &QPushButton::clicked, this, &MainWindow::importCookies);
    connect(goods.view->horizontalHeader(), &QHeaderView::sectionClicked, this,
            &MainWindow::onGoodsHeaderClicked);
    connect(goods.view, &QWidget::customContextMenuRequested, this, &MainWindow::showGoodsMenu);
    connect(m_goods, &GoodsPanel::rowClicked, this, &MainWindow::onGoodsListClicked);
    connect(m_goods, &GoodsPanel::goodsCounted, m_status, &StatusPanel::setGoods);
    const auto countShown = [this] { m_status->setShown(goodsModel()->rowCount()); };
    connect(goods.model, &QAbstractItemModel::rowsInserted, this, countShown);
    connect(goods.model, &QAbstractItemModel::modelReset, this, countShown);
}

GoodsTableModel* MainWindow::goodsModel() const
{
    return m_goods->widgets().model;
}

QPlainTextEdit* MainWindow::logBox() const
{
    return m_log->box();
}

PriceChart* MainWindow::priceChart() const
{
    return m_goods->widgets().chart;
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    if (const QString question = closeQuestion();
        !question.isEmpty() && !Dialogs::question(this, u8("提示"), question, u8("退出"), u8("取消"))) {
        event->ignore();
        return;
    }
    // Workers are not waited for: the program ends right after the window.
    saveSettingsNow();
    event->accept();
}

bool MainWindow::closeNeedsConfirmation() const
{
    return !closeQuestion().isEmpty();
}

QString MainWindow::closeQuestion() const
{
    // Goods that would be lost weigh more than the walk that finds more.
    if (m_goods->hasUnexported())
        return u8("还有未导出的商品，确定退出吗？");
    if (m_state->walk.state() != RunState::Idle)
        return u8("搜索还在进行，确定退出吗？");
    return {};
}

void MainWindow::logAndTell(const QString& text, QMessageBox::Icon icon)
{
    appendLog(*m_state, text.toStdString());
    Dialogs::message(this, icon, u8("提示"), text);
}

} // namespace zorvane::ui
