// The settings reader on arbitrary file bytes, the decoding of every value it
// yields, and a value written back that must read back as given.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/gbk.h"
#include "core/text.h"
#include "fuzz/fuzz_check.h"
#include "settings/control_values.h"
#include "settings/ini_file.h"
#include "settings/settings_file.h"

namespace {

using namespace zorvane;

// Sections and keys the text itself names, so that lookups find something.
struct Names
{
    std::vector<std::string> sections{"编辑框", "配置"};
    std::vector<std::string> keys{"搜索主机"};
};

Names namesIn(const std::string& text)
{
    Names names;
    for (const std::string& line : splitText(text, "\n")) {
        const std::string trimmed = trimSpaces(line);
        if (startsWith(trimmed, "[") && trimmed.find(']') != std::string::npos)
            names.sections.push_back(trimmed.substr(1, trimmed.find(']') - 1));
        else if (trimmed.find('=') != std::string::npos)
            names.keys.push_back(trimSpaces(trimmed.substr(0, trimmed.find('='))));
        if (names.sections.size() + names.keys.size() > 24)
            break;
    }
    return names;
}

void decodeEveryWay(const IniFile& ini, const std::string& section, const std::string& key)
{
    const std::optional<std::string> value = ini.value(section, key);
    if (!value)
        return;
    // An edit box's text settles after one save and load.
    const std::string text = decodeEditText(*value);
    const std::string once = decodeEditText(encodeEditText(text));
    FUZZ_CHECK(decodeEditText(encodeEditText(once)) == once);
    FUZZ_CHECK(encodeEditText(once).find('\n') == std::string::npos);
    (void)decodeTicked(*value);
    const ComboState combo = decodeCombo(*value);
    FUZZ_CHECK(decodeCombo(encodeCombo(decodeCombo(encodeCombo(combo)))) == decodeCombo(encodeCombo(combo)));
    const DateTime date = decodeDate(*value);
    FUZZ_CHECK(decodeDate(encodeDate(date)) == date);
    (void)loadEditBox(ini, key);
    (void)loadCheckBox(ini, key);
    (void)loadComboBox(ini, key);
    (void)loadDateBox(ini, key);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    // The file is GBK on disk; load reads it through this conversion.
    const std::string text = gbkToUtf8(bytes);
    IniFile ini = IniFile::fromText(text);
    const Names names = namesIn(text);
    for (const std::string& section : names.sections) {
        for (const std::string& key : names.keys)
            decodeEveryWay(ini, section, key);
    }

    // A value set is read back as given, from the document and from its text.
    const std::string value = sanitizeUtf8(bytes.substr(0, 64));
    const std::string& section = names.sections.back();
    const std::string& key = names.keys.back();
    if (ini.setValue(section, key, value)) {
        FUZZ_CHECK(ini.value(section, key) == value);
        FUZZ_CHECK(IniFile::fromText(ini.toText()).value(section, key) == value);
    }
    return 0;
}
