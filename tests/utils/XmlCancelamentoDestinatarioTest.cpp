// The recipient's cancellation documents (request form and event) and the manifestation
// document, assembled from a request and its answer and valid against the official schemas.
#include <gtest/gtest.h>

#include "support/SandboxDeTeste.h"
#include "support/TestSupport.h"
#include "utils/TmoxNFeXmlCancelamentoDestinatario.h"
#include "UtilsTestSupport.h"

using namespace mox;
using moxtest::kChavesLote;
using moxtest::Raised;
using moxtest::RaisedBy;

namespace {

const std::string& kChave = kChavesLote[0];

std::string Templates() { return std::string(MOXNFE_BINARY_DIR) + "/Templates/vm50a/"; }

std::string PedidoForma() {
  return moxtest::Assina(moxtest::ReadText(moxtest::Fixture("xml/cancelamento-ficticio.xml")), "infCanc");
}

std::string RespostaForma(const std::string& aCStat, const std::string& aChave = kChave) {
  return "<retCancNFe xmlns=\"http://www.portalfiscal.inf.br/nfe\" versao=\"2.00\"><infCanc><tpAmb>2</tpAmb>"
         "<verAplic>SP_NFE</verAplic><cStat>" + aCStat + "</cStat><xMotivo>Cancelamento de NF-e homologado</xMotivo>"
         "<cUF>35</cUF><chNFe>" + aChave + "</chNFe><dhRecbto>2014-03-16T10:00:00</dhRecbto><nProt>135140000012346</nProt>"
         "</infCanc></retCancNFe>";
}

std::string PedidoEvento(const std::string& aTipo = "110111") {
  moxtest::EventoDeTeste e{aTipo, kChave, aTipo == "110111" ? moxtest::DetalheCancelamento("135140000012345")
                                                            : "<descEvento>Ciencia da Operacao</descEvento>"};
  e.DataHora = "2014-03-16T10:00:00-03:00";
  return "<envEvento xmlns=\"http://www.portalfiscal.inf.br/nfe\" versao=\"1.00\"><idLote>1</idLote>" +
         moxtest::Assina(e.Xml(), "infEvento") + "</envEvento>";
}

std::string RespostaEvento(const std::string& aCStat, const std::string& aTipo = "110111") {
  return "<retEnvEvento xmlns=\"http://www.portalfiscal.inf.br/nfe\" versao=\"1.00\"><idLote>1</idLote><tpAmb>2</tpAmb>"
         "<verAplic>SP</verAplic><cOrgao>35</cOrgao><cStat>128</cStat><xMotivo>Lote de Evento Processado</xMotivo>"
         "<retEvento versao=\"1.00\"><infEvento><tpAmb>2</tpAmb><verAplic>SP</verAplic><cOrgao>35</cOrgao><cStat>" +
         aCStat + "</cStat><xMotivo>Evento registrado e vinculado a NF-e</xMotivo><chNFe>" + kChave +
         "</chNFe><tpEvento>" + aTipo + "</tpEvento><xEvento>Cancelamento registrado</xEvento><nSeqEvento>1</nSeqEvento>"
         "<dhRegEvento>2014-03-16T10:00:05-03:00</dhRegEvento><nProt>135140000012347</nProt></infEvento></retEvento>"
         "</retEnvEvento>";
}

std::string Gera(const std::string& aPedido, const std::string& aResposta, const std::string& aSalvarComo = {}) {
  return GerarXMLCancelamentoDestinatario(kChave, aPedido, aResposta, "", Templates(), "SP", "", aSalvarComo);
}

TEST(CancelamentoDestinatario, FormaDePedidoValidaNoEsquemaEGravada) {
  moxtest::TempDir dir;
  moxtest::WriteText(dir.path() / "ped-can.xml", PedidoForma());
  const std::string xml = Gera(dir.file("ped-can.xml"), RespostaForma("101"), dir.file("dest/k-can.xml"));
  EXPECT_TRUE(xml.starts_with("<?xml version=\"1.0\" encoding=\"UTF-8\"?><procCancNFe")) << xml;
  EXPECT_TRUE(moxtest::ValidaContraEsquema(xml, "PL_006v/procCancNFe_v2.00.xsd"));
  EXPECT_EQ(moxtest::ReadText(dir.path() / "dest/k-can.xml"), xml);
}

TEST(CancelamentoDestinatario, EventoValidoNoEsquema) {
  const std::string xml = Gera(PedidoEvento(), RespostaEvento("135"));
  EXPECT_TRUE(moxtest::ValidaContraEsquema(xml, "Evento_Canc_PL_v1.01/procEventoCancNFe_v1.00.xsd"));
  EXPECT_EQ(xml.find("retEnvEvento"), std::string::npos) << "only the retEvento of the answer";
}

TEST(CancelamentoDestinatario, VerificacoesEmOrdem) {
  const std::string outraChave = kChavesLote[1];
  const struct {
    std::string pedido, resposta;
    Raised esperado;
  } casos[] = {
      {"", RespostaForma("101"), {"EmoxNFeNotaCanceladaDestinatario", "O log de pedido de cancelamento não pode ser vazio."}},
      {"<cancNFe><infCanc>", RespostaForma("101"),
       {"EmoxNFeNotaCanceladaDestinatario", "O log de pedido de cancelamento deve ser um Xml válido."}},
      {PedidoForma(), "", {"EmoxNFeNotaCanceladaDestinatario", "O log de pedido de cancelamento não pode ser vazio."}},
      {PedidoForma(), "<retConsSitNFe/>",
       {"EmoxNFeNotaCanceladaDestinatario", "O conteúdo do Log de Retorno de Cancelamento é inválido."}},
      {PedidoForma(), RespostaForma("101", outraChave),
       {"EmoxNFeNotaCanceladaDestinatario",
        "A chave do log de pedido de cancelamento não confere com a chave do log de retorno de cancelamento."}},
      {PedidoForma(), RespostaForma("220"),
       {"EmoxNFeNotaCanceladaDestinatario", "Não se trata de cancelamento de NF-e homologado."}},
      {PedidoEvento(), RespostaEvento("136"),
       {"EmoxNFeNotaCanceladaDestinatario", "Não se trata de cancelamento de NF-e homologado."}},
      {PedidoEvento("210210"), RespostaEvento("135"),
       {"EmoxNFeNotaCanceladaDestinatario", "O conteúdo do Log de pedido de Cancelamento é inválido."}},
  };
  for (const auto& c : casos) {
    SCOPED_TRACE(c.esperado.message);
    EXPECT_EQ(RaisedBy([&] { Gera(c.pedido, c.resposta); }), c.esperado);
  }
  EXPECT_EQ(RaisedBy([&] {
              GerarXMLCancelamentoDestinatario(outraChave, PedidoForma(), RespostaForma("101"), "", Templates(), "SP",
                                               "", "");
            }),
            (Raised{"EmoxNFeNotaCanceladaDestinatario",
                    "ID informado não confere com a chave do log de pedido de cancelamento."}));
  EXPECT_EQ(RaisedBy([&] {
              GerarXMLCancelamentoDestinatario(kChave, PedidoForma(), RespostaForma("101"), "", "/nao/existe/", "SP", "",
                                               "");
            }),
            (Raised{"EmoxTemplateNotFoundException",
                    "Arquivo de template não encontrado: /nao/existe/SP/cancxml_dest.xml"}));
}

TEST(ManifestacaoDestinatario, TipoDoEventoConfereEStatusAceitos) {
  TmoxNFeEventoXmlManifestacaoDestinatario m;
  m.SetTipoEvento("210210");
  EXPECT_EQ(RaisedBy([&] { m.SetLogPedMan(PedidoEvento("210200")); }),
            (Raised{"EmoxNFeEnviarManifestacaoDestinatario", "O conteúdo do Log de pedido de Manifestação é inválido."}));
  m.SetLogPedMan(PedidoEvento("210210"));
  m.SetIdNFe("210210" + kChave + "01");
  m.SetTemplate(moxtest::ReadText(Templates() + "SP/manxmlevento_dest.xml"));
  m.SetLogRetMan(RespostaEvento("136", "210210"));
  EXPECT_NE(m.GerarXmlManifestacaoDestinatario().find("<cStat>136</cStat>"), std::string::npos);
  m.SetLogRetMan(RespostaEvento("573", "210210"));
  EXPECT_EQ(RaisedBy([&] { m.GerarXmlManifestacaoDestinatario(); }),
            (Raised{"EmoxNFeEnviarManifestacaoDestinatario", "Não se trata de um manifesto de destinatário."}));
  EXPECT_EQ(RaisedBy([&] { m.AchaIdLogPedMan("N" + kChave, m.LogPedMan()); }),
            (Raised{"EmoxNFeEnviarManifestacaoDestinatario", "A Chave deve ser composta apenas por Números"}));
}

}  // namespace
