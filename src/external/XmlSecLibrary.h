#pragma once
// xmlsec1 on OpenSSL, initialised once per process, with its messages kept for exception texts
// instead of being printed.
#include <string>

namespace mox {

// Initialises libxml2, xmlsec and its OpenSSL back end; raises EKivoException when it cannot.
void EnsureXmlSecLibrary();

// Collects xmlsec's error messages raised on this thread while alive.
class XmlSecErrorCollector {
 public:
  XmlSecErrorCollector();
  ~XmlSecErrorCollector();
  XmlSecErrorCollector(const XmlSecErrorCollector&) = delete;
  XmlSecErrorCollector& operator=(const XmlSecErrorCollector&) = delete;

  void Add(const std::string& aMessage);
  // The messages joined by "; ", or aFallback when there are none.
  std::string Text(const std::string& aFallback = {}) const;

 private:
  std::string text_;
  XmlSecErrorCollector* previous_;
};

}  // namespace mox
