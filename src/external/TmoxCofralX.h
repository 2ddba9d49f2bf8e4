#pragma once
// The custody control a host assigns to the component (ComponenteCofral): it takes each
// recipient document into safekeeping. The component never owns it.
#include <string>

namespace mox {

class TmoxCofralX {
 public:
  virtual ~TmoxCofralX() = default;
  // Takes custody of the document; aXml is the path of an XML file or the XML text itself.
  // Returns the control's own answer (where it keeps the document); raises when it refused it.
  virtual std::string EnviarXml(const std::string& aXml) = 0;
};

}  // namespace mox
