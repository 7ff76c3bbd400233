#include "settings/ini_file.h"

#include <fstream>
#include <random>

#include <gtest/gtest.h>

#include "base/text.h"
#include "settings/config_file.h"
#include "tests/support/temp_dir.h"

using namespace zorvane;

namespace {

std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void writeFile(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

// The document of a file written with these bytes.
IniFile loadWritten(const std::string& path, const std::string& bytes)
{
    writeFile(path, bytes);
    return IniFile::load(path);
}

// Its lines from [配置] on end in LF.
const std::string kSampleTail = "[配置]\n"
                                "搜索主机=search.example\n"
                                "  ; indented comment\n"
                                "Quoted = \"  two  \"\n"
                                "Single='x'\n"
                                "[编辑框]\n"
                                "编辑框_参数_页数=7\n";
const std::string kSample = "; 用户的注释\r\n"
                            "[编辑框]\r\n"
                            "编辑框_参数_地址 = https://a.example/x?a=1\r\n"
                            "编辑框_参数_间隔=\r\n"
                            "\r\n" +
                            kSampleTail;

} // namespace

TEST(IniRead, FollowsTheProfileRules)
{
    IniFile ini = IniFile::fromText(kSample);
    EXPECT_EQ(ini.value("编辑框", "编辑框_参数_地址"), "https://a.example/x?a=1");
    EXPECT_EQ(ini.value("编辑框", "编辑框_参数_间隔"), "");
    EXPECT_EQ(ini.value("配置", "quoted"), "  two  ");
    EXPECT_EQ(ini.value("配置", "SINGLE"), "x");
    EXPECT_EQ(ini.value("编辑框", "编辑框_参数_页数"), "7"); // a repeated section is searched too
    EXPECT_FALSE(ini.value("配置", "; indented comment"));
    EXPECT_FALSE(ini.value("编辑框", "搜索主机"));
    EXPECT_FALSE(ini.value("missing", "x"));
}

TEST(IniRead, FirstOfTwoKeysWinsAndNamesIgnoreCase)
{
    IniFile ini = IniFile::fromText("[Sec]\nKey=first\nkey=second\n[SEC]\nKEY=third\n");
    EXPECT_EQ(ini.value("sec", "KEY"), "first");
    ASSERT_TRUE(ini.setValue("SEC", "kEy", "new"));
    EXPECT_EQ(ini.toText(), "[Sec]\nkEy=new\nkey=second\n[SEC]\nKEY=third\n");
}

TEST(IniWrite, SetValueKeepsEveryOtherLine)
{
    IniFile ini = IniFile::fromText(kSample);
    ASSERT_TRUE(ini.setValue("编辑框", "编辑框_参数_间隔", "2000"));
    ASSERT_TRUE(ini.setValue("编辑框", "编辑框_价格min", "1.5"));
    ASSERT_TRUE(ini.setValue("新节", "键", "值"));
    EXPECT_EQ(ini.toText(), "; 用户的注释\r\n"
                            "[编辑框]\r\n"
                            "编辑框_参数_地址 = https://a.example/x?a=1\r\n"
                            "编辑框_参数_间隔=2000\r\n"
                            "编辑框_价格min=1.5\r\n"
                            "\r\n" +
                                kSampleTail +
                                "[新节]\r\n"
                                "键=值\r\n");
}

TEST(IniWrite, ValuesReadingWouldAlterComeBackAsGiven)
{
    IniFile ini;
    for (std::string value :
         {" padded ", "\"quoted\"", "'single'", "\t", "", "\"", "a = b", "[x]", "; not a comment"}) {
        ASSERT_TRUE(ini.setValue("s", "k", value));
        EXPECT_EQ(IniFile::fromText(ini.toText()).value("s", "k"), value) << "[" << value << "]";
    }
}

TEST(IniWrite, RefusesWhatCannotStayOnOneLine)
{
    IniFile ini = IniFile::fromText("[s]\nk=v\n");
    EXPECT_FALSE(ini.setValue("s", "k", "a\nb"));
    EXPECT_FALSE(ini.setValue("s", "k", "a\rb"));
    EXPECT_FALSE(ini.setValue("s", "a=b", "v"));
    EXPECT_FALSE(ini.setValue("s", "", "v"));
    EXPECT_FALSE(ini.setValue("a]b", "k", "v"));
    EXPECT_EQ(ini.toText(), "[s]\nk=v\n");
}

TEST(IniFileOnDisk, SavedBytesAreGbk)
{
    test::TempDir dir;
    const std::string path = dir.file("setsoft.ini");
    IniFile ini;
    ASSERT_TRUE(ini.setValue("编辑框", "编辑框_参数_地址", "价格"));
    ASSERT_TRUE(ini.save(path));
    // [编辑框] / 编辑框_参数_地址=价格, in GBK.
    EXPECT_EQ(readFile(path),
              "[\xB1\xE0\xBC\xAD\xBF\xF2]\r\n"
              "\xB1\xE0\xBC\xAD\xBF\xF2_\xB2\xCE\xCA\xFD_\xB5\xD8\xD6\xB7=\xBC\xDB\xB8\xF1\r\n");
    EXPECT_EQ(IniFile::load(path).value("编辑框", "编辑框_参数_地址"), "价格");
}

TEST(IniFileOnDisk, ReadsAGbkFileAndKeepsItsOtherContent)
{
    test::TempDir dir;
    const std::string path = dir.file("setsoft.ini");
    // ;注释 / [配置] / 登录主机=login.example / [编辑框] / 编辑框=旧
    writeFile(path,
              ";\xD7\xA2\xCA\xCD\r\n[\xC5\xE4\xD6\xC3]\r\n\xB5\xC7\xC2\xBC\xD6\xF7\xBB\xFA=login.example\r\n"
              "[\xB1\xE0\xBC\xAD\xBF\xF2]\r\n\xB1\xE0\xBC\xAD\xBF\xF2=\xBE\xC9\r\n");
    IniFile ini = IniFile::load(path);
    EXPECT_EQ(ini.value("配置", "登录主机"), "login.example");
    EXPECT_EQ(ini.value("编辑框", "编辑框"), "旧");
    ASSERT_TRUE(ini.setValue("编辑框", "编辑框", "新"));
    ASSERT_TRUE(ini.save(path));
    EXPECT_EQ(readFile(path),
              ";\xD7\xA2\xCA\xCD\r\n[\xC5\xE4\xD6\xC3]\r\n\xB5\xC7\xC2\xBC\xD6\xF7\xBB\xFA=login.example\r\n"
              "[\xB1\xE0\xBC\xAD\xBF\xF2]\r\n\xB1\xE0\xBC\xAD\xBF\xF2=\xD0\xC2\r\n");
}

TEST(IniFileOnDisk, KeepsItsEncodingLineEndsAndWhatItDoesNotOwn)
{
    // [配置] / 搜索主机 = s.example ; a comment / [编辑框] / 编辑框_参数_页数 = 7
    const std::string gbk = "[\xC5\xE4\xD6\xC3]\r\n\xCB\xD1\xCB\xF7\xD6\xF7\xBB\xFA = s.example ; "
                            "\xD7\xA2\r\n[\xB1\xE0\xBC\xAD\xBF\xF2]\r\n\xB1\xE0\xBC\xAD\xBF\xF2_\xB2\xCE"
                            "\xCA\xFD_\xD2\xB3\xCA\xFD = 7";
    const std::string utf8 = "[配置]\n搜索主机 = s.example ; 注\n[编辑框]\n编辑框_参数_页数 = 7";
    struct Case
    {
        std::string name;
        std::string before;
        std::string after; // once 编辑框_参数_页数 is kept at 7 and 编辑框_价格min set to 价
        IniFile::Encoding encoding;
        bool recognised;
    };
    const Case cases[] = {
        {"UTF-8, LF", utf8, utf8 + "\n编辑框_价格min=价\n", IniFile::Encoding::Utf8, true},
        {"UTF-8 with BOM, CR LF", "\xEF\xBB\xBF" + replaceAll(utf8, "\n", "\r\n") + "\r\n",
         "\xEF\xBB\xBF" + replaceAll(utf8, "\n", "\r\n") + "\r\n编辑框_价格min=价\r\n",
         IniFile::Encoding::Utf8WithBom, true},
        {"GBK, CR LF", gbk, gbk + "\r\n\xB1\xE0\xBC\xAD\xBF\xF2_\xBC\xDB\xB8\xF1min=\xBC\xDB\r\n",
         IniFile::Encoding::Gbk, true},
        // Neither: a lone lead byte (0xFF is no GBK lead) is kept as it was.
        {"undecodable", "\xFF;\n" + gbk,
         "\xFF;\n" + gbk + "\n\xB1\xE0\xBC\xAD\xBF\xF2_\xBC\xDB\xB8\xF1min=\xBC\xDB\n",
         IniFile::Encoding::Gbk, false},
    };
    test::TempDir dir;
    const std::string path = dir.file("setsoft.ini");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        IniFile ini = loadWritten(path, c.before);
        EXPECT_EQ(ini.encoding(), c.encoding);
        EXPECT_EQ(ini.encodingRecognised(), c.recognised);
        EXPECT_EQ(loadConfig(ini).searchHost, "s.example ; 注");
        EXPECT_EQ(ini.value("编辑框", "编辑框_参数_页数"), "7");
        ASSERT_TRUE(ini.setValue("编辑框", "编辑框_参数_页数", "7"));
        ASSERT_TRUE(ini.setValue("编辑框", "编辑框_价格min", "价"));
        ASSERT_TRUE(ini.save(path));
        EXPECT_EQ(readFile(path), c.after);
    }
}

