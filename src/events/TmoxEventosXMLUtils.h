#pragma once
// Stateless helpers of the event engine: the events of a lot, plain-text tag lookup, the root
// element of a filled template, the body of a SOAP answer, character patterns and templates.
#include <string>

namespace mox {

class TmoxEventosXMLUtils {
 public:
  // Count of infEvento elements, namespace-blind.
  static int ObterNumEventos(const std::string& aLote);
  // The XML of the aIndex-th (from 0) infEvento; empty when there is none.
  static std::string ObterEvento(int aIndex, const std::string& aLote);
  // Plain text search between "<aTag>" and "</aTag>"; an opening tag with attributes is missed.
  static std::string GetValueTag(const std::string& aTag, const std::string& aTxt);
  // The XML of the document's root element (no declaration); empty without one.
  static std::string RemoveHeaderXml(const std::string& aXml);
  // The first child of the SOAP body, or the input unchanged.
  static std::string Eventos_DesenveloparSOAP(const std::string& aXML);
  // "#" a digit, "&" a lower-case a-z, "@" an upper-case A-Z, anything else itself.
  static bool SeguePadrao(const std::string& aStr, const std::string& aPadrao);
  // The file's text without accents; EmoxTemplateNotFoundException when it does not exist.
  static std::string LoadTemplate(const std::string& aXMLFileName);
};

// The folder expanded (relative to the program's) and ending in "/".
std::string PastaExpandida(const std::string& aPasta);

// Every occurrence of aDe replaced by aPara, left to right.
std::string TrocaTodos(const std::string& aTexto, const std::string& aDe, const std::string& aPara);

}  // namespace mox
