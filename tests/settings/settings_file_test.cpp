#include "settings/settings_file.h"

#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>

#include "settings/config_file.h"
#include "tests/support/temp_dir.h"

using namespace zorvane;
namespace fs = std::filesystem;

TEST(SettingsPath, DataDirectoryBesideTheProgramIsCreated)
{
    test::TempDir dir;
    const std::string exeDir = dir.file("opt/zorvane");
    EXPECT_EQ(settingsFilePath(exeDir, nullptr, nullptr), exeDir + "/data/setsoft.ini");
    EXPECT_TRUE(fs::is_directory(exeDir + "/data"));
    EXPECT_EQ(settingsFilePath(exeDir + "/", nullptr, nullptr), exeDir + "/data/setsoft.ini");
    // Only the directory: the file appears when the settings are first saved.
    EXPECT_TRUE(fs::is_empty(exeDir + "/data"));
}

TEST(SettingsPath, FallsBackToTheUserConfigDirectory)
{
    test::TempDir dir;
    std::ofstream(dir.file("program")) << "a file, so no directory can be made under it";
    const std::string exeDir = dir.file("program/bin");
    const std::string xdg = dir.file("xdg");
    const std::string home = dir.file("home");

    EXPECT_EQ(settingsFilePath(exeDir, xdg.c_str(), home.c_str()), xdg + "/zorvane/data/setsoft.ini");
    EXPECT_TRUE(fs::is_directory(xdg + "/zorvane/data"));

    // A relative XDG_CONFIG_HOME does not count.
    EXPECT_EQ(settingsFilePath(exeDir, "relative", home.c_str()), home + "/.config/zorvane/data/setsoft.ini");
    EXPECT_TRUE(fs::is_directory(home + "/.config/zorvane/data"));
    EXPECT_EQ(settingsFilePath(exeDir, nullptr, home.c_str()), home + "/.config/zorvane/data/setsoft.ini");

    // Nowhere else to go: the program's own path, where saving will fail quietly.
    EXPECT_EQ(settingsFilePath(exeDir, nullptr, nullptr), exeDir + "/data/setsoft.ini");
}

class SettingsRoundTrip : public ::testing::Test
{
protected:
    // Saves as the window does at close (into whatever the file holds), then reloads.
    template <typename Save> IniFile saveAndReload(Save save)
    {
        IniFile ini = IniFile::load(path);
        save(ini);
        EXPECT_TRUE(ini.save(path));
        return IniFile::load(path);
    }

    test::TempDir dir;
    std::string path = settingsFilePath(dir.path().string(), nullptr, nullptr);
};

TEST_F(SettingsRoundTrip, EditBoxesComeBackAsTyped)
{
    const std::string headers = "Referer: https://a.example/\r\nUser-Agent: x\r\n";
    IniFile ini = saveAndReload([&](IniFile& doc) {
        EXPECT_TRUE(saveEditBox(doc, "编辑框_参数_附加协议头", headers));
        EXPECT_TRUE(saveEditBox(doc, "编辑框_参数_地址", "typed ><br>< marker"));
        EXPECT_TRUE(saveEditBox(doc, "编辑框_参数_间隔", ""));
        EXPECT_FALSE(saveEditBox(doc, "编辑框_日志", "12:00:00 log line"));
    });
    EXPECT_EQ(loadEditBox(ini, "编辑框_参数_附加协议头"), headers);
    EXPECT_EQ(loadEditBox(ini, "编辑框_参数_地址"), "typed \r\n marker");
    // Cleared boxes are stored empty and then left at their default.
    EXPECT_EQ(ini.value(kEditBoxSection, "编辑框_参数_间隔"), "");
    EXPECT_FALSE(loadEditBox(ini, "编辑框_参数_间隔"));
    EXPECT_FALSE(ini.value(kEditBoxSection, "编辑框_日志"));
}

TEST_F(SettingsRoundTrip, HandAddedLogKeyIsStillLoaded)
{
    std::ofstream(path, std::ios::binary)
        << "[\xB1\xE0\xBC\xAD\xBF\xF2]\r\n"                      // [编辑框]
           "\xB1\xE0\xBC\xAD\xBF\xF2_\xC8\xD5\xD6\xBE=hand\r\n"; // 编辑框_日志=hand
    EXPECT_EQ(loadEditBox(IniFile::load(path), "编辑框_日志"), "hand");
}

