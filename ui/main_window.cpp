#include "ui/main_window.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSplitter>
#include <QStatusBar>
#include <QTableView>
#include <QThread>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "core/log.h"
#include "history/history_recorder.h"
#include "history/history_store.h"
#include "ui/dialogs.h"
#include "ui/feedback_bridge.h"
#include "ui/goods_table_model.h"
#include "ui/input_modes.h"
#include "ui/layout_fit.h"
#include "ui/price_chart.h"

namespace zorvane::ui {

namespace {

// The log box keeps this many lines; older ones scroll away for good.
constexpr int kLogLines = 10000;
// The tag list shows at least this many rows, however short the window.
constexpr int kTagRowsAlwaysShown = 5;

QString u8(const char* text)
{
    return QString::fromUtf8(text);
}

template <typename T> T* named(QWidget* parent, const char* name)
{
    auto* widget = new T(parent);
    widget->setObjectName(u8(name));
    return widget;
}

QLabel* label(QWidget* parent, const char* name, const char* text)
{
    auto* l = named<QLabel>(parent, name);
    l->setText(u8(text));
    l->setAutoFillBackground(false); // a transparent label
    return l;
}

QPushButton* button(QWidget* parent, const char* name, const char* caption)
{
    auto* b = named<QPushButton>(parent, name);
    b->setText(u8(caption));
    return b;
}

QLineEdit* lineEdit(QWidget* parent, const char* name, const char* text)
{
    auto* e = named<QLineEdit>(parent, name);
    e->setText(u8(text));
    e->setAlignment(Qt::AlignCenter);
    return e;
}

QLineEdit* numberBox(QWidget* parent, const char* name, const char* text, InputMode::Kind kind)
{
    QLineEdit* box = lineEdit(parent, name, text);
    InputMode::install(box, kind);
    if (kind == InputMode::Kind::Integer)
        box->setFixedWidth(box->fontMetrics().horizontalAdvance(u8("00000000")) + 12);
    else
        box->setMinimumWidth(box->fontMetrics().horizontalAdvance(u8("0000")) + 12);
    return box;
}

QPlainTextEdit* textEdit(QWidget* parent, const char* name)
{
    auto* e = named<QPlainTextEdit>(parent, name);
    e->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    return e;
}

// The height a list needs to show its header and `rows` rows of checkable text.
int listHeight(QTreeWidget* list, int rows)
{
    auto* probe = new QTreeWidgetItem(list, {u8("满2件9折")});
    probe->setCheckState(0, Qt::Unchecked);
    const int row = list->sizeHintForRow(0);
    delete probe;
    return list->header()->sizeHint().height() + rows * row + 2 * list->frameWidth();
}

QGroupBox* group(QWidget* parent, const char* name, const char* caption)
{
    auto* g = named<QGroupBox>(parent, name);
    g->setTitle(u8(caption));
    return g;
}

// Keeps a group box's buttons on its top edge, at the right, as the box
// resizes: they belong to the box without costing a row of their own.
class TopEdgeButtons final : public QObject
{
public:
    TopEdgeButtons(QGroupBox* box, QList<QPushButton*> buttons) : QObject(box), m_buttons(std::move(buttons))
    {
        box->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Resize || event->type() == QEvent::Show) {
            auto* box = static_cast<QWidget*>(watched);
            int right = box->width() - 8;
            for (QPushButton* b : m_buttons) {
                const int h = b->fontMetrics().height() + 4;
                const int w = b->sizeHint().width();
                right -= w;
                b->setGeometry(right, 0, w, h);
                b->raise();
                right -= 4;
            }
        }
        return false;
    }

private:
    QList<QPushButton*> m_buttons;
};

} // namespace

