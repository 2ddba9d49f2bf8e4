#include "cli/CliSefaz.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <filesystem>
#include <ostream>

#include "base/EmoxException.h"
#include "base/moxEnumTexts.h"
#include "base/moxFormat.h"
#include "cli/CliCertificateOptions.h"
#include "external/TmoxKivoUtils.h"
#include "external/TmoxKivoX.h"
#include "external/moxPaths.h"
#include "utils/moxXmlLookup.h"

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

std::string Absoluto(const std::string& aCaminho) { return std::filesystem::absolute(aCaminho).string(); }

}  // namespace

std::vector<CliOption> OpcoesSefaz(std::vector<CliOption> aProprias) {
  std::vector<CliOption> opcoes = std::move(aProprias);
  std::vector<CliOption> comuns{
      {"config", "ARQUIVO", "arquivo de configuração do componente (nfeConfig.ini); as opções abaixo prevalecem"},
      {"servidores", "ARQUIVO", "arquivo de servidores (padrão: o instalado, nfeServidoresHom.ini ou nfeServidoresProd.ini)"},
      {"uf", "UF", "UF do emitente, seção do arquivo de servidores (padrão: SP)"},
      {"modo", "MODO", "normal, svcan, svcrs (seção de contingência) ou epec (padrão: normal)"},
      {"versao-manual", "VERSAO", "versão do Manual: 2.0.2a, 3.0, 4.0, 5.0, 5.0a (leiaute 3.10) ou 6.0 (padrão 6.0, leiaute 4.00)"},
      {"producao", "", "ambiente de produção (padrão: homologação)"},
      {"templates", "PASTA", "pasta de templates (padrão: a instalada)"},
      {"esquemas", "PASTA", "pasta de esquemas: o Mapping.txt e os XSD oficiais de cada versão do Manual"},
      {"validar-esquema", "", "valida também os lotes de notas antes de enviar (os demais pedidos, sempre)"},
      {"pfx", "ARQUIVO", "certificado A1 em arquivo PKCS#12: assina e autentica a conexão"},
      {"nome", "NOME", "ou: certificado do repositório"},
      {"ca", "ARQUIVO", "autoridades que emitiram o certificado do servidor (PEM)"},
      {"timeout", "MS", "tempo máximo de cada requisição, em milissegundos"},
  };
  opcoes.insert(opcoes.end(), comuns.begin(), comuns.end());
  for (auto& o : CertificatePasswordOptions()) opcoes.push_back(o);
  return opcoes;
}

void ConfiguraComponente(mox::TmoxNFe& aNFe, const CliArgs& aArgs) {
  if (auto config = aArgs.Option("config")) {
    if (!mox::FileExists(*config)) throw CliUsageError{"arquivo de configuração não encontrado: " + *config};
    aNFe.LoadConfig(Absoluto(*config));
  } else {
    // Without a configuration file: SP and the default manual (6.0, layout 4.00).
    aNFe.SetUF("SP");
    aNFe.SetVersaoManual(mox::StrToVersaoManual(kVersaoManualPadrao));
  }
  try {
    if (auto uf = aArgs.Option("uf")) aNFe.SetUF(*uf);
    if (auto versao = aArgs.Option("versao-manual")) aNFe.SetVersaoManual(mox::StrToVersaoManual(*versao));
    if (auto modo = aArgs.Option("modo")) aNFe.SetModoOperacao(mox::StrToModoOperacao(*modo));
  } catch (const mox::EmoxException& e) {
    throw CliUsageError{e.what()};
  }
  if (auto pfx = aArgs.Option("pfx")) aNFe.SetCaminhoCertificado(Absoluto(*pfx));
  // The first use of the services server resets the certificate kind, so it comes before a token
  // (A3) is chosen.
  aNFe.GetKivo();
  // A token's PIN and module come before the name: naming a certificate already opens it.
  if (auto modulo = aArgs.Option("modulo-pkcs11")) aNFe.SetModuloPKCS11(*modulo);
  if (aArgs.Flag("a3")) {
    aNFe.SetTipoCertificado(mox::TCertificadoKind::ckSmartCard);
    aNFe.SetPinCode(TokenPin(aArgs));
  }
  if (auto nome = aArgs.Option("nome")) aNFe.NomeCertificado().SetText(*nome);
  const std::string senha = CertificatePassword(aArgs);
  if (!senha.empty()) aNFe.SetSenhaCertificado(senha);
  if (aNFe.CaminhoCertificado().empty() && aNFe.NomeCertificado().Text().empty())
    throw CliUsageError{"informe o arquivo PKCS#12 do certificado ou --nome NOME de um certificado do repositório"};
  if (auto templates = aArgs.Option("templates")) aNFe.SetDiretorioTemplates(Absoluto(*templates) + "/");
  if (auto esquemas = aArgs.Option("esquemas")) aNFe.SetDiretorioEsquemas(Absoluto(*esquemas) + "/");
  aNFe.GetKivo().SetCertificateStoreFolder(aArgs.OptionOr("repositorio", ""));
}