TEST(IniFileOnDisk, AValueGbkLacksTurnsTheFileIntoUtf8WithBom)
{
    const std::string gbkFile =
        ";\xD7\xA2\xCA\xCD\r\n[\xC5\xE4\xD6\xC3]\r\n"
        "\xB5\xC7\xC2\xBC\xD6\xF7\xBB\xFA=login.example\r\n"; // ;注释 [配置] 登录主机=…
    const std::string emoji = "pt_key=\xF0\x9F\x98\x80";
    const struct
    {
        const char* name;
        std::string before;
        std::string value;
        std::string after;
    } cases[] = {
        {"new file, Hangul", "", "/home/u/폴더",
         "\xEF\xBB\xBF[编辑框]\r\n编辑框_参数_COOKIE=/home/u/폴더\r\n"},
        {"GBK file, emoji", gbkFile, emoji,
         "\xEF\xBB\xBF;注释\r\n[配置]\r\n登录主机=login.example\r\n[编辑框]\r\n编辑框_参数_COOKIE=" + emoji +
             "\r\n"},
        {"GBK file, GBK holds it", gbkFile, "价",
         gbkFile +
             "[\xB1\xE0\xBC\xAD\xBF\xF2]\r\n\xB1\xE0\xBC\xAD\xBF\xF2_\xB2\xCE\xCA\xFD_COOKIE=\xBC\xDB\r\n"},
    };
    test::TempDir dir;
    const std::string path = dir.file("setsoft.ini");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        IniFile ini = loadWritten(path, c.before);
        ASSERT_TRUE(ini.setValue("编辑框", "编辑框_参数_COOKIE", c.value));
        ASSERT_TRUE(ini.save(path));
        EXPECT_EQ(readFile(path), c.after);
        // From then on the file stays as it is now, whatever is set.
        IniFile again = IniFile::load(path);
        EXPECT_EQ(again.value("编辑框", "编辑框_参数_COOKIE"), c.value);
        ASSERT_TRUE(again.setValue("编辑框", "编辑框_参数_页数", "5"));
        ASSERT_TRUE(again.save(path));
        EXPECT_EQ(IniFile::load(path).encoding(), again.encoding());
        EXPECT_EQ(IniFile::load(path).value("编辑框", "编辑框_参数_COOKIE"), c.value);
    }
}

