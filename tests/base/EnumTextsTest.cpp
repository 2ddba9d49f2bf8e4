// Every enumeration text, both ways.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "base/EmoxException.h"
#include "base/moxEnumTexts.h"

using namespace mox;

namespace {

template <class F>
std::pair<std::string, std::string> RaisedBy(F&& aCall) {
  try {
    aCall();
  } catch (const EmoxException& e) {
    return {e.ClassName(), e.what()};
  }
  return {};
}

}  // namespace

TEST(EnumTexts, VersaoManualBothWays) {
  const std::vector<std::pair<TVersaoManual, std::string>> table = {
      {TVersaoManual::vm202a, "2.0.2a"}, {TVersaoManual::vm30, "3.0"},   {TVersaoManual::vm40, "4.0"},
      {TVersaoManual::vm50, "5.0"},      {TVersaoManual::vm50a, "5.0a"}, {TVersaoManual::vm60, "6.0"},
  };
  for (const auto& [versao, texto] : table) {
    EXPECT_EQ(VersaoManualToStr(versao), texto);
    EXPECT_EQ(StrToVersaoManual(texto), versao) << texto;
  }
  for (const std::string texto : {"5.0A", "4", " 4.0", "", "vm50a", "2.0.2A"}) {
    EXPECT_EQ(RaisedBy([&] { StrToVersaoManual(texto); }),
              std::make_pair(std::string("EmoxNFeVersaoManualException"),
                             "Versão do Manual informada: " + texto +
                                 " não é suportada. \rUtilize: 2.0.2a, 3.0, 4.0, 5.0, 5.0a ou 6.0"))
        << texto;
  }
}

TEST(EnumTexts, VersaoEsquemaNamesAndManualVersions) {
  struct Row {
    TVersaoEsquema esquema;
    const char* nome;
    TVersaoManual manual;
  };
  using E = TVersaoEsquema;
  using M = TVersaoManual;
  const std::vector<Row> rows = {
      {E::pl_005a, "pl_005a", M::vm30},   {E::pl_005b, "pl_005b", M::vm30},   {E::pl_005c, "pl_005c", M::vm30},
      {E::pl_005d, "pl_005d", M::vm30},   {E::pl_005f, "pl_005f", M::vm30},   {E::pl_006e, "pl_006e", M::vm40},
      {E::pl_006f, "pl_006f", M::vm40},   {E::pl_006g, "pl_006g", M::vm40},   {E::pl_006i, "pl_006i", M::vm40},
      {E::pl_006j, "pl_006j", M::vm40},   {E::pl_006m, "pl_006m", M::vm50},   {E::pl_006n, "pl_006n", M::vm50},
      {E::pl_006p, "pl_006p", M::vm50},   {E::pl_006q, "pl_006q", M::vm50},   {E::pl_006r, "pl_006r", M::vm50},
      {E::pl_006s, "pl_006s", M::vm50},   {E::pl_006t, "pl_006t", M::vm50},   {E::pl_006u, "pl_006u", M::vm50},
      {E::pl_006v, "pl_006v", M::vm50},   {E::pl_008a, "pl_008a", M::vm50a},  {E::pl_008b, "pl_008b", M::vm50a},
      {E::pl_008c, "pl_008c", M::vm50a},  {E::pl_008d, "pl_008d", M::vm50a},  {E::pl_008e, "pl_008e", M::vm50a},
      {E::pl_008f, "pl_008f", M::vm50a},  {E::pl_008g, "pl_008g", M::vm50a},  {E::pl_008h, "pl_008h", M::vm50a},
      {E::pl_008i, "pl_008i", M::vm50a},  {E::pl_008i1, "pl_008i1", M::vm50a},
      {E::pl_009, "pl_009", M::vm60},      {E::pl_010, "pl_010", M::vm60},
  };
  for (const auto& r : rows) {
    EXPECT_EQ(VersaoEsquemaToStr(r.esquema), r.nome);
    EXPECT_EQ(GetVersaoManualDoEsquema(r.esquema), r.manual) << r.nome;
  }
  EXPECT_EQ(RaisedBy([] { GetVersaoManualDoEsquema(static_cast<TVersaoEsquema>(99)); }),
            std::make_pair(std::string("EmoxNFeVersaoManualException"),
                           std::string("A Versão de Esquema não está referenciada a nenhuma versão de Manual de "
                                       "Integração.")));
}

