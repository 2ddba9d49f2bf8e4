// The rules of the 4.0 and 5.0 sets that differ from the 5.0a set, against a simple sale of the
// 2.00 layout: the smallest change each rejects, and the changes one set rejects and another
// accepts (tolerances, emission types, the values a rule lets through).
#include <gtest/gtest.h>

#include <string>

#include "base/moxEnumTexts.h"
#include "rules/RegrasDeTeste.h"

namespace {

using V = mox::TVersaoEsquema;

std::string NotaBase() { return moxtest::ReadText(moxtest::Fixture("regras/venda-200.tx2")); }

struct Caso {
  V versao;
  const char* regra;
  const char* codigo;
  const char* mensagem;
  moxtest::Mudancas mudancas;
  moxtest::OpcoesDoCaso opcoes;
};

// clang-format off
const Caso kRejeitadas[] = {
    {V::pl_006j, "GB09.1", "228", "Rejeição: Data de Emissão muito atrasada", {{"tpEmis_B22", "2"}}, {"", true, "2016-09-01T12:00"}},
    {V::pl_006j, "GB10.2", "506", "Rejeição: Data de Saída menor que a Data de Emissão", {{"dSaiEnt_B10", "2016-07-31"}}, {"", true, nullptr}},
    {V::pl_006j, "GB10a", "NT 2011.004 (Item 2.1)", "Rejeição: Hora Saída (hSaiEnt_B10a) não pode ser informada sem sua respectiva Data de Saída (dSaiEnt_B10)", {{"hSaiEnt_B10a", "10:00:00"}}, {"", true, nullptr}},
    {V::pl_006v, "GB13a", "679", "Rejeição: Modelo da NF-e referenciada diferente de 55", {{"@nota", "INCLUIRPARTE=NREF\nrefNFe_B13=35160812345678000195650010000000011100000006\nSALVARPARTE=NREF"}}, {"", true, nullptr}},
    {V::pl_006v, "GB13b", "680", "Rejeição: Duplicidade de NF-e referenciada (Chave de Acesso referenciada mais de uma vez)", {{"@nota", "INCLUIRPARTE=NREF\nrefNFe_B13=35160711222333000181550010000012341000012346\nSALVARPARTE=NREF\nINCLUIRPARTE=NREF\nrefNFe_B13=35160711222333000181550010000012341000012346\nSALVARPARTE=NREF"}}, {"", true, nullptr}},
    {V::pl_006v, "GB20", "681", "Rejeição: Duplicidade de NF Modelo 1 referenciada (CNPJ, Modelo, Série e Número)", {{"@nota", "INCLUIRPARTE=NREF\ncUF_B15=35\nAAMM_B16=1606\nCNPJ_B17=11222333000181\nmod_B18=01\nserie_B19=1\nnNF_B20=10\nSALVARPARTE=NREF\nINCLUIRPARTE=NREF\ncUF_B15=35\nAAMM_B16=1606\nCNPJ_B17=11222333000181\nmod_B18=01\nserie_B19=1\nnNF_B20=10\nSALVARPARTE=NREF"}}, {"", true, nullptr}},
    {V::pl_006v, "GB20ha", "682", "Rejeição: Duplicidade de NF de Produtor referenciada (IE, Modelo, Série e Número)", {{"@nota", "INCLUIRPARTE=NREF\ncUF_B20b=35\nAAMM_B20c=1606\nCPF_B20e=11144477735\nIE_B20f=ISENTO\nmod_B20g=04\nserie_B20h=0\nnNF_B20ha=77\nSALVARPARTE=NREF\nINCLUIRPARTE=NREF\ncUF_B20b=35\nAAMM_B20c=1606\nCPF_B20e=11144477735\nIE_B20f=ISENTO\nmod_B20g=04\nserie_B20h=0\nnNF_B20ha=77\nSALVARPARTE=NREF"}}, {"", true, nullptr}},
    {V::pl_006v, "GB20ia", "683", "Rejeição: Modelo do CT-e referenciado diferente de 57", {{"@nota", "INCLUIRPARTE=NREF\nrefCTe_B20i=35160711222333000181550010000012341000012346\nSALVARPARTE=NREF"}}, {"", true, nullptr}},
    {V::pl_006v, "GB20m", "684", "Rejeição: Duplicidade de Cupom Fiscal referenciado (Modelo, Número de Ordem e COO)", {{"@nota", "INCLUIRPARTE=NREF\nmod_B20k=2D\nnECF_B20l=12\nnCOO_B20m=123456\nSALVARPARTE=NREF\nINCLUIRPARTE=NREF\nmod_B20k=2D\nnECF_B20l=12\nnCOO_B20m=123456\nSALVARPARTE=NREF"}}, {"", true, nullptr}},
    {V::pl_006v, "GB25.3", "678", "Rejeição: NF referenciada com UF diferente da NF-e complementar", {{"finNFe_B25", "2"}, {"@nota", "INCLUIRPARTE=NREF\nrefNFe_B13=33160812345678000195550010000000011100000009\nSALVARPARTE=NREF"}}, {"", true, nullptr}},
    {V::pl_006j, "GC02a.1", "401", "Rejeição: CPF do remetente inválido", {{"CPF_C02a", "11144477736"}, {"@nota", "CNPJ_D02=46377222000129\nxOrgao_D03=SEFAZ\nmatr_D04=1\nxAgente_D05=AGENTE\nUF_D07=SP\nnDAR_D08=1\ndEmi_D09=2016-08-01\nvDAR_D10=1.00\nrepEmi_D11=POSTO\ndPag_D12=2016-08-01"}}, {"", true, nullptr}},
    {V::pl_006j, "GE10.2", "509", "Rejeição: Informado Código do Município Diferente de 9999999 para operação com exterior", {{"UF_E12", "EX"}}, {"", true, nullptr}},
    {V::pl_006j, "GE14", "510", "Rejeição: Operação com Exterior e Código País destinatário é 1058 (Brasil) ou não informado", {{"UF_E12", "EX"}, {"cMun_E10", "9999999"}}, {"", true, nullptr}},
    {V::pl_006j, "GE14.1", "511", "Rejeição: Não é de Operação com Exterior e Código País destinatário difere de 1058(Brasil)", {{"cPais_E14", "2496"}}, {"", true, nullptr}},
    {V::pl_006j, "GI05.2", "777", "Rejeição: Obrigatória a informação do NCM completo", {{"NCM_I05", "0000000"}}, {"", true, nullptr}},
    {V::pl_006v, "GI05.2", "777", "Rejeição: Obrigatória a informação do NCM completo", {{"NCM_I05", "00"}}, {"", true, nullptr}},
    {V::pl_006j, "GI08.4", "522", "Rejeição: CFOP de Operação Estadual e UF emitente difere UF destinatário", {{"CFOP_I08", "1102"}, {"tpNF_B11", "0"}, {"UF_E12", "RJ"}, {"cMun_E10", "3304557"}}, {"", true, nullptr}},
    {V::pl_006j, "GI08.5", "523", "Rejeição: CFOP não é de Operação Estadual e UF emitente igual UF destinatário", {{"CFOP_I08", "6102"}}, {"", true, nullptr}},
    {V::pl_006j, "GI08.8", "526", "Rejeição: CFOP de Exportação e não informado Local de Embarque", {{"CFOP_I08", "7102"}, {"UF_E12", "EX"}, {"cMun_E10", "9999999"}, {"cPais_E14", "2496"}}, {"GI08.2;", true, nullptr}},
    {V::pl_006j, "GN12", "527", "Rejeição: Operação de Exportação com informação de ICMS incompatível", {{"CFOP_I08", "7102"}, {"UF_E12", "EX"}, {"cMun_E10", "9999999"}, {"cPais_E14", "2496"}, {"UFEmbarq_ZA02", "SP"}, {"xLocEmbarq_ZA03", "SANTOS"}}, {"GI08.2;", true, nullptr}},
    {V::pl_006v, "GN12", "527", "Rejeição: Operação de Exportação com informação de ICMS incompatível", {{"CFOP_I08", "7102"}, {"UF_E12", "EX"}, {"cMun_E10", "9999999"}, {"cPais_E14", "2496"}, {"UFEmbarq_ZA02", "SP"}, {"xLocEmbarq_ZA03", "SANTOS"}}, {"GI08.2;", true, nullptr}},
    {V::pl_006j, "GN17", "528", "Rejeição: Valor do ICMS difere do produto BC e Alíquota", {{"vICMS_N17", "15.37"}, {"vICMS_W04", "15.37"}}, {"", true, nullptr}},
    {V::pl_006j, "GN28", "625", "Rejeição: Inscrição SUFRAMA deve ser informada na venda com isenção para ZFM", {{"motDesICMS_N28", "7"}}, {"", true, nullptr}},
    {V::pl_006j, "GN28.1", "626", "Rejeição: O CFOP de operação isenta para ZFM deve ser 6109 ou 6110", {{"motDesICMS_N28", "7"}, {"ISUF_E18", "123456789"}}, {"", true, nullptr}},
    {V::pl_006v, "GN28", "625", "Rejeição: Inscrição SUFRAMA deve ser informada na venda com isenção para ZFM", {{"motDesICMS_N28", "7"}, {"CFOP_I08", "5102"}}, {"", true, nullptr}},
    {V::pl_006v, "GN28.1", "626", "Rejeição: CFOP de operação isenta para ZFM diferente do previsto", {{"motDesICMS_N28", "7"}, {"ISUF_E18", "123456789"}}, {"", true, nullptr}},
    {V::pl_006j, "GU01", "530", "Rejeição: Operação com tributação de ISSQN sem informar a Inscrição Municipal", {{"@item", "vBC_U02=79.80\nvAliq_U03=5.00\nvISSQN_U04=3.99\ncMunFG_U05=3550308\ncListServ_U06=101"}}, {"", true, nullptr}},
    {V::pl_006j, "GU05", "287", "Rejeição: Código do município de ocorrência do fato gerador do ISSQN", {{"IM_C19", "12345"}, {"@item", "vBC_U02=79.80\nvAliq_U03=5.00\nvISSQN_U04=3.99\ncMunFG_U05=3550309\ncListServ_U06=101"}}, {"", true, nullptr}},
    {V::pl_006j, "GW03", "531", "Rejeição: Total da BC ICMS difere do somatório dos itens", {{"vBC_W03", "80.81"}}, {"", true, nullptr}},
    {V::pl_006v, "GW03", "531", "Rejeição: Total da BC ICMS difere do somatório dos itens", {{"vBC_W03", "80.31"}}, {"", true, nullptr}},
    {V::pl_006v, "GW08", "535", "Rejeição: Total do Frete difere do somatório dos itens", {{"vFrete_W08", "0.01"}}, {"", true, nullptr}},
    {V::pl_006v, "GW16b", "685", "Rejeição: Total do Valor Aproximado dos Tributos difere do somatório dos itens", {{"vTotTrib_W16a", "12.00"}, {"@item", "vTotTrib_M02=10.00"}}, {"", true, nullptr}},
    {V::pl_006v, "GL101", "660", "Rejeição: CFOP de Combustível e não informado grupo de combustível da NF-e.", {{"CFOP_I08", "5656"}}, {"", true, nullptr}},
    {V::pl_006j, "GI01", "", "Número de ocorrências da Declaração de Importação maior que 100", {{"@item", moxtest::Repete(101, moxtest::DeclaracaoImportacao("dDesemb_I23=2016-07-28\n"))}}, {"", true, nullptr}},
    {V::pl_006v, "GI18", "", "Número de ocorrências das Adições maior que 100", {{"@item", moxtest::DeclaracaoImportacao("dDesemb_I23=2016-07-28\n", 101)}}, {"", true, nullptr}},
    {V::pl_006j, "GY01", "", "Número de ocorrências do Grupo da Duplicata maior que 120", {{"@nota", moxtest::Repete(121, moxtest::Duplicata())}}, {"", true, nullptr}},
    {V::pl_006j, "GW19", "606", "Rejeição: Total do vBC do ISS difere do somatório dos itens", {{"IM_C19", "12345"}, {"vServ_W18", "79.80"}, {"vBC_W19", "81.00"}, {"vISS_W20", "3.99"}, {"vPIS_W21", "1.32"}, {"vCOFINS_W22", "6.06"}, {"@item", "vBC_U02=79.80\nvAliq_U03=5.00\nvISSQN_U04=3.99\ncMunFG_U05=3550308\ncListServ_U06=101"}}, {"", true, nullptr}},
    {V::pl_006v, "J02c", "615", "Rejeição: Chave de Acesso inválida (Ano < 06 ou Ano maior que Ano corrente).", {}, {"GB09.1;", true, "2015-12-31T12:00"}},
};

struct Aceita {
  V versao;
  const char* porque;
  moxtest::Mudancas mudancas;
  moxtest::OpcoesDoCaso opcoes;
};

const Aceita kAceitas[] = {
    {V::pl_006v, "GB09.1 only for normal emission in 5.0", {{"tpEmis_B22", "2"}}, {"", true, "2016-09-01T12:00"}},
    {V::pl_006j, "GW03 tolerance 1 in 4.0", {{"vBC_W03", "80.80"}}, {"", true, nullptr}},
    {V::pl_006v, "GW03 tolerance 0.5 in 5.0", {{"vBC_W03", "80.30"}}, {"", true, nullptr}},
    {V::pl_006j, "GW08 tolerance 1 in 4.0", {{"vFrete_W08", "1.00"}}, {"", true, nullptr}},
    {V::pl_006v, "GI05.2 takes a full NCM", {{"NCM_I05", "61091000"}}, {"", true, nullptr}},
    {V::pl_006v, "GE10.2 passes 9999999 abroad", {{"UF_E12", "EX"}, {"cMun_E10", "9999999"}, {"cPais_E14", "2496"}, {"xPais_E15", "EUA"}}, {"", true, nullptr}},
    {V::pl_006v, "GB13b first reference alone", {{"@nota", "INCLUIRPARTE=NREF\nrefNFe_B13=35160711222333000181550010000012341000012346\nSALVARPARTE=NREF"}}, {"", true, nullptr}},
    {V::pl_006j, "GI01 takes 100 import declarations", {{"@item", moxtest::Repete(100, moxtest::DeclaracaoImportacao("dDesemb_I23=2016-07-28\n"))}}, {"", true, nullptr}},
    {V::pl_006v, "GI18 takes 100 additions", {{"@item", moxtest::DeclaracaoImportacao("dDesemb_I23=2016-07-28\n", 100)}}, {"", true, nullptr}},
    {V::pl_006j, "GY01 takes 120 instalments", {{"@nota", moxtest::Repete(120, moxtest::Duplicata())}}, {"", true, nullptr}},
    {V::pl_006j, "GW19 tolerance 1 in 4.0", {{"IM_C19", "12345"}, {"vServ_W18", "79.80"}, {"vBC_W19", "80.80"}, {"vISS_W20", "3.99"}, {"vPIS_W21", "1.32"}, {"vCOFINS_W22", "6.06"}, {"@item", "vBC_U02=79.80\nvAliq_U03=5.00\nvISSQN_U04=3.99\ncMunFG_U05=3550308\ncListServ_U06=101"}}, {"", true, nullptr}},
    {V::pl_006s, "GN28.2 never fails outside 5.0a", {{"motDesICMS_N28", "9"}}, {"", true, nullptr}},
};
// clang-format on

void PrintTo(const Caso& aCaso, std::ostream* aSaida) {
  *aSaida << aCaso.regra << " " << mox::VersaoEsquemaToStr(aCaso.versao);
}
void PrintTo(const Aceita& aCaso, std::ostream* aSaida) { *aSaida << aCaso.porque; }

TEST(Regras40e50, ANotaBasePassaNosDoisConjuntos) {
  for (V versao : {V::pl_006e, V::pl_006j, V::pl_006m, V::pl_006s, V::pl_006v}) {
    const auto falha = moxtest::RegraQueFalha(versao, NotaBase());
    EXPECT_FALSE(falha) << mox::VersaoEsquemaToStr(versao) << ": " << falha->texto;
  }
}

class Rejeitada40e50 : public ::testing::TestWithParam<Caso> {};

TEST_P(Rejeitada40e50, AMenorMudancaFalhaComCodigoEMensagem) {
  const Caso& caso = GetParam();
  moxtest::EsperaFalha(moxtest::RegraQueFalha(caso.versao, moxtest::Aplica(NotaBase(), caso.mudancas),
                                              moxtest::Opcoes(caso.opcoes)),
                       caso.regra, caso.codigo, caso.mensagem);
}

INSTANTIATE_TEST_SUITE_P(Catalogo, Rejeitada40e50, ::testing::ValuesIn(kRejeitadas));

class Aceita40e50 : public ::testing::TestWithParam<Aceita> {};

TEST_P(Aceita40e50, PassaNoConjunto) {
  const Aceita& caso = GetParam();
  const auto falha = moxtest::RegraQueFalha(caso.versao, moxtest::Aplica(NotaBase(), caso.mudancas),
                                            moxtest::Opcoes(caso.opcoes));
  EXPECT_FALSE(falha) << falha->texto;
}

INSTANTIATE_TEST_SUITE_P(Catalogo, Aceita40e50, ::testing::ValuesIn(kAceitas));

}  // namespace
