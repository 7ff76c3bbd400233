#pragma once

#include <QMainWindow>
#include <QMessageBox>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/app_state.h"
#include "core/feedback.h"
#include "core/walk_events.h"
#include "core/walk_session.h"
#include "search/search_thread.h"
#include "ui/status_panel.h"
#include "ui/widget_panel.h"

class QAction;
class QMenu;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QSplitter;
class QTimer;

namespace zorvane {
class HistoryRecorder;
class HistoryStore;
class IniFile;
} // namespace zorvane

namespace zorvane::ui {

class BrowserBox;
class FeedbackBridge;
class GoodsPanel;
class GuardedSink;
class GoodsTableModel;
class LogPanel;
class PriceChart;

struct WindowOptions
{
    std::string exeDir;                 // the settings file lives in <exeDir>/data
    bool startBackgroundThreads = true; // log pump and start-up check
};

// The program's one window. It translates between widgets and the core:
// commands start workers, workers report through the feedback bridge. The
// goods and the log have panels of their own; the window keeps the search's
// inputs, the run control, the menus and the settings.
class MainWindow final : public QMainWindow
{
    Q_OBJECT

public:
    MainWindow(std::shared_ptr<AppState> state, WindowOptions options, QWidget* parent = nullptr);
    ~MainWindow() override;

    // The start-up steps after the window exists. False (after its message)
    // when the program must end.
    bool startUp();

    AppState& state() { return *m_state; }
    FeedbackSink& sink();
    GoodsTableModel* goodsModel() const;
    QPlainTextEdit* logBox() const;
    StatusPanel* statusPanel() const { return m_status; }
    std::string settingsPath() const { return m_settingsPath; }
    PriceChart* priceChart() const;

    // Command handlers, public so that tests can drive them like clicks.
    void startPause();
    void stopCommand();
    void clearGoods();
    void clearLog();
    void onFilterClicked();
    void onGoodsHeaderClicked(int column);
    void onGoodsListClicked(int row);
    void onExportClicked();
    // Opens the 凑单 dialog over the goods shown (main_window_basket.cpp).
    void showBasketDialog();
    // 导入Cookie…: the chosen cookie file's cookies for the address, into the Cookie box.
    void importCookies();
    void feedbackHandler(const Feedback& message);
    void saveSettingsNow();
    // Loads a walk of the history file into the goods list, the list emptied
    // first; false when it cannot (a worker runs, the walk is gone, refused).
    bool loadHistoryWalk(std::int64_t walkId);

    // True when closing would lose something: a walk runs or is paused, or
    // goods were gathered since the last successful export.
    bool closeNeedsConfirmation() const;
    // The question closing asks, "" when it asks none.
    QString closeQuestion() const;
    // The rows of the selection as tab-separated lines (names as shown).
    QString selectedRowsText() const;
    // The save dialog's proposal: a dated file name in the last export's
    // folder; before the first, in the program's folder, or the home folder
    // for an installed program or a folder that takes no files.
    QString proposedExportPath() const;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    // What a fresh walk does with goods of an earlier one in the list.
    enum class EarlierGoods
    {
        Ask,
        Clear,
        Keep
    };

    void buildControls();
    void buildControlGroup(QWidget* group);
    void connectCommands();
    void connectShortcuts();
    void placeOnScreen();
    void restoreLayout(const IniFile& ini);
    void storeLayout(IniFile& ini) const;
    void showGoodsMenu(const QPoint& at);
    std::string goodsLink(int row) const;
    void showWalkState();
    void noteSearchStart(bool fromFirstPage, int pageLimit);

    StartOutcome startSearch();
    std::optional<EarlierGoods> settleEarlierGoods();
    void onSearchEnded(const WalkEnd& end);
    bool confirmClear();
    void emptyGoods();

    // The goods history (main_window_history.cpp): the recorder the walks
    // go through, and the file read for the menu, the dialog and the baskets
    // (none when it cannot be opened).
    std::shared_ptr<HistoryRecorder> historyRecorder();
    HistoryStore* historyReader();
    void buildHistoryMenu();
    void fillHistoryMenu(QMenu* menu);
    void showHistoryDialog();
    // Watching a coupon on a timer (main_window_watch.cpp).
    void watchCoupon();
    void addWatch(const QStringList& args, const QByteArray& secrets);
    void showWatchDialog();
    void tellExportFailure(const QString& text);
    void buildMenus(const std::vector<Menu>& menus);
    void loadBrowserPage(const std::string& address);
    void menuCommandHook(int id);
    bool startStartupCheck();
    // The window's controls by group, for the run control's look.
    WidgetPanel widgetPanel() const;
    QWidget* inputBox(InputField field) const;
    void logAndTell(const QString& text, QMessageBox::Icon icon);

    std::shared_ptr<AppState> m_state;
    WindowOptions m_options;
    std::string m_settingsPath;
    FeedbackBridge* m_bridge = nullptr;
    std::shared_ptr<GuardedSink> m_sink;
    std::shared_ptr<std::atomic<bool>> m_pumpDone;
    GoodsPanel* m_goods = nullptr;
    LogPanel* m_log = nullptr;
    // The search's inputs and the run commands.
    QLineEdit* m_address = nullptr;
    QLineEdit* m_interval = nullptr;
    QLineEdit* m_pageLimit = nullptr;
    QPlainTextEdit* m_extraHeaders = nullptr;
    QPlainTextEdit* m_cookie = nullptr;
    QPushButton* m_importCookies = nullptr;
    QPushButton* m_startPause = nullptr;
    QPushButton* m_stop = nullptr;
    QObject* m_exportDialog = nullptr; // the save dialog's title, filter and folder
    QSplitter* m_splitter = nullptr;
    StatusPanel* m_status = nullptr;
    WalkEndReason m_walkEnd = WalkEndReason::Finished; // how the last walk ended, until the next start
    // Made on first use, once the settings path is known.
    std::shared_ptr<HistoryRecorder> m_recorder;
    std::unique_ptr<HistoryStore> m_historyReader;
    QString m_exportDir;                             // folder of the last export, "" before the first
    QWidget* m_refusedBox = nullptr;                 // the input a refused start names, focused once usable
    EarlierGoods m_earlierGoods = EarlierGoods::Ask; // kept in the settings once chosen for good
    QAction* m_versionAction = nullptr;
    std::vector<std::string> m_menuLinks; // the menu entries' links, by 1-based id
    bool m_settingsSaved = false;
    bool m_settingsProblemLogged = false; // "cannot be saved" is said once
    std::shared_ptr<ManualResetEvent> m_pumpQuit;
    std::shared_ptr<ManualResetEvent> m_startupQuit;
};

} // namespace zorvane::ui
