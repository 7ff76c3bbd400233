#pragma once

#include <QDialog>

#include <functional>
#include <optional>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "basket/basket_solver.h"

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTimer;
class QTreeWidget;
class QTreeWidgetItem;

namespace zorvane::ui {

class BasketJob;

// A goods row of the window's list as the dialog takes it.
struct BasketDialogGoods
{
    std::string goodsId;
    std::string name;      // as found
    std::string shownName; // as the list shows it
    std::string priceText; // as the list holds it ("%.13g")
};

// What the dialog asks of the window. Terms are 满 and 减 in cents, per the
// coupon the window's address names.
struct BasketDialogHooks
{
    std::function<std::vector<BasketDialogGoods>()> shownGoods;
    std::function<std::vector<BasketDialogGoods>()> selectedGoods;
    std::function<void(const std::string& goodsId)> openGoods;
    std::function<std::optional<std::pair<basket::Cents, basket::Cents>>()> loadTerms;
    std::function<void(basket::Cents threshold, basket::Cents discount)> saveTerms;
};

// 凑单: the cheapest baskets of the goods shown that clear the coupon's 满,
// worked out off the window's thread. Non-modal: the goods list stays usable,
// and its selected rows can be made 必选.
class BasketDialog final : public QDialog
{
    Q_OBJECT

public:
    BasketDialog(BasketDialogHooks hooks, QWidget* parent = nullptr);

    // The coupon's remembered 满 and 减 (when there are any) into the boxes.
    void loadTerms();
    // Solves over the goods shown now.
    void compute();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildInputs();
    void buildMustList();
    void buildResults();
    void addSelectedToMust();
    void removeMust();
    std::optional<basket::BasketRequest> readRequest();
    void showWorking();
    void showResult(const basket::BasketResult& result);
    void fillTree(const std::vector<basket::Basket>& baskets);
    void openItem(QTreeWidgetItem* item);
    void copyBasket();
    QString shownName(const basket::BasketLine& line) const;

    BasketDialogHooks m_hooks;
    BasketJob* m_job = nullptr;
    QTimer* m_workingDelay = nullptr;
    QLineEdit* m_threshold = nullptr;
    QLineEdit* m_discount = nullptr;
    QLineEdit* m_maxItems = nullptr;
    QLineEdit* m_maxEach = nullptr;
    QPushButton* m_compute = nullptr;
    QPushButton* m_cancel = nullptr;
    QListWidget* m_must = nullptr;
    QTreeWidget* m_tree = nullptr;
    QLabel* m_status = nullptr;
    basket::Cents m_asked = 0;                                 // 满 of the running solve
    std::unordered_map<std::string, std::string> m_shownNames; // id -> shown name, of the last solve
    std::vector<basket::Basket> m_baskets;
};

} // namespace zorvane::ui