TEST_F(SettingsRoundTrip, OtherKindsAndForeignSectionsSurvive)
{
    std::ofstream(path, std::ios::binary) << "; kept\r\n[\xC5\xE4\xD6\xC3]\r\nupdate=1\r\n"; // [配置]
    const ComboState combo{{{"甲", 1}, {"乙", 2}}, 0, "甲"};
    const DateTime date{2024, 5, 6, 7, 8, 0};
    IniFile ini = saveAndReload([&](IniFile& doc) {
        saveCheckBox(doc, "选择框_a", true);
        saveCheckBox(doc, "选择框_b", false);
        saveRadioButton(doc, "单选框_a", false);
        saveComboBox(doc, "组合框_a", combo);
        saveDateBox(doc, "日期框_a", date);
    });
    EXPECT_EQ(loadCheckBox(ini, "选择框_a"), true);
    EXPECT_EQ(loadCheckBox(ini, "选择框_b"), false);
    EXPECT_EQ(loadRadioButton(ini, "单选框_a"), false);
    EXPECT_FALSE(loadRadioButton(ini, "单选框_missing"));
    EXPECT_EQ(loadComboBox(ini, "组合框_a"), combo);
    EXPECT_EQ(loadDateBox(ini, "日期框_a"), date);
    EXPECT_EQ(loadDateBox(ini, "日期框_missing"), (DateTime{100, 1, 1, 0, 0, 0}));
    EXPECT_EQ(ini.value("配置", "update"), "1");
    EXPECT_EQ(ini.toText().substr(0, 8), "; kept\r\n");
}

TEST(ConfigSection, DefaultsAndOverrides)
{
    const Config defaults;
    Config none = loadConfig(IniFile());
    EXPECT_EQ(none.searchHost, defaults.searchHost);
    EXPECT_EQ(none.itemUrlTemplate, defaults.itemUrlTemplate);
    EXPECT_EQ(none.loginHost, defaults.loginHost);
    EXPECT_EQ(none.updateUrl, defaults.updateUrl);
    EXPECT_FALSE(none.ignoreCertErrors);
    EXPECT_EQ(none.caFile, "");

    Config set = loadConfig(IniFile::fromText(
        "[配置]\n搜索主机=127.0.0.1:8080\n商品地址模板=https://i.example/{goods_id}.html\n"
        "登录主机=\n更新地址=http://127.0.0.1:9/u\n忽略证书错误=真\n证书文件=/etc/corp/ca.pem\n"));
    EXPECT_EQ(set.searchHost, "127.0.0.1:8080");
    EXPECT_EQ(set.itemUrlTemplate, "https://i.example/{goods_id}.html");
    EXPECT_EQ(set.loginHost, defaults.loginHost); // empty keeps the default
    EXPECT_EQ(set.updateUrl, "http://127.0.0.1:9/u");
    EXPECT_TRUE(set.ignoreCertErrors);
    EXPECT_EQ(set.caFile, "/etc/corp/ca.pem");

    EXPECT_FALSE(loadConfig(IniFile::fromText("[配置]\n忽略证书错误=假\n")).ignoreCertErrors);
    EXPECT_FALSE(loadConfig(IniFile::fromText("[编辑框]\n忽略证书错误=真\n")).ignoreCertErrors);
}

TEST(SettingsPath, AnInstalledProgramKeepsItsSettingsInTheUserConfigDirectory)
{
    const struct
    {
        const char* exeDir;
        const char* made; // a directory made first, "" for none
        bool installed;
    } cases[] = {
        {"usr/bin", "usr/share/zorvane", true},
        {"usr/bin/", "usr/share/zorvane", true},
        {"opt/zorvane/bin", "", false},              // unpacked: no share/zorvane beside bin
        {"build/app", "build/share/zorvane", false}, // a build folder is not named bin
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.exeDir);
        test::TempDir dir;
        const std::string exeDir = dir.file(c.exeDir);
        fs::create_directories(exeDir);
        if (c.made[0] != '\0')
            fs::create_directories(dir.file(c.made));
        const std::string xdg = dir.file("xdg");
        const std::string expected = c.installed
                                         ? xdg + "/zorvane/data/setsoft.ini"
                                         : fs::path(exeDir + "/data/setsoft.ini").lexically_normal().string();
        EXPECT_EQ(fs::path(settingsFilePath(exeDir, xdg.c_str(), nullptr)).lexically_normal().string(),
                  expected);
        EXPECT_EQ(fs::exists(exeDir + "/data"), !c.installed);
    }
}
