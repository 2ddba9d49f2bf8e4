// The component's status, invoice query, request-form cancellation, voiding and registry against
// the sandbox under manuals 3.0 (layout 1.10), 5.0 (2.00) and 5.0a (3.10): answers valid against
// the official response schemas, the logs on disk under their names, the recipient documents,
// and the checks that refuse bad input before anything is written or posted.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <memory>
#include <string>

#include "base/EmoxException.h"
#include "component/TmoxNFe.h"
#include "support/ClienteDoSandbox.h"
#include "support/MensagemDe.h"
#include "support/SandboxDeTeste.h"
#include "webservices/moxHoraSefaz.h"

namespace {

using namespace moxtest;
using mox::TVersaoManual;

// One generation: manual version, note layout and the official schemas of its answers and of
// the recipient documents. The registry answer of layout 1.10 has no root element of its own in
// PL_005f: null stands for one declared by the suite.
struct Geracao {
  TVersaoManual versao;
  const char* leiaute;
  const char* status;
  const char* situacao;
  const char* cancelamento;
  const char* inutilizacao;
  const char* cadastro;
  const char* procNFe;
  const char* procCancNFe;
};

const Geracao kGeracoes[] = {
    {TVersaoManual::vm30, "1.10", "PL_005f/retConsStatServ_v1.07.xsd", "PL_005f/retConsSitNFe_v1.07.xsd",
     "PL_005f/retCancNFe_v1.07.xsd", "PL_005f/retInutNFe_v1.07.xsd", nullptr, "PL_005f/procNFe_v1.10.xsd",
     "PL_005f/procCancNFe_v1.07.xsd"},
    {TVersaoManual::vm50, "2.00", "PL_006v/retConsStatServ_v2.00.xsd", "PL_006v/retConsSitNFe_v2.01.xsd",
     "PL_006v/retCancNFe_v2.00.xsd", "PL_006v/retInutNFe_v2.00.xsd", "PL_006v/retConsCad_v2.00.xsd",
     "PL_006v/procNFe_v2.00.xsd", "PL_006v/procCancNFe_v2.00.xsd"},
    {TVersaoManual::vm50a, "3.10", "PL_008i2/retConsStatServ_v3.10.xsd", "PL_008i2/retConsSitNFe_v3.10.xsd",
     "PL_006v/retCancNFe_v2.00.xsd", "PL_008i2/retInutNFe_v3.10.xsd", "PL_006v/retConsCad_v2.00.xsd",
     "PL_008i2/procNFe_v3.10.xsd", "PL_006v/procCancNFe_v2.00.xsd"},
};

const char* kJustificativa = "Erro de digitação <preço> & 'frete' \"FOB\"";
// As SEFAZ reads it: accents removed by the component, the five characters as text.
const char* kJustificativaLida = "Erro de digitacao <preco> & 'frete' \"FOB\"";

class ServicosNoSandbox : public TesteComCliente {
 protected:
  static void SetUpTestSuite() {
    TesteComCliente::SetUpTestSuite();
    pasta_ = new TempDir;
    EsquemaRetConsCad110(pasta_->path());
  }
  static void TearDownTestSuite() {
    delete pasta_;
    pasta_ = nullptr;
    TesteComCliente::TearDownTestSuite();
  }
  static std::string RaizCadastro110() { return pasta_->file("retConsCad_v1.01.xsd"); }

  std::unique_ptr<mox::TmoxNFe> Componente(TVersaoManual aVersao) {
    auto nfe = cliente_->Componente(aVersao, local_);
    nfe->OnXmlCanDestinatario = [this](const std::string& aArquivo) { cancelamentos_.push_back(aArquivo); };
    return nfe;
  }

  // Sends a note of the layout in a batch of its own; its key, the receipt in aRecibo.
  static std::string Envia(mox::TmoxNFe& aNFe, const char* aLeiaute, int aNumero, std::string& aRecibo) {
    const std::string nota = NotaDeTeste(aNumero, {}, aLeiaute);
    const std::string envio = aNFe.EnviarNF("1", aNFe.AssinarNota(nota), false);
    aRecibo = Campo(envio, "nRec");
    return ChaveDe(nota);
  }

