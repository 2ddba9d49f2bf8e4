// The 6.0 set (layout 4.00) against the 4.00 TX2 example: the rules of the 5.0a catalogue on the
// 4.00 field names, the payment checks of the group "pag" and the 4.00 forms of the totals.
#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "rules/RegrasDeTeste.h"

namespace {

using V = mox::TVersaoEsquema;

std::string NotaBase() { return moxtest::ReadText(moxtest::Fixture("tx2/venda-simples-400.tx2")); }

// A second payment of the note (the base note pays 100.00 in cash with 20.20 of change).
std::string OutroPagamento(const std::string& aForma, const std::string& aValor) {
  return "INCLUIRPARTE=YA\ntPag_YA02=" + aForma + "\nvPag_YA03=" + aValor + "\nSALVARPARTE=YA";
}

const std::string kReferencia = "INCLUIRPARTE=NREF\nrefNFe_BA02=35260312345678000195550010000000091000000093\nSALVARPARTE=NREF";

using Caso = moxtest::CasoDeRegra;

// clang-format off
const Caso kCasos[] = {
    // Payments: less than the total, more without change, change that does not close the sum.
    {"YA03.10", "865", "Rejeição: Total dos pagamentos menor que o total da nota", {{"vPag_YA03", "79.79"}, {"vTroco_YA09", ""}}, {}},
    {"YA03.10", "865", "Rejeição: Total dos pagamentos menor que o total da nota", {{"vPag_YA03", "50.00"}, {"vTroco_YA09", ""}, {"@nota", OutroPagamento("03", "29.79")}}, {}},
    {"YA09.10", "866", "Rejeição: Ausência de troco quando o valor dos pagamentos informados for maior que o total da nota", {{"vTroco_YA09", ""}}, {}},
    {"YA09.20", "869", "Rejeição: Valor do troco incorreto", {{"vTroco_YA09", "20.21"}}, {}},
    {"YA09.20", "869", "Rejeição: Valor do troco incorreto", {{"vPag_YA03", "79.80"}, {"vTroco_YA09", "0.01"}}, {}},
    // Totals: ICMS and its base against the items, the note's total with the 4.00 parts.
    {"GW04", "532", "Rejeição: Total do ICMS difere do somatório dos itens", {{"vICMS_W04", "15.36"}}, {}},
    {"GW03", "531", "Rejeição: Total da BC ICMS difere do somatório dos itens", {{"vBC_W03", "78.80"}}, {}},
    {"GW16", "610", "Rejeição: Total da NF difere do somatório dos Valores compõe o valor Total da NF", {{"vIPIDevol_W12a", "5.00"}}, {}},
    {"GW16", "610", "Rejeição: Total da NF difere do somatório dos Valores compõe o valor Total da NF", {{"vFCPST_W06a", "5.00"}}, {}},
    // Rules that read the names the 3.10 layout introduced, on the 4.00 dictionary.
    {"GB09.1", "228", "Rejeição: Data de Emissão muito atrasada", {}, {"", true, "2026-04-15T10:00"}},
    {"GB28", "558", "Rejeição: Data de entrada em contingência posterior a data de emissão", {{"tpEmis_B22", "6"}, {"xJust_B29", "ENTRADA EM CONTINGENCIA POR FALHA"}, {"dhCont_B28", "2026-03-03T10:00:00-03:00"}}, {}},
    {"GB13", "547", "Rejeição: Dígito Verificador da Chave de Acesso da NF-e Referenciada inválido.", {{"@nota", "INCLUIRPARTE=NREF\nrefNFe_BA02=35260312345678000195550010000000091000000094\nSALVARPARTE=NREF"}}, {}},
    {"BA02.40", "316", "Rejeição: Nota Fiscal referenciada com a mesma Chave de Acesso da Nota Fiscal atual", {{"@nota", "INCLUIRPARTE=NREF\nrefNFe_BA02=35260312345678000195550010000000011100000011\nSALVARPARTE=NREF"}}, {}},
    {"GN16_04", "663", "Rejeição: Alíquota do ICMS com valor superior a 4 por cento na operação de saída interestadual com produtos importados", {{"idDest_B11a", "2"}, {"UF_E12", "RJ"}, {"cMun_E10", "3304557"}, {"xMun_E11", "RIO DE JANEIRO"}, {"CFOP_I08", "6102"}, {"indIEDest_E16a", "1"}, {"IE_E17", "123456789"}, {"orig_N11", "1"}, {"pICMS_N16", "12.00"}, {"vICMS_N17", "9.58"}, {"vICMS_W04", "9.58"}}, {}},
};
// clang-format on

class RegraDoConjunto60 : public ::testing::TestWithParam<Caso> {};

TEST_P(RegraDoConjunto60, AMenorMudancaFalhaComCodigoEMensagem) {
  const Caso& caso = GetParam();
  const std::string base = NotaBase();
  const auto aceita = moxtest::RegraQueFalha(V::pl_009, base);
  ASSERT_FALSE(aceita) << aceita->texto;
  moxtest::EsperaFalha(moxtest::RegraQueFalha(V::pl_009, moxtest::Aplica(base, caso.mudancas), moxtest::Opcoes(caso.opcoes)),
                       caso.regra, caso.codigo, caso.mensagem);
}

INSTANTIATE_TEST_SUITE_P(Catalogo, RegraDoConjunto60, ::testing::ValuesIn(kCasos));

// 4.00 notes that differ from the base in what the 4.00 rules must still accept.
using Aceita = moxtest::NotaAceita;

// clang-format off
const Aceita kAceitas[] = {
    {"exact payment without change", {{"vPag_YA03", "79.80"}, {"vTroco_YA09", ""}}, ""},
    {"two payments closing the total with change", {{"vPag_YA03", "50.00"}, {"vTroco_YA09", "0.20"}, {"@nota", OutroPagamento("03", "30.00")}}, ""},
    {"no payment (tPag 90) on a note with a total", {{"tPag_YA02", "90"}, {"vPag_YA03", "0.00"}, {"vTroco_YA09", ""}}, ""},
    {"return note paid less than its total", {{"finNFe_B25", "4"}, {"CFOP_I08", "5202"}, {"vPag_YA03", "10.00"}, {"vTroco_YA09", ""}, {"@nota", kReferencia}}, ""},
    {"half-deferred item (CST 51) counted in the ICMS totals", {{"CST_N12", "51"}, {"vICMSOp_N16a", "14.36"}, {"pDif_N16b", "50.0000"}, {"vICMSDif_N16c", "7.18"}, {"vICMS_N17", "7.18"}, {"vICMS_W04", "7.18"}}, "N12.70;"},
    {"returned IPI and FCP-ST added to the note's total", {{"vIPIDevol_W12a", "5.00"}, {"vFCPST_W06a", "5.00"}, {"vNF_W16", "89.80"}, {"vTroco_YA09", "10.20"}}, ""},
};
// clang-format on

class Aceita60 : public ::testing::TestWithParam<Aceita> {};

TEST_P(Aceita60, PassaNoConjunto) {
  moxtest::OpcoesDaVerificacao opcoes;
  opcoes.excecoes = GetParam().excecoes;
  for (V versao : {V::pl_009, V::pl_010}) {
    const auto falha = moxtest::RegraQueFalha(versao, moxtest::Aplica(NotaBase(), GetParam().mudancas), opcoes);
    EXPECT_FALSE(falha) << falha->texto;
  }
}

INSTANTIATE_TEST_SUITE_P(Catalogo, Aceita60, ::testing::ValuesIn(kAceitas));

}  // namespace
