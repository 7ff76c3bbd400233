#include "ui/basket_dialog.h"

#include <QGridLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <climits>
#include <type_traits>

#include "ui/basket_job.h"
#include "ui/input_modes.h"

namespace zorvane::ui {

namespace {

// Past this a solve shows that it is working and can be cancelled.
constexpr int kWorkingDelayMs = 100;
constexpr int kGoodsIdRole = Qt::UserRole;

QString u8(const char* text)
{
    return QString::fromUtf8(text);
}

// A control with its object name and, for those that have one, its caption.
template <typename T> T* control(QWidget* parent, const char* name, const char* caption = "")
{
    auto* w = new T(parent);
    w->setObjectName(u8(name));
    if constexpr (requires { w->setText(QString()); })
        w->setText(u8(caption));
    if constexpr (std::is_same_v<T, QPushButton>)
        w->setAutoDefault(false); // only 计算 answers Enter
    return w;
}

QLineEdit* numberBox(QWidget* parent, const char* name, InputMode::Kind kind, int width)
{
    auto* box = control<QLineEdit>(parent, name);
    InputMode::install(box, kind);
    box->setFixedWidth(width);
    return box;
}

// A whole number typed in a box; the default when it is empty. One too
// large for an int stays too large, for the solver to name its limit.
int wholeNumber(const QLineEdit* box, int empty)
{
    const QString text = box->text().trimmed();
    if (text.isEmpty())
        return empty;
    if (!std::all_of(text.begin(), text.end(), [](QChar c) { return c >= u'0' && c <= u'9'; }))
        return -1;
    bool ok = false;
    const qulonglong value = text.toULongLong(&ok);
    return ok && value <= INT_MAX ? static_cast<int>(value) : INT_MAX;
}

std::optional<basket::Cents> money(const QLineEdit* box)
{
    const std::optional<basket::Cents> cents = basket::parseYuan(box->text().trimmed().toStdString());
    return cents && *cents > 0 ? cents : std::nullopt;
}

} // namespace

BasketDialog::BasketDialog(BasketDialogHooks hooks, QWidget* parent)
    : QDialog(parent), m_hooks(std::move(hooks)), m_job(new BasketJob(this)), m_workingDelay(new QTimer(this))
{
    setObjectName(u8("凑单对话框"));
    setWindowTitle(u8("凑单"));
    setModal(false);
    buildInputs();
    buildMustList();
    buildResults();
    m_workingDelay->setSingleShot(true);
    m_workingDelay->setInterval(kWorkingDelayMs);
    connect(m_workingDelay, &QTimer::timeout, this, &BasketDialog::showWorking);
    connect(m_job, &BasketJob::finished, this, &BasketDialog::showResult);
    resize(680, 520);
    loadTerms();
}

void BasketDialog::buildInputs()
{
    m_threshold = numberBox(this, "编辑框_凑单_满", InputMode::Kind::Decimal, 80);
    m_discount = numberBox(this, "编辑框_凑单_减", InputMode::Kind::Decimal, 80);
    m_maxItems = numberBox(this, "编辑框_凑单_最多件数", InputMode::Kind::Integer, 56);
    m_maxEach = numberBox(this, "编辑框_凑单_每件最多", InputMode::Kind::Integer, 56);
    m_maxItems->setPlaceholderText(u8("不限"));
    m_maxEach->setText(u8("1"));
    m_compute = control<QPushButton>(this, "按钮_凑单_计算", "计算");
    m_compute->setDefault(true);
    connect(m_compute, &QPushButton::clicked, this, &BasketDialog::compute);
    auto* row = new QHBoxLayout;
    row->addWidget(control<QLabel>(this, "标签_凑单_满", "满"));
    row->addWidget(m_threshold);
    row->addWidget(control<QLabel>(this, "标签_凑单_减", "减"));
    row->addWidget(m_discount);
    row->addSpacing(12);
    row->addWidget(control<QLabel>(this, "标签_凑单_最多件数", "最多件数"));
    row->addWidget(m_maxItems);
    row->addWidget(control<QLabel>(this, "标签_凑单_每件最多", "每件最多"));
    row->addWidget(m_maxEach);
    row->addStretch(1);
    row->addWidget(m_compute);
    auto* rows = new QVBoxLayout(this);
    rows->addLayout(row);
}

void BasketDialog::buildMustList()
{
    m_must = control<QListWidget>(this, "列表框_凑单_必选");
    m_must->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_must->setFixedHeight(m_must->fontMetrics().lineSpacing() * 3 + 8);
    auto* add = control<QPushButton>(this, "按钮_凑单_加入必选", "加入选中商品");
    auto* remove = control<QPushButton>(this, "按钮_凑单_移除必选", "移除");
    connect(add, &QPushButton::clicked, this, &BasketDialog::addSelectedToMust);
    connect(remove, &QPushButton::clicked, this, &BasketDialog::removeMust);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(add);
    buttons->addWidget(remove);
    buttons->addStretch(1);
    auto* row = new QHBoxLayout;
    row->addWidget(control<QLabel>(this, "标签_凑单_必选", "必选"), 0, Qt::AlignTop);
    row->addWidget(m_must, 1);
    row->addLayout(buttons);
    static_cast<QVBoxLayout*>(layout())->addLayout(row);
}

void BasketDialog::buildResults()
{
    m_tree = control<QTreeWidget>(this, "超级列表框_凑单_结果");
    m_tree->setHeaderLabels(
        {u8("方案 / 商品"), u8("合计 / 单价"), u8("实付 / 分摊"), u8("超出门槛"), u8("件数")});
    m_tree->header()->setStretchLastSection(false);
    m_tree->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    m_tree->setSelectionMode(QAbstractItemView::SingleSelection);
    connect(m_tree, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item) { openItem(item); });
    m_tree->installEventFilter(this);
    m_status = control<QLabel>(this, "标签_凑单_状态", "");
    m_cancel = control<QPushButton>(this, "按钮_凑单_取消", "取消");
    m_cancel->setVisible(false);
    connect(m_cancel, &QPushButton::clicked, m_job, &BasketJob::cancel);
    auto* statusRow = new QHBoxLayout;
    statusRow->addWidget(m_status, 1);
    statusRow->addWidget(m_cancel);
    auto* rows = static_cast<QVBoxLayout*>(layout());
    rows->addWidget(m_tree, 1);
    rows->addLayout(statusRow);
}

