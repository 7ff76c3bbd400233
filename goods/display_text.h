#pragma once

#include <string>
#include <string_view>

namespace zorvane {

// The form of a goods name or tag a person reads: markup removed, the HTML
// entities a result page uses decoded (&amp; &lt; &gt; &quot; &#39; &apos;
// &nbsp; and numeric ones), every run of white space (line breaks, tabs,
// no-break and ideographic spaces included) made one space, and the ends
// trimmed. Stored records, filters, sorting and exports keep the raw text;
// this is for showing it only.
std::string displayText(std::string_view raw);

} // namespace zorvane
