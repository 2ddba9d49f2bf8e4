#pragma once
// What the "moxnfe sefaz" commands share: the servers file, the UF and operation mode, the
// manual version, the certificate that signs and authenticates, and the printing of SEFAZ's
// answer. The request documents come from the web-services layer's request writer.
#include <string>
#include <vector>

#include "cli/CliCommand.h"
#include "base/moxTypes.h"
#include "external/TmoxIniFile.h"
#include "external/TmoxKivoX.h"
#include "webservices/moxPedidosSefaz.h"
#include "webservices/moxServicosSefaz.h"

namespace moxcli {

// The command's own options followed by the shared ones.
std::vector<CliOption> OpcoesSefaz(std::vector<CliOption> aProprias);

class ClienteSefaz {
 public:
  explicit ClienteSefaz(const CliArgs& aArgs);

  const std::string& UF() const { return uf_; }
  const std::string& CodigoUF() const { return codigoUF_; }
  const std::string& Ambiente() const { return ambiente_; }
  const mox::TVersoesLeiaute& Leiautes() const { return leiautes_; }
  mox::TVersaoManual VersaoManual() const { return versao_; }
  // CNPJ (or CPF) of the certificate.
  std::string DocumentoDoCertificado();

  // The document with its first aElemento signed.
  std::string Assina(const std::string& aXml, const std::string& aElemento);

  // Posts the document to the operation's address in the section (default: the UF, or the
  // contingency service of --modo) and returns SEFAZ's ret document. aCUF is the header's
  // cUF (default: the UF's code).
  std::string Envia(mox::TOperacaoSefaz aOperacao, const std::string& aDocumento, const std::string& aVersaoDados,
                    const std::string& aSecao = {}, const std::string& aCUF = {});

 private:
  std::string Endereco(const std::string& aChave, const std::string& aSecao) const;

  mox::TmoxKivoX kivo_;
  mox::TmoxIniFile servidores_;
  std::string uf_, codigoUF_, secao_, ambiente_;
  mox::TVersaoManual versao_ = mox::TVersaoManual::vm50a;
  mox::TVersoesLeiaute leiautes_;
  bool compactar_ = false;
};

// Codes that mean the request did what was asked.
struct TSucesso {
  std::vector<std::string> Resposta;   // cStat of the ret document
  std::vector<std::string> Documentos = {"100", "101", "110", "135", "136", "140", "150", "151", "155", "301", "302"};
};

// Prints SEFAZ's answer: its code and text, the receipt, every protocol (protNFe), event
// (retEvento), cancellation and voiding it carries; with --json as an object. Returns 0 when
// the answer's code and every document's code are successes, 3 otherwise.
int MostraResposta(const std::string& aRet, const CliArgs& aArgs, CliIo& aIo, const TSucesso& aSucesso);

}  // namespace moxcli
