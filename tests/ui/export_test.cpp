// The export as the user meets it: the encodings of the save dialog, the
// folder it proposes first, and a failure told in a box with its cause.
#include <QDir>
#include <QFileInfo>
#include <QPlainTextEdit>
#include <QPushButton>

#include <cerrno>
#include <cstdlib>

#include <fcntl.h>
#include <unistd.h>

#include "base/gbk.h"
#include "ui/dialogs.h"
#include "window_fixture.h"

using namespace zorvane;
using namespace zorvane::test;

namespace {

class Export : public WindowFixture
{
protected:
    // Clicks 导出 with the save dialog answered and waits for the export's end.
    void exportTo(const std::string& path, const QString& filter = {})
    {
        const auto ends = [this] { return logBoxText().count(QString::fromUtf8("导出完毕")); };
        const auto before = ends();
        ui::Dialogs::scriptSaveAnswer(QString::fromStdString(path), filter);
        control<QPushButton>("按钮_导出")->click();
        ASSERT_TRUE(waitUntil([&] { return ends() > before; }));
    }

    // The save dialog's filters, as the window offers them.
    QStringList filters() const
    {
        return window->findChild<QObject*>(QString::fromUtf8("通用对话框_导出"))
            ->property("filter")
            .toString()
            .split(QStringLiteral(";;"));
    }
};

} // namespace

TEST_F(Export, GbkIsTheDefaultAndUtf8KeepsWhatGbkLacks)
{
    ASSERT_EQ(filters().size(), 4); // GBK, UTF-8, the workbook, all files
    state->goods.append(GoodsRecord{"1001", "A\xF0\x9F\x98\x80 B", 1, {}, "", 1, ""});
    const std::string gbk =
        utf8ToGbk("\"名称\",\"商品ID\",\"价格\",\"商品标签\"\r\n\"A? B\",\"1001\",\"1\",\"\"\r\n");
    const std::string utf8 = "\xEF\xBB\xBF\"名称\",\"商品ID\",\"价格\",\"商品标签\"\r\n"
                             "\"A\xF0\x9F\x98\x80 B\",\"1001\",\"1\",\"\"\r\n";
    const QString lacking = QString::fromUtf8("1个字符GBK无法表示，已写成?；导出时选择UTF-8格式可保留");
    const struct
    {
        QString filter; // "" leaves the dialog's first one
        std::string bytes;
    } cases[] = {{{}, gbk}, {filters()[0], gbk}, {filters()[1], utf8}, {filters()[3], gbk}};
    const std::string path = (exeDir / "goods.csv").string();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.filter.toStdString());
        const auto told = logBoxText().count(lacking);
        exportTo(path, c.filter);
        EXPECT_EQ(readFileBytes(path), c.bytes);
        EXPECT_EQ(logBoxText().count(lacking), told + (c.bytes == gbk ? 1 : 0));
    }
}

TEST_F(Export, AFailureIsToldInABoxWithItsCause)
{
    state->goods.append(GoodsRecord{"1001", "商品", 1, {}, "", 1, ""});
    struct Case
    {
        std::string path;
        const char* step;
        const char* cause; // nullptr: written, no box
    };
    std::vector<Case> cases = {
        {"/dev/full", "写入", "磁盘已满"},
        {(exeDir / "no" / "such.csv").string(), "打开", "文件夹不存在"},
        {exeDir.string(), "打开", "同名文件夹已存在"},
        {(exeDir / "written.csv").string(), "", nullptr},
    };
    // Root writes through permission bits, not into /sys.
    const std::string refusing = "/sys/kernel/zorvane-export.csv";
    const int fd = ::open(refusing.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
    const int refused = fd < 0 ? errno : 0;
    if (fd >= 0) {
        ::close(fd);
        ::unlink(refusing.c_str());
    }
    if (refused == EACCES || refused == EROFS)
        cases.push_back({refusing, "打开", refused == EROFS ? "文件系统只读" : "权限不足"});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        const std::size_t shown = ui::Dialogs::shownMessages().size();
        if (c.cause)
            ui::Dialogs::scriptMessageAnswer(QMessageBox::Ok);
        exportTo(c.path);
        if (!c.cause) {
            EXPECT_FALSE(waitUntil([&] { return ui::Dialogs::shownMessages().size() > shown; }, 300));
            continue;
        }
        ASSERT_TRUE(waitUntil([&] { return ui::Dialogs::shownMessages().size() > shown; }));
        const std::string line = std::string("导出失败，") + c.step + "\"" + c.path + "\"失败";
        EXPECT_TRUE(logBoxText().contains(QString::fromStdString(line)));
        const ui::Dialogs::Shown& box = ui::Dialogs::shownMessages().back();
        EXPECT_EQ(box.title, QString::fromUtf8("提示"));
        EXPECT_EQ(box.icon, QMessageBox::Warning);
        EXPECT_EQ(box.text, QString::fromStdString(line + "：" + c.cause));
    }
}

TEST_F(Export, TheFirstProposalIsTheProgramFolderOrForAnInstalledProgramHome)
{
    const std::filesystem::path root = exeDir;
    const char* xdgBefore = std::getenv("XDG_CONFIG_HOME");
    const std::string savedXdg = xdgBefore ? xdgBefore : "";
    ::setenv("XDG_CONFIG_HOME", (root / "xdg").c_str(), 1); // where an installed program keeps its settings
    std::filesystem::create_directories(root / "share" / "zorvane");
    const struct
    {
        const char* folder;
        QString proposed;
    } cases[] = {
        {"build/app", QDir((root / "build" / "app").string().c_str()).absolutePath()},
        {"bin", QDir::homePath()}, // installed: bin with share/zorvane beside it, as for /usr/bin
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.folder);
        closeWindow();
        exeDir = root / c.folder;
        std::filesystem::create_directories(exeDir);
        openWindow({}, false);
        EXPECT_EQ(QFileInfo(window->proposedExportPath()).absolutePath(), c.proposed);
    }
    closeWindow();
    exeDir = root;
    if (xdgBefore)
        ::setenv("XDG_CONFIG_HOME", savedXdg.c_str(), 1);
    else
        ::unsetenv("XDG_CONFIG_HOME");
}
