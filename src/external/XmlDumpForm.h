#pragma once
// Recognises a document text already in the form libxml2 writes its root element back
// (xmlNodeDump without formatting), so a caller that only adds elements to the tree can copy the
// text instead of serialising the whole document again. The scan is conservative: a text it
// accepts is written back byte for byte; any form it is unsure of is refused.
#include <libxml/tree.h>

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace mox {

// Offsets into the scanned text.
struct XmlDumpForm {
  static constexpr size_t kNone = static_cast<size_t>(-1);
  size_t RootBegin = 0;  // the root's "<"
  size_t RootEnd = 0;    // just past the root's last ">"
  size_t RootEndTag = kNone;  // the root's "</name>"; kNone when written "<name/>"
  // The "</name>" of each element child of the root, in document order (kNone for "<name/>").
  std::vector<size_t> ChildEndTags;
};

// The layout of aXml (which the caller has parsed successfully) when libxml2 writes its root
// element back exactly as it stands in aXml; nothing when it may not. Accepted: an optional
// UTF-8 byte order mark, XML declaration, comments, processing instructions and blanks around the
// root; inside it, elements without prefixes written "<name a="v">" with single blanks, namespace
// declarations before the other attributes, "<name/>" for an element without content, text free of
// ">" and carriage returns, and only the references "&amp;", "&lt;", "&gt;" (and "&quot;" in
// attribute values, which hold ASCII only and no tab or line break).
std::optional<XmlDumpForm> ScanXmlDumpForm(std::string_view aXml);

// NodeXml(aRoot), copied from aXml, the text aRoot's document was read from, when ScanXmlDumpForm
// accepts it. aAdded are the elements added to the tree since, each as the last child of the root
// or of an element child of the root, in the order they were added; nothing else changed. Nothing
// when the text or the place of an added element is outside that form.
std::optional<std::string> RootXmlFromText(std::string_view aXml, xmlNodePtr aRoot,
                                           const std::vector<xmlNodePtr>& aAdded);

}  // namespace mox
