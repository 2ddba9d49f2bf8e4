#include "external/XmlDumpForm.h"

#include <libxml/xmlsave.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <unordered_map>
#include <utility>

namespace mox {

namespace {

// What a byte may need before it is known to be written back unchanged.
enum CharClass : unsigned char {
  kPlain = 0,
  kStop,       // the name, text or value ends
  kReference,  // "&": only some references are written back as they are
  kRefused,    // written back otherwise: ">" escaped, CR normalised away, ...
};

using ClassTable = std::array<unsigned char, 256>;

// Names end at a blank, "=", "/" or ">"; only a single blank before an attribute is written back.
constexpr ClassTable NameClasses(bool aColon) {
  ClassTable t{};
  for (unsigned char c : {' ', '=', '/', '>'}) t[c] = kStop;
  for (unsigned char c : {'\t', '\n', '\r', '"', '\'', '<', '&'}) t[c] = kRefused;
  if (!aColon) t[':'] = kRefused;
  return t;
}

constexpr ClassTable TextClasses() {
  ClassTable t{};
  t['<'] = kStop;
  t['&'] = kReference;
  t['>'] = kRefused;
  t['\r'] = kRefused;
  return t;
}

// Attribute values are also normalised (tab and line breaks become blanks) and, inside double
// quotes, end at the quote; non-ASCII bytes may come back as character references.
constexpr ClassTable AttributeClasses() {
  ClassTable t{};
  t['"'] = kStop;
  t['&'] = kReference;
  for (unsigned char c : {'<', '>', '\r', '\n', '\t'}) t[c] = kRefused;
  for (int c = 0x80; c < 0x100; ++c) t[static_cast<size_t>(c)] = kRefused;
  return t;
}

// A namespace name is written back raw: no reference may stand in it.
constexpr ClassTable NamespaceClasses() {
  ClassTable t = AttributeClasses();
  t['&'] = kRefused;
  return t;
}

constexpr ClassTable kElementNameClasses = NameClasses(false);
constexpr ClassTable kAttributeNameClasses = NameClasses(true);
constexpr ClassTable kTextClasses = TextClasses();
constexpr ClassTable kAttributeClasses = AttributeClasses();
constexpr ClassTable kNamespaceClasses = NamespaceClasses();
static_assert(kElementNameClasses['>'] != kPlain && kAttributeNameClasses['>'] != kPlain &&
                  kTextClasses['>'] != kPlain && kAttributeClasses['>'] != kPlain && kNamespaceClasses['>'] != kPlain,
              "every run must stop at the \">\" that ends the root");

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

class Scanner {
 public:
  explicit Scanner(std::string_view aXml) : begin_(aXml.data()), p_(begin_), end_(begin_ + aXml.size()) {}

  std::optional<XmlDumpForm> Scan() {
    if (end_ - p_ >= 3 && std::memcmp(p_, "\xEF\xBB\xBF", 3) == 0) p_ += 3;
    if (!SkipMisc() || p_ == end_) return std::nullopt;
    form_.RootBegin = Offset();
    // The root lies before the text's last ">", which no run of plain bytes passes (see Run).
    const std::string_view rest(p_, static_cast<size_t>(end_ - p_));
    const size_t lastClose = rest.rfind('>');
    if (lastClose == std::string_view::npos) return std::nullopt;
    const char* const textEnd = end_;
    end_ = p_ + lastClose + 1;
    const bool element = Element();
    end_ = textEnd;
    if (!element || !SkipMisc() || p_ != end_) return std::nullopt;
    return std::move(form_);
  }

 private:
  size_t Offset() const { return static_cast<size_t>(p_ - begin_); }
  bool At(std::string_view aText) const {
    return static_cast<size_t>(end_ - p_) >= aText.size() && std::memcmp(p_, aText.data(), aText.size()) == 0;
  }
  bool SkipPast(std::string_view aText) {
    const size_t at = std::string_view(p_, static_cast<size_t>(end_ - p_)).find(aText);
    if (at == std::string_view::npos) return false;
    p_ += at + aText.size();
    return true;
  }

