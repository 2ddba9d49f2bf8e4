// The component's event operations against the sandbox where the event tests do not reach
// them: a correction letter registered and then printed from its recipient file, the query of
// notes addressed to a CNPJ, the extension request built apart, the organ switch of the
// manifestation and the failure prefixes.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "base/EmoxException.h"
#include "component/TmoxNFe.h"
#include "danfe/NotasDanfe.h"
#include "support/ClienteDoSandbox.h"
#include "support/MensagemDe.h"
#include "support/SandboxDeTeste.h"
#include "support/TestCertificates.h"

namespace {

using namespace moxtest;
namespace fs = std::filesystem;

class EventosDoComponente : public TesteComCliente {
 protected:
  std::string NotaAutorizada(std::string* aProtocolo = nullptr) {
    const std::string nota = Assina(NotaDeTeste(++numero_), "infNFe");
    const std::string protocolo = Autoriza(http_, *sandbox_, nota);
    if (aProtocolo) *aProtocolo = Campo(protocolo, "nProt");
    return ChaveDe(nota);
  }
  // The recipient's component: its own CNPJ and certificate.
  std::unique_ptr<mox::TmoxNFe> Destinatario() {
    auto nfe = cliente_->Componente(mox::TVersaoManual::vm50a, pasta_);
    nfe->SetCNPJ(kCnpjDestinatario);
    nfe->SetCaminhoCertificado(WritePfx(pasta_.path() / "destinatario.pfx", OutraEmpresa(), "s"));
    return nfe;
  }

