// The rule engine: the set each schema package runs, the order, the exception list, the fix-up
// rules, the failure of a rule run without data, and the number reading of the rules.
#include <gtest/gtest.h>
#include <chrono>
#include <cstdlib>
#include <ctime>

#include <memory>
#include <string>
#include <typeinfo>
#include <vector>

#include "base/EmoxException.h"
#include "rules/RegrasDeTeste.h"
#include "rules/TmoxControllerRulesNFe.h"
#include "rules/moxCatalogoRegras.h"
#include "rules/moxListasNFe.h"
#include "rules/moxNFeRules.h"
#include "support/MensagemDe.h"

namespace {

using V = mox::TVersaoEsquema;

std::string VendaSimples() { return moxtest::ReadText(moxtest::Fixture("tx2/venda-simples.tx2")); }

// The note saved without rules, for driving a controller by hand.
std::unique_ptr<mox::TmoxNFeDataSets> NotaSalva(V aVersao, const std::string& aTexto) {
  auto ds = moxtest::DataSetsEntregues(aVersao);
  moxtest::PreencheNota(*ds, aTexto);
  return ds;
}

std::vector<std::string> NomesDoConjunto(V aVersao) {
  mox::TmoxControllerRulesNFe controlador;
  controlador.SetVersaoEsquema(aVersao);
  controlador.LoadRulesWebSefaz();
  std::vector<std::string> nomes;
  for (const auto& regra : controlador.ListRules()) nomes.push_back(regra->Name());
  return nomes;
}

TEST(MotorDeRegras, CadaPacoteRodaOConjuntoDaSuaVersaoDoManual) {
  struct Caso {
    V versao;
    size_t quantas;
    const char* primeira;
    const char* ultima;
  };
  const Caso casos[] = {{V::pl_005a, 0, "", ""},           {V::pl_005f, 0, "", ""},
                        {V::pl_006e, 91, "GA03", "GI05.3"}, {V::pl_006j, 91, "GA03", "GI05.3"},
                        {V::pl_006m, 102, "GA03", "GW16b"}, {V::pl_006v, 102, "GA03", "GW16b"},
                        {V::pl_008a, 183, "GA03", "I08.190"}, {V::pl_008i1, 183, "GA03", "I08.190"}};
  for (const Caso& caso : casos) {
    const std::vector<std::string> nomes = NomesDoConjunto(caso.versao);
    ASSERT_EQ(nomes.size(), caso.quantas) << mox::VersaoEsquemaToStr(caso.versao);
    if (nomes.empty()) continue;
    EXPECT_EQ(nomes.front(), caso.primeira);
    EXPECT_EQ(nomes.back(), caso.ultima);
  }
  mox::TmoxControllerRulesNFe controlador;
  controlador.LoadRulesZelto();
  std::vector<std::string> ajustes;
  for (const auto& regra : controlador.ListRules()) ajustes.push_back(regra->Name());
  EXPECT_EQ(ajustes, (std::vector<std::string>{"Zelto1", "Zelto2", "Zelto3", "Zelto4"}));
}

// GN16 and GW16 take the class of the 2013 notes only in one package each.
TEST(MotorDeRegras, GN16EGW16EscolhemAClassePeloPacote) {
  auto classe = [](V aVersao, const std::string& aNome) {
    mox::TmoxControllerRulesNFe controlador;
    controlador.SetVersaoEsquema(aVersao);
    controlador.LoadRulesWebSefaz();
    for (const auto& regra : controlador.ListRules()) {
      const auto& objeto = *regra;
      if (objeto.Name() == aNome) return std::string(typeid(objeto).name());
    }
    return std::string();
  };
  EXPECT_NE(classe(V::pl_006s, "GN16").find("GN16_NT006_2013"), std::string::npos);
  EXPECT_NE(classe(V::pl_006r, "GN16").find("GN16_NT005_2012"), std::string::npos);
  EXPECT_NE(classe(V::pl_008i1, "GN16").find("GN16_NT005_2012"), std::string::npos);
  EXPECT_NE(classe(V::pl_008a, "GW16").find("GW16_NT005_2013"), std::string::npos);
  EXPECT_NE(classe(V::pl_008b, "GW16").find("GW16_NT003_2012"), std::string::npos);
}

TEST(MotorDeRegras, NotaComDuasFalhasCaiNaPrimeiraDoConjunto) {
  const std::string nota = moxtest::Aplica(VendaSimples(), {{"vICMS_W04", "20.00"}, {"serie_B07", "891"}});
  EXPECT_EQ(moxtest::RegraQueFalha(V::pl_008i1, nota)->regra, "GB07");
  const auto semGB07 = moxtest::RegraQueFalha(V::pl_008i1, nota, false, "GB07");
  ASSERT_TRUE(semGB07);
  EXPECT_EQ(semGB07->regra, "GW04");
  EXPECT_EQ(semGB07->codigo, "532");
}

// The list is searched for the rule's name: a longer name exempts the shorter ones it contains.
TEST(MotorDeRegras, ListaDeExcecoesValePorTrechoDoNome) {
  const std::string complementar = moxtest::ComCampo(VendaSimples(), "finNFe_B25", "2");
  EXPECT_EQ(moxtest::RegraQueFalha(V::pl_008i1, complementar)->regra, "GB25");
  EXPECT_EQ(moxtest::RegraQueFalha(V::pl_008i1, complementar, false, "GB25.2")->regra, "GB25.3");
  EXPECT_FALSE(moxtest::RegraQueFalha(V::pl_008i1, complementar, false, "GB25.2, GB25.3"))
      << "GB25, GB25.2 and GB25.3 exempted: nothing else rejects the note";
}

TEST(MotorDeRegras, PacoteDoManual30NaoRodaRegraNenhuma) {
  const std::string nota = moxtest::ComCampo(moxtest::NotaDeTeste("110/venda-industria.txt"), "serie_B07", "890");
  EXPECT_FALSE(moxtest::RegraQueFalha(V::pl_005d, nota));
}

TEST(MotorDeRegras, RegraSemDataSetFalhaComAMensagemDoMotor) {
  const mox::TClasseRegra* classe = mox::ProcuraClasseRegra("TmoxNFeGB07");
  ASSERT_NE(classe, nullptr);
  auto regra = classe->cria({"GB07", "serie_B07", "266", "Rejeição", mox::TVersaoManual::vm50a});
  EXPECT_EQ(moxtest::MensagemDe<mox::EmoxNFeRuleException>([&] { regra->execute(); }),
            "DataSet não configurado para validação da NFe.");
}

// Enabled is kept for hosts, but the controller runs the whole set.
TEST(MotorDeRegras, RegraDesligadaRodaMesmoAssim) {
  auto ds = NotaSalva(V::pl_008i1, moxtest::ComCampo(VendaSimples(), "serie_B07", "895"));
  mox::TmoxControllerRulesNFe controlador;
  controlador.SetNFeDataSet(&ds->ActiveDSVersao());
  controlador.SetVersaoEsquema(V::pl_008i1);
  controlador.SetRelogio([agora = moxtest::MomentoDaEmissao(VendaSimples())] { return agora; });
  controlador.LoadRulesWebSefaz();
  for (const auto& regra : controlador.ListRules()) regra->SetEnabled(false);
  EXPECT_THROW(controlador.ExecuteRules(), mox::EmoxNFeRegraException);
}

// The fix-up rules run on the pending note, before the save.
TEST(MotorDeRegras, AjustesGravamNoRegistroPendente) {
  std::string nota = VendaSimples();
  nota = moxtest::Aplica(nota.substr(0, nota.find("INCLUIRITEM")), {{"verProc_B27", ""}, {"cNF_B03", ""}});
  auto ds = moxtest::DataSetsEntregues(V::pl_008i1);
  moxtest::PreencheNota(*ds, nota);
  mox::TmoxControllerRulesNFe controlador;
  controlador.SetNFeDataSet(&ds->ActiveDSVersao());
  controlador.SetVersaoEsquema(V::pl_008i1);
  controlador.AplicarRegras(mox::TTipoRegraKind::rkZelto);
  EXPECT_EQ(ds->Campo("verProc_B27").AsString(), "1.0");
  EXPECT_EQ(ds->Campo("cNF_B03").AsString(), "1") << "nNF_B08";
  EXPECT_TRUE(controlador.ListRules().empty()) << "the rules are freed after the run";
}

TEST(MotorDeRegras, AjusteFeitoFicaMesmoComARejeicaoDepois) {
  const std::string nota = moxtest::Aplica(VendaSimples(), {{"cNF_B03", ""}, {"serie_B07", "890"}});
  auto ds = moxtest::DataSetsEntregues(V::pl_008i1);
  ds->SetAplicadorRegras(mox::AplicadorRegrasNFe([agora = moxtest::MomentoDaEmissao(nota)] { return agora; }));
  ds->SetValidaRegrasNegocioZelto(true);
  ds->SetValidaRegrasNegocio(true);
  EXPECT_THROW(moxtest::PreencheNota(*ds, nota), mox::EmoxNFeRegraException);
  ASSERT_EQ(ds->LoteNFe().size(), 1u) << "the rejected note stays in the batch";
  EXPECT_NE(ds->LoteNFe().front().find("<cNF>00000001</cNF>"), std::string::npos) << "nNF_B08 in the key's code";
}

TEST(MotorDeRegras, AjusteDoDestinatarioNoExterior) {
  auto ds = moxtest::DataSetsEntregues(V::pl_008i1);
  ds->SetAplicadorRegras(mox::AplicadorRegrasNFe());
  ds->SetValidaRegrasNegocioZelto(true);
  moxtest::PreencheNota(*ds, moxtest::Aplica(VendaSimples(), {{"UF_E12", "EX"}, {"CNPJ_E02", "11222333000181"},
                                                               {"cMun_E10", "9999999"}, {"idDest_B11a", "3"}}));
  EXPECT_EQ(ds->Campo("CNPJ_E02").AsString(), "");
  EXPECT_EQ(ds->Campo("CPF_E03").AsString(), "NULL");
}

TEST(MotorDeRegras, GetExtendLeONumeroDoLeiaute) {
  EXPECT_EQ(mox::GetExtend(""), 0);
  EXPECT_DOUBLE_EQ(static_cast<double>(mox::GetExtend("79.80")), 79.80);
  EXPECT_DOUBLE_EQ(static_cast<double>(mox::GetExtend("1234.5")), 1234.5);
  EXPECT_DOUBLE_EQ(static_cast<double>(mox::GetExtend("-2,25")), -2.25);
  for (const char* invalido : {"abc", "1.2.3", "12a", "."})
    EXPECT_THROW(mox::GetExtend(invalido), mox::EmoxNFeException) << invalido;
}

TEST(MotorDeRegras, ListasDeCodigosCompletas) {
  using L = mox::TListaNFe;
  struct Caso {
    L lista;
    size_t quantos;
    std::vector<const char*> dentro;
    std::vector<const char*> fora;
  };
  const Caso casos[] = {
      {L::Combustivel, 60, {"1651", "1658", "1664", "3653", "5651", "5667", "6667", "7667"}, {"1654", "3658", "7652"}},
      {L::VendaCombustivel, 47, {"1662", "5666", "6667", "7654"}, {"1663", "5663", "6665"}},
      {L::Devolucao, 85, {"1201", "2919", "3211", "5921", "7556"}, {"1949", "5102"}},
      {L::IsentoInterestadual, 29, {"6201", "6664", "6925"}, {"6102", "6929"}},
      {L::IsencaoZFM2012, 33, {"5109", "6110", "5910", "6910"}, {"6651"}},
      {L::IsencaoZFM2013, 32, {"6651", "6659", "5120"}, {"5910", "6910"}},
      {L::IsentoUFDestino, 52, {"1414", "2925", "6916"}, {"6102"}},
      {L::Remessa, 6, {"5912", "5913", "5915", "5916", "6915", "6916"}, {"6912"}},
      {L::Gas, 15, {"820101001", "810102004", "220101006"}, {"210203001"}},
      {L::GasNatural, 6, {"220101001", "220101006"}, {"220101007", "820101001"}},
      {L::UFSudeste, 6, {"SP", "rj", "Sc"}, {"ES", "MS"}},
      {L::UFNorte, 17, {"AM", "es", "BA"}, {"SP", "GO", "DF"}},
  };
  for (const Caso& caso : casos) {
    EXPECT_EQ(mox::CodigosDaLista(caso.lista).quantidade, caso.quantos) << static_cast<int>(caso.lista);
    for (const char* codigo : caso.dentro) EXPECT_TRUE(mox::NaLista(caso.lista, codigo)) << codigo;
    for (const char* codigo : caso.fora) EXPECT_FALSE(mox::NaLista(caso.lista, codigo)) << codigo;
  }
}

// The totals rule of the note, 2013 form (pl_008a): the relieved ICMS may be left in or out.
TEST(MotorDeRegras, TotalDaNotaComICMSDesonerado) {
  const std::string base = moxtest::ComCampo(VendaSimples(), "vICMSDeson_W04a", "10.00");
  for (const char* vNF : {"79.80", "69.80", "70.80"})
    EXPECT_FALSE(moxtest::RegraQueFalha(V::pl_008a, moxtest::ComCampo(base, "vNF_W16", vNF), false, "GW04.a"))
        << vNF;
  const auto falha = moxtest::RegraQueFalha(V::pl_008a, moxtest::ComCampo(base, "vNF_W16", "74.80"), false, "GW04.a");
  ASSERT_TRUE(falha);
  EXPECT_EQ(falha->regra, "GW16");
  EXPECT_EQ(falha->codigo, "610");
}

// Wrong totals fail with the totals rules: the ICMS total and the note's total.
TEST(MotorDeRegras, TotaisErradosFalhamComARegraDeTotais) {
  const auto icms = moxtest::RegraQueFalha(V::pl_008i1, moxtest::ComCampo(VendaSimples(), "vICMS_W04", "15.00"));
  ASSERT_TRUE(icms);
  EXPECT_EQ(icms->regra, "GW04");
  EXPECT_EQ(icms->codigo, "532");
  EXPECT_EQ(icms->mensagem, "Rejeição: Total do ICMS difere do somatório dos itens");
  const auto total = moxtest::RegraQueFalha(V::pl_008i1, moxtest::ComCampo(VendaSimples(), "vNF_W16", "81.00"));
  ASSERT_TRUE(total);
  EXPECT_EQ(total->regra, "GW16");
  EXPECT_EQ(total->codigo, "610");
  EXPECT_EQ(total->campo, "vNF_W16");
}

}  // namespace