  // Blanks, comments and processing instructions outside the root: never written back.
  bool SkipMisc() {
    for (;;) {
      while (p_ < end_ && IsBlank(*p_)) ++p_;
      if (At("<?")) {
        if (!SkipPast("?>")) return false;
      } else if (At("<!--")) {
        if (!SkipPast("-->")) return false;
      } else {
        return true;
      }
    }
  }

  // The root and everything in it, iteratively: a deep document cannot exhaust the stack.
  bool Element() {
    size_t depth = 0;
    bool justOpened = false;  // "<a></a>" is written back "<a/>"
    do {
      if (p_ == end_) return false;
      if (*p_ != '<') {
        if (depth == 0 || !Characters(kTextClasses, false)) return false;
        justOpened = false;
        continue;
      }
      const size_t tag = Offset();
      ++p_;
      if (p_ < end_ && (*p_ == '!' || *p_ == '?')) return false;  // comment, CDATA, PI
      if (p_ < end_ && *p_ == '/') {
        if (justOpened || depth == 0 || !EndTag()) return false;
        --depth;
        if (depth == 1) form_.ChildEndTags.push_back(tag);
        if (depth == 0) form_.RootEndTag = tag;
        justOpened = false;
        continue;
      }
      bool empty = false;
      if (!StartTag(empty)) return false;
      if (empty) {
        if (depth == 1) form_.ChildEndTags.push_back(XmlDumpForm::kNone);
        justOpened = false;
      } else {
        ++depth;
        justOpened = true;
      }
    } while (depth > 0);
    form_.RootEnd = Offset();
    return true;
  }

  // Moves past the bytes of class kPlain; the class of the byte it stops at. Every table stops at
  // ">" and the root's part of the text ends with one, so the loop needs no bounds check.
  unsigned char Run(const ClassTable& aClasses) {
    const char* p = p_;
    unsigned char c;
    while ((c = aClasses[static_cast<unsigned char>(*p)]) == kPlain) ++p;
    p_ = p;
    return c;
  }

  bool Name(const ClassTable& aClasses) {
    const char* start = p_;
    return Run(aClasses) == kStop && p_ > start;
  }

  // "</name>", p_ at the "/": the name is the start tag's (the text is well formed), so only a
  // blank before ">" can differ.
  bool EndTag() {
    const void* close = std::memchr(p_, '>', static_cast<size_t>(end_ - p_));
    if (!close) return false;
    const char* gt = static_cast<const char*>(close);
    if (IsBlank(gt[-1])) return false;
    p_ = gt + 1;
    return true;
  }

  // "<name a="v" ...>" or "<name .../>", p_ past the "<".
  bool StartTag(bool& aEmpty) {
    if (!Name(kElementNameClasses)) return false;
    bool ordinarySeen = false;  // the dump writes namespace declarations first
    while (*p_ == ' ') {
      ++p_;
      const char* name = p_;
      if (!Name(kAttributeNameClasses) || *p_ != '=') return false;
      const std::string_view attribute(name, static_cast<size_t>(p_ - name));
      const bool declaration = attribute == "xmlns" || attribute.substr(0, 6) == "xmlns:";
      if (declaration ? ordinarySeen : attribute.find(':') != std::string_view::npos) return false;
      ordinarySeen = ordinarySeen || !declaration;
      ++p_;
      if (p_ == end_ || *p_ != '"') return false;
      ++p_;
      const char* value = p_;
      if (!(declaration ? Run(kNamespaceClasses) == kStop && p_ > value : Characters(kAttributeClasses, true)))
        return false;
      ++p_;  // the closing quote
      if (p_ == end_) return false;
    }
    if (*p_ == '/') {
      ++p_;
      aEmpty = true;
    }
    if (p_ == end_ || *p_ != '>') return false;
    ++p_;
    return true;
  }

