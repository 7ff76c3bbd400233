#pragma once

#include <QMessageBox>
#include <QString>
#include <QStringList>

#include <deque>
#include <functional>
#include <string>
#include <utility>

class QWidget;

namespace zorvane::ui {

// Every message box, save dialog and browser hand-off of the window goes
// through here, so tests can answer them in advance and see what was asked.
class Dialogs final
{
public:
    struct Shown
    {
        QString title;
        QString text;
        QMessageBox::Icon icon;
    };

    static QMessageBox::StandardButton message(QWidget* parent, QMessageBox::Icon icon, const QString& title,
                                               const QString& text,
                                               QMessageBox::StandardButtons buttons = QMessageBox::Ok);

    // A yes-or-no question with the two buttons captioned; true for accept.
    // A scripted answer of Ok or Yes counts as accept.
    static bool question(QWidget* parent, const QString& title, const QString& text, const QString& accept,
                         const QString& reject);

    // A question answered by one of several captioned buttons, with a tick
    // box under it (none when tick is empty). The last button is the escape. button: the index of the
    // chosen one, -1 when the box was closed otherwise.
    struct Choice
    {
        int button = -1;
        bool ticked = false;
    };
    static Choice choose(QWidget* parent, const QString& title, const QString& text,
                         const QStringList& buttons, const QString& tick);

    // Returns the chosen path, or "" when cancelled. proposed is a folder or
    // a file path to start from; chosenFilter, when given, receives the
    // filter (one of those in filter, ";;"-separated) the user left selected.
    static QString saveFile(QWidget* parent, const QString& title, const QString& proposed,
                            const QString& filter, const QString& defaultSuffix,
                            QString* chosenFilter = nullptr);

    // Returns the chosen existing file, or "" when cancelled.
    static QString openFile(QWidget* parent, const QString& title, const QString& folder,
                            const QString& filter);

    // Opens http and https addresses in the default browser; anything else is refused.
    // Addresses are read tolerantly, as a browser's address bar does: spaces
    // and characters such as | { } " ^ are escaped instead of refused.
    static bool openWebAddress(const QString& address);

    // Loads Qt's own Chinese texts (buttons of message boxes, file dialogs).
    static void installChineseTranslations();

    // Test hooks: scripted answers are used (first in, first out) instead of
    // showing anything; shown boxes and opened addresses are recorded.
    static void scriptMessageAnswer(QMessageBox::StandardButton answer);
    // filter: the filter the answer leaves selected, "" for the first one.
    static void scriptSaveAnswer(const QString& path, const QString& filter = {});
    // A choice answered by the button so captioned (none such: closed).
    static void scriptChoiceAnswer(const QString& button, bool ticked = false);
    static void scriptOpenAnswer(const QString& path);
    static void captureOpenedAddresses(bool capture);
    static std::deque<Shown>& shownMessages();
    static std::deque<QString>& openedAddresses();
    static void resetScript();

private:
    static std::deque<QMessageBox::StandardButton>& messageAnswers();
    struct SaveAnswer
    {
        QString path;
        QString filter;
    };
    static std::deque<SaveAnswer>& saveAnswers();
    static std::deque<std::pair<QString, bool>>& choiceAnswers();
    static std::deque<QString>& openAnswers();
};

} // namespace zorvane::ui
