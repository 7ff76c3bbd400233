// Settings and export files where writing fails: a full disk, a read-only
// directory, a data directory that is a file, a file size limit, and a
// settings file of random bytes. Root writes through permission bits, so
// every case here fails for root as well. The previous file always survives.
#include <filesystem>
#include <fstream>
#include <optional>
#include <random>

#include <gtest/gtest.h>
#include <sys/mount.h>

#include "base/gbk.h"
#include "goods/csv_export.h"
#include "settings/settings_file.h"
#include "tests/goods/goods_test_util.h"
#include "tests/reliability/file_helpers.h"
#include "tests/support/temp_dir.h"

namespace fs = std::filesystem;

namespace zorvane::test {
namespace {

// A settings file as the window writes it (GBK).
std::string previousSettings()
{
    return utf8ToGbk("[编辑框]\r\n编辑框_参数_页数=5\r\n");
}

GoodsList manyGoods()
{
    GoodsList goods;
    for (int i = 0; i < 2000; ++i)
        goods.push_back(makeGoods(std::to_string(100000 + i), i + 0.5, {"自营", "券"}, "一件名字颇长的商品"));
    return goods;
}

// A small tmpfs of its own, where a disk can fill up and a directory can be
// read-only for root too. Mounting needs privileges a machine may not grant.
class SmallDisk final
{
public:
    explicit SmallDisk(const fs::path& at) : m_at(at)
    {
        fs::create_directories(at);
        m_mounted = ::mount("tmpfs", at.c_str(), "tmpfs", 0, "size=64k,mode=0755") == 0;
    }
    ~SmallDisk()
    {
        if (m_mounted)
            ::umount2(m_at.c_str(), MNT_DETACH);
    }
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;

    bool mounted() const { return m_mounted; }
    bool makeReadOnly() { return ::mount("tmpfs", m_at.c_str(), "tmpfs", MS_REMOUNT | MS_RDONLY, "") == 0; }
    // Puts a writable file from elsewhere over a file of this disk: the file
    // can then be written while its directory (read-only) takes no new file.
    bool bindFile(const fs::path& from, const fs::path& onto)
    {
        return ::mount(from.c_str(), onto.c_str(), nullptr, MS_BIND, nullptr) == 0;
    }
    // Writes a file until the disk is full.
    void fill()
    {
        std::ofstream filler(m_at / "filler", std::ios::binary);
        const std::string block(4096, 'f');
        for (int i = 0; i < 64 && filler.write(block.data(), static_cast<std::streamsize>(block.size())); ++i)
            filler.flush();
    }
    void unfill() { fs::remove(m_at / "filler"); }

private:
    fs::path m_at;
    bool m_mounted = false;
};

class FileFaults : public WorkerTest
{
protected:
    void exportTo(const std::string& path, GoodsList goods)
    {
        setStore(state, goods);
        runExport(state, sink, path);
    }

