#include "support/SandboxDeTeste.h"

#include <chrono>
#include <cstdio>
#include <map>
#include <mutex>

#include "external/EKivoException.h"
#include "external/OpenSslHandles.h"
#include "external/TmoxKivoUtils.h"
#include "utils/moxChaveNFe.h"

namespace moxtest {

namespace {

std::string PemComChave(const mox::CertificateCredential& aCredencial) {
  return mox::CertificatePem(aCredencial.Certificate.get());
}

}  // namespace

const mox::CertificateCredential& OutraEmpresa() {
  static const mox::CertificateCredential empresa = [] {
    mox::TCertificateRequest pedido;
    pedido.CommonName = std::string("OUTRA EMPRESA LTDA:") + kCnpjDestinatario;
    pedido.Cnpj = kCnpjDestinatario;
    return IssueHolder(pedido);
  }();
  return empresa;
}

SandboxDeTeste::SandboxDeTeste(std::vector<std::string> aOpcoes) : opcoes_(std::move(aOpcoes)) {
  WriteText(pasta_.path() / "ac.pem", PemComChave(Pki().Authority));
  WriteText(pasta_.path() / "servidor.pem", PemComChave(Pki().Server));
  WriteText(pasta_.path() / "servidor.key", mox::PrivateKeyPem(Pki().Server.PrivateKey.get()));
  Inicia();
}

void SandboxDeTeste::Inicia() {
  std::vector<std::string> argumentos{"iniciar", "--estado", pasta_.file("estado"), "--esquemas", SchemasDir().string(),
                                      "--porta", "0", "--ca", pasta_.file("ac.pem"), "--certificado",
                                      pasta_.file("servidor.pem"), "--chave", pasta_.file("servidor.key")};
  argumentos.insert(argumentos.end(), opcoes_.begin(), opcoes_.end());
  processo_ = std::make_unique<BackgroundProcess>(BuiltProgram("moxnfe-sandbox"), argumentos);
  const std::string linha = processo_->ReadLine();
  const std::string prefixo = "PRONTO ";
  if (linha.compare(0, prefixo.size(), prefixo) != 0) throw std::runtime_error("sandbox answered: " + linha);
  // The server certificate names localhost, so clients reach it by that name.
  url_ = linha.substr(prefixo.size());
}

void SandboxDeTeste::Reinicia(const std::function<void()>& aParado) {
  processo_.reset();
  if (aParado) aParado();
  Inicia();
}

void SandboxDeTeste::Derruba() {
  processo_->Kill();
  processo_.reset();
  Inicia();
}

std::string SandboxDeTeste::Endereco(const std::string& aSecao, const std::string& aServico) const {
  return url_ + "ws/" + aSecao + "/" + aServico;
}

ClienteDeTeste::ClienteDeTeste(const mox::CertificateCredential* aCertificado) {
  kivo_.HttpSettings.CABundle = WriteCertificatePem(pasta_.path() / "ac.pem", Pki().Authority);
  kivo_.HttpSettings.SecuredConnection = true;
  kivo_.HttpSettings.Timeout = 30000;
  if (!aCertificado) return;
  kivo_.HttpSettings.CertificateType = mox::kCertFile;
  kivo_.HttpSettings.CertificatePath = WritePfx(pasta_.path() / "cliente.pfx", *aCertificado, "x");
  kivo_.HttpSettings.CertificatePassword = "x";
}

std::string ClienteDeTeste::Posta(const std::string& aEndereco, const std::string& aServico,
                                  const std::string& aMetodo, const std::string& aResultado,
                                  const std::string& aEnvelope) {
  const std::string ns = kWsdl + aServico;
  return kivo_.PostSOAP(aEndereco, aEnvelope, aMetodo.empty() ? ns : ns + "/" + aMetodo, aResultado, ns);
}

std::string Envelope(const std::string& aServico, const std::string& aCUF, const std::string& aVersao,
                     const std::string& aDados) {
  const std::string ns = std::string(kWsdl) + aServico;
  return "<?xml version=\"1.0\" encoding=\"utf-8\"?><soap12:Envelope xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" "
         "xmlns:soap12=\"http://www.w3.org/2003/05/soap-envelope\"><soap12:Header><nfeCabecMsg xmlns=\"" + ns +
         "\"><cUF>" + aCUF + "</cUF><versaoDados>" + aVersao + "</versaoDados></nfeCabecMsg></soap12:Header>"
         "<soap12:Body><nfeDadosMsg xmlns=\"" + ns + "\">" + aDados + "</nfeDadosMsg></soap12:Body></soap12:Envelope>";
}

std::string LoteNFe(const std::vector<std::string>& aNotas, const std::string& aIndSinc) {
  std::string lote = "<enviNFe xmlns=\"http://www.portalfiscal.inf.br/nfe\" versao=\"3.10\"><idLote>1</idLote><indSinc>" +
                     aIndSinc + "</indSinc>";
  for (const auto& nota : aNotas) lote += nota;
  return lote + "</enviNFe>";
}

std::string EnviaLote(ClienteDeTeste& aCliente, const SandboxDeTeste& aSandbox, const std::vector<std::string>& aNotas,
                      const std::string& aIndSinc) {
  return aCliente.Posta(aSandbox.Endereco("SP", "NfeAutorizacao"), "NfeAutorizacao", "NfeAutorizacaoLote",
                        "nfeAutorizacaoLoteResult", Envelope("NfeAutorizacao", "35", "3.10", LoteNFe(aNotas, aIndSinc)));
}

std::string ConsultaRecibo(ClienteDeTeste& aCliente, const SandboxDeTeste& aSandbox, const std::string& aRecibo) {
  return aCliente.Posta(aSandbox.Endereco("SP", "NfeRetAutorizacao"), "NfeRetAutorizacao", "NfeRetAutorizacaoLote",
                        "NfeRetAutorizacaoLoteResult",
                        Envelope("NfeRetAutorizacao", "35", "3.10",
                                 "<consReciNFe xmlns=\"http://www.portalfiscal.inf.br/nfe\" versao=\"3.10\"><tpAmb>2</tpAmb>"
                                 "<nRec>" + aRecibo + "</nRec></consReciNFe>"));
}

std::string ConsultaNota(ClienteDeTeste& aCliente, const SandboxDeTeste& aSandbox, const std::string& aChave) {
  return aCliente.Posta(aSandbox.Endereco("SP", "NfeConsulta3"), "NfeConsulta3", "nfeConsultaNF", "nfeConsultaNFResult",
                        Envelope("NfeConsulta3", "35", "3.10",
                                 "<consSitNFe xmlns=\"http://www.portalfiscal.inf.br/nfe\" versao=\"3.10\"><tpAmb>2</tpAmb>"
                                 "<xServ>CONSULTAR</xServ><chNFe>" + aChave + "</chNFe></consSitNFe>"));
}

std::string DistribuicaoDFe(ClienteDeTeste& aCliente, const SandboxDeTeste& aSandbox, const std::string& aCnpj,
                            unsigned long long aUltimoNSU) {
  const std::string nsu = std::to_string(aUltimoNSU);
  const std::string pedido = "<distDFeInt xmlns=\"http://www.portalfiscal.inf.br/nfe\" versao=\"1.01\"><tpAmb>2</tpAmb>"
                             "<cUFAutor>33</cUFAutor><CNPJ>" + aCnpj + "</CNPJ><distNSU><ultNSU>" +
                             std::string(15 - nsu.size(), '0') + nsu + "</ultNSU></distNSU></distDFeInt>";
  const std::string ns = std::string(kWsdl) + "NFeDistribuicaoDFe";
  const std::string envelope =
      "<soap12:Envelope xmlns:soap12=\"http://www.w3.org/2003/05/soap-envelope\"><soap12:Body><nfeDistDFeInteresse "
      "xmlns=\"" + ns + "\"><nfeDadosMsg>" + pedido + "</nfeDadosMsg></nfeDistDFeInteresse></soap12:Body></soap12:Envelope>";
  return aCliente.Posta(aSandbox.Endereco("AN", "NFeDistribuicaoDFe"), "NFeDistribuicaoDFe", "",
                        "nfeDistDFeInteresseResult", envelope);
}

std::string Autoriza(ClienteDeTeste& aCliente, const SandboxDeTeste& aSandbox, const std::string& aNota) {
  const std::string recibo = Campo(EnviaLote(aCliente, aSandbox, {aNota}), "nRec");
  const std::string protocolo = Elementos(ConsultaRecibo(aCliente, aSandbox, recibo), "protNFe").at(0);
  EXPECT_EQ(Campo(protocolo, "cStat"), "100") << protocolo;
  return protocolo;
}

std::string EventoDeTeste::Xml() const {
  const std::string sequencia = (Sequencia < 10 ? "0" : "") + std::to_string(Sequencia);
  const std::string autor = Autor.size() == 11 ? "<CPF>" + Autor + "</CPF>" : "<CNPJ>" + Autor + "</CNPJ>";
  return "<evento xmlns=\"http://www.portalfiscal.inf.br/nfe\" versao=\"1.00\"><infEvento Id=\"ID" + Tipo + Chave +
         sequencia + "\"><cOrgao>" + Orgao + "</cOrgao><tpAmb>" + Ambiente + "</tpAmb>" + autor + "<chNFe>" + Chave +
         "</chNFe><dhEvento>" + (DataHora.empty() ? AgoraBrasilia() : DataHora) + "</dhEvento><tpEvento>" + Tipo +
         "</tpEvento><nSeqEvento>" + std::to_string(Sequencia) + "</nSeqEvento><verEvento>1.00</verEvento>"
         "<detEvento versao=\"1.00\">" + Detalhe + "</detEvento></infEvento></evento>";
}

std::string DetalheCancelamento(const std::string& aProtocolo) {
  return "<descEvento>Cancelamento</descEvento><nProt>" + aProtocolo +
         "</nProt><xJust>Cancelamento por erro de digitacao</xJust>";
}

std::string DetalheCCe(const std::string& aCorrecao) {
  return "<descEvento>Carta de Correcao</descEvento><xCorrecao>" + aCorrecao +
         "</xCorrecao><xCondUso>A Carta de Correcao e disciplinada pelo paragrafo 1o-A do art. 7o do Convenio S/N, de 15 "
         "de dezembro de 1970 e pode ser utilizada para regularizacao de erro ocorrido na emissao de documento fiscal, "
         "desde que o erro nao esteja relacionado com: I - as variaveis que determinam o valor do imposto tais como: base "
         "de calculo, aliquota, diferenca de preco, quantidade, valor da operacao ou da prestacao; II - a correcao de "
         "dados cadastrais que implique mudanca do remetente ou do destinatario; III - a data de emissao ou de "
         "saida.</xCondUso>";
}

std::string EnviaEventos(ClienteDeTeste& aCliente, const SandboxDeTeste& aSandbox, const std::string& aSecao,
                         const std::vector<std::string>& aEventos) {
  std::string lote = "<envEvento xmlns=\"http://www.portalfiscal.inf.br/nfe\" versao=\"1.00\"><idLote>7</idLote>";
  for (const auto& e : aEventos) lote += e;
  lote += "</envEvento>";
  return aCliente.Posta(aSandbox.Endereco(aSecao, "RecepcaoEvento"), "RecepcaoEvento", "nfeRecepcaoEvento",
                        "nfeRecepcaoEventoResult",
                        Envelope("RecepcaoEvento", aSecao == "AN" ? "91" : "35", "1.00", lote));
}

std::string AgoraBrasilia() {
  using namespace std::chrono;
  const auto local = floor<seconds>(system_clock::now()) - hours(3);
  const auto dia = floor<days>(local);
  const year_month_day ymd{dia};
  const hh_mm_ss hms{local - dia};
  char texto[32];
  std::snprintf(texto, sizeof texto, "%04d-%02u-%02uT%02d:%02d:%02d-03:00", int(ymd.year()), unsigned(ymd.month()),
                unsigned(ymd.day()), int(hms.hours().count()), int(hms.minutes().count()), int(hms.seconds().count()));
  return texto;
}

void Troca(std::string& aTexto, const std::string& aDe, const std::string& aPara) {
  const size_t p = aTexto.find(aDe);
  if (p == std::string::npos) {
    ADD_FAILURE() << "text not found: " << aDe;
    return;
  }
  aTexto.replace(p, aDe.size(), aPara);
}

std::string NotaDeTeste(int aNumero, const std::function<void(std::string&)>& aAjuste, const std::string& aLeiaute) {
  // Layouts 1.10 and 2.00 have a date of emission, 3.10 a date-time; 1.10 has the older key.
  const bool v110 = aLeiaute == "1.10", v200 = v110 || aLeiaute == "2.00";
  std::string nota = ReadText(Fixture(v110   ? "xml/nfe110-ficticia.xml"
                                      : v200 ? "xml/nfe200-ficticia.xml"
                                             : "xml/nfe310-assinada-ficticia.xml"));
  nota.erase(0, nota.find("<NFe"));
  if (const size_t assinatura = nota.find("<Signature"); assinatura != std::string::npos)
    nota.erase(assinatura, nota.find("</Signature>") + 12 - assinatura);
  while (!nota.empty() && (nota.back() == '\n' || nota.back() == '\r')) nota.pop_back();
  Troca(nota, "<nNF>124</nNF>", "<nNF>" + std::to_string(aNumero) + "</nNF>");
  const std::string agora = AgoraBrasilia();
  if (v200)
    Troca(nota, "<dEmi>2014-03-15</dEmi>", "<dEmi>" + agora.substr(0, 10) + "</dEmi>");
  else
    Troca(nota, "<dhEmi>2014-03-15T10:00:00-03:00</dhEmi>", "<dhEmi>" + agora + "</dhEmi>");
  if (aAjuste) aAjuste(nota);
  const std::string emissao = Campo(nota, v200 ? "dEmi" : "dhEmi"), uf = Campo(nota, "cUF"),
                    cnpj = Campo(nota, "CNPJ", "emit"), modelo = Campo(nota, "mod"), serie = Campo(nota, "serie"),
                    numero = Campo(nota, "nNF"), codigo = Campo(nota, "cNF");
  const std::string chave =
      v110 ? mox::CalculaChave(emissao, uf, cnpj, modelo, serie, numero, codigo)
           : mox::CalculaChave(emissao, uf, cnpj, modelo, serie, numero, Campo(nota, "tpEmis"), codigo);
  Troca(nota, "Id=\"NFe35140312345678000195550010000001241123456788\"", "Id=\"NFe" + chave + "\"");
  Troca(nota, "<cDV>8</cDV>", "<cDV>" + chave.substr(43) + "</cDV>");
  return nota;
}

std::string ChaveDe(const std::string& aNota) {
  const size_t p = aNota.find("Id=\"NFe");
  return p == std::string::npos ? std::string{} : aNota.substr(p + 7, 44);
}

std::string Assina(const std::string& aXml, const std::string& aElemento, const mox::CertificateCredential& aCertificado) {
  // One signer per certificate, so its key is prepared once.
  static TempDir pasta;
  static std::mutex mutex;
  static std::map<std::string, std::unique_ptr<mox::TmoxKivoX>> assinadores;
  std::lock_guard trava(mutex);
  auto& kivo = assinadores[mox::CertificateDer(aCertificado.Certificate.get())];
  if (!kivo) {
    kivo = std::make_unique<mox::TmoxKivoX>();
    kivo->SignerSettings.CertificateType = mox::kCertFile;
    kivo->SignerSettings.CertificatePath =
        WritePfx(pasta.path() / ("a" + std::to_string(assinadores.size()) + ".pfx"), aCertificado, "x");
    kivo->SignerSettings.CertificatePassword = "x";
  }
  kivo->SignerSettings.XmlElement = aElemento;
  std::string id;
  mox::TmoxKivoUtils().XPathSelectSingleNode(aXml, "//*[local-name()='" + aElemento + "']/@Id", id);
  return kivo->SignXmlById(aXml, id);
}

::testing::AssertionResult ValidaContraEsquema(const std::string& aXml, const std::string& aEsquema) {
  mox::TmoxKivoUtils utils;
  try {
    utils.ValidateSchema(aXml, mox::TmoxKivoUtils::kNFeNamespace, (SchemasDir() / aEsquema).string());
    return ::testing::AssertionSuccess();
  } catch (const mox::EKivoException& e) {
    return ::testing::AssertionFailure() << aEsquema << ": " << e.what() << "\n" << aXml;
  }
}

std::string Campo(const std::string& aXml, const std::string& aTag, const std::string& aPai) {
  return mox::TmoxKivoUtils().GetValueTag(aTag, aXml, aPai);
}

std::vector<std::string> Elementos(const std::string& aXml, const std::string& aTag) {
  std::vector<std::string> nos;
  mox::TmoxKivoUtils().XPathSelectNodes(aXml, "//*[local-name()='" + aTag + "']", nos);
  return nos;
}

}  // namespace moxtest
