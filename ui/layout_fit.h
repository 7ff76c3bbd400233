#pragma once

#include <QObject>

class QBoxLayout;
class QTableView;
class QWidget;

namespace zorvane::ui {

// Gives a box's optional part (the price chart) only the height its other
// parts leave at their minimum, up to maxHeight (the rest goes to the
// others): the part is hidden while less than minHeight is left, and the box
// never asks for it in its own minimum, so a short window keeps the other
// parts whole.
class OptionalPartRoom final : public QObject
{
public:
    OptionalPartRoom(QWidget* box, QBoxLayout* rows, QWidget* part, int minHeight, int maxHeight);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void fit();

    QWidget* m_box;
    QBoxLayout* m_rows;
    QWidget* m_part;
    int m_minHeight;
    int m_maxHeight;
};

// Keeps a table's last (stretched) column in view: while the view is too
// narrow for it, one column gives up width, down to a floor, and takes it
// back as the view widens. The width the user (or the settings) gave that
// column is what it returns to.
class YieldingColumn final : public QObject
{
public:
    YieldingColumn(QTableView* view, int column, int floorWidth, int lastColumnWidth);

    int wantedWidth() const { return m_wanted; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void noteResized(int column, int newWidth);
    void fit();

    QTableView* m_view;
    int m_column;
    int m_floor;
    int m_lastWidth;
    int m_wanted;
    QWidget* m_viewport; // compared in the filter, never called there
    bool m_fitting = false;
};

} // namespace zorvane::ui
