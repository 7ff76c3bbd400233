#pragma once

#include <QString>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "core/app_state.h"
#include "tests/support/files.h"
#include "ui/main_window.h"

namespace zorvane::test {

// Runs the event loop until the condition holds or the time is up.
bool waitUntil(const std::function<bool()>& condition, int timeoutMs = 5000);

// A real main window over a fresh state, with its settings in a temporary
// program directory and every dialog answered by the test.
class WindowFixture : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    // Makes a window (again) over the same program directory.
    void openWindow(Config config = {}, bool backgroundThreads = true);
    void closeWindow();

    template <typename T> T* control(const char* name) const
    {
        return window->findChild<T*>(QString::fromUtf8(name));
    }

    // Appends the record to the goods store and hands the window the walk's
    // message about it, as the search thread does.
    void storeWalkGoods(const GoodsRecord& record);

    // Waits until the log box shows the text.
    bool logShows(const std::string& text, int timeoutMs = 3000);
    QString logBoxText() const;

    std::filesystem::path exeDir;
    std::shared_ptr<AppState> state;
    std::unique_ptr<ui::MainWindow> window;
};

} // namespace zorvane::test
