// The component's signed output held against the recorded reference byte for byte (the parts
// that depend on the key left out, every signature verified): a batch of notes of the TX2
// examples, and the cancellation, voiding and event documents, one element and several.
#include <gtest/gtest.h>

#include <string>

#include "component/TmoxNFe.h"
#include "external/XmlSignatureVerifier.h"
#include "support/NotaAssinada.h"
#include "support/NotasTx2.h"
#include "support/SaidaDeReferencia.h"
#include "support/TestCertificates.h"
#include "support/TestSupport.h"

namespace {

using namespace moxtest;

class AssinaturaDeReferencia : public ::testing::Test {
 protected:
  void SetUp() override { ComponenteQueAssina(nfe_, pasta_); }

  // Every signature of the text verifies, and there are aQuantas of them.
  static void Confere(const std::string& aAssinado, size_t aQuantas) {
    const auto resultados = mox::XmlSignatureVerifier().VerifyAll("<lote>" + aAssinado + "</lote>");
    ASSERT_EQ(resultados.size(), aQuantas);
    for (const auto& r : resultados) EXPECT_TRUE(r.Valid) << r.ReferenceId << ": " << r.Error;
  }

  TempDir pasta_;
  mox::TmoxNFe nfe_;
};

TEST_F(AssinaturaDeReferencia, LoteDeNotasDosExemplosTx2) {
  std::string lote;
  for (const auto& nota : NotasDosExemplosTx2(12, 9001)) lote += nota;
  const std::string assinadas = nfe_.AssinarNota(lote);
  Confere(assinadas, 12);
  EXPECT_EQ(ComparaComReferencia("assinatura/lote-12-notas.xml", SemPartesDaChave(assinadas)), "");
}

TEST_F(AssinaturaDeReferencia, DocumentosDeCancelamentoInutilizacaoEEventos) {
  std::string eventos = ReadText(Fixture("xml/cce-evento-ficticio.xml"));
  const size_t inicio = eventos.find("<evento "), fim = eventos.find("</evento>") + 9;
  const std::string evento = eventos.substr(inicio, fim - inicio);
  for (const char* sequencia : {"2", "3"}) {
    std::string outro = evento;
    outro.replace(outro.find("801\""), 4, std::string("80") + sequencia + "\"");
    outro.replace(outro.find("<nSeqEvento>1<"), 14, std::string("<nSeqEvento>") + sequencia + "<");
    eventos.insert(eventos.find("</envEvento>"), outro);
  }
  const struct {
    const char* referencia;
    std::string xml;
    const char* elemento;
    size_t assinaturas;
  } casos[] = {
      {"assinatura/cancelamento.xml", ReadText(Fixture("xml/cancelamento-ficticio.xml")), "infCanc", 1},
      {"assinatura/inutilizacao.xml", ReadText(Fixture("xml/inutilizacao-ficticia.xml")), "infInut", 1},
      {"assinatura/tres-eventos.xml", eventos, "infEvento", 3},
  };
  for (const auto& caso : casos) {
    SCOPED_TRACE(caso.referencia);
    const std::string assinado = nfe_.AssinarDocumento(caso.xml, caso.elemento, "");
    Confere(assinado, caso.assinaturas);
    EXPECT_EQ(ComparaComReferencia(caso.referencia, SemPartesDaChave(assinado)), "");
  }
}

}  // namespace