MainWindow::MainWindow(std::shared_ptr<AppState> state, WindowOptions options, QWidget* parent)
    : QMainWindow(parent), m_state(std::move(state)), m_options(std::move(options))
{
    setWindowTitle(u8("Zorvane"));
    auto* about = menuBar()->addMenu(u8("关于"));
    m_versionAction = about->addAction(u8("关于"));
    buildHistoryMenu();
    buildControls();
    m_status = new StatusPanel(this);
    statusBar()->addWidget(m_status, 1);
    m_bridge = new FeedbackBridge([this](const Feedback& m) { feedbackHandler(m); }, this);
    m_bridge->setObjectName(u8("feedbackBridge"));
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
    central->setObjectName(u8("centralWidget"));
    setCentralWidget(central);

    auto* controls = group(central, "分组框_控制", "控制");
    buildControlGroup(controls);
    auto* tags = group(central, "分组框_标签", "筛选");
    buildTagGroup(tags);
    auto* goods = group(central, "分组_商品列表", "商品列表");
    buildGoodsGroup(goods);
    auto* log = group(central, "分组框_日志", "日志");
    buildLogGroup(log);

    auto* lists = new QWidget;
    auto* listsRow = new QHBoxLayout(lists);
    listsRow->setContentsMargins(0, 0, 0, 0);
    listsRow->addWidget(tags);
    listsRow->addWidget(goods, 1);
    m_splitter = new QSplitter(Qt::Vertical, central);
    m_splitter->setObjectName(u8("listsAndLog"));
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

    auto* feedbackLabel = label(central, "标签_反馈标签", "反馈标签");
    feedbackLabel->setVisible(false);
    auto* browser = named<QWidget>(central, "超文本浏览框");
    browser->setGeometry(-32767, -32767, 1, 1);
    browser->setVisible(false);
    auto* exportDialog = new QObject(this);
    exportDialog->setObjectName(u8("通用对话框_导出"));
    exportDialog->setProperty("title", u8("选择保存位置"));
    // GBK first: it stays the default; UTF-8 keeps what GBK lacks (emoji, Hangul).
    exportDialog->setProperty(
        "filter", u8("CSV文件 GBK(*.csv);;CSV文件 UTF-8(*.csv);;Excel 工作簿 (*.xlsx);;全部文件(*.*)"));
    exportDialog->setProperty("defaultSuffix", u8("csv"));
    exportDialog->setProperty("initialDirectory", QString::fromStdString(m_options.exeDir));
}

