#include "ui/status_panel.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QTimer>

#include <algorithm>

namespace zorvane::ui {

namespace {

QLabel* addLabel(QHBoxLayout* row, const char* name)
{
    auto* label = new QLabel;
    label->setObjectName(QString::fromLatin1(name));
    row->addWidget(label);
    return label;
}

QString clockText(qint64 ms)
{
    const qint64 s = ms / 1000;
    const auto two = [](qint64 v) { return QStringLiteral("%1").arg(v, 2, 10, QLatin1Char('0')); };
    QString text = two(s / 60 % 60) + u':' + two(s % 60);
    if (s >= 3600)
        text = QString::number(s / 3600) + u':' + text;
    return text;
}

} // namespace

StatusPanel::StatusPanel(QWidget* parent) : QWidget(parent), m_tick(new QTimer(this))
{
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(4, 0, 4, 0);
    row->setSpacing(24);
    m_stateLabel = addLabel(row, "statusWalkState");
    m_pages = addLabel(row, "statusPages");
    m_goods = addLabel(row, "statusGoods");
    m_shown = addLabel(row, "statusShown");
    m_elapsed = addLabel(row, "statusElapsed");
    row->addStretch(1);
    m_tick->setInterval(1000);
    connect(m_tick, &QTimer::timeout, this, &StatusPanel::refreshElapsed);
    setWalkState(WalkState::Idle);
    refreshPages();
    setGoods(0);
    setShown(0);
    refreshElapsed();
}

QString StatusPanel::stateName(WalkState state)
{
    switch (state) {
    case WalkState::Searching:
        return QString::fromUtf8("搜索中");
    case WalkState::Pausing:
        return QString::fromUtf8("正在暂停");
    case WalkState::Paused:
        return QString::fromUtf8("已暂停");
    case WalkState::Stopping:
        return QString::fromUtf8("正在停止");
    case WalkState::LoginRequired:
        return QString::fromUtf8("需要登录");
    case WalkState::CouponExpired:
        return QString::fromUtf8("优惠券已过期");
    case WalkState::Idle:
        break;
    }
    return QString::fromUtf8("空闲");
}

bool StatusPanel::clockRuns() const
{
    return m_state == WalkState::Searching || m_state == WalkState::Pausing || m_state == WalkState::Stopping;
}

void StatusPanel::setWalkState(WalkState state)
{
    const bool ran = clockRuns();
    m_state = state;
    if (ran && !clockRuns()) {
        m_elapsedBefore += m_run.elapsed();
        m_tick->stop();
    } else if (!ran && clockRuns()) {
        m_run.start();
        m_tick->start();
    }
    m_stateLabel->setText(stateName(state));
    refreshElapsed();
}

void StatusPanel::startWalk(int pageLimit)
{
    m_elapsedBefore = 0;
    m_run.start();
    m_pagesDone = 0;
    setPageLimit(pageLimit);
}

void StatusPanel::setPageLimit(int pageLimit)
{
    m_pageLimit = pageLimit;
    refreshPages();
}

void StatusPanel::setPagesDone(int pages)
{
    m_pagesDone = pages;
    refreshPages();
}

void StatusPanel::showEarlierWalk(int pages, qint64 elapsedMs)
{
    m_elapsedBefore = std::max<qint64>(elapsedMs, 0);
    m_pagesDone = pages;
    m_pageLimit = 0;
    refreshPages();
    refreshElapsed();
}

void StatusPanel::refreshPages()
{
    QString pages = QString::number(m_pagesDone);
    if (m_pageLimit > 0)
        pages += u'/' + QString::number(m_pageLimit);
    m_pages->setText(QString::fromUtf8("已搜索 %1 页").arg(pages));
}

void StatusPanel::setGoods(std::int64_t gathered)
{
    m_goods->setText(QString::fromUtf8("已收集 %1 件").arg(gathered));
}

void StatusPanel::setShown(int shown)
{
    m_shown->setText(QString::fromUtf8("显示 %1 件").arg(shown));
}

void StatusPanel::refreshElapsed()
{
    const qint64 ms = m_elapsedBefore + (clockRuns() ? m_run.elapsed() : 0);
    m_elapsed->setText(QString::fromUtf8("用时 ") + clockText(ms));
}

QString StatusPanel::text() const
{
    return QStringList{m_stateLabel->text(), m_pages->text(), m_goods->text(), m_shown->text(),
                       m_elapsed->text()}
        .join(QStringLiteral("  "));
}

} // namespace zorvane::ui
