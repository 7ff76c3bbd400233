#include "core/gbk.h"

#include <cerrno>
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
                    SkipFn skipBytes)
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

} // namespace

std::string utf8ToGbk(std::string_view utf8)
{
    return convert("GBK", "UTF-8", utf8, "?", utf8SequenceLength);
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
