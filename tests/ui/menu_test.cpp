#include <QAction>
#include <QMenu>
#include <QMenuBar>

#include "tests/support/test_server.h"
#include "ui/dialogs.h"
#include "update/menus.h"
#include "window_fixture.h"

using namespace zorvane;
using namespace zorvane::test;

namespace {

QAction* findAction(const QList<QAction*>& actions, const QString& text)
{
    for (QAction* a : actions) {
        if (a->text() == text)
            return a;
    }
    return nullptr;
}

} // namespace

TEST_F(WindowFixture, MenuDescriptionAddsLinkEntriesNumberedAcrossMessages)
{
    window->feedbackHandler(
        {kFeedbackMenu, 0, std::nullopt,
         parseMenus(R"({"top":{"A":"https://u1/","B":"https://u2/","parseJSON":"x"},)"
                    R"("second":{"More":{"C":"https://u3/","D":"file:///etc/passwd"}}})")});
    const QList<QAction*> bar = window->menuBar()->actions();
    QAction* a = findAction(bar, QStringLiteral("A"));
    QAction* b = findAction(bar, QStringLiteral("B"));
    QAction* more = findAction(bar, QStringLiteral("More"));
    ASSERT_TRUE(a && b && more && more->menu());
    EXPECT_EQ(findAction(bar, QStringLiteral("parseJSON")), nullptr);
    EXPECT_EQ(a->data().toInt(), 1);
    EXPECT_EQ(b->data().toInt(), 2);
    QAction* c = findAction(more->menu()->actions(), QStringLiteral("C"));
    QAction* d = findAction(more->menu()->actions(), QStringLiteral("D"));
    ASSERT_TRUE(c && d);
    EXPECT_EQ(c->data().toInt(), 3);
    EXPECT_EQ(d->data().toInt(), 4);

    c->trigger();
    ASSERT_EQ(ui::Dialogs::openedAddresses().size(), 1u);
    EXPECT_EQ(ui::Dialogs::openedAddresses().front(), QStringLiteral("https://u3/"));
    d->trigger(); // a local file is never opened
    EXPECT_EQ(ui::Dialogs::openedAddresses().size(), 1u);
    EXPECT_TRUE(logShows("file:///etc/passwd"));

    // A second description goes on counting; a broken one adds nothing.
    window->feedbackHandler({kFeedbackMenu, 0, std::nullopt, parseMenus(R"({"top":{"E":"https://u5/"}})")});
    window->feedbackHandler({kFeedbackMenu, 0, std::nullopt, parseMenus("{broken")});
    QAction* e = findAction(window->menuBar()->actions(), QStringLiteral("E"));
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->data().toInt(), 5);
    // The window's own menu item is not a link entry.
    window->menuBar()->actions().first()->menu()->actions().first()->trigger();
    EXPECT_EQ(ui::Dialogs::openedAddresses().size(), 1u);
}

TEST_F(WindowFixture, BrowserBoxRequestsThePageWithoutShowingIt)
{
    TestServer server;
    ASSERT_TRUE(server.start(false));
    window->feedbackHandler({kFeedbackLoadPage, 0, server.url("/notice.html")});
    ASSERT_TRUE(server.waitForRequests(1, std::chrono::seconds(10)));
    EXPECT_EQ(server.requests().front().target, "/notice.html");
    EXPECT_FALSE(control<QWidget>("超文本浏览框")->isVisible());

    window->feedbackHandler({kFeedbackLoadPage, 0, std::string("file:///etc/passwd")});
    EXPECT_TRUE(logShows("file:///etc/passwd"));
}
