#include "sandbox/VerificacaoTotais.h"

#include <cstdint>
#include <string>

#include "external/XmlDocument.h"
#include "sandbox/LeituraXml.h"
#include "sandbox/Rejeicao.h"

namespace mox::sandbox {

namespace {

// A money value of the schema (digits, a point, two decimals) in cents; the schema has already
// checked its form.
std::int64_t Centavos(const std::string& aValor) {
  std::int64_t inteiro = 0, decimal = 0;
  int casas = -1;
  for (char c : aValor) {
    if (c == '.') {
      casas = 0;
    } else if (c >= '0' && c <= '9') {
      if (casas < 0) {
        inteiro = inteiro * 10 + (c - '0');
      } else if (casas < 2) {
        decimal = decimal * 10 + (c - '0');
        ++casas;
      }
    }
  }
  if (casas == 1) decimal *= 10;
  return inteiro * 100 + decimal;
}

// The sum, over the items, of the value aTag of their ICMS group (whatever its situation).
std::int64_t SomaICMS(xmlNodePtr aInfNFe, std::string_view aTag) {
  std::int64_t soma = 0;
  for (xmlNodePtr det : Filhos(aInfNFe, "det"))
    if (xmlNodePtr icms = Elemento(det, "imposto/ICMS"))
      for (xmlNodePtr grupo = icms->children; grupo; grupo = grupo->next)
        if (grupo->type == XML_ELEMENT_NODE) soma += Centavos(Valor(grupo, aTag));
  return soma;
}

void ConferePagamentos(xmlNodePtr aInfNFe, std::int64_t aTotalNota) {
  xmlNodePtr pag = Elemento(aInfNFe, "pag");
  std::int64_t pago = 0;
  for (xmlNodePtr pagamento : Filhos(pag, "detPag")) {
    if (Valor(pagamento, "tPag") == "90") return;  // no payment: adjustment and return notes
    pago += Centavos(Valor(pagamento, "vPag"));
  }
  const bool temTroco = Elemento(pag, "vTroco") != nullptr;
  const std::int64_t troco = Centavos(Valor(pag, "vTroco"));
  if (pago < aTotalNota) {
    // Adjustment and return notes may carry less than their total in payments.
    const std::string finalidade = Valor(aInfNFe, "ide/finNFe");
    if (finalidade == "3" || finalidade == "4") return;
    throw ERejeicao(865, "pago " + std::to_string(pago) + ", vNF " + std::to_string(aTotalNota));
  }
  if (pago > aTotalNota && !temTroco) throw ERejeicao(866);
  if (temTroco && pago - troco != aTotalNota)
    throw ERejeicao(869, "troco " + std::to_string(troco) + ", esperado " + std::to_string(pago - aTotalNota));
}

}  // namespace

void ConfereTotais400(xmlNodePtr aInfNFe) {
  xmlNodePtr total = Elemento(aInfNFe, "total/ICMSTot");
  if (Centavos(Valor(total, "vBC")) != SomaICMS(aInfNFe, "vBC")) throw ERejeicao(531, "vBC " + Valor(total, "vBC"));
  if (Centavos(Valor(total, "vICMS")) != SomaICMS(aInfNFe, "vICMS"))
    throw ERejeicao(532, "vICMS " + Valor(total, "vICMS"));
  std::int64_t produtos = 0;
  for (xmlNodePtr det : Filhos(aInfNFe, "det"))
    if (Valor(det, "prod/indTot") == "1") produtos += Centavos(Valor(det, "prod/vProd"));
  if (Centavos(Valor(total, "vProd")) != produtos) throw ERejeicao(564, "vProd " + Valor(total, "vProd"));
  ConferePagamentos(aInfNFe, Centavos(Valor(total, "vNF")));
}

}  // namespace mox::sandbox
