// The settings reader on arbitrary file bytes, the decoding of every value it
// yields, and a value written back that must read back as given.
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <string>
#include <vector>

#include "base/gbk.h"
#include "base/text.h"
#include "core/config.h"
#include "fuzz/fuzz_check.h"
#include "settings/control_values.h"
#include "settings/ini_file.h"
#include "settings/settings_file.h"

namespace {

using namespace zorvane;

// Each key with the section it stands in, as the text names them, so that
// lookups find something; the program's own names first. A lookup reads the
// document from its start, so each one is made once, not for every pairing
// of names.
struct Name
{
    std::string section;
    std::string key;
};

std::vector<Name> namesIn(const std::string& text)
{
    std::vector<Name> names;
    for (const ConfigKey& key : kConfigKeys)
        names.push_back({kConfigSection, std::string(key.name)});
    std::string section = "编辑框";
    for (const std::string& line : splitText(text, "\n")) {
        const std::string trimmed = trimSpaces(line);
        if (startsWith(trimmed, "[") && trimmed.find(']') != std::string::npos)
            section = trimmed.substr(1, trimmed.find(']') - 1);
        else if (trimmed.find('=') != std::string::npos)
            names.push_back({section, trimSpaces(trimmed.substr(0, trimmed.find('=')))});
        if (names.size() > std::size(kConfigKeys) + 23)
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
}

// The controls' loads read their own sections; each key goes to one of them in turn.
void loadAsControl(const IniFile& ini, const std::string& key, std::size_t turn)
{
    switch (turn % 4) {
    case 0:
        (void)loadEditBox(ini, key);
        break;
    case 1:
        (void)loadCheckBox(ini, key);
        break;
    case 2:
        (void)loadComboBox(ini, key);
        break;
    default:
        (void)loadDateBox(ini, key);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    // The file is GBK on disk; load reads it through this conversion.
    const std::string text = gbkToUtf8(bytes);
    IniFile ini = IniFile::fromText(text);
    const std::vector<Name> names = namesIn(text);
    for (std::size_t i = 0; i < names.size(); ++i) {
        decodeEveryWay(ini, names[i].section, names[i].key);
        loadAsControl(ini, names[i].key, i);
    }

    // A value set is read back as given, from the document and from its text.
    const std::string value = sanitizeUtf8(bytes.substr(0, 64));
    const Name& name = names.back();
    if (ini.setValue(name.section, name.key, value)) {
        FUZZ_CHECK(ini.value(name.section, name.key) == value);
        FUZZ_CHECK(IniFile::fromText(ini.toText()).value(name.section, name.key) == value);
    }
    return 0;
}
