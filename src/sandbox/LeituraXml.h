#pragma once
// Reading the fields of a validated request: child elements by local name along a path such as
// "ide/cUF". The schema was checked first, so the sandbox relies on the structure it allows.
#include <libxml/tree.h>

#include <string>
#include <string_view>
#include <vector>

namespace mox::sandbox {

// The element at the path below aPai (local names separated by "/"); null when absent.
xmlNodePtr Elemento(xmlNodePtr aPai, std::string_view aCaminho);
// Its text; empty when absent.
std::string Valor(xmlNodePtr aPai, std::string_view aCaminho);
// The child elements named aNome, in document order.
std::vector<xmlNodePtr> Filhos(xmlNodePtr aPai, std::string_view aNome);
// An attribute's value; empty when absent.
std::string Atributo(xmlNodePtr aElemento, const char* aNome);

}  // namespace mox::sandbox
