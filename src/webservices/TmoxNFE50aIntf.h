#pragma once
// The request builder of manual 5.0a (layout 3.10): the authorization service with compressed
// and synchronous batches, and answers taken out of their SOAP envelope.
#include "webservices/TmoxNFE30Intf.h"

namespace mox {

class TmoxNFE50aIntf : public TmoxNFE50Intf {
 public:
  using TmoxNFE50Intf::TmoxNFE50Intf;

  std::string StatusDoServico() override;
  std::string ConsultarNF(const std::string& aNotaID) override;
  std::string InutilizarNF(const std::string& aInutilizacaoAssinada) override;
  std::string EnviarNF(const std::string& aNumLote, const std::string& aLoteNotas, bool aCompactado) override;
  std::string EnviarNFSincrono(const std::string& aNumLote, const std::string& aLoteNota, bool aCompactado) override;
  std::string ConsultarRecibo(const std::string& aNumRecibo) override;
  std::string ConsultarCadastro(const std::string& aUF, const std::string& aXmlDocumento) override;

  // The gzip of the batch in base64.
  std::string CompactaLote(const std::string& aXmlLote) const;
  // The ret document of a SEFAZ answer (retConsReciNFe, retConsSitNFe, retEnviNFe, retInutNFe,
  // else the first child of the SOAP body); the answer as received when none is found or the
  // answer cannot be read.
  std::string NFe_DesenveloparSOAP(const std::string& aXML) const;

 private:
  std::string EnviarLote(TOperacaoSefaz aPlano, TOperacaoSefaz aCompactado, const std::string& aLote,
                         bool aCompactar);
};

}  // namespace mox
