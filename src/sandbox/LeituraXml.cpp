#include "sandbox/LeituraXml.h"

#include "external/XmlDocument.h"
#include "external/XmlDsigNodes.h"

namespace mox::sandbox {

xmlNodePtr Elemento(xmlNodePtr aPai, std::string_view aCaminho) {
  xmlNodePtr atual = aPai;
  while (atual && !aCaminho.empty()) {
    const size_t barra = aCaminho.find('/');
    atual = ChildElement(atual, aCaminho.substr(0, barra), nullptr);
    aCaminho = barra == std::string_view::npos ? std::string_view{} : aCaminho.substr(barra + 1);
  }
  return atual;
}

std::string Valor(xmlNodePtr aPai, std::string_view aCaminho) {
  xmlNodePtr e = Elemento(aPai, aCaminho);
  return e ? NodeText(e) : std::string{};
}

std::vector<xmlNodePtr> Filhos(xmlNodePtr aPai, std::string_view aNome) {
  std::vector<xmlNodePtr> filhos;
  for (xmlNodePtr c = aPai ? aPai->children : nullptr; c; c = c->next)
    if (c->type == XML_ELEMENT_NODE && LocalName(c) == aNome) filhos.push_back(c);
  return filhos;
}

std::string Atributo(xmlNodePtr aElemento, const char* aNome) {
  if (!aElemento) return {};
  xmlChar* valor = xmlGetProp(aElemento, reinterpret_cast<const xmlChar*>(aNome));
  if (!valor) return {};
  std::string texto(reinterpret_cast<const char*>(valor));
  xmlFree(valor);
  return texto;
}

}  // namespace mox::sandbox
