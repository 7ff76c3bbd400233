#include "ui/main_window.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QThread>
#include <QTreeWidget>

#include "core/log.h"
#include "ui/dialogs.h"
#include "ui/feedback_bridge.h"
#include "ui/goods_table_model.h"
#include "ui/input_modes.h"

namespace zorvane::ui {

namespace {

QString u8(const char* text)
{
    return QString::fromUtf8(text);
}

template <typename T> T* place(QWidget* parent, const char* name, int x, int y, int w, int h)
{
    auto* widget = new T(parent);
    widget->setObjectName(u8(name));
    widget->setGeometry(x, y, w, h);
    return widget;
}

QLabel* label(QWidget* parent, const char* name, const char* text, int x, int y, int w, int h)
{
    auto* l = place<QLabel>(parent, name, x, y, w, h);
    l->setText(u8(text));
    l->setAutoFillBackground(false); // a transparent label
    return l;
}

QPushButton* button(QWidget* parent, const char* name, const char* caption, int x, int y, int w, int h)
{
    auto* b = place<QPushButton>(parent, name, x, y, w, h);
    b->setText(u8(caption));
    return b;
}

QLineEdit* lineEdit(QWidget* parent, const char* name, const char* text, int x, int y, int w, int h)
{
    auto* e = place<QLineEdit>(parent, name, x, y, w, h);
    e->setText(u8(text));
    e->setAlignment(Qt::AlignCenter);
    return e;
}

QPlainTextEdit* textEdit(QWidget* parent, const char* name, int x, int y, int w, int h)
{
    auto* e = place<QPlainTextEdit>(parent, name, x, y, w, h);
    e->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    return e;
}

QGroupBox* group(QWidget* parent, const char* name, const char* caption, int x, int y, int w, int h)
{
    auto* g = place<QGroupBox>(parent, name, x, y, w, h);
    g->setTitle(u8(caption));
    return g;
}

} // namespace

MainWindow::MainWindow(std::shared_ptr<AppState> state, WindowOptions options, QWidget* parent)
    : QMainWindow(parent), m_state(std::move(state)), m_options(std::move(options))
{
    setWindowTitle(u8("Zorvane"));
    // The geometry was laid out for 12-pixel text; a larger default font
    // would cut the longer captions.
    QFont small = font();
    small.setPixelSize(12);
    setFont(small);
    auto* about = menuBar()->addMenu(u8("关于"));
    m_versionAction = about->addAction(u8("关于"));
    buildControls();
    m_bridge = new FeedbackBridge([this](const Feedback& m) { feedbackHandler(m); }, this);
    m_bridge->setObjectName(u8("feedbackBridge"));
    m_sink = std::make_shared<GuardedSink>(m_bridge);
    connectCommands();
    move(50, 50);
    resize(1050, 764);
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

    buildControlGroup(group(central, "分组框_控制", "控制", 7, 4, 1030, 147));
    buildTagGroup(group(central, "分组框_标签", "筛选", 8, 155, 216, 335));
    buildGoodsGroup(group(central, "分组_商品列表", "商品列表", 229, 155, 806, 335));
    buildLogGroup(group(central, "分组框_日志", "日志", 7, 495, 1027, 216));
    button(central, "按钮_清空商品", "清空商品", 896, 154, 74, 18)->raise();

    auto* feedbackLabel = label(central, "标签_反馈标签", "反馈标签", 536, 320, 56, 16);
    feedbackLabel->setVisible(false);
    auto* browser = place<QWidget>(central, "超文本浏览框", -32767, -32767, 1, 1);
    browser->setVisible(false);
    auto* exportDialog = new QObject(this);
    exportDialog->setObjectName(u8("通用对话框_导出"));
    exportDialog->setProperty("title", u8("选择保存位置"));
    exportDialog->setProperty("filter", u8("CSV文件(*.csv);;全部文件(*.*)"));
    exportDialog->setProperty("defaultSuffix", u8("csv"));
    exportDialog->setProperty("initialDirectory", QString::fromStdString(m_options.exeDir));
}

void MainWindow::buildControlGroup(QWidget* g)
{
    label(g, "透明标签1", "可用商品地址：", 8, 15, 89, 24);
    lineEdit(g, "编辑框_参数_地址", "", 104, 16, 915, 25);
    QFont bold = font();
    bold.setBold(true);
    label(g, "透明标签8", "普通选项", 7, 46, 152, 13)->setFont(bold);
    label(g, "透明标签7", "高级选项(一般无需修改)", 478, 46, 152, 13)->setFont(bold);
    label(g, "透明标签2", "翻页间隔(毫秒)：", 11, 67, 99, 16);
    InputMode::install(lineEdit(g, "编辑框_参数_间隔", "1000", 113, 63, 71, 24), InputMode::Integer);
    auto* hint =
        label(g, "透明标签6", "如果翻页过快遭到京东限制，可增大这个间隔，1秒=1000毫秒", 114, 89, 329, 16);
    QFont hintFont = hint->font();
    hintFont.setPixelSize(11); // the whole hint fits its 329 pixels
    hint->setFont(hintFont);
    QPalette grey = hint->palette();
    grey.setColor(QPalette::WindowText, QColor(128, 128, 128));
    hint->setPalette(grey);
    label(g, "透明标签3", "搜索页数(0为不限制)：", 12, 114, 127, 16);
    InputMode::install(lineEdit(g, "编辑框_参数_页数", "0", 143, 110, 71, 24), InputMode::Integer);
    label(g, "透明标签9", "附加协议头", 488, 63, 67, 13);
    textEdit(g, "编辑框_参数_附加协议头", 487, 79, 212, 58);
    label(g, "透明标签10", "Cookie", 716, 63, 67, 13);
    textEdit(g, "编辑框_参数_COOKIE", 715, 79, 212, 58);
    m_startPause = button(g, "按钮_控制_开始2暂停", "开始", 953, 50, 64, 41);
    m_stop = button(g, "按钮_控制_停止", "停止", 953, 95, 64, 41);
}

void MainWindow::buildTagGroup(QWidget* g)
{
    m_tagList = place<QTreeWidget>(g, "超级列表框_商品标签", 8, 19, 200, 221);
    m_tagList->setColumnCount(1);
    m_tagList->setHeaderLabels({u8("商品标签")});
    m_tagList->header()->setSectionsClickable(false);
    m_tagList->header()->setStretchLastSection(false);
    m_tagList->setColumnWidth(0, 170);
    m_tagList->setRootIsDecorated(false);
    m_tagList->setSelectionMode(QAbstractItemView::SingleSelection);
    m_tagList->setSelectionBehavior(QAbstractItemView::SelectRows);
    label(g, "透明标签4", "价格：", 8, 251, 32, 24);
    InputMode::install(lineEdit(g, "编辑框_价格min", "", 44, 251, 56, 24), InputMode::Decimal);
    label(g, "透明标签5", "~", 113, 259, 10, 11);
    InputMode::install(lineEdit(g, "编辑框_价格max", "", 136, 251, 56, 24), InputMode::Decimal);
    button(g, "按钮_筛选", "筛选", 7, 285, 200, 32);
}

void MainWindow::buildGoodsGroup(QWidget* g)
{
    m_goodsModel = new GoodsTableModel(this);
    m_goodsView = place<QTableView>(g, "超级列表框_商品列表", 8, 18, 790, 309);
    m_goodsView->setModel(m_goodsModel);
    m_goodsView->setShowGrid(false);
    m_goodsView->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_goodsView->setSelectionMode(QAbstractItemView::SingleSelection);
    m_goodsView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_goodsView->setWordWrap(false);
    m_goodsView->verticalHeader()->setVisible(false);
    m_goodsView->verticalHeader()->setDefaultSectionSize(20);
    m_goodsView->horizontalHeader()->setSectionsClickable(true);
    m_goodsView->horizontalHeader()->setDefaultAlignment(Qt::AlignCenter);
    const int widths[] = {280, 80, 100, 300};
    for (int c = 0; c < 4; ++c)
        m_goodsView->setColumnWidth(c, widths[c]);
    m_goodsView->viewport()->installEventFilter(this);
    button(g, "按钮_导出", "导出", 749, -1, 56, 18);
}

void MainWindow::buildLogGroup(QWidget* g)
{
    button(g, "按钮_日志_清空", "清空", 985, 0, 41, 18);
    m_logBox = textEdit(g, "编辑框_日志", 7, 21, 1011, 189);
    m_logBox->setReadOnly(true);
}

void MainWindow::connectCommands()
{
    connect(m_startPause, &QPushButton::clicked, this, &MainWindow::startPause);
    connect(m_stop, &QPushButton::clicked, this, &MainWindow::stopCommand);
    connect(control<QPushButton>("按钮_清空商品"), &QPushButton::clicked, this, &MainWindow::clearGoods);
    connect(control<QPushButton>("按钮_日志_清空"), &QPushButton::clicked, this, &MainWindow::clearLog);
    connect(control<QPushButton>("按钮_筛选"), &QPushButton::clicked, this, &MainWindow::onFilterClicked);
    connect(control<QPushButton>("按钮_导出"), &QPushButton::clicked, this, &MainWindow::onExportClicked);
    connect(m_goodsView->horizontalHeader(), &QHeaderView::sectionClicked, this,
            &MainWindow::onGoodsHeaderClicked);
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_goodsView->viewport() && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        // The press has already moved the selection to the clicked row.
        onGoodsListClicked();
    }
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    // Workers are not waited for: the program ends right after the window.
    saveSettingsNow();
    event->accept();
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