  std::vector<std::string> Logs() { return Arquivos(local_.path() / "Log"); }
  std::vector<std::string> Destinatario() { return Arquivos(local_.path() / "XmlDestinatario"); }
  // The one log whose name ends so (an answer's name not taken for its request's); empty when
  // there is none or more than one.
  std::string LogTerminadoEm(const std::string& aFim) {
    std::string achado;
    int quantos = 0;
    for (const auto& l : Logs())
      if (l.ends_with(aFim) && !l.ends_with("-ped" + aFim)) achado = l, ++quantos;
    return quantos == 1 ? ReadText(local_.path() / "Log" / achado) : "";
  }

  static inline TempDir* pasta_ = nullptr;
  static inline int numero_ = 9100;
  TempDir local_;
  std::vector<std::string> cancelamentos_;
};

TEST_F(ServicosNoSandbox, CadaOperacaoDeCadaGeracao) {
  for (const Geracao& g : kGeracoes) {
    SCOPED_TRACE(std::string("leiaute ") + g.leiaute);
    std::filesystem::remove_all(local_.path() / "Log");
    std::filesystem::remove_all(local_.path() / "XmlDestinatario");
    cancelamentos_.clear();
    auto nfe = Componente(g.versao);

    const std::string status = nfe->StatusDoServico();
    EXPECT_TRUE(ValidaContraEsquema(status, g.status));
    EXPECT_EQ(Campo(status, "cStat"), "107") << status;
    EXPECT_EQ(Campo(LogTerminadoEm("-ped-sta.xml"), "tpAmb"), "2");
    EXPECT_EQ(Campo(LogTerminadoEm("-sta.xml"), "cStat"), "107");

    // The note is still pending when queried: the query's answer completes its nfeProc.
    std::string recibo;
    const std::string chave = Envia(*nfe, g.leiaute, ++numero_, recibo);
    ASSERT_EQ(recibo.size(), 15u);
    const std::string situacao = nfe->ConsultarNF(chave);
    EXPECT_TRUE(ValidaContraEsquema(situacao, g.situacao));
    ASSERT_EQ(Campo(situacao, "cStat"), "100") << situacao;
    EXPECT_EQ(Campo(LogTerminadoEm("-" + chave + "-ped-sit.xml"), "chNFe"), chave);
    EXPECT_EQ(Campo(LogTerminadoEm("-" + chave + "-sit.xml"), "cStat"), "100");
    const std::string proc = ReadText(local_.path() / "XmlDestinatario" / (chave + "-nfe.xml"));
    EXPECT_TRUE(ValidaContraEsquema(proc, g.procNFe)) << proc;
    EXPECT_EQ(Campo(proc, "digVal"), Campo(proc, "DigestValue"));

    const std::string protocolo = Campo(situacao, "nProt");
    const std::string cancelamento = nfe->CancelarNF(chave, protocolo, kJustificativa);
    EXPECT_TRUE(ValidaContraEsquema(cancelamento, g.cancelamento));
    ASSERT_EQ(Campo(cancelamento, "cStat"), "101") << cancelamento;
    const std::string pedido = LogTerminadoEm("-" + chave + "-ped-can.xml");
    // Escaped once: the signed text may write quotes as themselves, never an entity escaped again.
    EXPECT_NE(pedido.find("<xJust>Erro de digitacao &lt;preco&gt; &amp; "), std::string::npos) << pedido;
    EXPECT_EQ(pedido.find("&amp;amp;"), std::string::npos);
    EXPECT_EQ(pedido.find("&amp;lt;"), std::string::npos);
    EXPECT_EQ(pedido.find("&amp;apos;"), std::string::npos);
    EXPECT_EQ(Campo(pedido, "xJust"), kJustificativaLida);
    EXPECT_EQ(Campo(LogTerminadoEm("-" + chave + "-can.xml"), "cStat"), "101");
    const std::string arquivoCanc = (local_.path() / "XmlDestinatario" / (chave + "-can.xml")).string();
    EXPECT_EQ(cancelamentos_, std::vector<std::string>{arquivoCanc});
    const std::string procCanc = ReadText(arquivoCanc);
    EXPECT_TRUE(ValidaContraEsquema(procCanc, g.procCancNFe)) << procCanc;

    // A second request is rejected (218): the answer comes back and no document is written.
    EXPECT_EQ(Campo(nfe->CancelarNF(chave, protocolo, "Cancelamento repetido por engano"), "cStat"), "218");
    EXPECT_EQ(cancelamentos_.size(), 1u);

    // The cancelled note, queried again, comes back with its cancellation (its protocol last).
    const std::string depois = nfe->ConsultarNF(chave);
    EXPECT_TRUE(ValidaContraEsquema(depois, g.situacao));
    EXPECT_EQ(Campo(depois, "cStat"), "101") << depois;
    EXPECT_EQ(Campo(Elementos(depois, "nProt").back(), "nProt"), Campo(cancelamento, "nProt")) << depois;

    // A voided number cannot be used afterwards.
    const int vazio = ++numero_;
    const std::string numero = std::to_string(vazio), ano = mox::Ano2(std::chrono::system_clock::now());
    const std::string inutilizacao =
        nfe->InutilizarNF("ignorado", ano, kCompanyCnpj, "55", "1", numero, numero, "Numeracao pulada pelo sistema");
    EXPECT_TRUE(ValidaContraEsquema(inutilizacao, g.inutilizacao));
    ASSERT_EQ(Campo(inutilizacao, "cStat"), "102") << inutilizacao;
    const std::string idLog = ano + kCompanyCnpj + "551" + numero + numero;
    EXPECT_EQ(Campo(LogTerminadoEm("-" + idLog + "-ped-inu.xml"), "nNFIni"), numero);
    EXPECT_EQ(Campo(LogTerminadoEm("-" + idLog + "-inu.xml"), "cStat"), "102");
    std::string outroRecibo;
    Envia(*nfe, g.leiaute, vazio, outroRecibo);
    const std::string usado = nfe->ConsultarRecibo(outroRecibo);
    EXPECT_EQ(Campo(usado, "cStat", "infProt"), "206") << usado;
    // A range holding a note already issued is refused too.
    const std::string usada = std::to_string(vazio - 1);
    EXPECT_EQ(Campo(nfe->InutilizarNF("", ano, kCompanyCnpj, "55", "1", usada, usada, "Numeracao pulada pelo sistema"),
                    "cStat"),
              "241");

    const std::string cadastro = nfe->ConsultarCadastro(kCompanyCnpj, "CNPJ", "");
    EXPECT_TRUE(ValidaContraEsquema(cadastro, g.cadastro ? g.cadastro : RaizCadastro110()));
    EXPECT_EQ(Campo(cadastro, "cStat"), "111") << cadastro;
    EXPECT_EQ(Campo(LogTerminadoEm(std::string("-") + kCompanyCnpj + "-ped-cad.xml"), "CNPJ"), kCompanyCnpj);
    EXPECT_EQ(Campo(LogTerminadoEm(std::string("-") + kCompanyCnpj + "-cad.xml"), "cStat"), "111");
  }
}

// SEFAZ cancels only an authorized note, at the request of its issuer: another company's
// certificate is refused (213), a key never authorized is unknown (217), a wrong protocol is
// refused (222); none of them writes a recipient document.
TEST_F(ServicosNoSandbox, CancelamentoSoDaNotaAutorizadaDoProprioEmitente) {
  auto nfe = Componente(TVersaoManual::vm50);
  std::string recibo;
  const std::string chave = Envia(*nfe, "2.00", ++numero_, recibo);
  const std::string protocolo = Campo(nfe->ConsultarRecibo(recibo), "nProt");
  ASSERT_EQ(protocolo.size(), 15u);
  const std::string justificativa = "Cancelamento pedido pelo cliente";

  WritePfx(local_.path() / "outra.pfx", OutraEmpresa(), "o");
  auto outra = Componente(TVersaoManual::vm50);
  outra->SetCaminhoCertificado(local_.file("outra.pfx"));
  outra->SetSenhaCertificado("o");
  EXPECT_EQ(Campo(outra->CancelarNF(chave, protocolo, justificativa), "cStat"), "213");

  const std::string nuncaAutorizada = ChaveDe(NotaDeTeste(++numero_, {}, "2.00"));
  EXPECT_EQ(Campo(nfe->CancelarNF(nuncaAutorizada, protocolo, justificativa), "cStat"), "217");
  EXPECT_EQ(Campo(nfe->CancelarNF(chave, "135000000000001", justificativa), "cStat"), "222");
  EXPECT_TRUE(cancelamentos_.empty());
  EXPECT_FALSE(std::filesystem::exists(local_.path() / "XmlDestinatario" / (chave + "-can.xml")));
  EXPECT_EQ(Campo(nfe->CancelarNF(chave, protocolo, justificativa), "cStat"), "101");
  EXPECT_EQ(cancelamentos_.size(), 1u);
}

// The registry of another UF is asked at that UF's address and answers for that UF; the
// request data hold the configured UF again afterwards, also when the call fails.
TEST_F(ServicosNoSandbox, CadastroDeOutraUF) {
  auto nfe = Componente(TVersaoManual::vm50a);
  const std::string cadastro = nfe->ConsultarCadastro(kCompanyCnpj, "CNPJ", "pr");
  EXPECT_TRUE(ValidaContraEsquema(cadastro, "PL_006v/retConsCad_v2.00.xsd"));
  EXPECT_EQ(Campo(cadastro, "UF"), "PR");
  EXPECT_EQ(Campo(cadastro, "cStat"), "259") << cadastro;
  EXPECT_EQ(nfe->NFeData().UF, "SP");
  EXPECT_EQ(nfe->NFeData().LocalCode, "35");
  EXPECT_THROW(nfe->ConsultarCadastro(kCompanyCnpj, "CNPJ", "AN"), mox::EmoxNFeException);
  EXPECT_EQ(nfe->NFeData().UF, "SP");
  EXPECT_EQ(nfe->NFeData().LocalCode, "35");
}

TEST_F(ServicosNoSandbox, EntradaRuimRecusadaAntesDeQualquerLog) {
  auto nfe = Componente(TVersaoManual::vm50a);
  auto manual30 = Componente(TVersaoManual::vm30);
  const std::string chave = "35140312345678000195550010000001241123456788";
  const std::string protocolo = "135140000000001";
  const std::string ano = mox::Ano2(std::chrono::system_clock::now());
  const std::string quinze = "Justificativa15";
  struct Caso {
    std::function<void()> acao;
    std::string mensagem;
  };
  const Caso casos[] = {
      {[&] { nfe->ConsultarNF(chave.substr(0, 43) + "ã"); },
       "ID da Nota não pode conter acentos: " + chave.substr(0, 43) + "ã"},
      {[&] { nfe->CancelarNF(chave, "13514000000000º", quinze); },
       "Numero do Protocolo não pode conter acentos: 13514000000000º"},
      {[&] { nfe->CancelarNF(chave + "é", protocolo, quinze); }, "O ID da Nota não pode conter acento: " + chave + "é"},
      {[&] { nfe->CancelarNF(chave, protocolo, "Justificativa1"); },
       "Justificativa deve conter no mínimo 15 caracteres: Justificativa1"},
      // Fifteen characters pass; the protocol is checked next.
      {[&] { nfe->CancelarNF(chave, "13514000000000", quinze); },
       "Protocolo deve ter exatamente 15 dígitos: 13514000000000"},
      {[&] { nfe->InutilizarNF("", "6", kCompanyCnpj, "55", "1", "1", "2", quinze); },
       "O Ano informado na Inutilização deve possuir exatamente 2 dígitos."},
      {[&] { nfe->InutilizarNF("", "05", kCompanyCnpj, "55", "1", "1", "2", quinze); },
       "O Ano deve ser entre 06 e " + ano},
      {[&] { nfe->InutilizarNF("", "0a", kCompanyCnpj, "55", "1", "1", "2", quinze); },
       "O Ano informado não é um número inteiro: 0a"},
      {[&] { nfe->InutilizarNF("", ano, kCompanyCnpj, "55", "1", "1", "10002", quinze); },
       "[I04]: 201 - Rejeição: Número máximo de numeração a inutilizar ultrapassou o limite (10000)."},
      {[&] { nfe->InutilizarNF("", ano, kCompanyCnpj, "5ª", "1", "1", "2", quinze); },
       "O Id da Nota não pode conter acento: 35" + ano + kCompanyCnpj + "5ª001000000001000000002"},
      // Manual 3.0 leaves the year out of the id, so the year's own check speaks.
      {[&] { manual30->InutilizarNF("", "1ª", kCompanyCnpj, "55", "1", "1", "2", quinze); },
       "O Ano não pode conter acento: 1ª"},
      {[&] { nfe->ConsultarCadastro(kCompanyCnpj, "cnpj", ""); },
       "Tipo de Documento: cnpj inválido. Informe: [CNPJ, CPF ou IE]"},
      {[&] { nfe->ConsultarCadastro("1234567800019", "CNPJ", ""); },
       "O CNPJ 1234567800019 deve conter exatamente 14 dígitos."},
      {[&] { nfe->ConsultarCadastro("1234567890", "CPF", ""); }, "O CPF 1234567890 deve conter exatamente 11 dígitos."},
      {[&] { nfe->ConsultarCadastro("12", "IE", ""); }, "A Inscrição Estadual 12 deve conter pelo menos 3 dígitos."},
  };
  for (const auto& c : casos) EXPECT_EQ(MensagemDe<mox::EmoxNFeException>(c.acao), c.mensagem);
  // What only the schema knows: a key of 43 digits, a justification over 255 characters, an
  // over-long number.
  EXPECT_THROW(nfe->ConsultarNF(chave.substr(0, 43)), mox::EmoxSchemaValidationException);
  EXPECT_THROW(nfe->CancelarNF(chave, protocolo, std::string(256, 'x')), mox::EmoxSchemaValidationException);
  EXPECT_THROW(nfe->InutilizarNF("", ano, kCompanyCnpj, "55", "1", "1234567890", "1234567890", quinze),
               mox::EmoxSchemaValidationException);
  EXPECT_TRUE(Logs().empty());
  EXPECT_TRUE(Destinatario().empty());
}

TEST_F(ServicosNoSandbox, IdDaInutilizacaoPorGeracao) {
  const std::string resto = std::string(kCompanyCnpj) + "55" + "001" + "000000001" + "000000010";
  EXPECT_EQ(Componente(TVersaoManual::vm30)->FormaIDInutilizacao("14", kCompanyCnpj, "55", "1", "1", "10"),
            "35" + resto);
  for (TVersaoManual v : {TVersaoManual::vm40, TVersaoManual::vm50, TVersaoManual::vm50a})
    EXPECT_EQ(Componente(v)->FormaIDInutilizacao("14", kCompanyCnpj, "55", "1", "1", "10"), "3514" + resto);
}

TEST_F(ServicosNoSandbox, ChaveNoLeiauteDaVersaoDoManual) {
  const auto chave = [&](TVersaoManual aVersao) {
    return Componente(aVersao)->CalculaChaveNFe("2014-03-15", "35", "12345678000195", "55", "1", "124", "12345678",
                                                "1");
  };
  EXPECT_EQ(chave(TVersaoManual::vm50a), "35140312345678000195550010000001241123456788");
  EXPECT_EQ(chave(TVersaoManual::vm40), "35140312345678000195550010000001241123456788");
  // Before manual 4.0: no emission type, the code in nine digits.
  EXPECT_EQ(chave(TVersaoManual::vm30), "35140312345678000195550010000001240123456780");
  EXPECT_EQ(chave(TVersaoManual::vm202a), "35140312345678000195550010000001240123456780");
}

// SEFAZ does not answer: the query leaves no log at all; the cancellation keeps its request.
TEST_F(ServicosNoSandbox, FalhaNoEnvio) {
  auto nfe = Componente(TVersaoManual::vm50a);
  std::string servidores = ReadText(cliente_->Servidores());
  const std::string url = sandbox_->Url();
  for (auto p = servidores.find(url); p != std::string::npos; p = servidores.find(url, p))
    servidores.replace(p, url.size(), "https://127.0.0.1:1/");
  WriteText(local_.file("fora.ini"), servidores);
  nfe->SetArquivoServidoresHom(local_.file("fora.ini"));
  const std::string chave = "35140312345678000195550010000001241123456788";
  const std::string consulta = MensagemDe<mox::EmoxNFeException>([&] { nfe->ConsultarNF(chave); });
  EXPECT_TRUE(consulta.starts_with("Erro ao consultar NF-e: ")) << consulta;
  EXPECT_TRUE(Logs().empty());
  const std::string cancelamento =
      MensagemDe<mox::EmoxNFeException>([&] { nfe->CancelarNF(chave, "135140000000001", "Cancelamento de teste"); });
  EXPECT_TRUE(cancelamento.starts_with("Erro ao cancelar NF-e: ")) << cancelamento;
  const auto logs = Logs();
  ASSERT_EQ(logs.size(), 1u);
  EXPECT_TRUE(logs[0].ends_with("-" + chave + "-ped-can.xml"));
}

}  // namespace
