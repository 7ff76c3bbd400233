#pragma once

#include <QElapsedTimer>
#include <QWidget>

#include <cstdint>

class QLabel;
class QTimer;

namespace zorvane::ui {

// The status bar's view of a walk: its state, pages done (of the limit),
// goods gathered, goods shown after the filter and the walk's running time.
// It only shows what it is told; the clock runs while the walk is under way
// (searching, pausing, stopping) and holds while it is paused or idle.
class StatusPanel final : public QWidget
{
    Q_OBJECT

public:
    enum class WalkState
    {
        Idle,
        Searching,
        Pausing,
        Paused,
        Stopping,
        LoginRequired, // idle after the shop asked for a login
        CouponExpired  // idle after the shop said the coupon has expired
    };

    explicit StatusPanel(QWidget* parent = nullptr);

    void setWalkState(WalkState state);
    WalkState walkState() const { return m_state; }
    // A new walk from its first page: the clock and the page count start at 0.
    void startWalk(int pageLimit);
    // A paused walk goes on with its own limit.
    void setPageLimit(int pageLimit);
    void setPagesDone(int pages);
    // An earlier walk's figures, shown while idle (a walk loaded from the
    // history): its pages and how long it ran.
    void showEarlierWalk(int pages, qint64 elapsedMs);
    void setGoods(std::int64_t gathered);
    void setShown(int shown);

    // Everything shown, separated by "  " (for tests and the tooltip).
    QString text() const;

    static QString stateName(WalkState state);

private:
    void refreshPages();
    void refreshElapsed();
    bool clockRuns() const;

    WalkState m_state = WalkState::Idle;
    int m_pagesDone = 0;
    int m_pageLimit = 0;
    qint64 m_elapsedBefore = 0; // ms of earlier runs of this walk
    QElapsedTimer m_run;
    QTimer* m_tick;
    QLabel* m_stateLabel;
    QLabel* m_pages;
    QLabel* m_goods;
    QLabel* m_shown;
    QLabel* m_elapsed;
};

} // namespace zorvane::ui
