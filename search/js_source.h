#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// Lexical pieces shared by the literal reader and the number rules.
namespace zorvane {

// Byte length of the JavaScript white space or line terminator at pos, 0 when none.
std::size_t jsWhiteAt(std::string_view text, std::size_t pos);

// Byte length of the white space or line terminator that ends text, 0 when none.
std::size_t jsWhiteBefore(std::string_view text);

// The value of validated decimal literal text (digits, point, exponent).
double jsDecimalValue(std::string_view text);

// The value of digits in the radix; NaN when empty or when a digit is foreign.
double jsRadixValue(std::string_view digits, int radix);

// Byte length of the UTF-8 sequence a lead byte opens.
std::size_t utf8Length(char lead);

// Collects decoded UTF-16 code units as UTF-8: a high surrogate waits for its
// low half; an unpaired half becomes U+FFFD, as UTF-8 cannot hold it.
class JsStringBuilder
{
public:
    void unit(std::uint32_t u);
    void codePoint(std::uint32_t cp);
    void raw(std::string_view bytes);
    std::string take();

private:
    void flush();
    std::string m_out;
    std::uint32_t m_high = 0;
};

// Reads the escape whose backslash stands just before pos and moves pos past
// it. False when it is malformed (pos then unchanged).
bool readJsEscape(std::string_view text, std::size_t& pos, JsStringBuilder& out);

} // namespace zorvane
