#pragma once
// The request builders: one per manual version turns an operation's parameters into a request
// body and a SOAP envelope read from template files, posts it to the address of the servers
// file and returns SEFAZ's answer. The base class holds what every version shares.
#include <string>
#include <vector>

#include "base/TNFeData.h"
#include "webservices/moxServicosSefaz.h"

namespace mox {

class TmoxKivoUtils;
class TmoxKivoX;

class TmoxNFEInterface {
 public:
  // None of the three is owned; the component keeps them alive while the builder exists.
  TmoxNFEInterface(TNFeData& aNFeData, TmoxKivoX& aKivo, TmoxKivoUtils& aUtils);
  virtual ~TmoxNFEInterface() = default;
  TmoxNFEInterface(const TmoxNFEInterface&) = delete;
  TmoxNFEInterface& operator=(const TmoxNFEInterface&) = delete;

  // Error-log folder of the builder's own failures; empty means the default folder.
  std::string DiretorioLogErro;

  // The endpoint of a service key in the section of the operation mode (the UF, "SVCAN" or
  // "SVCRS"); raises EmoxNFeAddressException when it is not defined, and always in EPEC mode.
  std::string GetWSAddress(const std::string& aWSName) const;
  // A template of DiretorioTemplates + UF, accents removed; EmoxTemplateNotFoundException when
  // the file is missing.
  std::string LoadTemplate(const std::string& aFileName) const;

  // Without the first "<?xml version="1.0"?>" and every CR LF pair.
  static std::string LimparXML(const std::string& aXMLSujo);
  std::string Escape(const std::string& aLote) const;

  // Request bodies (shared by every version).
  virtual std::string GetPedido_Status();
  virtual std::string GetPedido_CancelarNF(const std::string& aCancelamentoAssinado);
  virtual std::string GetPedido_ConsultarNF(const std::string& aNotaID);
  virtual std::string GetPedido_ConsultaRecibo(const std::string& aNumRecibo);
  virtual std::string GetPedido_InutilizarNF(const std::string& aInutilizacaoAssinado);
  virtual std::string GetPedido_ConsultaCadastro(const std::string& aUF, const std::string& aXmlDocumento);

  // The access key of the manual version's layout.
  virtual std::string CalculaChaveNFe(const std::string& aDtEmissao, const std::string& aUF, const std::string& aCNPJ,
                                      const std::string& aModelo, const std::string& aSerie,
                                      const std::string& aNRNota, const std::string& aCodSistema,
                                      const std::string& aTpEmis) = 0;
  // The operations: each posts and returns SEFAZ's answer. These are the forms of manuals 3.0 to
  // 5.0, where a batch is never compressed; manual 5.0a overrides them.
  virtual std::string StatusDoServico();
  virtual std::string CancelarNF(const std::string& aCancelamentoAssinado);
  virtual std::string ConsultarNF(const std::string& aNotaID);
  virtual std::string InutilizarNF(const std::string& aInutilizacaoAssinada);
  virtual std::string EnviarNF(const std::string& aNumLote, const std::string& aLoteNotas, bool aCompactado);
  // Only manual 5.0a answers synchronously; the other versions raise.
  virtual std::string EnviarNFSincrono(const std::string& aNumLote, const std::string& aLoteNota, bool aCompactado);
  virtual std::string ConsultarRecibo(const std::string& aNumRecibo);
  virtual std::string ConsultarCadastro(const std::string& aUF, const std::string& aXmlDocumento);
  // A lot of signed events ("evento_lote.xml") to the event reception of the section, in
  // "envio.soap"; the address of "nfeRecepcaoEvento3" when the section has one.
  std::string EnviarEvento(const std::string& aLoteEventos);
  // A DF-e distribution request ("pedido_distdfe.xml") in "consulta_dfe.soap", which takes the
  // request alone.
  std::string ConsultarDFe(const std::string& aPedido);

  TNFeData& NFeData() const { return *FNFeData; }

 protected:
  // The envelope template of an operation.
  std::string NomeEnvelope(TOperacaoSefaz aOperacao) const;
  // Looks the address up, fills the operation's envelope with the UF code and the request
  // (escaped, except the status request) and posts it with the operation's parameters.
  std::string Postar(TOperacaoSefaz aOperacao, const std::string& aPedido);
  // The same with the request placed in the envelope as given.
  std::string PostarSemEscape(TOperacaoSefaz aOperacao, const std::string& aPedido);
  // Whether the request travels as escaped text inside the envelope.
  virtual bool PedidoEscapado(TOperacaoSefaz aOperacao) const;
  // The servers-file key the operation is posted to.
  std::string ChaveDoEndereco(TOperacaoSefaz aOperacao, const TServicoSefaz& aServico) const;

  TmoxKivoX& Kivo() const { return *FKivo; }
  TmoxKivoUtils& Utils() const { return *FUtils; }

 private:
  TNFeData* FNFeData;
  TmoxKivoX* FKivo;
  TmoxKivoUtils* FUtils;
};

}  // namespace mox
