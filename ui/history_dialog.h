#pragma once

#include <QDialog>

#include <cstdint>

class QTreeWidget;

namespace zorvane {
class HistoryStore;
}

namespace zorvane::ui {

// The walks of the history file, newest first: one can be loaded into the
// goods list (the dialog then closes with chosenWalk() set), several deleted.
class HistoryDialog final : public QDialog
{
    Q_OBJECT

public:
    HistoryDialog(HistoryStore& store, QWidget* parent = nullptr);

    // The walk to load, 0 when none was chosen.
    std::int64_t chosenWalk() const { return m_chosen; }

private:
    void fill();
    std::int64_t selectedWalk() const;
    void loadSelected();
    void deleteSelected();

    HistoryStore& m_store;
    QTreeWidget* m_list = nullptr;
    std::int64_t m_chosen = 0;
};

} // namespace zorvane::ui