namespace {

// The text with the value of the n-th (from 1) line of a field replaced.
std::string ComCampoNaOcorrencia(std::string aTexto, const std::string& aCampo, int aOcorrencia,
                                 const std::string& aValor) {
  size_t pos = 0;
  for (int i = 0; i < aOcorrencia; ++i) pos = aTexto.find("\n" + aCampo + "=", pos + 1);
  const size_t inicio = pos + aCampo.size() + 2;
  return aTexto.replace(inicio, aTexto.find('\n', inicio) - inicio, aValor);
}

}  // namespace

// The item rules run in one walk of the items, yet the rule reported is the first of the set
// that fails, not the one that fails on the first item.
TEST(MotorDeRegras, RegrasDeItensJuntasRespeitamAOrdemDoConjunto) {
  const std::string exemplo = moxtest::ReadText(moxtest::Fixture("tx2/varios-itens-parcelas.tx2"));
  const std::string nota = ComCampoNaOcorrencia(ComCampoNaOcorrencia(exemplo, "cEANTrib_I12", 1, "7891234500018"),
                                                "cEAN_I03", 2, "7891234500018");
  const auto falha = moxtest::RegraQueFalha(V::pl_008i1, nota);
  ASSERT_TRUE(falha);
  EXPECT_EQ(falha->regra, "GI03") << "GI12 breaks on item 1, GI03 on item 2; GI03 comes first in the set";
  const auto semGI03 = moxtest::RegraQueFalha(V::pl_008i1, nota, false, "GI03");
  ASSERT_TRUE(semGI03);
  EXPECT_EQ(semGI03->regra, "GI12");
}

