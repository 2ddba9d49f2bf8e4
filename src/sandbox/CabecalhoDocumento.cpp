#include "sandbox/CabecalhoDocumento.h"

#include "external/EKivoException.h"
#include "external/XmlDocument.h"
#include "sandbox/DocumentoPedido.h"
#include "sandbox/LeituraXml.h"
#include "sandbox/Rejeicao.h"
#include "utils/moxCodigoUF.h"

namespace mox::sandbox {

namespace {

// Where each request of layout 4.00 names its UF.
std::string CodigoUFDoDocumento(xmlNodePtr aRaiz) {
  const std::string_view raiz = LocalName(aRaiz);
  if (raiz == "consStatServ") return Valor(aRaiz, "cUF");
  if (raiz == "enviNFe") return Valor(aRaiz, "NFe/infNFe/ide/cUF");
  if (raiz == "inutNFe") return Valor(aRaiz, "infInut/cUF");
  if (raiz == "envEvento") return Valor(aRaiz, "evento/infEvento/cOrgao");
  if (raiz == "consSitNFe") return Valor(aRaiz, "chNFe").substr(0, 2);
  if (raiz == "consReciNFe") return Valor(aRaiz, "nRec").substr(0, 2);  // a receipt starts with its UF
  if (raiz == "ConsCad") return GetCodeUF(Valor(aRaiz, "infCons/UF"));
  return {};
}

}  // namespace

void CabecalhoDoDocumento(TPedidoSoap& aSoap, const TSecao& aSecao) {
  aSoap.TemCabecalho = aSoap.TemCUF = aSoap.TemVersaoDados = true;
  aSoap.CUF = aSecao.CodigoResposta("");
  try {
    const XmlDocument documento =
        XmlDocument::Parse(aSoap.Compactado ? DescompactaDados(aSoap.Dados) : aSoap.Dados);
    aSoap.VersaoDados = Atributo(documento.Root(), "versao");
    const std::string codigo = CodigoUFDoDocumento(documento.Root());
    if (!codigo.empty()) aSoap.CUF = codigo;
  } catch (const EKivoException&) {
    // Not XML: the service's own parse reports it.
  } catch (const ERejeicao&) {
    // Not a compressed document: idem.
  }
}

}  // namespace mox::sandbox