    TempDir dir;
};

TEST_F(FileFaults, FullDiskFailsExportAndSettingsAndKeepsThePreviousFiles)
{
    SmallDisk disk(dir.path() / "disk");
    if (!disk.mounted())
        GTEST_SKIP() << "no permission to mount a tmpfs";
    const std::string csv = (dir.path() / "disk" / "goods.csv").string();
    const std::string ini = (dir.path() / "disk" / "setsoft.ini").string();
    writeFileBytes(csv, "previous export");
    writeFileBytes(ini, previousSettings());
    disk.fill();

    exportTo(csv, manyGoods());
    EXPECT_EQ(takeLogMessages(state), std::vector<std::string>{"导出失败，写入\"" + csv + "\"失败"});
    EXPECT_EQ(sink.codes(), (std::vector<std::pair<int, long long>>{{kFeedbackExportEnded, 0}}));
    EXPECT_EQ(readFileBytes(csv), "previous export");

    IniFile settings = IniFile::load(ini);
    ASSERT_TRUE(settings.setValue("编辑框", "编辑框_参数_COOKIE", std::string(60000, 'c')));
    EXPECT_FALSE(settings.save(ini));
    EXPECT_EQ(readFileBytes(ini), previousSettings());
    EXPECT_EQ(entriesOf(dir.path() / "disk"),
              (std::vector<std::string>{"filler", "goods.csv", "setsoft.ini"}));

    // Room again: the next export goes through.
    disk.unfill();
    exportTo(csv, {makeGoods("1", 1)});
    EXPECT_EQ(takeLogMessages(state), std::vector<std::string>{"已导出到\"" + csv + "\""});
}

TEST_F(FileFaults, ReadOnlyDirectoryRefusesExportAndSettingsMoveToTheUserDirectory)
{
    SmallDisk disk(dir.path() / "program");
    if (!disk.mounted())
        GTEST_SKIP() << "no permission to mount a tmpfs";
    const std::string exeDir = (dir.path() / "program").string();
    ASSERT_EQ(settingsFilePath(exeDir, nullptr, nullptr), exeDir + "/data/setsoft.ini");
    writeFileBytes(exeDir + "/data/setsoft.ini", previousSettings());
    writeFileBytes(exeDir + "/goods.csv", "previous export");
    ASSERT_TRUE(disk.makeReadOnly());

    const std::string csv = exeDir + "/goods.csv";
    exportTo(csv, manyGoods());
    EXPECT_EQ(takeLogMessages(state), std::vector<std::string>{"导出失败，打开\"" + csv + "\"失败"});
    EXPECT_EQ(readFileBytes(csv), "previous export");

    // No user directory either: the program's file is still what is read.
    const std::string programFile = exeDir + "/data/setsoft.ini";
    EXPECT_EQ(settingsFilePath(exeDir, "/proc/zorvane-nowhere", nullptr), programFile);

    // The next start keeps its settings in the user's directory, starting from the program's file.
    const std::string xdg = dir.file("xdg");
    const std::string userFile = xdg + "/zorvane/data/setsoft.ini";
    EXPECT_EQ(settingsFilePath(exeDir, xdg.c_str(), nullptr), userFile);
    EXPECT_EQ(readFileBytes(userFile), previousSettings());
    IniFile settings = IniFile::load(userFile);
    EXPECT_EQ(settings.value("编辑框", "编辑框_参数_页数"), "5");
    ASSERT_TRUE(settings.setValue("编辑框", "编辑框_参数_页数", "6"));
    EXPECT_FALSE(settings.save(programFile));
    EXPECT_EQ(readFileBytes(programFile), previousSettings());
    EXPECT_TRUE(settings.save(userFile));
    // From then on the user's file is the one read.
    EXPECT_EQ(settingsFilePath(exeDir, xdg.c_str(), nullptr), userFile);
    EXPECT_EQ(IniFile::load(userFile).value("编辑框", "编辑框_参数_页数"), "6");
}

TEST_F(FileFaults, WritableFileInADirectoryTakingNoNewFileIsRewrittenInPlace)
{
    SmallDisk disk(dir.path() / "program");
    if (!disk.mounted())
        GTEST_SKIP() << "no permission to mount a tmpfs";
    const std::string csv = (dir.path() / "program" / "goods.csv").string();
    writeFileBytes(csv, "");
    ASSERT_TRUE(disk.makeReadOnly());
    const std::string outside = dir.file("outside.csv");
    writeFileBytes(outside, "previous export");
    ASSERT_TRUE(disk.bindFile(outside, csv));

    struct Case
    {
        rlim_t sizeLimit; // 0: none
        std::string log;
    };
    for (const Case& c :
         {Case{0, "已导出到\"" + csv + "\""}, Case{4096, "导出失败，写入\"" + csv + "\"失败"}}) {
        SCOPED_TRACE(c.log);
        writeFileBytes(outside, "previous export");
        {
            std::optional<FileSizeLimit> limit;
            if (c.sizeLimit)
                limit.emplace(c.sizeLimit);
            exportTo(csv, manyGoods());
        }
        EXPECT_EQ(takeLogMessages(state), std::vector<std::string>{c.log});
        const std::string written = readFileBytes(outside);
        if (c.sizeLimit)
            EXPECT_EQ(written.size(), c.sizeLimit);
        else
            EXPECT_EQ(written, readFileBytes(csv));
        EXPECT_NE(written.find(utf8ToGbk("一件名字颇长的商品")), std::string::npos);
    }
    EXPECT_EQ(entriesOf(dir.path() / "program"), std::vector<std::string>{"goods.csv"});
}

TEST_F(FileFaults, DataDirectoryThatIsAFileSendsTheSettingsElsewhere)
{
    const std::string exeDir = dir.file("program");
    fs::create_directories(exeDir);
    writeFileBytes(exeDir + "/data", "a file where the data directory belongs");
    const std::string xdg = dir.file("xdg");

    const std::string path = settingsFilePath(exeDir, xdg.c_str(), nullptr);
    EXPECT_EQ(path, xdg + "/zorvane/data/setsoft.ini");
    IniFile settings;
    ASSERT_TRUE(settings.setValue("编辑框", "编辑框_参数_页数", "7"));
    ASSERT_TRUE(settings.save(path));
    EXPECT_EQ(IniFile::load(path).value("编辑框", "编辑框_参数_页数"), "7");
    EXPECT_EQ(readFileBytes(exeDir + "/data"), "a file where the data directory belongs");
    // Nowhere else to go: the file's own path, where saving fails.
    const std::string nowhere = settingsFilePath(exeDir, nullptr, nullptr);
    EXPECT_FALSE(settings.save(nowhere));
    EXPECT_EQ(readFileBytes(exeDir + "/data"), "a file where the data directory belongs");
}

TEST_F(FileFaults, SettingsSavedPastTheFileSizeLimitKeepThePreviousFile)
{
    const std::string path = dir.file("setsoft.ini");
    writeFileBytes(path, previousSettings());
    IniFile settings = IniFile::load(path);
    ASSERT_TRUE(settings.setValue("编辑框", "编辑框_参数_COOKIE", std::string(20000, 'c')));
    {
        FileSizeLimit limit(4096);
        EXPECT_FALSE(settings.save(path));
    }
    EXPECT_EQ(readFileBytes(path), previousSettings());
    EXPECT_EQ(entriesOf(dir.path()), std::vector<std::string>{"setsoft.ini"});
    EXPECT_TRUE(settings.save(path));
    EXPECT_EQ(IniFile::load(path).value("编辑框", "编辑框_参数_COOKIE"), std::string(20000, 'c'));
}

TEST_F(FileFaults, RandomBytesGiveEveryControlAUsableValue)
{
    const std::string path = dir.file("setsoft.ini");
    std::mt19937 random(99);
    // Bytes that settings files are made of, and any byte at all.
    const std::string alphabet("[]=;<|>\"' \t\r\n\0\xA1\xB1\xE0\xFF年月日时分秒0123456789-编辑框", 48);
    for (int round = 0; round < 300; ++round) {
        std::string bytes(std::uniform_int_distribution<std::size_t>(0, 600)(random), '\0');
        for (char& c : bytes)
            c = round % 3 == 0 ? static_cast<char>(random()) : alphabet[random() % alphabet.size()];
        // A few lines that name the controls, so that their loaders find values.
        bytes = "[编辑框]\n编辑框_1=" + bytes + "\n[组合框]\n组合框_1=" + bytes.substr(0, 80) +
                "\n[日期框]\n日期框_1=" + bytes.substr(0, 40) + "\n[选择框]\n选择框_1=" + bytes.substr(0, 3) +
                "\n" + bytes;
        writeFileBytes(path, bytes);

        IniFile settings = IniFile::load(path);
        const std::optional<std::string> edit = loadEditBox(settings, "编辑框_1");
        const std::optional<ComboState> combo = loadComboBox(settings, "组合框_1");
        const std::optional<bool> ticked = loadCheckBox(settings, "选择框_1");
        const DateTime date = loadDateBox(settings, "日期框_1");
        EXPECT_GE(date.year, 100);
        EXPECT_LE(date.year, 9999);
        EXPECT_GE(date.month, 1);
        EXPECT_LE(date.month, 12);
        EXPECT_GE(date.day, 1);
        EXPECT_LE(date.day, 31);

        // What the window shows is saved and comes back the same.
        ASSERT_TRUE(saveEditBox(settings, "编辑框_1", edit.value_or("")));
        ASSERT_TRUE(saveComboBox(settings, "组合框_1", combo.value_or(ComboState{})));
        ASSERT_TRUE(saveCheckBox(settings, "选择框_1", ticked.value_or(false)));
        ASSERT_TRUE(saveDateBox(settings, "日期框_1", date));
        ASSERT_TRUE(settings.save(path));
        const IniFile again = IniFile::load(path);
        EXPECT_EQ(loadEditBox(again, "编辑框_1").value_or(""),
                  decodeEditText(encodeEditText(edit.value_or(""))));
        EXPECT_EQ(loadDateBox(again, "日期框_1"), date);
        EXPECT_EQ(loadCheckBox(again, "选择框_1").value_or(false), ticked.value_or(false));
        if (::testing::Test::HasFailure())
            return;
    }
}

} // namespace
} // namespace zorvane::test
