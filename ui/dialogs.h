#pragma once

#include <QMessageBox>
#include <QString>
#include <QStringList>

#include <deque>
#include <functional>
#include <string>

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

    // One of items chosen from a list; its index, or -1 when cancelled.
    static int choose(QWidget* parent, const QString& title, const QString& label, const QStringList& items);

    // Returns the chosen path, or "" when cancelled. proposed is a folder or
    // a file path to start from; chosenFilter, when given, receives the
    // filter (one of those in filter, ";;"-separated) the user left selected.
    static QString saveFile(QWidget* parent, const QString& title, const QString& proposed,
                            const QString& filter, const QString& defaultSuffix,
                            QString* chosenFilter = nullptr);

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
    static void scriptChoiceAnswer(int index);
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
    static std::deque<int>& choiceAnswers();
};

} // namespace zorvane::ui
