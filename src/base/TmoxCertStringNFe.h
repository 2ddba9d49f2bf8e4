#pragma once
// The certificate name(s) as lines of text; assigning the text notifies the component.
#include <functional>
#include <string>
#include <vector>

namespace mox {

class TmoxCertStringNFe {
 public:
  using TOnSetTextEvent = std::function<void(const std::string& aText)>;

  // Lines joined, each followed by a line break (empty list: empty text).
  std::string Text() const;
  // Stores the text as lines, then calls OnSetText with the text as given.
  void SetText(const std::string& aText);

  const std::vector<std::string>& Lines() const { return lines_; }
  bool Empty() const { return lines_.empty(); }

  TOnSetTextEvent OnSetText;

 private:
  std::vector<std::string> lines_;
};

}  // namespace mox