bool BasketDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != m_tree || event->type() != QEvent::KeyPress)
        return QDialog::eventFilter(watched, event);
    const auto* key = static_cast<QKeyEvent*>(event);
    // Ctrl+C on the tree copies the whole basket, not the cell.
    if (key->matches(QKeySequence::Copy)) {
        copyBasket();
        return true;
    }
    // Enter opens the goods page here; passed on, it would press 计算 and
    // throw the baskets away.
    if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
        openItem(m_tree->currentItem());
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void BasketDialog::loadTerms()
{
    if (const auto terms = m_hooks.loadTerms ? m_hooks.loadTerms() : std::nullopt) {
        m_threshold->setText(QString::fromStdString(basket::yuanText(terms->first)));
        m_discount->setText(QString::fromStdString(basket::yuanText(terms->second)));
    }
}

void BasketDialog::addSelectedToMust()
{
    for (const BasketDialogGoods& goods : m_hooks.selectedGoods()) {
        const QString id = QString::fromStdString(goods.goodsId);
        bool listed = false;
        for (int i = 0; i < m_must->count() && !listed; ++i)
            listed = m_must->item(i)->data(kGoodsIdRole).toString() == id;
        if (listed)
            continue;
        auto* item =
            new QListWidgetItem(QString::fromStdString(goods.shownName) + u8("  (") + id + u8(")"), m_must);
        item->setData(kGoodsIdRole, id);
    }
}

void BasketDialog::removeMust()
{
    qDeleteAll(m_must->selectedItems());
}

std::optional<basket::BasketRequest> BasketDialog::readRequest()
{
    const std::optional<basket::Cents> threshold = money(m_threshold);
    const std::optional<basket::Cents> discount = money(m_discount);
    basket::BasketRequest request;
    request.maxItems = wholeNumber(m_maxItems, 0);
    request.maxEach = wholeNumber(m_maxEach, 1);
    if (basket::yuanAboveLimit(m_threshold->text().trimmed().toStdString()) ||
        basket::yuanAboveLimit(m_discount->text().trimmed().toStdString())) {
        m_status->setText(
            u8("满和减最多%1元").arg(QString::fromStdString(basket::yuanText(basket::kMaxCents))));
        return std::nullopt;
    }
    if (!threshold || !discount || request.maxItems < 0 || request.maxEach < 1) {
        m_status->setText(u8("请填写满和减的金额（最多两位小数），件数不能为负"));
        return std::nullopt;
    }
    request.threshold = *threshold;
    request.discount = *discount;
    for (int i = 0; i < m_must->count(); ++i)
        request.must.push_back(m_must->item(i)->data(kGoodsIdRole).toString().toStdString());
    m_shownNames.clear();
    for (BasketDialogGoods& goods : m_hooks.shownGoods()) {
        // A price the list cannot give in cents is no quote.
        const basket::Cents price = basket::parseYuan(goods.priceText).value_or(0);
        m_shownNames[goods.goodsId] = std::move(goods.shownName);
        request.goods.push_back({std::move(goods.goodsId), std::move(goods.name), price});
    }
    return request;
}

void BasketDialog::compute()
{
    std::optional<basket::BasketRequest> request = readRequest();
    if (!request)
        return;
    if (m_hooks.saveTerms)
        m_hooks.saveTerms(request->threshold, request->discount);
    m_asked = request->threshold;
    m_tree->clear();
    m_baskets.clear();
    m_status->setText(QString());
    m_job->start(std::move(*request));
    m_workingDelay->start();
}

void BasketDialog::showWorking()
{
    if (!m_job->running())
        return;
    m_status->setText(u8("正在计算…"));
    m_cancel->setVisible(true);
}

} // namespace zorvane::ui
