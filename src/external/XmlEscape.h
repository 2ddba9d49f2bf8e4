#pragma once
#include <string>
#include <string_view>

namespace mox {

// Escapes bare "&", "<" and ">" of text and attribute values, leaving markup, comments,
// CDATA sections, processing instructions, entities and character references untouched.
std::string EscapeXmlText(std::string_view aXml);

// Every "&", "<" and ">" escaped, markup and entities included: a whole document carried as the
// text of an element.
std::string EscapeAsText(std::string_view aXml);

// Turns &lt; &gt; &amp; &quot; &apos; and &#N; / &#xH; into their characters.
std::string UnescapeXmlText(std::string_view aXml);

}  // namespace mox
