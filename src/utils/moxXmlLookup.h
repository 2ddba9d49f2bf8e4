#pragma once
// Free lookups in XML texts: values by plain text search, the signature marker, the first Id,
// the event answer, and escaping of values for XML.
#include <string>

namespace mox {

// The text between the first "<aTag>" and the first "</aTag>", found by plain text search
// after the NF-e default-namespace declarations are dropped. Meant for elements without
// attributes: when only the closing tag occurs, the text runs from character
// length(aTag) + 2 of the input up to it. Empty when the closing tag is missing.
std::string GetValueTag(const std::string& aTag, const std::string& aTxt);
std::string GetValueTagFilho(const std::string& aTagPai, const std::string& aTagFilho, const std::string& aXML);

// True when the signed note's DigestValue equals the protocol's digVal. An absent value
// never matches, so an unsigned note is not taken for the authorized one.
bool CompareDigValLogsNFe(const std::string& aXmlEnvio, const std::string& aXmlInfProt);

// True when the text carries the start tag of an XML-DSig Signature element.
bool ValidaAssinatura(const std::string& aLoteNotas);

// The value of the first Id attribute; raises EmoxNFeException when there is none.
std::string GetReferenceInfo(const std::string& aXML);

// The XML of the first retEvento element; raises EmoxEventoRetException when there is none.
std::string GetRetEvento(const std::string& aXML);

// Escapes apostrophe, double quote, "<", ">" and "&"; the five predefined entities already in
// the text are kept, so escaping twice changes nothing.
std::string EscapeCaracteres(std::string_view aValue);
// True when EscapeCaracteres would change something: most values pass through as they are.
bool PrecisaEscapar(std::string_view aValue);

}  // namespace mox