  TempDir pasta_;
  ClienteDeTeste http_;
  static inline int numero_ = 9500;
};

TEST_F(EventosDoComponente, CartaRegistradaEImpressaDoArquivoDoDestinatario) {
  const std::string chave = NotaAutorizada();
  auto nfe = cliente_->Componente(mox::TVersaoManual::vm50a, pasta_);
  const std::string ret = nfe->EnviarCCe(chave, "Endereço de entrega: Rua das Flores, 100", "", "35", "1", 1, "");
  ASSERT_EQ(Campo(ret, "cStat", "infEvento"), "135") << ret;
  const std::string arquivo = pasta_.str() + "XmlDestinatario/" + chave + "-cce.xml";
  ASSERT_TRUE(fs::exists(arquivo));

  // From its text and from its file name.
  for (const std::string& cce : {ReadText(arquivo), arquivo}) {
    const std::string pdf = pasta_.file("cce.pdf");
    fs::remove(pdf);
    nfe->ExportarCCe(cce, pdf);
    const std::string texto = TextoDoPdf(pdf);
    EXPECT_NE(texto.find("Endereco de entrega: Rua das Flores, 100"), std::string::npos) << texto;
    EXPECT_NE(texto.find(Campo(ret, "nProt", "infEvento")), std::string::npos);
  }
  // The request alone is not a registered letter.
  const std::string pedido = ReadText(arquivo).substr(0, ReadText(arquivo).find("<retEvento"));
  EXPECT_EQ(MensagemDe<mox::EmoxEventoCheckParams>([&] { nfe->ExportarCCe(pedido + "</procEventoNFe>", pasta_.file("x.pdf")); }),
            "A CCe não está Autorizada.");
}

TEST_F(EventosDoComponente, EpecRegistradoEDanfeComOProtocoloDoRegistro) {
  auto nfe = cliente_->Componente(mox::TVersaoManual::vm50a, pasta_);
  const std::string nota =
      Assina(NotaDeTeste(++numero_, [](std::string& aXml) { Troca(aXml, "<tpEmis>1<", "<tpEmis>4<"); }), "infNFe");
  const std::string ret =
      nfe->EnviarEPEC(nfe->AssinarEPEC(nfe->MontarEPEC("1", nota, AgoraBrasilia().substr(0, 19), "-03:00")));
  ASSERT_EQ(Campo(ret, "cStat", "infEvento"), "136") << ret;
  const std::string protocolo = Campo(ret, "nProt", "infEvento");
  const std::string registro = Campo(ret, "dhRegEvento", "infEvento");
  const std::string pdf = pasta_.file("epec.pdf");
  nfe->ExportarEPEC(nota, protocolo, registro, "", 1, pdf);
  const std::string texto = TextoDoPdf(pdf);
  // "dd/mm/yyyy hh:mm:ss" of the registration, as SEFAZ gave it.
  const std::string quando = registro.substr(8, 2) + "/" + registro.substr(5, 2) + "/" + registro.substr(0, 4) + " " +
                             registro.substr(11, 8);
  EXPECT_NE(texto.find("EPEC " + protocolo + " - " + quando), std::string::npos) << texto;
  std::string juntas = texto;  // the key is printed in groups of four
  std::erase(juntas, ' ');
  EXPECT_NE(juntas.find(ChaveDe(nota)), std::string::npos);
}

TEST_F(EventosDoComponente, NotasDestinadasAoCnpj) {
  const std::string chave = NotaAutorizada();
  auto nfe = Destinatario();
  const std::string ret = nfe->ConsultarNFeDestinadas(0, 0, "0");
  EXPECT_EQ(Campo(ret, "cStat"), "138") << ret;
  EXPECT_NE(ret.find(chave), std::string::npos);
  EXPECT_EQ(MensagemDe<mox::EmoxException>([&] { nfe->ConsultarNFeDestinadas(3, 0, "0"); }),
            "Indicador de NF-e (indNFe) da Consulta é inválido.");
}

TEST_F(EventosDoComponente, PedidoDeProrrogacaoMontadoAParteEPrefixosDasFalhas) {
  std::string protocolo;
  const std::string chave = NotaAutorizada(&protocolo);
  auto nfe = cliente_->Componente(mox::TVersaoManual::vm50a, pasta_);
  nfe->AdicionarItens("1", "3.0000");
  nfe->AtualizaDadosNFeEventos();
  mox::TmoxNFeEventos& eventos = nfe->GetNFeEventos();
  const std::string montado =
      eventos.MontarXmlPedidoProrrogacao(chave, protocolo, AgoraBrasilia().substr(0, 19), "35", "111500", 1, "");
  const std::string ret = nfe->EnviarPedidoProrrogacao("6", eventos.AssinarEvento(montado));
  EXPECT_EQ(Campo(ret, "cStat", "infEvento"), "135") << ret;

  const std::string epec = MensagemDe<mox::EmoxNFeException>([&] { nfe->EnviarEPEC("<evento/>"); });
  EXPECT_EQ(epec.rfind("Erro ao enviar EPEC: ", 0), 0u) << epec;
  EXPECT_EQ(eventos.UF, "AN");
  const std::string pedido = MensagemDe<mox::EmoxNFeException>([&] { nfe->EnviarPedidoProrrogacao("7", ""); });
  EXPECT_EQ(pedido.rfind("Erro ao enviar o Pedido de Prorrogação: ", 0), 0u) << pedido;
  const std::string cancelamento = MensagemDe<mox::EmoxNFeException>([&] {
    nfe->CancelarPedidoProrrogacao("8", chave, "", "", mox::TTipoCancelamentoPedidoProrrogacao::tECPP1, 1, "");
  });
  EXPECT_EQ(cancelamento, "Erro ao enviar o cancelamento do Pedido de Prorrogação: Código do Protocolo não pode ser vazio.");

  // A state organ keeps the configured UF for the manifestation; the settings are refreshed first.
  auto destinatario = Destinatario();
  try {
    destinatario->EnviarManifestacaoDestinatario(2, chave, kCnpjDestinatario, "", "", 1, "", "35");
  } catch (const std::exception&) {
    // Whatever the state's service answers, the event went to the configured UF.
  }
  EXPECT_EQ(destinatario->GetNFeEventos().UF, "SP");
  EXPECT_EQ(destinatario->GetNFeEventos().UFWS, "SP");
}

}  // namespace