void MainWindow::buildControlGroup(QWidget* g)
{
    QFont bold = font();
    bold.setBold(true);

    auto* address = new QHBoxLayout;
    address->addWidget(label(g, "透明标签1", "可用商品地址："));
    address->addWidget(lineEdit(g, "编辑框_参数_地址", ""), 1);

    auto* commonTitle = label(g, "透明标签8", "普通选项");
    commonTitle->setFont(bold);
    auto* common = new QGridLayout;
    common->addWidget(commonTitle, 0, 0, 1, 3);
    common->addWidget(label(g, "透明标签2", "翻页间隔(毫秒)："), 1, 0);
    common->addWidget(numberBox(g, "编辑框_参数_间隔", "1000", InputMode::Kind::Integer), 1, 1);
    auto* hint = label(g, "透明标签6", "如果翻页过快遭到京东限制，可增大这个间隔，1秒=1000毫秒");
    QPalette grey = hint->palette();
    grey.setColor(QPalette::WindowText, QColor(128, 128, 128));
    hint->setPalette(grey);
    common->addWidget(hint, 2, 0, 1, 3);
    common->addWidget(label(g, "透明标签3", "搜索页数(0为不限制)："), 3, 0);
    common->addWidget(numberBox(g, "编辑框_参数_页数", "0", InputMode::Kind::Integer), 3, 1);
    common->setColumnStretch(2, 1);

    auto* advancedTitle = label(g, "透明标签7", "高级选项(一般无需修改)");
    advancedTitle->setFont(bold);
    auto* advanced = new QGridLayout;
    advanced->addWidget(advancedTitle, 0, 0, 1, 2);
    advanced->addWidget(label(g, "透明标签9", "附加协议头"), 1, 0);
    auto* cookieTitle = new QHBoxLayout;
    cookieTitle->addWidget(label(g, "透明标签10", "Cookie"));
    cookieTitle->addStretch(1);
    cookieTitle->addWidget(button(g, "按钮_导入Cookie", "导入Cookie…"));
    advanced->addLayout(cookieTitle, 1, 1);
    const char* const boxes[] = {"编辑框_参数_附加协议头", "编辑框_参数_COOKIE"};
    for (int c = 0; c < 2; ++c) {
        QPlainTextEdit* box = textEdit(g, boxes[c]);
        box->setTabChangesFocus(true); // Tab moves on: no header or cookie holds a tab
        box->setFixedHeight(box->fontMetrics().lineSpacing() * 3 + 12);
        box->setMinimumWidth(140);
        advanced->addWidget(box, 2, c);
    }
    advanced->setRowStretch(3, 1);

    auto* run = new QVBoxLayout;
    m_startPause = button(g, "按钮_控制_开始2暂停", "开始");
    m_stop = button(g, "按钮_控制_停止", "停止");
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

void MainWindow::buildTagGroup(QWidget* g)
{
    m_tagList = named<QTreeWidget>(g, "超级列表框_商品标签");
    m_tagList->setColumnCount(1);
    m_tagList->setHeaderLabels({u8("商品标签")});
    m_tagList->header()->setSectionsClickable(false);
    m_tagList->header()->setStretchLastSection(false);
    m_tagList->setColumnWidth(0, 170);
    m_tagList->setRootIsDecorated(false);
    m_tagList->setSelectionMode(QAbstractItemView::SingleSelection);
    m_tagList->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_tagList->setMinimumHeight(listHeight(m_tagList, kTagRowsAlwaysShown));

    auto* price = new QHBoxLayout;
    price->addWidget(label(g, "透明标签4", "价格："));
    price->addWidget(numberBox(g, "编辑框_价格min", "", InputMode::Kind::Decimal), 1);
    price->addWidget(label(g, "透明标签5", "~"));
    price->addWidget(numberBox(g, "编辑框_价格max", "", InputMode::Kind::Decimal), 1);
    auto* filter = button(g, "按钮_筛选", "筛选");
    filter->setMinimumHeight(28);
    m_priceChart = new PriceChart(g);
    m_priceChart->setObjectName(u8("图表_价格"));
    auto* onlyNewOrCheaper = named<QCheckBox>(g, "选择框_只看新品和降价");
    onlyNewOrCheaper->setText(u8("只看新品和降价"));
    auto* run = new QHBoxLayout;
    run->addWidget(onlyNewOrCheaper, 1);
    run->addWidget(filter);

    auto* rows = new QVBoxLayout(g);
    rows->setContentsMargins(8, 6, 8, 8);
    rows->addWidget(m_tagList, 1);
    rows->addWidget(m_priceChart);
    rows->addLayout(price);
    rows->addLayout(run);
    g->setFixedWidth(216);
    // On a short screen the tags come first; the chart shows when there is room.
    new OptionalPartRoom(g, rows, m_priceChart, 48, 110);
}

void MainWindow::buildGoodsGroup(QWidget* g)
{
    m_goodsModel = new GoodsTableModel(this);
    m_goodsView = named<QTableView>(g, "超级列表框_商品列表");
    m_goodsView->setModel(m_goodsModel);
    m_goodsView->setShowGrid(false);
    m_goodsView->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_goodsView->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_goodsView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_goodsView->setWordWrap(false);
    m_goodsView->setContextMenuPolicy(Qt::CustomContextMenu);
    m_goodsView->verticalHeader()->setVisible(false);
    m_goodsView->verticalHeader()->setDefaultSectionSize(m_goodsView->fontMetrics().height() + 6);
    QHeaderView* header = m_goodsView->horizontalHeader();
    header->setSectionsClickable(true);
    header->setDefaultAlignment(Qt::AlignCenter);
    header->setStretchLastSection(true);
    const int idWidth = m_goodsView->fontMetrics().horizontalAdvance(u8("0000000000000")) + 24;
    // The tags leave room for the 变化 column, which takes the rest.
    const int widths[] = {280, std::max(80, idWidth), 100, 200};
    for (int c = 0; c < 4; ++c)
        m_goodsView->setColumnWidth(c, widths[c]);
    m_goodsView->setMinimumHeight(60);
    m_goodsView->viewport()->installEventFilter(this);
    // 变化 stays in view on a narrow screen: the name column gives way first.
    const int changeWidth = std::max(header->fontMetrics().horizontalAdvance(u8("变化")) + 28,
                                     m_goodsView->fontMetrics().horizontalAdvance(u8("涨¥000.00")) + 12);
    m_nameColumn = new YieldingColumn(m_goodsView, GoodsTableModel::kNameColumn, 120, changeWidth);

    auto* rows = new QVBoxLayout(g);
    rows->setContentsMargins(8, 6, 8, 8);
    rows->addWidget(m_goodsView);
    new TopEdgeButtons(static_cast<QGroupBox*>(g),
                       {button(g, "按钮_导出", "导出"), button(g, "按钮_凑单", "凑单"),
                        button(g, "按钮_清空商品", "清空商品")});
}

void MainWindow::buildLogGroup(QWidget* g)
{
    m_logBox = textEdit(g, "编辑框_日志");
    m_logBox->setReadOnly(true);
    // One block per line, plus the empty block after the last line break.
    m_logBox->setMaximumBlockCount(kLogLines + 1);
    m_logBox->setMinimumHeight(48);
    auto* rows = new QVBoxLayout(g);
    rows->setContentsMargins(8, 6, 8, 8);
    rows->addWidget(m_logBox);
    new TopEdgeButtons(static_cast<QGroupBox*>(g), {button(g, "按钮_日志_清空", "清空")});
}

void MainWindow::connectCommands()
{
    connect(m_startPause, &QPushButton::clicked, this, &MainWindow::startPause);
    connect(m_stop, &QPushButton::clicked, this, &MainWindow::stopCommand);
    connect(control<QPushButton>("按钮_清空商品"), &QPushButton::clicked, this, &MainWindow::clearGoods);
    connect(control<QPushButton>("按钮_日志_清空"), &QPushButton::clicked, this, &MainWindow::clearLog);
    connect(control<QPushButton>("按钮_筛选"), &QPushButton::clicked, this, &MainWindow::onFilterClicked);
    connect(control<QPushButton>("按钮_导出"), &QPushButton::clicked, this, &MainWindow::onExportClicked);
    connect(control<QPushButton>("按钮_凑单"), &QPushButton::clicked, this, &MainWindow::showBasketDialog);
    connect(control<QPushButton>("按钮_导入Cookie"), &QPushButton::clicked, this, &MainWindow::importCookies);
    connect(m_goodsView->horizontalHeader(), &QHeaderView::sectionClicked, this,
            &MainWindow::onGoodsHeaderClicked);
    connect(m_goodsView, &QWidget::customContextMenuRequested, this, &MainWindow::showGoodsMenu);
    connect(m_priceChart, &PriceChart::rangeChosen, this, &MainWindow::onPriceRangeChosen);
    const auto countShown = [this] { m_status->setShown(m_goodsModel->rowCount()); };
    connect(m_goodsModel, &QAbstractItemModel::rowsInserted, this, countShown);
    connect(m_goodsModel, &QAbstractItemModel::modelReset, this, countShown);
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_goodsView->viewport() && event->type() == QEvent::MouseButtonRelease) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        // A click below the rows leaves the old selection in place: it opens
        // nothing. Ctrl and Shift clicks only change the selection.
        if (mouse->button() == Qt::LeftButton && mouse->modifiers() == Qt::NoModifier &&
            m_goodsView->indexAt(mouse->position().toPoint()).isValid())
            onGoodsListClicked();
    }
    return QMainWindow::eventFilter(watched, event);
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
    if (m_storeCount > 0 && m_gathered != m_exported)
        return u8("还有未导出的商品，确定退出吗？");
    if (m_state->walk.state() != RunState::Idle)
        return u8("搜索还在进行，确定退出吗？");
    return {};
}

QString MainWindow::editText(const QString& name) const
{
    if (auto* line = findChild<QLineEdit*>(name))
        return line->text();
    if (auto* text = findChild<QPlainTextEdit*>(name))
        return text->toPlainText().replace(u8("\n"), u8("\r\n"));
    return {};
}

void MainWindow::logAndTell(const QString& text, QMessageBox::Icon icon)
{
    appendLog(*m_state, text.toStdString());
    Dialogs::message(this, icon, u8("提示"), text);
}

} // namespace zorvane::ui