// W04e.10 turns the empty-tag marker of the summed field into "0.00", and the change stays.
TEST(MotorDeRegras, MarcadorNuloDaPartilhaViraZero) {
  const std::string nota = moxtest::Aplica(
      VendaSimples(), {{"idDest_B11a", "2"},
                       {"UF_E12", "RJ"},
                       {"cMun_E10", "3304557"},
                       {"CFOP_I08", "6102"},
                       {"@item",
                        "vBCUFDest_NA03=79.80\npFCPUFDest_NA05=0.00\npICMSUFDest_NA07=18.00\npICMSInter_NA09=12.00\n"
                        "pICMSInterPart_NA11=40.00\nvFCPUFDest_NA13=0.00\nvICMSUFDest_NA15=NULL\n"
                        "vICMSUFRemet_NA17=0.00"}});
  auto ds = moxtest::DataSetsEntregues(V::pl_008i1);
  ds->SetAplicadorRegras(mox::AplicadorRegrasNFe([agora = moxtest::MomentoDaEmissao(nota)] { return agora; }));
  ds->SetValidaRegrasNegocio(true);
  moxtest::PreencheNota(*ds, nota);
  EXPECT_EQ(ds->Campo("vICMSUFDest_NA15").AsString(), "0.00");
}

// Notes are dated in Brasília time; a server kept in another zone (UTC, typically) must not see
// a note dated now as hours ahead or behind.
TEST(MotorDeRegras, RelogioDasRegrasEstaNaHoraDeBrasiliaEmQualquerFuso) {
  const char* fuso = std::getenv("TZ");
  const std::string fusoAntes = fuso ? fuso : "";
  setenv("TZ", "XYZ+10", 1);  // ten hours behind UTC, seven behind Brasília
  tzset();
  const mox::TmoxNFeRule regra("GB09.2", "dhEmi_B09", "703", "");
  const auto agora = regra.Agora().time_since_epoch();
  if (fuso) setenv("TZ", fusoAntes.c_str(), 1); else unsetenv("TZ");
  tzset();
  const auto brasilia = std::chrono::system_clock::now().time_since_epoch() - std::chrono::hours(3);
  EXPECT_LT(std::chrono::abs(std::chrono::duration_cast<std::chrono::seconds>(agora - brasilia)),
            std::chrono::minutes(1));
}