TEST(EnumTexts, ModoOperacaoBothWays) {
  const std::vector<std::pair<TModoOperacao, std::string>> table = {
      {TModoOperacao::moNormal, "NORMAL"},
      {TModoOperacao::moSVCAN, "SVCAN"},
      {TModoOperacao::moSVCRS, "SVCRS"},
      {TModoOperacao::moEPEC, "EPEC"},
  };
  for (const auto& [modo, texto] : table) {
    EXPECT_EQ(ModoOperacaoToString(modo), texto);
    EXPECT_EQ(StrToModoOperacao(texto), modo);
  }
  EXPECT_EQ(StrToModoOperacao("svcan"), TModoOperacao::moSVCAN);
  EXPECT_EQ(StrToModoOperacao("Normal"), TModoOperacao::moNormal);
  EXPECT_EQ(ModoOperacaoToString(static_cast<TModoOperacao>(7)), "NORMAL");
  EXPECT_EQ(RaisedBy([] { StrToModoOperacao("dpec"); }),
            std::make_pair(std::string("EmoxNFeModoOperacaoException"),
                           std::string("Modo Operação informado: dpec não é suportado. \rUtilize: Normal, EPEC, "
                                       "SVCAN ou SVCRS")));
}

TEST(EnumTexts, TipoCertificadoBothWays) {
  const std::vector<std::pair<TCertificadoKind, std::string>> table = {
      {TCertificadoKind::ckMemory, "MEMORY"},
      {TCertificadoKind::ckLocalMachine, "LOCALMACHINE"},
      {TCertificadoKind::ckFile, "FILE"},
      {TCertificadoKind::ckActiveDiretory, "ACTIVEDIRECTORY"},
      {TCertificadoKind::ckSmartCard, "SMARTCARD"},
  };
  for (const auto& [tipo, texto] : table) {
    EXPECT_EQ(TipoCertificadoToString(tipo), texto);
    EXPECT_EQ(StrToTipoCertificado(texto), tipo);
  }
  EXPECT_EQ(StrToTipoCertificado("smartcard"), TCertificadoKind::ckSmartCard);
  EXPECT_EQ(StrToTipoCertificado("LocalMachine"), TCertificadoKind::ckLocalMachine);
  for (const std::string desconhecido : {"", "PKCS12", "ACTIVEDIRETORY"})
    EXPECT_EQ(StrToTipoCertificado(desconhecido), TCertificadoKind::ckFile) << desconhecido;
}

TEST(EnumTexts, AmbienteManifestacaoEProrrogacao) {
  EXPECT_EQ(GetTipoAmbiente(TAmbienteKind::akProducao), "1");
  EXPECT_EQ(GetTipoAmbiente(TAmbienteKind::akHomologacao), "2");

  using T = TTipoManifestacaoDestinatario;
  const std::vector<std::pair<T, std::string>> manifestacoes = {
      {T::tmdConfirmacaoOperacao, "Confirmacao da Operacao"},
      {T::tmdCienciaOperacao, "Ciencia da Operacao"},
      {T::tmdDesconhecimentoOperacao, "Desconhecimento da Operacao"},
      {T::tmdOperacaoNaoRealizada, "Operacao nao Realizada"},
  };
  for (const auto& [tipo, texto] : manifestacoes) EXPECT_EQ(GetDescricaoManifestacao(tipo), texto);
  EXPECT_EQ(static_cast<int>(T::tmdOperacaoNaoRealizada), 210240);
  EXPECT_EQ(GetDescricaoManifestacao(static_cast<T>(210230)), "");

  EXPECT_EQ(tpEvePedProrrogacaoToStr(TTipoPedidoProrrogacao::tEPP1), "111500");
  EXPECT_EQ(tpEvePedProrrogacaoToStr(TTipoPedidoProrrogacao::tEPP2), "111501");
  EXPECT_EQ(tpEveCanPedProrrogacaoToStr(TTipoCancelamentoPedidoProrrogacao::tECPP1), "111502");
  EXPECT_EQ(tpEveCanPedProrrogacaoToStr(TTipoCancelamentoPedidoProrrogacao::tECPP2), "111503");
}
