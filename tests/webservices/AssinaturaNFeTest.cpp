// Signing invoices through the component: a batch of 50 notes made from the TX2 examples that
// xmlsec1 verifies one by one, the limits and key checks before signing, the emission type
// against the operation mode and the clean-up of the signed text.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "base/EmoxException.h"
#include "component/TmoxNFe.h"
#include "external/TmoxKivoUtils.h"
#include "support/NotaAssinada.h"
#include "support/NotasTx2.h"
#include "support/SandboxDeTeste.h"
#include "webservices/moxAssinaturaNFe.h"

namespace {

using namespace moxtest;
using mox::TModoOperacao;
using mox::TVersaoManual;

// The infNFe of a test note, as a signer receives it.
std::string InfNFe(int aNumero, const std::function<void(std::string&)>& aAjuste = {}) {
  const std::string nota = NotaDeTeste(aNumero, aAjuste);
  const auto inicio = nota.find("<infNFe");
  return nota.substr(inicio, nota.find("</infNFe>") + 9 - inicio);
}

class AssinaturaPeloComponente : public ::testing::Test {
 protected:
  void SetUp() override { ComponenteQueAssina(nfe_, pasta_); }

  std::string Mensagem(const std::string& aXml) {
    try {
      nfe_.AssinarNota(aXml);
    } catch (const mox::EmoxNFeException& e) {
      return std::string(e.ClassName()) + ": " + e.what();
    }
    return "assinada";
  }