  // Character data up to its stop byte (left at p_).
  bool Characters(const ClassTable& aClasses, bool aQuoteEscaped) {
    for (;;) {
      const unsigned char c = Run(aClasses);
      if (c != kReference) return c == kStop;
      if (!Reference(aQuoteEscaped)) return false;
    }
  }

  // The references the dump writes back the same way it reads them.
  bool Reference(bool aQuoteEscaped) {
    for (std::string_view ref : {"&amp;", "&lt;", "&gt;", "&quot;"}) {
      if (!At(ref)) continue;
      if (ref == "&quot;" && !aQuoteEscaped) return false;
      p_ += ref.size();
      return true;
    }
    return false;
  }

  const char* begin_;
  const char* p_;
  const char* end_;
  XmlDumpForm form_;
};

int AppendToString(void* aOut, const char* aBytes, int aLength) {
  static_cast<std::string*>(aOut)->append(aBytes, static_cast<size_t>(aLength));
  return aLength;
}

// The element as xmlNodeDump writes it in place (no indentation), appended to aOut.
bool AppendElementXml(std::string& aOut, xmlNodePtr aElement) {
  xmlOutputBufferPtr out = xmlOutputBufferCreateIO(AppendToString, nullptr, &aOut, nullptr);
  if (!out) return false;
  xmlNodeDumpOutput(out, aElement->doc, aElement, 0, 0, nullptr);
  return xmlOutputBufferClose(out) >= 0;
}

// Where in the text each element child of the root ends, for the first ones of its children
// (those the text holds; added ones follow them).
std::unordered_map<xmlNodePtr, size_t> ChildEndTags(xmlNodePtr aRoot, const XmlDumpForm& aForm) {
  std::unordered_map<xmlNodePtr, size_t> ends;
  size_t i = 0;
  for (xmlNodePtr c = aRoot->children; c && i < aForm.ChildEndTags.size(); c = c->next)
    if (c->type == XML_ELEMENT_NODE) ends.emplace(c, aForm.ChildEndTags[i++]);
  return ends;
}

}  // namespace

std::optional<XmlDumpForm> ScanXmlDumpForm(std::string_view aXml) { return Scanner(aXml).Scan(); }

std::optional<std::string> RootXmlFromText(std::string_view aXml, xmlNodePtr aRoot,
                                           const std::vector<xmlNodePtr>& aAdded) {
  const std::optional<XmlDumpForm> form = ScanXmlDumpForm(aXml);
  if (!form || !aRoot) return std::nullopt;
  std::unordered_map<xmlNodePtr, size_t> childEnds;
  std::vector<std::pair<size_t, xmlNodePtr>> places;
  places.reserve(aAdded.size());
  for (xmlNodePtr added : aAdded) {
    const xmlNodePtr parent = added->parent;
    size_t at = XmlDumpForm::kNone;
    if (parent == aRoot) {
      at = form->RootEndTag;
    } else if (parent && parent->parent == aRoot) {
      if (childEnds.empty()) childEnds = ChildEndTags(aRoot, *form);
      const auto it = childEnds.find(parent);
      if (it != childEnds.end()) at = it->second;
    }
    if (at == XmlDumpForm::kNone) return std::nullopt;
    places.emplace_back(at, added);
  }
  // Elements added to one parent keep their order.
  std::stable_sort(places.begin(), places.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  std::string out;
  out.reserve(form->RootEnd - form->RootBegin + places.size() * 4096);
  size_t from = form->RootBegin;
  for (const auto& [at, element] : places) {
    out.append(aXml.substr(from, at - from));
    if (!AppendElementXml(out, element)) return std::nullopt;
    from = at;
  }
  out.append(aXml.substr(from, form->RootEnd - from));
  return out;
}

}  // namespace mox
