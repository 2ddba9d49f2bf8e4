#include "webservices/TmoxNFE50aIntf.h"

#include <vector>

#include "external/TmoxKivoUtils.h"

namespace mox {

std::string TmoxNFE50aIntf::StatusDoServico() { return NFe_DesenveloparSOAP(TmoxNFE50Intf::StatusDoServico()); }

std::string TmoxNFE50aIntf::ConsultarNF(const std::string& aNotaID) {
  return NFe_DesenveloparSOAP(TmoxNFE50Intf::ConsultarNF(aNotaID));
}

std::string TmoxNFE50aIntf::InutilizarNF(const std::string& aInutilizacaoAssinada) {
  return NFe_DesenveloparSOAP(TmoxNFE50Intf::InutilizarNF(aInutilizacaoAssinada));
}

std::string TmoxNFE50aIntf::ConsultarRecibo(const std::string& aNumRecibo) {
  return NFe_DesenveloparSOAP(TmoxNFE50Intf::ConsultarRecibo(aNumRecibo));
}

std::string TmoxNFE50aIntf::ConsultarCadastro(const std::string& aUF, const std::string& aXmlDocumento) {
  return NFe_DesenveloparSOAP(TmoxNFE50Intf::ConsultarCadastro(aUF, aXmlDocumento));
}

std::string TmoxNFE50aIntf::EnviarNF(const std::string&, const std::string& aLoteNotas, bool aCompactado) {
  return EnviarLote(TOperacaoSefaz::EnvioLote, TOperacaoSefaz::EnvioLoteCompactado, aLoteNotas, aCompactado);
}

std::string TmoxNFE50aIntf::EnviarNFSincrono(const std::string&, const std::string& aLoteNota, bool aCompactado) {
  return EnviarLote(TOperacaoSefaz::EnvioSincrono, TOperacaoSefaz::EnvioSincronoCompactado, aLoteNota, aCompactado);
}

std::string TmoxNFE50aIntf::EnviarLote(TOperacaoSefaz aPlano, TOperacaoSefaz aCompactado, const std::string& aLote,
                                       bool aCompactar) {
  const std::string resposta =
      aCompactar ? PostarSemEscape(aCompactado, CompactaLote(Escape(aLote))) : Postar(aPlano, aLote);
  return NFe_DesenveloparSOAP(resposta);
}

std::string TmoxNFE50aIntf::CompactaLote(const std::string& aXmlLote) const {
  return Utils().EncodeBase64(Utils().GZipString(aXmlLote));
}

std::string TmoxNFE50aIntf::NFe_DesenveloparSOAP(const std::string& aXML) const {
  try {
    const std::string declaracao = "xmlns:soap=\"" + Utils().GetXMLNamespace(aXML) + "\"";
    for (const char* consulta :
         {"//*[local-name()=\"retConsReciNFe\"]", "//*[local-name()=\"retConsSitNFe\"]",
          "//*[local-name()=\"retEnviNFe\"]", "//*[local-name()=\"retInutNFe\"]", "./soap:Envelope/soap:Body/*"}) {
      std::string no;
      if (Utils().XPathSelectSingleNode(aXML, consulta, no, declaracao, false)) return no;
    }
  } catch (...) {
    // An answer that cannot be read goes back as it came; the caller logs it.
  }
  return aXML;
}

}  // namespace mox
