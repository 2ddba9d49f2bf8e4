// AuditarXml with the local auditor assigned: notes of layouts 4.00 and 3.10 made from the TX2
// examples (signed, unsigned, authorized), notes spoiled against the schema and against a rule,
// the auditor's folders and window size as the component sets them, and the HTML page.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <nlohmann/json.hpp>

#include "base/EmoxException.h"
#include "component/TmoxNFe.h"
#include "support/NotasParaAuditoria.h"
#include "support/TestSupport.h"
#include "webservices/TmoxAuditorNFe.h"

namespace {

namespace fs = std::filesystem;
using json = nlohmann::json;
using namespace moxtest;

class Auditoria : public ::testing::Test {
 protected:
  void SetUp() override {
    InstalaEsquemas(pasta_.path() / "Esquemas");
    nfe_.SetVersaoManual(mox::TVersaoManual::vm60);
    nfe_.SetDiretorioEsquemas(pasta_.str() + "Esquemas/");
    nfe_.SetDiretorioTemplates(Templates());
    nfe_.SetDiretorioLogErro(pasta_.str() + "LogErro/");
    nfe_.SetComponenteAuditor(&auditor_);
  }

  static std::string Templates() { return std::string(MOXNFE_BINARY_DIR) + "/Templates/"; }

  json Audita(const std::string& aXml, std::optional<mox::TDateTime> aAgora, bool aExibirHtml = false) {
    if (aAgora)
      auditor_.SetRelogio([agora = *aAgora] { return agora; });
    else
      auditor_.SetRelogio({});
    const std::string resposta = nfe_.AuditarXml(aXml, "", "", false, aExibirHtml, "");
    const json lida = json::parse(resposta);
    EXPECT_EQ(lida["totalRejeicao"], lida["falhas"].size()) << resposta;
    EXPECT_EQ(auditor_.TotalRejeicao(), std::to_string(lida["falhas"].size()));
    return lida;
  }