  TempDir pasta_;
  mox::TmoxNFe nfe_;
};

TEST_F(AssinaturaPeloComponente, LoteDe50NotasDosExemplosTx2VerificaNoXmlsec1) {
  std::string lote;
  for (const auto& nota : NotasDosExemplosTx2(50, 7001)) lote += nota;
  const std::string assinadas = nfe_.AssinarNota(lote);
  const std::string ac = WriteCertificatePem(pasta_.path() / "ac.pem", Pki().Authority);
  std::vector<std::string> notas;
  mox::TmoxKivoUtils().XPathSelectNodes("<lote>" + assinadas + "</lote>", "/lote/*", notas);
  ASSERT_EQ(notas.size(), 50u);
  for (size_t i = 0; i < notas.size(); ++i) {
    EXPECT_EQ(notas[i].find("\r\n"), std::string::npos);
    WriteText(pasta_.file("nota.xml"), notas[i]);
    const auto r = RunProgram("/usr/bin/xmlsec1", {"--verify", "--id-attr:Id",
                                                   std::string(mox::TmoxKivoUtils::kNFeNamespace) + ":infNFe",
                                                   "--trusted-pem", ac, pasta_.file("nota.xml")});
    EXPECT_EQ(r.status, 0) << "nota " << i + 1 << ": " << r.err;
    EXPECT_TRUE(ValidaContraEsquema(notas[i], "PL_008i2/nfe_v3.10.xsd")) << i + 1;
  }
}

// A batch reads each note once, for its key check and its signature: what comes out must be,
// note by note and in order, what signing each note alone gives, also for a note the
// preparation rewrites ("º"). A note whose text holds more than one element is refused as the
// note read alone is, before anything is signed.
TEST_F(AssinaturaPeloComponente, LoteSaiIgualAsNotasAssinadasUmaAUma) {
  const std::string comOrdinal = InfNFe(7302, [](std::string& n) { n.insert(n.find("<natOp>") + 7, "Nº "); });
  const std::vector<std::string> notas = {InfNFe(7301), comOrdinal, InfNFe(7303), InfNFe(7304)};
  std::string lote, umaAUma;
  for (const auto& nota : notas) {
    lote += nota;
    umaAUma += nfe_.AssinarNota(nota);
  }
  EXPECT_EQ(nfe_.AssinarNota(lote), umaAUma);

  std::string recusa = "nenhuma";
  try {
    nfe_.AssinarNota(InfNFe(7305) + "<infNFe/>" + InfNFe(7306));
  } catch (const std::exception& e) {
    recusa = e.what();
  }
  EXPECT_EQ(recusa, "XML mal formado: linha 1: Extra content at the end of the document");
}

TEST_F(AssinaturaPeloComponente, RecusasAntesDeAssinar) {
  std::string lote51;
  for (int i = 1; i <= 51; ++i) lote51 += InfNFe(7100 + i);
  std::string chaveCurta = InfNFe(7200);
  const auto id = chaveCurta.find("Id=\"NFe") + 7;
  chaveCurta.erase(id, 1);
  // An Id in another namespace is no Id; an empty one is found, and refused by the signer.
  std::string idComPrefixo = InfNFe(7201), idVazio = InfNFe(7202);
  idComPrefixo.replace(idComPrefixo.find(" Id=\""), 5, " xmlns:x=\"urn:x\" x:Id=\"");
  const auto valor = idVazio.find(" Id=\"") + 5;
  idVazio.erase(valor, idVazio.find('"', valor) - valor);
  const struct {
    const char* nome;
    std::string xml, mensagem;
  } casos[] = {
      {"vazio", "", "EmoxSignatureException: XML informado está vazio ou inválido"},
      {"51 notas", lote51, "EmoxNFeMaxSizeException: O Lote não pode possuir mais de 50 notas."},
      {"chave de 43 dígitos", chaveCurta,
       "EmoxSignatureException: Chave inválida, a chave deve conter apenas números, e conter 44 caracteres"},
      {"sem notas", "<NFe/>", "EmoxNFeException: Não foi possível encontrar notas fiscais no arquivo"},
      {"Id com prefixo", idComPrefixo, "EmoxNFeException: Campo Id não encontrado para nota fiscal"},
      {"Id vazio", idVazio, "EmoxSignatureException: Id do elemento a assinar não informado."},
  };
  for (const auto& caso : casos) EXPECT_EQ(Mensagem(caso.xml), caso.mensagem) << caso.nome;
}

TEST_F(AssinaturaPeloComponente, TipoDeEmissaoConfereComVersaoEModo) {
  const auto tipo = [](const char* aTpEmis, bool aContingencia) {
    return [=](std::string& n) {
      Troca(n, "<tpEmis>1</tpEmis>", std::string("<tpEmis>") + aTpEmis + "</tpEmis>");
      if (aContingencia)
        Troca(n, "</verProc>", "</verProc><dhCont>2014-03-15T10:00:00-03:00</dhCont><xJust>Falha na comunicacao</xJust>");
    };
  };
  const struct {
    const char* nome;
    TVersaoManual versao;
    TModoOperacao modo;
    std::function<void(std::string&)> ajuste;
    std::string mensagem;
  } casos[] = {
      {"normal com contingência no 5.0a", TVersaoManual::vm50a, TModoOperacao::moNormal, tipo("1", true),
       "EmoxNFeException: 556 - Rejeição: Justificativa de entrada em contingência não deve ser informada para tipo "
       "de emissão normal"},
      {"normal com contingência no 3.0", TVersaoManual::vm30, TModoOperacao::moNormal, tipo("1", true), "assinada"},
      {"contingência sem justificativa", TVersaoManual::vm50a, TModoOperacao::moNormal, tipo("6", false),
       "EmoxNFeException: 557 - Rejeição: A Justificativa de entrada em contingência deve ser informada"},
      {"SVC-RS no modo SVCAN", TVersaoManual::vm50a, TModoOperacao::moSVCAN, tipo("7", true),
       "EmoxNFeModoOperacaoException: No Modo Operação SVCAN (SVC-AN), o tipo emissão (tpEmis) deve ser igual a 6."},
      {"normal no modo SVCRS", TVersaoManual::vm50a, TModoOperacao::moSVCRS, tipo("1", false),
       "EmoxNFeModoOperacaoException: No Modo Operação SVCRS (SVC-RS), o tipo emissão (tpEmis) deve ser igual a 7."},
      {"normal no modo EPEC", TVersaoManual::vm50a, TModoOperacao::moEPEC, tipo("1", false),
       "EmoxNFeModoOperacaoException: No Modo Operação EPEC, o tipo emissão (tpEmis) deve ser igual a 4."},
      {"SVC-AN no modo SVCAN", TVersaoManual::vm50a, TModoOperacao::moSVCAN, tipo("6", true), "assinada"},
      {"tipo fora da lista", TVersaoManual::vm50a, TModoOperacao::moNormal, tipo("9", true),
       "EmoxNFeException: Tipo de Emissão 9 é válido. Utilize (1,2,3,4 ou 5)"},
  };
  int numero = 7300;
  for (const auto& caso : casos) {
    nfe_.SetVersaoManual(caso.versao);
    nfe_.SetModoOperacao(caso.modo);
    EXPECT_EQ(Mensagem(InfNFe(++numero, caso.ajuste)), caso.mensagem) << caso.nome;
  }
}

TEST(LimparXMLAssinado, BrancosAosParesSaemDeSignatureValue) {
  const struct {
    const char* antes;
    const char* depois;
  } casos[] = {{"ab  cd", "abcd"}, {"ab   cd", "ab cd"}, {"ab    cd", "abcd"}, {"abcd", "abcd"}};
  for (const auto& caso : casos) {
    std::string xml = std::string("<?xml version=\"1.0\"?><NFe><Signature><SignatureValue>") + caso.antes +
                      "</SignatureValue>\r\n<KeyInfo><X509Data><X509Certificate>MII  B</X509Certificate></X509Data>"
                      "</KeyInfo></Signature></NFe>";
    mox::LimparXMLAssinado(xml);
    EXPECT_EQ(xml, std::string("<NFe><Signature><SignatureValue>") + caso.depois +
                       "</SignatureValue><KeyInfo><X509Data><X509Certificate>MIIB</X509Certificate></X509Data>"
                       "</KeyInfo></Signature></NFe>");
  }
}

}  // namespace
