#include "cli/CliSefaz.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <filesystem>
#include <ostream>

#include "cli/CliCertificateOptions.h"
#include "base/EmoxException.h"
#include "base/moxEnumTexts.h"
#include "external/EKivoException.h"
#include "external/TmoxKivoUtils.h"
#include "external/moxPaths.h"
#include "utils/moxCodigoUF.h"
#include "external/AsciiCase.h"

namespace moxcli {

namespace {

using nlohmann::json;

std::string Texto(const std::string& aXml, const std::string& aTag) { return mox::TmoxKivoUtils().GetValueTag(aTag, aXml); }

std::vector<std::string> Nos(const std::string& aXml, const std::string& aNome) {
  std::vector<std::string> nos;
  mox::TmoxKivoUtils().XPathSelectNodes(aXml, "//*[local-name()='" + aNome + "']", nos);
  return nos;
}

bool Contem(const std::vector<std::string>& aLista, const std::string& aValor) {
  return std::find(aLista.begin(), aLista.end(), aValor) != aLista.end();
}

// The documents an answer carries, each as code, text and what identifies it.
struct TDocumento {
  std::string Tipo, Chave, CStat, XMotivo, Protocolo, Detalhe;
};

std::vector<TDocumento> Documentos(const std::string& aRet) {
  std::vector<TDocumento> documentos;
  for (const auto& p : Nos(aRet, "infProt"))
    documentos.push_back({"protocolo", Texto(p, "chNFe"), Texto(p, "cStat"), Texto(p, "xMotivo"), Texto(p, "nProt"),
                          Texto(p, "digVal")});
  for (const auto& e : Nos(aRet, "retEvento"))
    documentos.push_back({"evento " + Texto(e, "tpEvento"), Texto(e, "chNFe"), Texto(e, "cStat"), Texto(e, "xMotivo"),
                          Texto(e, "nProt"), Texto(e, "xEvento")});
  for (const auto& c : Nos(aRet, "retCancNFe"))
    documentos.push_back({"cancelamento", Texto(c, "chNFe"), Texto(c, "cStat"), Texto(c, "xMotivo"), Texto(c, "nProt"), ""});
  for (const auto& n : Nos(aRet, "retNFe"))
    documentos.push_back({"download", Texto(n, "chNFe"), Texto(n, "cStat"), Texto(n, "xMotivo"), "", ""});
  return documentos;
}

std::string SecaoDoModo(const std::string& aModo, const std::string& aUF) {
  if (aModo.empty() || aModo == "normal") return aUF;
  if (aModo == "svcan") return "SVCAN";
  if (aModo == "svcrs") return "SVCRS";
  throw CliUsageError{"--modo: use normal, svcan ou svcrs"};
}

}  // namespace

std::vector<CliOption> OpcoesSefaz(std::vector<CliOption> aProprias) {
  std::vector<CliOption> opcoes = std::move(aProprias);
  std::vector<CliOption> comuns{
      {"servidores", "ARQUIVO", "arquivo de servidores (padrão: o instalado, nfeServidoresHom.ini ou, em produção, nfeServidoresProd.ini)"},
      {"uf", "UF", "UF do emitente, seção do arquivo de servidores (padrão: SP)"},
      {"modo", "MODO", "normal, svcan ou svcrs (seção de contingência; padrão: normal)"},
      {"versao-manual", "VERSAO", "versão do Manual: 4.0, 5.0 ou 5.0a (padrão 5.0a, leiaute 3.10)"},
      {"producao", "", "ambiente de produção (padrão: homologação)"},
      {"pfx", "ARQUIVO", "certificado A1 em arquivo PKCS#12: assina e autentica a conexão"},
      {"nome", "NOME", "ou: certificado do repositório"},
      {"ca", "ARQUIVO", "autoridades que emitiram o certificado do servidor (PEM)"},
      {"timeout", "MS", "tempo máximo de cada requisição, em milissegundos"},
  };
  opcoes.insert(opcoes.end(), comuns.begin(), comuns.end());
  for (auto& o : CertificatePasswordOptions()) opcoes.push_back(o);
  return opcoes;
}

ClienteSefaz::ClienteSefaz(const CliArgs& aArgs) {
  uf_ = mox::UpperAscii(aArgs.OptionOr("uf", "SP"));
  codigoUF_ = mox::GetCodeUF(uf_);
  if (codigoUF_.empty() || uf_ == "AN") throw CliUsageError{"UF desconhecida: " + uf_};
  secao_ = SecaoDoModo(aArgs.OptionOr("modo", ""), uf_);
  ambiente_ = aArgs.Flag("producao") ? "1" : "2";
  try {
    versao_ = mox::StrToVersaoManual(aArgs.OptionOr("versao-manual", kVersaoManualPadrao));
    leiautes_ = mox::VersoesLeiaute(versao_);
  } catch (const mox::EmoxException& e) {
    throw CliUsageError{e.what()};
  }
  // A typed file is taken from the current folder; without one, the installed servers file.
  auto digitado = aArgs.Option("servidores");
  const std::string arquivo = digitado ? CaminhoDigitado(*digitado)
                                       : mox::FindDataFile(ambiente_ == "1" ? "nfeServidoresProd.ini"
                                                                           : "nfeServidoresHom.ini");
  if (!std::filesystem::is_regular_file(arquivo))
    throw mox::EKivoException("O arquivo de servidores informado não existe: " + arquivo);
  servidores_ = mox::TmoxIniFile(arquivo);

  ConfigureCertificate(kivo_, aArgs, aArgs.OptionOr("pfx", ""), aArgs.OptionOr("nome", ""));
  static_cast<mox::TKivoCertificateSettings&>(kivo_.HttpSettings) = kivo_.SignerSettings;
  kivo_.HttpSettings.CABundle = aArgs.OptionOr("ca", "");
  kivo_.HttpSettings.SecuredConnection = true;
  const std::string timeout = aArgs.OptionOr("timeout", "0");
  if (timeout.empty() || timeout.size() > 9 || timeout.find_first_not_of("0123456789") != std::string::npos)
    throw CliUsageError{"--timeout: informe os milissegundos: " + timeout};
  kivo_.HttpSettings.Timeout = std::stoi(timeout);
}

std::string ClienteSefaz::DocumentoDoCertificado() {
  const auto certificado = kivo_.ConfiguredCertificate(kivo_.SignerSettings);
  return certificado->Info.Cnpj.empty() ? certificado->Info.Cpf : certificado->Info.Cnpj;
}

std::string ClienteSefaz::Assina(const std::string& aXml, const std::string& aElemento) {
  std::string id;
  mox::TmoxKivoUtils().XPathSelectSingleNode(aXml, "//*[local-name()='" + aElemento + "']/@Id", id);
  kivo_.SignerSettings.XmlElement = aElemento;
  return kivo_.SignXmlById(aXml, id);
}

std::string ClienteSefaz::Endereco(const std::string& aChave, const std::string& aSecao) const {
  const std::string endereco = servidores_.ReadString(aSecao, aChave, "");
  if (endereco.empty())
    throw mox::EKivoException("Servidor para " + aChave + " não definido no arquivo: " + servidores_.FileName() +
                              " (seção " + aSecao + ")");
  return endereco;
}

std::string ClienteSefaz::Envia(mox::TOperacaoSefaz aOperacao, const std::string& aDocumento,
                                const std::string& aVersaoDados, const std::string& aSecao, const std::string& aCUF) {
  const mox::TServicoSefaz servico = mox::ServicoSefaz(aOperacao, versao_);
  const std::string secao = aSecao.empty() ? secao_ : aSecao;
  const std::string envelope =
      aOperacao == mox::TOperacaoSefaz::DistribuicaoDFe
          ? mox::EnvelopeSoapDistribuicao(servico.Namespace(), aDocumento)
          : mox::EnvelopeSoap(servico.Namespace(), aCUF.empty() ? codigoUF_ : aCUF, aVersaoDados, aDocumento,
                              aOperacao == mox::TOperacaoSefaz::EnvioLoteCompactado ||
                                  aOperacao == mox::TOperacaoSefaz::EnvioSincronoCompactado);
  return kivo_.PostSOAP(Endereco(servico.Chave, secao), envelope, servico.Acao, servico.Resultado, servico.Namespace());
}

int MostraResposta(const std::string& aRet, const CliArgs& aArgs, CliIo& aIo, const TSucesso& aSucesso) {
  const std::string cStat = Texto(aRet, "cStat");
  const std::vector<TDocumento> documentos = Documentos(aRet);
  bool sucesso = Contem(aSucesso.Resposta, cStat);
  for (const auto& d : documentos) sucesso = sucesso && Contem(aSucesso.Documentos, d.CStat);
  const std::string recibo = Nos(aRet, "infRec").empty() ? "" : Texto(aRet, "nRec");

  if (aArgs.Json()) {
    json saida{{"cStat", cStat}, {"xMotivo", Texto(aRet, "xMotivo")}};
    if (!recibo.empty()) saida["recibo"] = recibo;
    saida["documentos"] = json::array();
    for (const auto& d : documentos)
      saida["documentos"].push_back({{"tipo", d.Tipo}, {"chave", d.Chave}, {"cStat", d.CStat}, {"xMotivo", d.XMotivo},
                                     {"protocolo", d.Protocolo}});
    saida["sucesso"] = sucesso;
    saida["xml"] = aRet;
    aIo.out << saida.dump(2, ' ', false, json::error_handler_t::replace) << "\n";
  } else {
    // The first cStat of a receipt or query is the answer's own; the documents follow.
    aIo.out << "SEFAZ: " << cStat << " - " << Texto(aRet, "xMotivo") << "\n";
    if (!recibo.empty()) aIo.out << "Recibo: " << recibo << "\n";
    // Voiding answers with a protocol of its own; the registry with its taxpayers.
    if (documentos.empty() && !Texto(aRet, "nProt").empty()) aIo.out << "Protocolo: " << Texto(aRet, "nProt") << "\n";
    for (const auto& c : Nos(aRet, "infCad"))
      aIo.out << "  contribuinte " << Texto(c, "CNPJ") << Texto(c, "CPF") << " IE " << Texto(c, "IE") << " ("
              << Texto(c, "UF") << "): " << Texto(c, "xNome") << "\n";
    for (const auto& d : documentos) {
      aIo.out << "  " << d.Tipo << (d.Chave.empty() ? "" : " " + d.Chave) << ": " << d.CStat << " - " << d.XMotivo;
      if (!d.Protocolo.empty()) aIo.out << " (protocolo " << d.Protocolo << ")";
      aIo.out << "\n";
    }
  }
  return sucesso ? 0 : 3;
}

}  // namespace moxcli
