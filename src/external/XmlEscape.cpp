#include "external/XmlEscape.h"

#include <cctype>
#include <cstdint>

#include "external/Utf8Text.h"

namespace mox {

namespace {

bool IsNameStart(unsigned char c) { return std::isalpha(c) || c == '_' || c == ':' || c >= 0x80; }
bool IsNameChar(unsigned char c) { return IsNameStart(c) || std::isdigit(c) || c == '-' || c == '.'; }

// Length of a well-formed entity or character reference starting at aPos ('&'), or 0.
size_t ReferenceLength(std::string_view s, size_t aPos) {
  size_t i = aPos + 1;
  if (i < s.size() && s[i] == '#') {
    ++i;
    bool hex = i < s.size() && s[i] == 'x';
    if (hex) ++i;
    size_t start = i;
    while (i < s.size() && (hex ? std::isxdigit(static_cast<unsigned char>(s[i])) : std::isdigit(static_cast<unsigned char>(s[i])))) ++i;
    return i > start && i < s.size() && s[i] == ';' ? i - aPos + 1 : 0;
  }
  if (i >= s.size() || !IsNameStart(static_cast<unsigned char>(s[i]))) return 0;
  while (i < s.size() && IsNameChar(static_cast<unsigned char>(s[i]))) ++i;
  return i < s.size() && s[i] == ';' ? i - aPos + 1 : 0;
}

void AppendAmpersand(std::string& out, std::string_view s, size_t& i) {
  size_t ref = ReferenceLength(s, i);
  if (ref) {
    out.append(s.substr(i, ref));
    i += ref;
  } else {
    out += "&amp;";
    ++i;
  }
}

// Copies a construct that ends with aEnd verbatim; false when it never ends.
bool CopyUntil(std::string& out, std::string_view s, size_t& i, std::string_view aEnd) {
  size_t e = s.find(aEnd, i);
  if (e == std::string_view::npos) return false;
  out.append(s.substr(i, e + aEnd.size() - i));
  i = e + aEnd.size();
  return true;
}

// Copies a start or end tag, escaping bare "&" and "<" inside quoted attribute values. The
// text between escapes goes in whole; a tag that never closes leaves aOut as it was.
bool CopyTag(std::string& aOut, std::string_view s, size_t& i) {
  const size_t before = aOut.size();
  size_t j = i, copied = i;
  char quote = 0;
  while (j < s.size()) {
    const char c = s[j];
    if (quote) {
      if (c == quote) {
        quote = 0;
      } else if (c == '&' || c == '<') {
        aOut.append(s.substr(copied, j - copied));
        if (c == '&') {
          AppendAmpersand(aOut, s, j);
        } else {
          aOut += "&lt;";
          ++j;
        }
        copied = j;
        continue;
      }
    } else if (c == '"' || c == '\'') {
      quote = c;
    } else if (c == '>') {
      aOut.append(s.substr(copied, j + 1 - copied));
      i = j + 1;
      return true;
    } else if (c == '<' && j > i) {
      break;
    }
    ++j;
  }
  aOut.resize(before);
  return false;
}

// Where the next character that needs a look ("&", "<" or ">") is, or the end.
size_t NextMarkup(std::string_view s, size_t aFrom) {
  for (size_t i = aFrom; i < s.size(); ++i)
    if (s[i] == '&' || s[i] == '<' || s[i] == '>') return i;
  return s.size();
}

}  // namespace

std::string EscapeXmlText(std::string_view s) {
  std::string out;
  out.reserve(s.size() + s.size() / 16);
  size_t i = 0;
  while (i < s.size()) {
    char c = s[i];
    if (c == '&') {
      AppendAmpersand(out, s, i);
    } else if (c == '>') {
      out += "&gt;";
      ++i;
    } else if (c == '<') {
      std::string_view rest = s.substr(i);
      bool copied = false;
      if (rest.substr(0, 4) == "<!--") copied = CopyUntil(out, s, i, "-->");
      else if (rest.substr(0, 9) == "<![CDATA[") copied = CopyUntil(out, s, i, "]]>");
      else if (rest.substr(0, 2) == "<?") copied = CopyUntil(out, s, i, "?>");
      else if (rest.size() > 1 && (rest[1] == '/' || IsNameStart(static_cast<unsigned char>(rest[1]))))
        copied = CopyTag(out, s, i);
      if (!copied) {
        out += "&lt;";
        ++i;
      }
    } else {
      const size_t next = NextMarkup(s, i);
      out.append(s.substr(i, next - i));
      i = next;
    }
  }
  return out;
}

std::string EscapeAsText(std::string_view aXml) {
  std::string out;
  out.reserve(aXml.size() + aXml.size() / 4);
  for (char c : aXml) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      default: out += c;
    }
  }
  return out;
}

std::string UnescapeXmlText(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  for (size_t i = 0; i < s.size();) {
    if (s[i] != '&') {
      out += s[i++];
      continue;
    }
    size_t ref = ReferenceLength(s, i);
    if (!ref) {
      out += s[i++];
      continue;
    }
    std::string_view name = s.substr(i + 1, ref - 2);
    if (name == "lt") out += '<';
    else if (name == "gt") out += '>';
    else if (name == "amp") out += '&';
    else if (name == "quot") out += '"';
    else if (name == "apos") out += '\'';
    else if (name[0] == '#') {
      uint32_t cp = 0;
      bool hex = name.size() > 1 && name[1] == 'x';
      for (char d : name.substr(hex ? 2 : 1)) {
        cp = hex ? cp * 16 + static_cast<uint32_t>(std::isdigit(static_cast<unsigned char>(d)) ? d - '0' : (std::tolower(d) - 'a' + 10))
                 : cp * 10 + static_cast<uint32_t>(d - '0');
        if (cp > 0x10FFFF) break;
      }
      if (cp == 0 || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) out.append(s.substr(i, ref));
      else AppendUtf8(out, cp);
    } else {
      out.append(s.substr(i, ref));
    }
    i += ref;
  }
  return out;
}

}  // namespace mox
