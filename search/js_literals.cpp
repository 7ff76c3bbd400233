#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>

#include "search/js_source.h"
#include "search/js_values.h"

namespace zorvane {

namespace {

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// ASCII identifier characters and any non-ASCII byte; non-ASCII white space
// is told apart by the caller.
bool isIdentifierByte(char c)
{
    return isDigit(c) || ((c | 0x20) >= 'a' && (c | 0x20) <= 'z') || c == '_' || c == '$' ||
           static_cast<unsigned char>(c) >= 0x80;
}

class ArgumentReader
{
public:
    explicit ArgumentReader(std::string_view text) : m_text(text) {}

    std::optional<std::vector<JsValue>> readAll()
    {
        std::vector<JsValue> values;
        if (!skipWhite())
            return std::nullopt;
        if (m_pos == m_text.size())
            return values;
        for (;;) {
            std::optional<JsValue> value = readValue();
            if (!value || !skipWhite())
                return std::nullopt;
            values.push_back(std::move(*value));
            if (m_pos == m_text.size())
                return values;
            if (m_text[m_pos] != ',')
                return std::nullopt;
            ++m_pos;
            // The page's call goes to an ES3 engine, which refuses a trailing comma.
            if (!skipWhite() || m_pos == m_text.size())
                return std::nullopt;
        }
    }

private:
    // Skips white space and block comments, which count as white space. False
    // on a line comment (it would swallow the call's closing parenthesis) or
    // on a block comment that never ends.
    bool skipWhite()
    {
        for (;;) {
            if (std::size_t n = jsWhiteAt(m_text, m_pos)) {
                m_pos += n;
                continue;
            }
            if (m_text.substr(m_pos, 2) == "//")
                return false;
            if (m_text.substr(m_pos, 2) != "/*")
                return true;
            const std::size_t end = m_text.find("*/", m_pos + 2);
            if (end == std::string_view::npos)
                return false;
            m_pos = end + 2;
        }
    }

    std::optional<JsValue> readValue()
    {
        char c = m_text[m_pos];
        if (c == '\'' || c == '"')
            return readString(c);
        if (c == '+' || c == '-') {
            ++m_pos;
            if (!skipWhite() || m_pos == m_text.size())
                return std::nullopt;
            std::optional<double> number = readNumberOrNamedNumber();
            if (!number)
                return std::nullopt;
            return JsValue::fromNumber(c == '-' ? -*number : *number);
        }
        if (isDigit(c) || c == '.')
            return numberValue(readNumber());
        std::string_view name = readIdentifier();
        if (name == "true" || name == "false")
            return JsValue::fromBool(name == "true");
        if (name == "null")
            return JsValue::null();
        if (name == "undefined")
            return JsValue::undefined();
        if (name == "NaN")
            return JsValue::fromNumber(std::numeric_limits<double>::quiet_NaN());
        if (name == "Infinity")
            return JsValue::fromNumber(std::numeric_limits<double>::infinity());
        return std::nullopt;
    }

    static std::optional<JsValue> numberValue(std::optional<double> number)
    {
        if (!number)
            return std::nullopt;
        return JsValue::fromNumber(*number);
    }

    std::optional<double> readNumberOrNamedNumber()
    {
        if (m_pos < m_text.size() && (isDigit(m_text[m_pos]) || m_text[m_pos] == '.'))
            return readNumber();
        std::string_view name = readIdentifier();
        if (name == "NaN")
            return std::numeric_limits<double>::quiet_NaN();
        if (name == "Infinity")
            return std::numeric_limits<double>::infinity();
        return std::nullopt;
    }

    std::string_view readIdentifier()
    {
        std::size_t start = m_pos;
        while (m_pos < m_text.size() && isIdentifierByte(m_text[m_pos]) && !jsWhiteAt(m_text, m_pos))
            ++m_pos;
        return m_text.substr(start, m_pos - start);
    }

    std::size_t digitRun(bool (*accept)(char))
    {
        std::size_t start = m_pos;
        while (m_pos < m_text.size() && accept(m_text[m_pos]))
            ++m_pos;
        return m_pos - start;
    }

    std::optional<double> readNumber()
    {
        std::size_t start = m_pos;
        if (m_text[m_pos] == '0' && m_pos + 1 < m_text.size()) {
            char prefix = static_cast<char>(m_text[m_pos + 1] | 0x20);
            int radix = prefix == 'x' ? 16 : prefix == 'o' ? 8 : prefix == 'b' ? 2 : 0;
            if (radix) {
                m_pos += 2;
                std::size_t from = m_pos;
                while (m_pos < m_text.size() && isIdentifierByte(m_text[m_pos]) && !jsWhiteAt(m_text, m_pos))
                    ++m_pos;
                double v = jsRadixValue(m_text.substr(from, m_pos - from), radix);
                return std::isnan(v) ? std::nullopt : std::optional<double>(v);
            }
            if (isDigit(m_text[m_pos + 1])) {
                digitRun(isDigit);
                std::string_view digits = m_text.substr(start, m_pos - start);
                if (digits.find_first_of("89") == std::string_view::npos) {
                    // Legacy octal (010 is 8); it takes no fraction or exponent.
                    return afterNumber(jsRadixValue(digits.substr(1), 8));
                }
                m_pos = start; // 08 and 09.5 are decimal
            }
        }
        std::size_t intDigits = digitRun(isDigit);
        std::size_t fracDigits = 0;
        if (m_pos < m_text.size() && m_text[m_pos] == '.') {
            ++m_pos;
            fracDigits = digitRun(isDigit);
        }
        if (intDigits + fracDigits == 0)
            return std::nullopt;
        if (m_pos < m_text.size() && (m_text[m_pos] | 0x20) == 'e') {
            ++m_pos;
            if (m_pos < m_text.size() && (m_text[m_pos] == '+' || m_text[m_pos] == '-'))
                ++m_pos;
            if (digitRun(isDigit) == 0)
                return std::nullopt;
        }
        return afterNumber(jsDecimalValue(m_text.substr(start, m_pos - start)));
    }

    // A literal directly followed by a letter, digit or point is no literal.
    std::optional<double> afterNumber(double value)
    {
        if (m_pos < m_text.size() && (isIdentifierByte(m_text[m_pos]) || m_text[m_pos] == '.') &&
            !jsWhiteAt(m_text, m_pos))
            return std::nullopt;
        return value;
    }

    std::optional<JsValue> readString(char quote)
    {
        ++m_pos;
        JsStringBuilder out;
        while (m_pos < m_text.size()) {
            char c = m_text[m_pos];
            if (c == quote) {
                ++m_pos;
                return JsValue::fromString(out.take());
            }
            if (c == '\n' || c == '\r')
                return std::nullopt;
            if (c == '\\') {
                ++m_pos;
                if (!readJsEscape(m_text, m_pos, out))
                    return std::nullopt;
                continue;
            }
            std::size_t len = std::min(utf8Length(c), m_text.size() - m_pos);
            out.raw(m_text.substr(m_pos, len));
            m_pos += len;
        }
        return std::nullopt; // unterminated
    }

    std::string_view m_text;
    std::size_t m_pos = 0;
};

} // namespace

std::optional<std::vector<JsValue>> parseJsArguments(std::string_view text)
{
    return ArgumentReader(text).readAll();
}

} // namespace zorvane
