#include "base/gbk.h"

#include <cerrno>
#include <cstdint>
#include <vector>

#include <iconv.h>

namespace zorvane {

namespace {

// One conversion descriptor per call keeps the functions thread-safe.
class IconvHandle final
{
public:
    IconvHandle(const char* to, const char* from) : m_cd(iconv_open(to, from)) {}
    ~IconvHandle()
    {
        if (valid())
            iconv_close(m_cd);
    }
    IconvHandle(const IconvHandle&) = delete;
    IconvHandle& operator=(const IconvHandle&) = delete;

    bool valid() const { return m_cd != reinterpret_cast<iconv_t>(-1); }
    iconv_t get() const { return m_cd; }

private:
    iconv_t m_cd;
};

// Converts text, replacing whatever cannot be converted: skipBytes tells how
// many input bytes to drop for an unconvertible or invalid sequence.
template <typename SkipFn>
std::string convert(const char* to, const char* from, std::string_view text, std::string_view replacement,
                    SkipFn skipBytes, std::size_t* replaced = nullptr)
{
    IconvHandle cd(to, from);
    std::string out;
    if (!cd.valid())
        return out;
    out.reserve(text.size() + text.size() / 2);
    char* in = const_cast<char*>(text.data());
    std::size_t inLeft = text.size();
    char buf[4096];
    while (inLeft > 0) {
        char* outPtr = buf;
        std::size_t outLeft = sizeof buf;
        std::size_t rc = iconv(cd.get(), &in, &inLeft, &outPtr, &outLeft);
        out.append(buf, static_cast<std::size_t>(outPtr - buf));
        if (rc != static_cast<std::size_t>(-1))
            break;
        if (errno == E2BIG)
            continue;
        // EILSEQ or EINVAL: replace the offending sequence and go on.
        std::size_t skip = skipBytes(std::string_view(in, inLeft));
        out.append(replacement);
        if (replaced)
            ++*replaced;
        in += skip;
        inLeft -= skip;
        iconv(cd.get(), nullptr, nullptr, nullptr, nullptr);
    }
    return out;
}

// Length of the UTF-8 sequence starting the text (1 for a stray byte).
std::size_t utf8SequenceLength(std::string_view s)
{
    auto c = static_cast<unsigned char>(s[0]);
    std::size_t len = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
    std::size_t i = 1;
    while (i < len && i < s.size() && (static_cast<unsigned char>(s[i]) & 0xC0) == 0x80)
        ++i;
    return i;
}

// The GBK bytes of every character of the Basic Multilingual Plane beyond
// ASCII (0 where GBK has none, below 0x100 for a single byte), asked of iconv once: converting through the
// table is several times faster than iconv's way through UCS-4, and gives
// its very bytes.
struct GbkTable
{
    std::vector<std::uint16_t> codes = std::vector<std::uint16_t>(0x10000, 0);
    bool ready = false;

    GbkTable()
    {
        IconvHandle cd("GBK", "UTF-8");
        if (!cd.valid())
            return;
        for (std::uint32_t cp = 0x80; cp < 0x10000; ++cp) {
            if (cp >= 0xD800 && cp <= 0xDFFF)
                continue;
            char in[3];
            const std::size_t inLength = cp < 0x800 ? 2 : 3;
            if (inLength == 2) {
                in[0] = static_cast<char>(0xC0 | (cp >> 6));
                in[1] = static_cast<char>(0x80 | (cp & 0x3F));
            } else {
                in[0] = static_cast<char>(0xE0 | (cp >> 12));
                in[1] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
                in[2] = static_cast<char>(0x80 | (cp & 0x3F));
            }
            char out[4];
            char* inPtr = in;
            char* outPtr = out;
            std::size_t inLeft = inLength;
            std::size_t outLeft = sizeof out;
            const std::size_t rc = iconv(cd.get(), &inPtr, &inLeft, &outPtr, &outLeft);
            iconv(cd.get(), nullptr, nullptr, nullptr, nullptr);
            if (rc == static_cast<std::size_t>(-1) || outPtr - out > 2)
                continue;
            // One byte is kept as it is: two-byte codes start at 0x8140.
            codes[cp] = outPtr - out == 1
                            ? static_cast<unsigned char>(out[0])
                            : static_cast<std::uint16_t>((static_cast<unsigned char>(out[0]) << 8) |
                                                         static_cast<unsigned char>(out[1]));
        }
        ready = true;
    }
};

const GbkTable& gbkTable()
{
    static const GbkTable table;
    return table;
}

// Through the table; false (out then unusable) at anything but well-formed
// one- to three-byte sequences, which iconv's own way handles.
bool utf8ToGbkByTable(std::string_view utf8, std::string& out, std::size_t& replaced)
{
    const GbkTable& table = gbkTable();
    if (!table.ready)
        return false;
    out.reserve(utf8.size());
    const auto* s = reinterpret_cast<const unsigned char*>(utf8.data());
    const std::size_t n = utf8.size();
    for (std::size_t i = 0; i < n;) {
        const unsigned char c = s[i];
        std::uint32_t cp = 0;
        if (c < 0x80) {
            out.push_back(static_cast<char>(c));
            ++i;
            continue;
        }
        if (c >= 0xC2 && c <= 0xDF && i + 1 < n && (s[i + 1] & 0xC0) == 0x80) {
            cp = ((c & 0x1Fu) << 6) | (s[i + 1] & 0x3Fu);
            i += 2;
        } else if (c >= 0xE0 && c <= 0xEF && i + 2 < n && (s[i + 1] & 0xC0) == 0x80 &&
                   (s[i + 2] & 0xC0) == 0x80) {
            cp = ((c & 0x0Fu) << 12) | ((s[i + 1] & 0x3Fu) << 6) | (s[i + 2] & 0x3Fu);
            if (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF))
                return false;
            i += 3;
        } else {
            return false;
        }
        const std::uint16_t code = table.codes[cp];
        if (code == 0) {
            out.push_back('?');
            ++replaced;
        } else if (code < 0x100) {
            out.push_back(static_cast<char>(code));
        } else {
            out.push_back(static_cast<char>(code >> 8));
            out.push_back(static_cast<char>(code & 0xFF));
        }
    }
    return true;
}

} // namespace

std::string utf8ToGbk(std::string_view utf8, std::size_t* replaced)
{
    std::string out;
    std::size_t count = 0;
    if (utf8ToGbkByTable(utf8, out, count)) {
        if (replaced)
            *replaced = count;
        return out;
    }
    if (replaced)
        *replaced = 0;
    return convert("GBK", "UTF-8", utf8, "?", utf8SequenceLength, replaced);
}

std::string gbkToUtf8(std::string_view gbk)
{
    return convert("UTF-8", "GBK", gbk, "\xEF\xBF\xBD", [](std::string_view s) {
        // A lead byte with an invalid trail: drop the lead byte only.
        (void)s;
        return std::size_t{1};
    });
}

} // namespace zorvane