  TempDir pasta_;
  mox::TmoxNFe nfe_;
  mox::TmoxAuditorNFe auditor_;
};

struct NotaValida {
  const char* nome;
  std::function<std::string()> xml;
  FonteDeNota fonte;
  bool comRelogio;  // false: the audit takes its own instant (the protocol's receipt)
  const char* documento;
  const char* versaoManual;
};

void PrintTo(const NotaValida& aNota, std::ostream* aSaida) { *aSaida << aNota.nome; }

class AuditoriaNotaValida : public Auditoria, public ::testing::WithParamInterface<NotaValida> {};

TEST_P(AuditoriaNotaValida, AprovadaSemFalhas) {
  const NotaValida& caso = GetParam();
  const json resposta = Audita(caso.xml(), caso.comRelogio ? std::optional(NaEmissao(caso.fonte)) : std::nullopt);
  EXPECT_EQ(resposta["situacao"], "aprovada") << resposta.dump(2);
  EXPECT_TRUE(resposta["falhas"].empty()) << resposta.dump(2);
  EXPECT_EQ(resposta["documento"], caso.documento);
  EXPECT_EQ(resposta["versaoManual"], caso.versaoManual);
  EXPECT_EQ(resposta["chave"].get<std::string>().size(), 44u);
}

INSTANTIATE_TEST_SUITE_P(
    Notas, AuditoriaNotaValida,
    ::testing::Values(NotaValida{"assinada_400", [] { return NotaAssinadaDe(kVenda400); }, kVenda400, true, "NFe", "6.0"},
                      NotaValida{"sem_assinatura_400", [] { return NotaSemAssinatura(kVenda400); }, kVenda400, true,
                                 "NFe", "6.0"},
                      NotaValida{"autorizada_400", [] { return NotaAutorizada(kVenda400); }, kVenda400, false,
                                 "nfeProc", "6.0"},
                      // Received at 10:03 in Brasília, 09:03 in the receiving state's own zone.
                      NotaValida{"autorizada_400_no_fuso_de_menos_4",
                                 [] { return NotaAutorizada(kVenda400, "2026-03-02T09:03:00-04:00"); }, kVenda400,
                                 false, "nfeProc", "6.0"},
                      NotaValida{"assinada_310", [] { return NotaAssinadaDe(kVenda310); }, kVenda310, true, "NFe",
                                 "5.0a"},
                      NotaValida{"exportacao_310", [] { return NotaSemAssinatura(kExportacao310); }, kExportacao310,
                                 true, "NFe", "5.0a"}),
    [](const auto& aInfo) { return std::string(aInfo.param.nome); });

// A failure the audit must report: where it comes from, its code and field, and a part of its
// message.
struct FalhaEsperada {
  const char* origem;
  const char* codigo;
  const char* campo;
  const char* trechoMensagem;
};

struct NotaComFalhas {
  const char* nome;
  std::vector<std::pair<std::string, std::string>> trocas;  // text changes of the 4.00 note
  int diasDepois;                                           // the audit's instant after the emission
  std::vector<FalhaEsperada> falhas;
};

void PrintTo(const NotaComFalhas& aNota, std::ostream* aSaida) { *aSaida << aNota.nome; }

class AuditoriaNotaComFalhas : public Auditoria, public ::testing::WithParamInterface<NotaComFalhas> {};

TEST_P(AuditoriaNotaComFalhas, CadaFalhaComCodigoCampoEMensagem) {
  const NotaComFalhas& caso = GetParam();
  std::string xml = NotaSemAssinatura(kVenda400);
  for (const auto& [de, para] : caso.trocas) xml = Troca(xml, de, para);
  const json resposta = Audita(xml, NaEmissao(kVenda400) + std::chrono::days(caso.diasDepois));
  EXPECT_EQ(resposta["situacao"], "rejeitada");
  EXPECT_EQ(resposta["falhas"].size(), caso.falhas.size()) << resposta.dump(2);
  for (const FalhaEsperada& esperada : caso.falhas) {
    bool achou = false;
    for (const json& falha : resposta["falhas"]) {
      if (falha["origem"] != esperada.origem || falha["codigo"] != esperada.codigo || falha["campo"] != esperada.campo)
        continue;
      achou = true;
      EXPECT_NE(falha["mensagem"].get<std::string>().find(esperada.trechoMensagem), std::string::npos)
          << falha.dump();
      if (falha["origem"] == "esquema") {
        EXPECT_EQ(falha["linha"], 1);
      }
    }
    EXPECT_TRUE(achou) << esperada.origem << " " << esperada.codigo << " " << esperada.campo << "\n"
                       << resposta.dump(2);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Notas, AuditoriaNotaComFalhas,
    ::testing::Values(
        NotaComFalhas{"cep_fora_do_esquema",
                      {{"<CEP>01001000</CEP>", "<CEP>1001</CEP>"}},
                      0,
                      {{"esquema", "225", "CEP", "'1001'"}}},
        NotaComFalhas{"total_diferente_dos_valores",
                      {{"<vNF>79.80</vNF>", "<vNF>97.80</vNF>"}},
                      0,
                      // The payment no longer matches the total either: every broken rule is
                      // reported, not only the first.
                      {{"regra", "610", "vNF_W16", "Total da NF difere do somatório"},
                       {"regra", "869", "vTroco_YA09", "Valor do troco incorreto"}}},
        NotaComFalhas{"emitida_ha_40_dias", {}, 40, {{"regra", "228", "dhEmi_B09", "Data de Emissão muito atrasada"}}},
        NotaComFalhas{"esquema_e_regra_juntos",
                      {{"<CEP>01001000</CEP>", "<CEP>1001</CEP>"}, {"<vNF>79.80</vNF>", "<vNF>97.80</vNF>"}},
                      0,
                      {{"esquema", "225", "CEP", "'1001'"},
                       {"regra", "610", "vNF_W16", "Total da NF"},
                       {"regra", "869", "vTroco_YA09", "troco"}}}),
    [](const auto& aInfo) { return std::string(aInfo.param.nome); });

TEST_F(Auditoria, SemComponenteAuditorRecusa) {
  nfe_.SetComponenteAuditor(nullptr);
  try {
    nfe_.AuditarXml(NotaSemAssinatura(kVenda400), "", "", false, false, "");
    FAIL() << "auditou sem validador";
  } catch (const mox::EmoxNFeException& e) {
    EXPECT_STREQ(e.what(), "Componente Validador Client não instanciado");
  }
}

TEST_F(Auditoria, ConfiguraOValidadorParaAAuditoriaLocal) {
  auditor_.SetModoOperacao(mox::TmoxValidadorClientX::TModoOperacao::moCliente);
  auditor_.SetTipoResposta(mox::TmoxValidadorClientX::TResposta::trTexto);
  auditor_.SetLinguagemResposta(mox::TmoxValidadorClientX::TLinguagem::tlHtml);
  auditor_.SetRelogio([] { return NaEmissao(kVenda400); });
  nfe_.AuditarXml(NotaSemAssinatura(kVenda400), "", "https://validador.exemplo", true, false, "");
  EXPECT_EQ(auditor_.ModoOperacao(), mox::TmoxValidadorClientX::TModoOperacao::moLocal);
  EXPECT_EQ(auditor_.Estagio(), mox::TmoxValidadorClientX::TEstagio::esTeste);
  EXPECT_EQ(auditor_.TipoResposta(), mox::TmoxValidadorClientX::TResposta::trJSON);
  EXPECT_EQ(auditor_.LinguagemResposta(), mox::TmoxValidadorClientX::TLinguagem::tlJavaScript);
  EXPECT_EQ(auditor_.Servidor(), "https://validador.exemplo");
  EXPECT_TRUE(auditor_.ExibirRegrasValidacao());
  // Neither the schema nor the templates folder of the version has an "Auditor" folder: both
  // sit beside the version folders.
  EXPECT_EQ(auditor_.DiretorioEsquemas(), pasta_.str() + "Esquemas/Auditor/");
  EXPECT_EQ(auditor_.DiretorioRegras(), Templates() + "Auditor/Regras/");
  EXPECT_EQ(auditor_.DiretorioLogErro(), pasta_.str() + "LogErro/");
}

// An "Auditor" folder inside the version folder is the one the validator gets; the notes are
// still read with the version's dictionaries and schemas.
TEST_F(Auditoria, PastasDoAuditorDentroDaVersaoQuandoExistem) {
  fs::create_directories(pasta_.path() / "Esquemas" / "vm60" / "Auditor");
  TempDir templates;
  fs::create_directories(templates.path() / "vm60" / "Auditor" / "Regras");
  fs::create_symlink(Templates() + "vm60/Conversor", templates.path() / "vm60" / "Conversor");
  nfe_.SetDiretorioTemplates(templates.str());
  for (const auto& [xml, pasta] : {std::pair{NotaSemAssinatura(kVenda400), std::string("Templates/")},
                                   std::pair{Troca(NotaSemAssinatura(kVenda400), "<CFOP>5102</CFOP>",
                                                   "<CFOP>7102</CFOP>"),
                                             std::string("TemplateExportacao/")}}) {
    const json resposta = Audita(xml, NaEmissao(kVenda400));
    EXPECT_EQ(auditor_.DiretorioEsquemas(), pasta_.str() + "Esquemas/vm60/Auditor/");
    EXPECT_EQ(auditor_.DiretorioTemplates(), templates.str() + "vm60/Auditor/" + pasta);
    EXPECT_EQ(auditor_.DiretorioRegras(), templates.str() + "vm60/Auditor/Regras/");
    EXPECT_EQ(resposta["esquema"], pasta_.str() + "Esquemas/vm60/nfe_v4.00.xsd");
    EXPECT_EQ(resposta["documento"], "NFe") << resposta.dump(2);
  }
}

// Each audit puts the note's sub-folder on the validator's own templates folder: one after the
// other, an unsigned sale, an unsigned export and a signed note each read their own folder.
TEST_F(Auditoria, PastaDeTemplatesDeCadaNotaSemAcumular) {
  const std::string base = Templates() + "Auditor/";
  const struct {
    const char* nome;
    std::function<std::string()> xml;
    FonteDeNota fonte;
    std::string pasta;
  } kSequencia[] = {
      {"venda sem assinatura", [] { return NotaSemAssinatura(kVenda400); }, kVenda400, base + "Templates/"},
      {"exportação sem assinatura", [] { return NotaSemAssinatura(kExportacao310); }, kExportacao310,
       base + "TemplateExportacao/"},
      {"exportação sem assinatura, de novo", [] { return NotaSemAssinatura(kExportacao310); }, kExportacao310,
       base + "TemplateExportacao/"},
      {"assinada", [] { return NotaAssinadaDe(kVenda310); }, kVenda310, base},
      {"venda sem assinatura, por fim", [] { return NotaSemAssinatura(kVenda400); }, kVenda400, base + "Templates/"},
  };
  for (const auto& passo : kSequencia) {
    const json resposta = Audita(passo.xml(), NaEmissao(passo.fonte));
    EXPECT_EQ(auditor_.DiretorioTemplates(), passo.pasta) << passo.nome;
    EXPECT_EQ(resposta["situacao"], "aprovada") << passo.nome << "\n" << resposta.dump(2);
  }
}

// The window size comes from "Auditor/AuditorConfig.ini" of the templates folder only when the
// validator has none of its own.
TEST_F(Auditoria, TamanhoDaJanelaDoAuditorConfig) {
  const struct {
    const char* nome;
    const char* ini;  // null: no file
    int alturaAntes, larguraAntes;
    int altura, largura;
  } kCasos[] = {
      {"do arquivo", "[AUDITOR]\nHeightHtml=321\nWidthHtml=654\n", 0, 0, 321, 654},
      {"sem o arquivo", nullptr, 0, 0, 500, 500},
      {"só a largura no arquivo", "[AUDITOR]\nWidthHtml=654\n", 0, 0, 500, 654},
      {"o validador tem só a altura", "[AUDITOR]\nHeightHtml=321\nWidthHtml=654\n", 200, 0, 321, 654},
      {"o validador tem o seu", "[AUDITOR]\nHeightHtml=321\nWidthHtml=654\n", 200, 300, 200, 300},
  };
  for (const auto& caso : kCasos) {
    TempDir templates;
    fs::create_symlink(Templates() + "vm60", templates.path() / "vm60");
    if (caso.ini) {
      fs::create_directories(templates.path() / "Auditor");
      WriteText(templates.path() / "Auditor" / "AuditorConfig.ini", caso.ini);
    }
    nfe_.SetDiretorioTemplates(templates.str());
    mox::TmoxAuditorNFe auditor;
    auditor.SetHeigthHtml(caso.alturaAntes);
    auditor.SetWidthHtml(caso.larguraAntes);
    auditor.SetRelogio([] { return NaEmissao(kVenda400); });
    nfe_.SetComponenteAuditor(&auditor);
    nfe_.AuditarXml(NotaSemAssinatura(kVenda400), "", "", false, false, "");
    EXPECT_EQ(auditor.HeigthHtml(), caso.altura) << caso.nome;
    EXPECT_EQ(auditor.WidthHtml(), caso.largura) << caso.nome;
  }
}

TEST_F(Auditoria, TamanhoInvalidoNoAuditorConfigRecusa) {
  TempDir templates;
  fs::create_directories(templates.path() / "Auditor");
  WriteText(templates.path() / "Auditor" / "AuditorConfig.ini", "[AUDITOR]\nHeightHtml=alta\nWidthHtml=654\n");
  nfe_.SetDiretorioTemplates(templates.str());
  try {
    nfe_.AuditarXml(NotaSemAssinatura(kVenda400), "", "", false, false, "");
    FAIL() << "aceitou HeightHtml=alta";
  } catch (const mox::EmoxNFeConfigException& e) {
    EXPECT_NE(std::string(e.what()).find("[AUDITOR] HeightHtml=alta"), std::string::npos) << e.what();
  }
}

// A hostile value in the note reaches the page only as text.
TEST_F(Auditoria, PaginaHtmlEscapaOsValoresDaNota) {
  std::string pagina;
  int largura = 0, altura = 0;
  auditor_.OnExibirHtml = [&](const std::string& aHtml, int aLargura, int aAltura) {
    pagina = aHtml;
    largura = aLargura;
    altura = aAltura;
  };
  const std::string xml = Troca(NotaSemAssinatura(kVenda400), "<CEP>01001000</CEP>",
                                "<CEP>&lt;script&gt;alert(&apos;x&apos;)&lt;/script&gt;&amp;&quot;</CEP>");
  const json resposta = Audita(xml, NaEmissao(kVenda400), true);
  ASSERT_FALSE(resposta["falhas"].empty());
  EXPECT_NE(pagina.find("&lt;script&gt;alert(&#39;x&#39;)&lt;/script&gt;&amp;&quot;"), std::string::npos) << pagina;
  EXPECT_EQ(pagina.find("<script"), std::string::npos) << pagina;
  EXPECT_EQ(pagina.find("alert('x')"), std::string::npos);
  EXPECT_EQ(largura, auditor_.WidthHtml());
  EXPECT_EQ(altura, auditor_.HeigthHtml());
  EXPECT_GT(largura, 0);
}

}  // namespace