TEST(IniFileOnDisk, LongValueSurvivesWhole)
{
    test::TempDir dir;
    const std::string path = dir.file("setsoft.ini");
    std::string cookie;
    while (cookie.size() < 30000)
        cookie += "pt_key=" + std::to_string(cookie.size()) + "; ";
    IniFile ini;
    ASSERT_TRUE(ini.setValue("编辑框", "编辑框_参数_COOKIE", cookie));
    ASSERT_TRUE(ini.save(path));
    EXPECT_EQ(IniFile::load(path).value("编辑框", "编辑框_参数_COOKIE"), cookie);
}

TEST(IniFileOnDisk, MissingFileIsEmptyAndUnwritablePathFails)
{
    test::TempDir dir;
    IniFile ini = IniFile::load(dir.file("none.ini"));
    EXPECT_EQ(ini.toText(), "");
    ASSERT_TRUE(ini.setValue("s", "k", "v"));
    EXPECT_FALSE(ini.save(dir.file("no/such/dir/setsoft.ini")));
}

TEST(IniFileOnDisk, RandomBytesGiveAUsableDocument)
{
    test::TempDir dir;
    const std::string path = dir.file("setsoft.ini");
    std::mt19937 rng(42);
    const std::string alphabet("[]=;\"' \t\r\n\0\xA1\xB1\xE0\xFFkv", 17);
    for (int round = 0; round < 200; ++round) {
        std::string bytes(std::uniform_int_distribution<std::size_t>(0, 400)(rng), '\0');
        for (char& c : bytes)
            c = round % 2 ? static_cast<char>(rng()) : alphabet[rng() % alphabet.size()];
        writeFile(path, bytes);
        IniFile ini = IniFile::load(path);
        (void)ini.value("k", "k");
        ASSERT_TRUE(ini.setValue("编辑框", "编辑框_参数_地址", "https://a.example/"));
        ASSERT_TRUE(ini.save(path));
        EXPECT_EQ(IniFile::load(path).value("编辑框", "编辑框_参数_地址"), "https://a.example/");
    }
}