ClienteSefaz::ClienteSefaz(const CliArgs& aArgs) : nfe_(std::make_unique<mox::TmoxNFe>()) {
  mox::TmoxNFe& nfe = *nfe_;
  ConfiguraComponente(nfe, aArgs);
  if (nfe.UF() == "AN") throw CliUsageError{"UF desconhecida: AN"};
  if (aArgs.Flag("producao")) nfe.SetAmbiente(mox::TAmbienteKind::akProducao);
  const bool producao = nfe.Ambiente() == mox::TAmbienteKind::akProducao;
  std::string servidores = aArgs.OptionOr("servidores", "");
  if (servidores.empty() && (producao ? nfe.ArquivoServidoresProd() : nfe.ArquivoServidoresHom()).empty())
    servidores = mox::FindDataFile(producao ? "nfeServidoresProd.ini" : "nfeServidoresHom.ini");
  if (!servidores.empty())
    producao ? nfe.SetArquivoServidoresProd(Absoluto(servidores)) : nfe.SetArquivoServidoresHom(Absoluto(servidores));
  const std::string timeout = aArgs.OptionOr("timeout", "0");
  if (timeout.empty() || timeout.size() > 9 || timeout.find_first_not_of("0123456789") != std::string::npos)
    throw CliUsageError{"--timeout: informe os milissegundos: " + timeout};
  if (aArgs.Option("timeout")) nfe.SetTimeOut(std::stoi(timeout));
  nfe.SetValidarEsquemaAntesEnvio(aArgs.Flag("validar-esquema"));
  nfe.SetConexaoSegura(true);
  // The first use of the services server turns certificate checks off; the command line checks
  // SEFAZ's server against the system's authorities or those of --ca.
  nfe.GetKivo();
  nfe.SetIgnoreInvalidCertificates(false);
  nfe.GetKivo().HttpSettings.CABundle = aArgs.OptionOr("ca", "");
}

void ClienteSefaz::EmitenteDoCertificado() {
  if (nfe_->CNPJ().empty()) nfe_->SetCNPJ(DocumentoDoCertificado());
}

std::string ClienteSefaz::DocumentoDoCertificado() {
  mox::TmoxKivoX& kivo = nfe_->GetKivo();
  const auto certificado = kivo.ConfiguredCertificate(kivo.SignerSettings);
  return certificado->Info.Cnpj.empty() ? certificado->Info.Cpf : certificado->Info.Cnpj;
}

std::string ElementoDocumento(const std::string& aDocumento) {
  const std::string nome = aDocumento.size() == 11 ? "CPF" : "CNPJ";
  return "<" + nome + ">" + mox::EscapeCaracteres(aDocumento) + "</" + nome + ">";
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
