// Each rule of the 5.0a set against the TX2 example it accepts: the smallest change that makes
// the rule reject the note, with the rule's code and message. Rules that an earlier rule of the
// set would shadow are reached by exempting the earlier ones (GN16, whose name is part of
// GN16_04's, by a recipient GN16_04 spares).
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "rules/RegrasDeTeste.h"

namespace {

using V = mox::TVersaoEsquema;

using Caso = moxtest::CasoDeRegra;

std::string NotaBase() { return moxtest::ReadText(moxtest::Fixture("tx2/venda-simples.tx2")); }

using moxtest::DeclaracaoImportacao;
using moxtest::Repete;

// The base note's changes plus aMais.
moxtest::Mudancas Com(moxtest::Mudancas aBase, const moxtest::Mudancas& aMais) {
  aBase.insert(aBase.end(), aMais.begin(), aMais.end());
  return aBase;
}

// The item also taxed by ISSQN, with its totals.
moxtest::Mudancas ComISSQN(const moxtest::Mudancas& aMais, const std::string& aItem = {}) {
  return Com({{"IM_C19", "12345"}, {"vServ_W18", "79.80"}, {"vBC_W19", "79.80"}, {"vISS_W20", "3.99"}, {"vPIS_W21", "1.32"},
              {"vCOFINS_W22", "6.06"}, {"vNF_W16", "159.60"},
              {"@item", "vBC_U02=79.80\nvAliq_U03=5.00\nvISSQN_U04=3.99\ncMunFG_U05=3550308\ncListServ_U06=01.01" + aItem}},
             aMais);
}

// An interstate sale to a final consumer in RJ with the destination-UF group at the given rate.
moxtest::Mudancas ComDifal(const std::string& aAliquotaInter, const moxtest::Mudancas& aMais = {}) {
  return Com({{"idDest_B11a", "2"}, {"UF_E12", "RJ"}, {"cMun_E10", "3304557"}, {"xMun_E11", "RIO DE JANEIRO"},
              {"CFOP_I08", "6102"},
              {"@item", "vBCUFDest_NA03=79.80\npFCPUFDest_NA05=0.00\npICMSUFDest_NA07=18.00\npICMSInter_NA09=" +
                            aAliquotaInter +
                            "\npICMSInterPart_NA11=40.00\nvFCPUFDest_NA13=0.00\nvICMSUFDest_NA15=0.00\n"
                            "vICMSUFRemet_NA17=0.00"}},
             aMais);
}

const std::string kDesembaraco = "dDesemb_I23=2016-07-28\ntpViaTransp_I23a=4\n";

// The export group of the item with an indirect export of the given key.
std::string ExportacaoIndireta(const std::string& aChave) {
  return "INCLUIRPARTE=DETEXPORT\nINCLUIRPARTE=EXPORTIND\nnRE_I53=160123456001\nchNFe_I54=" + aChave +
         "\nqExport_I55=2.0000\nSALVARPARTE=EXPORTIND\nSALVARPARTE=DETEXPORT";
}

// clang-format off
const Caso kCasos[] = {
    {"GB06.1", "450", "Rejeição: Modelo da NF-e diferente de 55", {{"mod_B06", "65"}}, {"", true, nullptr}},
    {"GB26.1", "370", "Rejeição: Nota Fiscal Avulsa com tipo de emissão inválido", {{"procEmi_B26", "1"}, {"tpEmis_B22", "2"}}, {"", true, nullptr}},
    {"GB07", "266", "Rejeição: Série utilizada fora da faixa permitida no WebService (0-899)", {{"serie_B07", "890"}}, {"", true, nullptr}},
    {"GB10.3", "506", "Rejeição: Data de Saída menor que a Data de Emissão", {{"dhSaiEnt_B10", "2016-07-31T10:00:00-03:00"}}, {"", true, nullptr}},
    {"GB12", "270", "Rejeição: Código Município do fato gerador: dígito inválido", {{"cMunFG_B12", "3550309"}}, {"", true, nullptr}},
    {"GB12.1", "271", "Rejeição: Código do Município do Fato Gerador difere da UF do Emitente", {{"cMunFG_B12", "3304557"}}, {"", true, nullptr}},
    {"GB13", "547", "Rejeição: Dígito Verificador da Chave de Acesso da NF-e Referenciada inválido.", {{"@nota", "INCLUIRPARTE=NREF\nrefNFe_BA02=35160711222333000181550010000012341000012340\nSALVARPARTE=NREF"}}, {"", true, nullptr}},
    {"GB17", "548", "Rejeição: CNPJ da NF Referenciada inválido", {{"@nota", "INCLUIRPARTE=NREF\ncUF_BA04=35\nAAMM_BA05=1606\nCNPJ_BA06=11222333000180\nmod_BA07=01\nserie_BA08=1\nnNF_BA09=1\nSALVARPARTE=NREF"}}, {"", true, nullptr}},
    {"GB20d", "549", "Rejeição: CNPJ da NF Referenciada de produtor inválido", {{"@nota", "INCLUIRPARTE=NREF\ncUF_BA11=35\nAAMM_BA12=1606\nCNPJ_BA13=11222333000180\nIE_BA15=ISENTO\nmod_BA16=04\nserie_BA17=0\nnNF_BA18=1\nSALVARPARTE=NREF"}}, {"", true, nullptr}},
    {"GB20e", "550", "Rejeição: CPF da NF Referenciada de produtor inválido", {{"@nota", "INCLUIRPARTE=NREF\ncUF_BA11=35\nAAMM_BA12=1606\nCPF_BA14=11144477736\nIE_BA15=ISENTO\nmod_BA16=04\nserie_BA17=0\nnNF_BA18=1\nSALVARPARTE=NREF"}}, {"", true, nullptr}},
    {"GB20i", "552", "Rejeição: Dígito Verificador da Chave de Acesso do CT-e Referenciado inválido.", {{"@nota", "INCLUIRPARTE=NREF\nrefCTe_BA19=35160711222333000181570010000012341000012340\nSALVARPARTE=NREF"}}, {"", true, nullptr}},
    {"GB21.2", "710", "Rejeição: NF-e com formato de DANFE inválido", {{"tpImp_B21", "4"}}, {"", true, nullptr}},
    {"GB22", "556", "Rejeição: Justificativa de entrada em Contingencia não deve ser informado para tipo de emissão Normal", {{"xJust_B29", "ENTRADA EM CONTINGENCIA POR FALHA"}}, {"", true, nullptr}},
    {"GB22.1", "711", "Rejeição: NF-e com contingência off-line ", {{"tpEmis_B22", "9"}}, {"", true, nullptr}},
    {"GB22.3", "570", "Rejeição: Tipo de Emissão 3, 6 ou 7 só é válido nas contingências SCAN/SVC", {{"tpEmis_B22", "6"}}, {"", true, nullptr}},
    {"GB25", "254", "Rejeição: NF-e complementar não possui NF referenciada", {{"finNFe_B25", "2"}}, {"", true, nullptr}},
    {"GB25.1", "255", "Rejeição: NF-e complementar possui mais de uma NF referenciada", {{"finNFe_B25", "2"}, {"@nota", "INCLUIRPARTE=NREF\nrefNFe_BA02=35160711222333000181550010000012341000012346\nSALVARPARTE=NREF\nINCLUIRPARTE=NREF\nrefNFe_BA02=35160711222333000181550010000012341000012346\nSALVARPARTE=NREF"}}, {"", true, nullptr}},
    {"GB25.2", "269", "Rejeição: CNPJ Emitente da NF Complementar difere do CNPJ da NF Referenciada", {{"finNFe_B25", "2"}, {"@nota", "INCLUIRPARTE=NREF\nrefNFe_BA02=35160711222333000181550010000012341000012346\nSALVARPARTE=NREF"}}, {"", true, nullptr}},
    {"GB25.3", "254", "Rejeição: NF-e complementar não possui NF referenciada", {{"finNFe_B25", "2"}}, {"GB25;", true, nullptr}},
    {"GB25.4", "255", "Rejeição: NF-e complementar possui mais de uma NF referenciada", {{"finNFe_B25", "2"}, {"@nota", "INCLUIRPARTE=NREF\nrefNFe_BA02=35160711222333000181550010000012341000012346\nSALVARPARTE=NREF\nINCLUIRPARTE=NREF\nrefNFe_BA02=35160711222333000181550010000012341000012346\nSALVARPARTE=NREF"}}, {"GB25.1;GB25.2;", true, nullptr}},
    {"GB25b", "794", "Rejeição: NF-e com indicativo de NFC-e com entrega a domicílio", {{"indPres_B25b", "4"}}, {"", true, nullptr}},
    {"GB25.7", "321", "Rejeição: NF-e de devolução de mercadoria não possui documento fiscal referenciado", {{"finNFe_B25", "4"}}, {"", true, nullptr}},
    {"GB26", "451", "Rejeição: Processo de Emissão informado inválido", {{"procEmi_B26", "2"}}, {"", true, nullptr}},
    {"GB28", "558", "Rejeição: Data de entrada em contingência posterior a data de emissão", {{"tpEmis_B22", "6"}, {"xJust_B29", "ENTRADA EM CONTINGENCIA POR FALHA"}, {"dhCont_B28", "2016-08-01T10:08:00-03:00"}}, {"", true, nullptr}},
    {"GC02", "207", "Rejeição: CNPJ do emitente inválido", {{"CNPJ_C02", "12345678000196"}}, {"", true, nullptr}},
    {"GC02a.1", "401", "Rejeição: CPF do emitente inválido", {{"CPF_C02a", "11144477736"}, {"@nota", "CNPJ_D02=46377222000129\nxOrgao_D03=SECRETARIA DA FAZENDA SP\nmatr_D04=123456\nxAgente_D05=CARLOS AGENTE FISCAL\nfone_D06=1632223333\nUF_D07=SP\nnDAR_D08=DAR-2016-001\ndEmi_D09=2016-08-01\nvDAR_D10=120.00\nrepEmi_D11=POSTO FISCAL\ndPag_D12=2016-08-01"}}, {"", true, nullptr}},
    {"GC10", "272", "Rejeição: Código Município deo emitente: Dígito inválido", {{"cMun_C10", "3550309"}}, {"", true, nullptr}},
    {"GC10.1", "273", "Rejeição: Código Município do Emitente difere da UF do emitente", {{"cMun_C10", "3304557"}}, {"", true, nullptr}},
    {"GC18.14", "347", "Rejeição: Informada IE do substituto tributário em operação com o Exterior", {{"IEST_C18", "111111111119"}, {"idDest_B11a", "3"}, {"UF_E12", "EX"}, {"cMun_E10", "9999999"}, {"xMun_E11", "EXTERIOR"}, {"cPais_E14", "2496"}, {"xPais_E15", "ESTADOS UNIDOS"}, {"CPF_E03", ""}, {"idEstrangeiro_E03a", "X123"}, {"CFOP_I08", "7102"}, {"CST_N12", "41"}, {"vBC_N15", ""}, {"pICMS_N16", ""}, {"vICMS_N17", ""}, {"modBC_N13", ""}, {"vBC_W03", "0.00"}, {"vICMS_W04", "0.00"}, {"UFSaidaPais_ZA02", "SP"}, {"xLocExporta_ZA03", "PORTO DE SANTOS"}}, {"", true, nullptr}},
    {"GC18.40", "363", "Rejeição: IE do substituto tributário idêntica à IE do emitente ou do destinatário", {{"IEST_C18", "111111111111"}}, {"", true, nullptr}},
    {"GD01", "403", "Rejeição: O grupo de informações da NF-e avulsa é de uso exclusivo do Fisco", {{"@nota", "CNPJ_D02=46377222000129\nxOrgao_D03=SECRETARIA DA FAZENDA SP\nmatr_D04=123456\nxAgente_D05=CARLOS AGENTE FISCAL\nfone_D06=1632223333\nUF_D07=SP\nnDAR_D08=DAR-2016-001\ndEmi_D09=2016-08-01\nvDAR_D10=120.00\nrepEmi_D11=POSTO FISCAL\ndPag_D12=2016-08-01"}}, {"", true, nullptr}},
    {"GD01.2", "369", "Rejeição: Não informado o grupo avulsa na emissão pelo Fisco", {{"procEmi_B26", "1"}}, {"GB26;", true, nullptr}},
    {"GE02", "507", "Rejeição: O CNPJ do Destinatário/remetente não deve ser informado em operação com o exterior", {{"UF_E12", "EX"}, {"CNPJ_E02", "11222333000181"}, {"CPF_E03", ""}}, {"", false, nullptr}},
    {"GE02.1", "508", "Rejeição: O CNPJ com conteúdo nulo só é válido em operação com exterior", {{"CPF_E03", ""}}, {"", true, nullptr}},
    {"GE02.2", "208", "Rejeição: CNPJ do destinatário inválido", {{"CPF_E03", ""}, {"CNPJ_E02", "11222333000180"}}, {"", true, nullptr}},
    {"GE03", "237", "Rejeição: CPF do destinatário inválido", {{"CPF_E03", "11144477736"}}, {"", true, nullptr}},
    {"GE10", "274", "Rejeição: Código do Município do Destinatário: dígito inválido", {{"cMun_E10", "3550309"}}, {"", true, nullptr}},
    {"GE10.1", "275", "Rejeição: Código do Município do Destinatário difere da UF do destinatário", {{"cMun_E10", "3304557"}}, {"", true, nullptr}},
    {"GE10.2", "509", "Rejeição: Informado Código do Município Diferente de 9999999 para operação com exterior", {{"idDest_B11a", "3"}}, {"", true, nullptr}},
    {"GE14", "510", "Rejeição: Operação com Exterior e Código País destinatário é 1058 (Brasil) ou não informado", {{"idDest_B11a", "3"}, {"cMun_E10", "9999999"}}, {"GE10.1;", true, nullptr}},
    {"GE14.1", "511", "Rejeição: Não é de Operação com Exterior e Código País destinatário difere de 1058(Brasil)", {{"cPais_E14", "2496"}}, {"", true, nullptr}},
    {"GE17", "210", "Rejeição: IE do Destinatário inválida", {{"UF_E12", "EX"}, {"cMun_E10", "9999999"}, {"cPais_E14", "2496"}, {"IE_E17", "123"}}, {"GE14.1;", true, nullptr}},
    {"GF02", "512", "Rejeição: CNPJ do local de Retirada inválido", {{"@nota", "CNPJ_F02=11222333000180\nxLgr_F03=RUA\nnro_F04=1\nxBairro_F06=CENTRO\ncMun_F07=3550308\nxMun_F08=SAO PAULO\nUF_F09=SP"}}, {"", true, nullptr}},
    {"GF07.1", "276", "Rejeição: Código Município do Local de Retirada: dígito inválido", {{"@nota", "CNPJ_F02=11222333000181\nxLgr_F03=RUA\nnro_F04=1\nxBairro_F06=CENTRO\ncMun_F07=3550309\nxMun_F08=SAO PAULO\nUF_F09=SP"}}, {"", true, nullptr}},
    {"GF07.2", "277", "Rejeição: Código do Município do Local de Retirada difere da UF do Local de Retirada", {{"@nota", "CNPJ_F02=11222333000181\nxLgr_F03=RUA\nnro_F04=1\nxBairro_F06=CENTRO\ncMun_F07=3304557\nxMun_F08=RIO\nUF_F09=SP"}}, {"", true, nullptr}},
    {"GG02", "514", "Rejeição: CNPJ do local de Entrega inválido", {{"@nota", "CNPJ_G02=11222333000180\nxLgr_G03=RUA\nnro_G04=1\nxBairro_G06=CENTRO\ncMun_G07=3550308\nxMun_G08=SAO PAULO\nUF_G09=SP"}}, {"", true, nullptr}},
    {"GG07.1", "279", "Rejeição: Código Município do Local de Entrega: dígito inválido", {{"@nota", "CNPJ_G02=11222333000181\nxLgr_G03=RUA\nnro_G04=1\nxBairro_G06=CENTRO\ncMun_G07=3550309\nxMun_G08=SAO PAULO\nUF_G09=SP"}}, {"", true, nullptr}},
    {"GG07.2", "279", "Rejeição: Código do Município do Local de Entrega difere da UF do Local de Entrega", {{"@nota", "CNPJ_G02=11222333000181\nxLgr_G03=RUA\nnro_G04=1\nxBairro_G06=CENTRO\ncMun_G07=3304557\nxMun_G08=RIO\nUF_G09=SP"}}, {"", true, nullptr}},
    {"GI03", "611", "Rejeição: cEAN inválido", {{"cEAN_I03", "7891234500018"}}, {"", true, nullptr}},
    {"GI12", "612", "Rejeição: cEANTrib inválido", {{"cEANTrib_I12", "7891234500018"}}, {"", true, nullptr}},
    {"GI08", "518", "Rejeição: CFOP de entrada para NF-e de saída", {{"CFOP_I08", "1102"}}, {"", true, nullptr}},
    {"GI08.1", "519", "Rejeição: CFOP de saída para NF-e de entrada", {{"tpNF_B11", "0"}}, {"", true, nullptr}},
    {"GI08.2", "520", "Rejeição: CFOP de operação com exterior e UF destinatário difere de EX", {{"CFOP_I08", "7102"}}, {"", true, nullptr}},
    {"GI08.4", "732", "Rejeição: CFOP de operação interestadual e idDest <> 2", {{"CFOP_I08", "1102"}, {"tpNF_B11", "0"}, {"UF_E12", "RJ"}, {"cMun_E10", "3304557"}}, {"", true, nullptr}},
    {"GI08.5", "733", "Rejeição: CFOP de operação interna e idDest <> 1", {{"idDest_B11a", "2"}}, {"", true, nullptr}},
    {"GI08.7", "525", "Rejeição: CFOP de importação e não informado dados da DI", {{"CFOP_I08", "3102"}, {"tpNF_B11", "0"}}, {"GI08.2;", true, nullptr}},
    {"GI08.8", "526", "Rejeição: CFOP de Exportação e não informado Local de Embarque", {{"CFOP_I08", "7102"}}, {"GI08.2;", true, nullptr}},
    {"GI08.9", "731", "Rejeição: CFOP de operação com Exterior e idDest <> 3", {{"CFOP_I08", "3102"}, {"tpNF_B11", "0"}}, {"GI08.2;GI08.7;", true, nullptr}},
    {"GI08.10", "732", "Rejeição: CFOP de operação interestadual e idDest <> 2", {{"CFOP_I08", "6102"}}, {"", true, nullptr}},
    {"GI08.12", "327", "Rejeição: CFOP inválido para Nota Fiscal com finalidade de devolução", {{"finNFe_B25", "4"}, {"@nota", "INCLUIRPARTE=NREF\nrefNFe_BA02=35160711222333000181550010000012341000012346\nSALVARPARTE=NREF"}}, {"", true, nullptr}},
    {"GI08.13", "328", "Rejeição: CFOP de devolução de mercadoria para NF-e que não tem finalidade de devolução de mercadoria", {{"CFOP_I08", "5202"}}, {"", true, nullptr}},
    {"GI17.10", "483", "Rejeição: Valor do desconto maior que valor do produto", {{"vDesc_I17", "80.00"}, {"vDesc_W10", "80.00"}}, {"", true, nullptr}},
    {"GN12", "527", "Rejeição: Operação de Exportação com informação de ICMS incompatível", {{"CFOP_I08", "7102"}}, {"GI08.2;GI08.8;GI08.9;", true, nullptr}},
    {"GU01", "530", "Rejeição: Operação com tributação de ISSQN sem informar a Inscrição Municipal", {{"@item", "vBC_U02=79.80\nvAliq_U03=5.00\nvISSQN_U04=3.99\ncMunFG_U05=3550308\ncListServ_U06=01.01"}}, {"", true, nullptr}},
    {"GX04", "542", "Rejeição: CNPJ do transportador inválido", {{"@nota", "CNPJ_X04=11222333000180"}}, {"", true, nullptr}},
    {"GX05", "543", "Rejeição: CPF do transportador inválido", {{"@nota", "CPF_X05=11144477736"}}, {"", true, nullptr}},
    {"GX07", "559", "Rejeição: UF do Transportador não informada", {{"@nota", "IE_X07=123456789\nxNome_X06=TRANSPORTADORA"}}, {"", true, nullptr}},
    {"GX17", "288", "Rejeição: Código do município do FG - Transporte: dígito inválido", {{"@nota", "vServ_X12=10.00\nvBCRet_X13=10.00\npICMSRet_X14=12.00\nvICMSRet_X15=1.20\nCFOP_X16=5352\ncMunFG_X17=3550309"}}, {"", true, nullptr}},
    {"GW03", "531", "Rejeição: Total da BC ICMS difere do somatório dos itens", {{"vBC_W03", "80.81"}}, {"", true, nullptr}},
    {"GW04", "532", "Rejeição: Total do ICMS difere do somatório dos itens", {{"vICMS_W04", "14.87"}}, {"", true, nullptr}},
    {"GW04.a", "795", "Rejeição: Total do ICMS desonerado difere do somatório dos itens", {{"vICMSDeson_W04a", "0.51"}}, {"", true, nullptr}},
    {"GW05", "533", "Rejeição: Total da BC ICMS-ST difere do somatório dos itens", {{"vBCST_W05", "0.51"}}, {"", true, nullptr}},
    {"GW06", "534", "Rejeição: Total do ICMS-ST difere do somatório dos itens", {{"vST_W06", "0.51"}, {"vNF_W16", "80.31"}}, {"", true, nullptr}},
    {"GW07", "564", "Rejeição: Total do Produto/Serviço difere do somatório dos itens", {{"vProd_W07", "80.31"}, {"vNF_W16", "80.31"}}, {"", true, nullptr}},
    {"GW08", "535", "Rejeição: Total do Frete difere do somatório dos itens", {{"vFrete_W08", "0.01"}, {"vNF_W16", "79.81"}}, {"", true, nullptr}},
    {"GW09", "536", "Rejeição: Total do Seguro difere do somatório dos itens", {{"vSeg_W09", "0.51"}, {"vNF_W16", "80.31"}}, {"", true, nullptr}},
    {"GW10", "537", "Rejeição: Total do Desconto difere do somatório dos itens", {{"vDesc_W10", "0.51"}, {"vNF_W16", "79.29"}}, {"", true, nullptr}},
    {"GW11", "601", "Rejeição: Total do vII difere do somatório dos itens", {{"vII_W11", "0.51"}, {"vNF_W16", "80.31"}}, {"", true, nullptr}},
    {"GW12", "538", "Rejeição: Total do IPI difere do somatório dos itens", {{"vIPI_W12", "0.51"}, {"vNF_W16", "80.31"}}, {"", true, nullptr}},
    {"GW13", "602", "Rejeição: Total do PIS difere do somatório dos itens sujeitos ao ICMS", {{"vPIS_W13", "1.83"}}, {"", true, nullptr}},
    {"GW14", "603", "Rejeição: Total do COFINS difere do somatório dos itens sujeitos ao ICMS", {{"vCOFINS_W14", "6.57"}}, {"", true, nullptr}},
    {"GW15", "604", "Rejeição: Total do vOutro difere do somatório dos itens", {{"vOutro_W15", "0.51"}, {"vNF_W16", "80.31"}}, {"", true, nullptr}},
    {"GW16", "610", "Rejeição: Total da NF difere do somatório dos Valores compõe o valor Total da NF", {{"vNF_W16", "80.31"}}, {"", true, nullptr}},
    {"GW16a", "685", "Rejeição: Total do Valor Aproximado dos Tributos difere do somatório dos itens", {{"vTotTrib_W16a", "12.00"}, {"@item", "vTotTrib_M02=10.00"}}, {"", true, nullptr}},
    {"GW16b", "685", "Rejeição: Total do Valor Aproximado dos Tributos difere do somatório dos itens", {{"vTotTrib_W16a", "12.00"}, {"@item", "vTotTrib_M02=10.00"}}, {"GW16a;", true, nullptr}},
    {"J02c", "615", "Rejeição: Chave de Acesso inválida (Ano < 06 ou Ano maior que Ano corrente).", {}, {"GB09.1;", true, "2015-12-31T10:00"}},
    {"GB09.1", "228", "Rejeição: Data de Emissão muito atrasada", {}, {"", true, "2016-09-01T10:00"}},
    {"GB09.2", "703", "Rejeição: Data-Hora de Emissão posterior ao horário de recebimento ", {}, {"", true, "2016-08-01T09:54"}},
    {"B09.30", "315", "Rejeição: Data da emissão da anterior ao início da autorização de Nota Fiscal na UF", {{"dhEmi_B09", "2006-09-13T10:00:00-03:00"}}, {"", true, "2006-09-13T10:01"}},
    {"GE03a", "720", "Rejeição: Na operação com Exterior deve ser informada tag idEstrangeiro", {{"idDest_B11a", "3"}, {"UF_E12", "EX"}, {"cMun_E10", "9999999"}, {"cPais_E14", "2496"}, {"CPF_E03", ""}}, {"", true, nullptr}},
    {"GE03a.1", "721", "Rejeição: Operação interestadual deve informar CNPJ ou CPF", {{"idDest_B11a", "2"}, {"CPF_E03", ""}, {"idEstrangeiro_E03a", "X123"}}, {"GE02.1;GI08.5;", true, nullptr}},
    {"GE03a.2", "722", "Rejeição: Operação interna com idEstrangeiro informado deve ser presencial", {{"CPF_E03", ""}, {"idEstrangeiro_E03a", "X123"}, {"indPres_B25b", "2"}}, {"GE02.1;", true, nullptr}},
    {"GE03a.3", "723", "Rejeição: Operação interna com idEstrangeiro informado deve ser para consumidor final", {{"CPF_E03", ""}, {"idEstrangeiro_E03a", "X123"}, {"indFinal_B25a", "0"}}, {"GE02.1;", true, nullptr}},
    {"GE04", "724", "Rejeição: NF-e sem o nome do destinatário", {{"xNome_E04", ""}}, {"", true, nullptr}},
    {"GE05", "726", "Rejeição: NF-e sem a informação de endereço do destinatário", {{"xLgr_E06", ""}, {"nro_E07", ""}, {"xBairro_E09", ""}, {"cMun_E10", ""}, {"xMun_E11", ""}, {"UF_E12", ""}, {"CEP_E13", ""}, {"cPais_E14", ""}, {"xPais_E15", ""}}, {"GE10.1;GE14.1;", true, nullptr}},
    {"GE12", "727", "Rejeição: Operação com Exterior e UF diferente de EX", {{"idDest_B11a", "3"}, {"UF_E12", "EX"}, {"cMun_E10", "9999999"}, {"xMun_E11", "EXTERIOR"}, {"cPais_E14", "2496"}, {"xPais_E15", "ESTADOS UNIDOS"}, {"CPF_E03", ""}, {"idEstrangeiro_E03a", "X123"}, {"CFOP_I08", "7102"}, {"CST_N12", "41"}, {"vBC_N15", ""}, {"pICMS_N16", ""}, {"vICMS_N17", ""}, {"modBC_N13", ""}, {"vBC_W03", "0.00"}, {"vICMS_W04", "0.00"}, {"UFSaidaPais_ZA02", "SP"}, {"xLocExporta_ZA03", "PORTO DE SANTOS"}, {"UF_E12", "SP"}}, {"GE02.1;GE10.1;GI08.2;", true, nullptr}},
    {"GE12.1", "771", "Rejeição: Operação Interestadual e UF de destino com EX", {{"idDest_B11a", "2"}, {"UF_E12", "EX"}, {"cMun_E10", "9999999"}}, {"", true, nullptr}},
    {"GE12.3", "773", "Rejeição: Operação Interna e UF de destino difere da UF do emitente", {{"indFinal_B25a", "0"}, {"UF_E12", "RJ"}, {"cMun_E10", "3304557"}}, {"", true, nullptr}},
    {"GE16.a", "790", "Rejeição: Operação com Exterior para destinatário Contribuinte de ICMS", {{"idDest_B11a", "3"}, {"UF_E12", "EX"}, {"cMun_E10", "9999999"}, {"xMun_E11", "EXTERIOR"}, {"cPais_E14", "2496"}, {"xPais_E15", "ESTADOS UNIDOS"}, {"CPF_E03", ""}, {"idEstrangeiro_E03a", "X123"}, {"CFOP_I08", "7102"}, {"CST_N12", "41"}, {"vBC_N15", ""}, {"pICMS_N16", ""}, {"vICMS_N17", ""}, {"modBC_N13", ""}, {"vBC_W03", "0.00"}, {"vICMS_W04", "0.00"}, {"UFSaidaPais_ZA02", "SP"}, {"xLocExporta_ZA03", "PORTO DE SANTOS"}, {"indIEDest_E16a", "1"}}, {"", true, nullptr}},
    {"GE17.1", "728", "Rejeição: NF-e sem informação da IE do destinatário", {{"indIEDest_E16a", "1"}}, {"", true, nullptr}},
    {"GE17.2", "791", "Rejeição: NF-e com indicação de destinatário isentode IE, com a informação da IE do destinatário", {{"indIEDest_E16a", "2"}, {"IE_E17", "123456789012"}}, {"", true, nullptr}},
    {"GE17.3", "792", "Rejeição: Informada a IE do destinatário para operação com destinatário no Exterior", {{"UF_E12", "EX"}, {"cMun_E10", "9999999"}, {"cPais_E14", "2496"}, {"IE_E17", "ISENTO"}}, {"GE14.1;", true, nullptr}},
    {"GI05.10", "777", "Rejeição: Obrigatória a informação do NCM completo", {{"NCM_I05", "6109100"}}, {"", true, nullptr}},
    {"GI05.3", "471", "Rejeição: Informado NCM=00 indevidamente", {{"NCM_I05", "00"}}, {"", true, nullptr}},
    {"GL101", "660", "Rejeição: CFOP de Combustível e não informado grupo de combustível da NF-e.", {{"CFOP_I08", "5656"}}, {"", true, nullptr}},
    {"GQ01_2", "745", "Rejeição: NF-e sem grupo do PIS", {{"CST_Q06", ""}, {"vBC_Q07", ""}, {"pPIS_Q08", ""}, {"vPIS_Q09", ""}, {"vPIS_W13", "0.00"}}, {"", true, nullptr}},
    {"GS01_2", "748", "Rejeição: NF-e sem grupo do COFINS", {{"CST_S06", ""}, {"vBC_S07", ""}, {"pCOFINS_S08", ""}, {"vCOFINS_S11", ""}, {"vCOFINS_W14", "0.00"}}, {"", true, nullptr}},
    {"GN17_2", "528", "Rejeição: Valor do ICMS difere do produto BC e Alíquota", {{"vICMS_N17", "15.37"}, {"vICMS_W04", "15.37"}}, {"", true, nullptr}},
    {"GZA01", "355", "Rejeição: Informar o local de saída do Pais no caso da exportação", {{"idDest_B11a", "3"}, {"UF_E12", "EX"}, {"cMun_E10", "9999999"}, {"xMun_E11", "EXTERIOR"}, {"cPais_E14", "2496"}, {"xPais_E15", "ESTADOS UNIDOS"}, {"CPF_E03", ""}, {"idEstrangeiro_E03a", "X123"}, {"CFOP_I08", "7102"}, {"CST_N12", "41"}, {"vBC_N15", ""}, {"pICMS_N16", ""}, {"vICMS_N17", ""}, {"modBC_N13", ""}, {"vBC_W03", "0.00"}, {"vICMS_W04", "0.00"}}, {"GI08.8;", true, nullptr}},
    {"GZA01.1", "356", "Rejeição: Informar o local de saída do Pais somente no caso da exportação", {{"UFSaidaPais_ZA02", "SP"}, {"xLocExporta_ZA03", "PORTO"}}, {"", true, nullptr}},
    {"GZB02", "359", "Rejeição: NF-e de venda a Órgão Público sem informa a Nota de Empenho", {{"CST_N12", "40"}, {"vBC_N15", ""}, {"pICMS_N16", ""}, {"vICMS_N17", ""}, {"modBC_N13", ""}, {"motDesICMS_N28", "8"}, {"vICMSDeson_N27a", "1.00"}, {"vBC_W03", "0.00"}, {"vICMS_W04", "0.00"}, {"vICMSDeson_W04a", "1.00"}, {"vNF_W16", "78.80"}}, {"", true, nullptr}},
    {"BA02.40", "316", "Rejeição: Nota Fiscal referenciada com a mesma Chave de Acesso da Nota Fiscal atual", {{"@nota", "INCLUIRPARTE=NREF\nrefNFe_BA02=35160812345678000195550010000000011100000011\nSALVARPARTE=NREF"}}, {"", true, nullptr}},
    {"GI08.3", "521", "Rejeição: CFOP de Operação Estadual e UF do emitente difere da UF do destinatário para destinatário contribuinte do ICMS", {{"UF_E12", "RJ"}, {"cMun_E10", "3304557"}, {"IE_E17", "123456789"}, {"indIEDest_E16a", "1"}, {"modFrete_X02", "0"}}, {"", true, nullptr}},
    {"GL102a", "461", "Rejeição: Informado percentual de Gás Natural na mistura para produto diferente de GLP", {{"@item", "cProdANP_LA02=820101001\npMixGN_LA03=50.0000\nUFCons_LA06=SP"}}, {"", true, nullptr}},
    {"GLB01.3", "350", "Rejeição: Número RECOPI inválido", {{"@item", "nRECOPI_LB01=123"}}, {"", true, nullptr}},
    {"GN17", "528", "Rejeição: Valor do ICMS difere do produto BC e Alíquota", {{"CST_N12", "51"}, {"vBC_W03", "0.00"}, {"vICMS_W04", "0.00"}, {"vICMSOp_N16a", "14.36"}, {"pDif_N16b", "100.0000"}, {"vICMSDif_N16c", "14.36"}, {"vICMS_N17", "5.00"}}, {"", true, nullptr}},
    {"GN16a", "351", "Rejeição: Valor do ICMS da Operação no CST=51 difere do produto BC e Alíquota", {{"CST_N12", "51"}, {"vBC_W03", "0.00"}, {"vICMS_W04", "0.00"}, {"vICMSOp_N16a", "20.00"}, {"pDif_N16b", "100.0000"}, {"vICMSDif_N16c", "20.00"}, {"vICMS_N17", "0.00"}}, {"", true, nullptr}},
    {"GN16c", "352", "Rejeição: Valor do ICMS Diferido no CST=51 difere do produto Valor ICMS Operação e percentual diferimento", {{"CST_N12", "51"}, {"vBC_W03", "0.00"}, {"vICMS_W04", "0.00"}, {"vICMSOp_N16a", "14.36"}, {"pDif_N16b", "100.0000"}, {"vICMSDif_N16c", "10.00"}, {"vICMS_N17", "4.36"}}, {"", true, nullptr}},
    {"GO09_10", "388", "Rejeição: Código de Situação Tributária do IPI incompatível com o Código de Enquadramento Legal do IPI", {{"@item", "cEnq_O06=999\nCST_O09=52"}}, {"", true, nullptr}},
    {"GU05.10", "287", "Rejeição: Código Município do Fato Gerador de ISSQN inexistente", {{"IM_C19", "12345"}, {"@item", "vBC_U02=79.80\nvAliq_U03=5.00\nvISSQN_U04=3.99\ncMunFG_U05=3550309\ncListServ_U06=01.01"}}, {"", true, nullptr}},
    {"G07.20", "278", "Rejeição: Código do munícípio do local de entrega inexistente", {{"@nota", "CNPJ_G02=11222333000181\nxLgr_G03=RUA\nnro_G04=1\nxBairro_G06=CENTRO\ncMun_G07=3550309\nxMun_G08=SAO PAULO\nUF_G09=SP"}}, {"GG07.1;", true, nullptr}},
    {"GE12.2", "772", "Rejeição: Operação Interestadual e UF de destino igual à UF do emitente", {{"idDest_B11a", "2"}, {"CFOP_I08", "6102"}}, {"", true, nullptr}},
    {"N16.20", "693", "Rejeição: Alíquota de ICMS superior a definida para a operação interestadual", {{"idDest_B11a", "2"}, {"UF_E12", "BA"}, {"cMun_E10", "2927408"}, {"xMun_E11", "SALVADOR"}, {"CFOP_I08", "6102"}, {"indIEDest_E16a", "1"}, {"IE_E17", "123456789"}, {"@item", "vBCUFDest_NA03=79.80\npFCPUFDest_NA05=0.00\npICMSUFDest_NA07=18.00\npICMSInter_NA09=12.00\npICMSInterPart_NA11=40.00\nvFCPUFDest_NA13=0.00\nvICMSUFDest_NA15=0.00\nvICMSUFRemet_NA17=0.00"}}, {"", true, nullptr}},
    {"NA11.10", "699", "Rejeição: Percentual do ICMS interestadual para a UF de destino difere do previsto para o ano da data de emissão", {{"idDest_B11a", "2"}, {"UF_E12", "RJ"}, {"cMun_E10", "3304557"}, {"xMun_E11", "RIO DE JANEIRO"}, {"CFOP_I08", "6102"}, {"@item", "vBCUFDest_NA03=79.80\npFCPUFDest_NA05=0.00\npICMSUFDest_NA07=18.00\npICMSInter_NA09=12.00\npICMSInterPart_NA11=60.00\nvFCPUFDest_NA13=0.00\nvICMSUFDest_NA15=0.00\nvICMSUFRemet_NA17=0.00"}}, {"", true, nullptr}},
    {"NA13.10", "793", "Rejeição: Valor do ICMS relativo ao Fundo de Combate à Pobreza na UF de destino difere do calculado", {{"idDest_B11a", "2"}, {"UF_E12", "RJ"}, {"cMun_E10", "3304557"}, {"xMun_E11", "RIO DE JANEIRO"}, {"CFOP_I08", "6102"}, {"@item", "vBCUFDest_NA03=79.80\npFCPUFDest_NA05=2.00\npICMSUFDest_NA07=18.00\npICMSInter_NA09=12.00\npICMSInterPart_NA11=40.00\nvFCPUFDest_NA13=1.62\nvICMSUFDest_NA15=0.00\nvICMSUFRemet_NA17=0.00"}}, {"", true, nullptr}},
    {"GNA01.20", "694", "Rejeição: Não informado o grupo de ICMS para a UF de destino", {{"idDest_B11a", "2"}, {"UF_E12", "RJ"}, {"cMun_E10", "3304557"}, {"xMun_E11", "RIO DE JANEIRO"}, {"CFOP_I08", "6102"}}, {"", true, nullptr}},
    {"E16a.30", "805", "Rejeição: A SEFAZ do destinatário não permite Contribuinte Isento de Inscrição Estadual.", {{"indIEDest_E16a", "2"}}, {"", true, nullptr}},
    {"N12.80", "529", "Rejeição: CST incompatível na operação com Contribuinte Isento de Inscrição Estadual", {{"indIEDest_E16a", "2"}, {"UF_E12", "RJ"}, {"cMun_E10", "3304557"}, {"CST_N12", "50"}, {"vBC_N15", ""}, {"pICMS_N16", ""}, {"vICMS_N17", ""}, {"modBC_N13", ""}, {"vBC_W03", "0.00"}, {"vICMS_W04", "0.00"}}, {"", true, nullptr}},
    {"I08.190", "701", "Rejeição: Não informado nota fiscal referenciada (CFOP de Exportação Indireta)", {{"idDest_B11a", "3"}, {"UF_E12", "EX"}, {"cMun_E10", "9999999"}, {"xMun_E11", "EXTERIOR"}, {"cPais_E14", "2496"}, {"xPais_E15", "ESTADOS UNIDOS"}, {"CPF_E03", ""}, {"idEstrangeiro_E03a", "X123"}, {"CFOP_I08", "7102"}, {"CST_N12", "41"}, {"vBC_N15", ""}, {"pICMS_N16", ""}, {"vICMS_N17", ""}, {"modBC_N13", ""}, {"vBC_W03", "0.00"}, {"vICMS_W04", "0.00"}, {"UFSaidaPais_ZA02", "SP"}, {"xLocExporta_ZA03", "PORTO DE SANTOS"}, {"CFOP_I08", "7501"}}, {"", true, nullptr}},
    {"GX04.1", "362", "Rejeição: Venda de combustível sem informação do Transportador", {{"CFOP_I08", "5656"}, {"@item", "cProdANP_LA02=320102001\nUFCons_LA06=SP"}}, {"", true, nullptr}},
    {"GN28", "625", "Rejeição: Inscrição SUFRAMA deve ser informada na venda com isenção para ZFM", {{"CST_N12", "40"}, {"motDesICMS_N28", "7"}, {"vICMSDeson_N27a", "1.00"}, {"vICMSDeson_W04a", "1.00"}, {"vBC_N15", ""}, {"pICMS_N16", ""}, {"vICMS_N17", ""}, {"modBC_N13", ""}, {"vBC_W03", "0.00"}, {"vICMS_W04", "0.00"}}, {"", true, nullptr}},
    {"GI08.20", "597", "Rejeição: CFPO de importação e não informado dados de IPI", {{"CFOP_I08", "3102"}, {"tpNF_B11", "0"}}, {"GI08.2;GI08.7;GI08.9;", true, nullptr}},
    {"GN16_04", "663", "Rejeição: Alíquota do ICMS com valor superior a 4 por cento na operação de saída interestadual com produtos importados", {{"idDest_B11a", "2"}, {"UF_E12", "RJ"}, {"cMun_E10", "3304557"}, {"xMun_E11", "RIO DE JANEIRO"}, {"CFOP_I08", "6102"}, {"indIEDest_E16a", "1"}, {"IE_E17", "123456789"}, {"orig_N11", "1"}, {"pICMS_N16", "12.00"}, {"vICMS_N17", "9.58"}, {"vICMS_W04", "9.58"}}, {"", true, nullptr}},
    {"GN16", "663", " Rejeição: Alíquota do ICMS com valor superior a 4 por cento na operação de saída interestadual com produtos importados", {{"idDest_B11a", "2"}, {"UF_E12", "RJ"}, {"cMun_E10", "3304557"}, {"xMun_E11", "RIO DE JANEIRO"}, {"CFOP_I08", "6102"}, {"indIEDest_E16a", "9"}, {"IE_E17", "123456789"}, {"orig_N11", "1"}, {"pICMS_N16", "12.00"}, {"vICMS_N17", "9.58"}, {"vICMS_W04", "9.58"}}, {"", true, nullptr}},
    {"GB28", "558", "Rejeição: Data de entrada em contingência posterior a data de emissão", {{"tpEmis_B22", "6"}, {"xJust_B29", "ENTRADA EM CONTINGENCIA POR FALHA"}, {"dhCont_B28", "2016-08-01T23:50:00-03:00"}}, {"", true, "2016-08-02T00:10"}},
    {"GC02a", "407", "Rejeição: O CPF só pode ser informado no campo emitente para a NF-e avulsa", {{"CPF_C02a", "11144477735"}}, {"", true, nullptr}},
    {"GF02a", "540", "Rejeição: CPF do local de Retirada inválido", {{"@nota", "CPF_F02a=11144477736\nxLgr_F03=RUA\nnro_F04=1\nxBairro_F06=CENTRO\ncMun_F07=3550308\nxMun_F08=CIDADE\nUF_F09=SP"}}, {"", true, nullptr}},
    {"GF07", "513", "Rejeição: Código Município do Local de Retirada deve ser 9999999 para UF = EX", {{"@nota", "CNPJ_F02=11222333000181\nxLgr_F03=RUA\nnro_F04=1\nxBairro_F06=CENTRO\ncMun_F07=3550308\nxMun_F08=CIDADE\nUF_F09=EX"}}, {"", true, nullptr}},
    {"GG02a", "541", "Rejeição: CPF do local de Entrega inválido", {{"@nota", "CPF_G02a=11144477736\nxLgr_G03=RUA\nnro_G04=1\nxBairro_G06=CENTRO\ncMun_G07=3550308\nxMun_G08=CIDADE\nUF_G09=SP"}}, {"", true, nullptr}},
    {"GG07", "515", "Rejeição: Código Município do Local de Entrega deve ser 9999999 para UF = EX", {{"@nota", "CNPJ_G02=11222333000181\nxLgr_G03=RUA\nnro_G04=1\nxBairro_G06=CENTRO\ncMun_G07=3550308\nxMun_G08=CIDADE\nUF_G09=EX"}}, {"", true, nullptr}},
    {"GN28.1", "626", "Rejeição: CFOP de operação isenta para ZFM diferente do previsto", {{"CST_N12", "40"}, {"motDesICMS_N28", "7"}, {"ISUF_E18", "123456789"}, {"vICMSDeson_N27a", "1.00"}, {"vICMSDeson_W04a", "1.00"}, {"vBC_N15", ""}, {"pICMS_N16", ""}, {"vICMS_N17", ""}, {"modBC_N13", ""}, {"vBC_W03", "0.00"}, {"vICMS_W04", "0.00"}}, {"", true, nullptr}},
    {"GN28_2", "626", "Rejeição: CFOP de operação isenta para ZFM diferente do previsto", {{"CST_N12", "40"}, {"motDesICMS_N28", "7"}, {"ISUF_E18", "123456789"}, {"vICMSDeson_N27a", "1.00"}, {"vICMSDeson_W04a", "1.00"}, {"vBC_N15", ""}, {"pICMS_N16", ""}, {"vICMS_N17", ""}, {"modBC_N13", ""}, {"vBC_W03", "0.00"}, {"vICMS_W04", "0.00"}}, {"GN28.1;", true, nullptr}},
    {"GW18", "605", "Rejeição: Total do vServ difere do somatório do vProd dos itens sujeito ao ISSQN", {{"IM_C19", "12345"}, {"@item", "vBC_U02=79.80\nvAliq_U03=5.00\nvISSQN_U04=3.99\ncMunFG_U05=3550308\ncListServ_U06=01.01"}}, {"", true, nullptr}},
    {"U14.10", "389", "Rejeição: Código do Município ISSQN inexistente", {{"IM_C19", "12345"}, {"vServ_W18", "79.80"}, {"vBC_W19", "79.80"}, {"vISS_W20", "3.99"}, {"vPIS_W21", "1.32"}, {"vCOFINS_W22", "6.06"}, {"vNF_W16", "159.60"}, {"@item", "vBC_U02=79.80\nvAliq_U03=5.00\nvISSQN_U04=3.99\ncMunFG_U05=3550308\ncListServ_U06=01.01\ncMun_U14=3550309"}}, {"", true, nullptr}},
    {"GNA09.10", "697", "Rejeição: Alíquota interestadual do ICMS para produtos importados com origem diferente dos previstos ", {{"idDest_B11a", "2"}, {"UF_E12", "RJ"}, {"cMun_E10", "3304557"}, {"xMun_E11", "RIO DE JANEIRO"}, {"CFOP_I08", "6102"}, {"@item", "vBCUFDest_NA03=79.80\npFCPUFDest_NA05=0.00\npICMSUFDest_NA07=18.00\npICMSInter_NA09=4.00\npICMSInterPart_NA11=40.00\nvFCPUFDest_NA13=0.00\nvICMSUFDest_NA15=0.00\nvICMSUFRemet_NA17=0.00"}}, {"", true, nullptr}},
    {"GNA01.30", "695", "Rejeição: Informado indevidamente o grupo de ICMS para a UF de destino", {{"@item", "vBCUFDest_NA03=79.80\npFCPUFDest_NA05=0.00\npICMSUFDest_NA07=18.00\npICMSInter_NA09=12.00\npICMSInterPart_NA11=40.00\nvFCPUFDest_NA13=0.00\nvICMSUFDest_NA15=0.00\nvICMSUFRemet_NA17=0.00"}}, {"", true, nullptr}},
    {"NA09.20", "697", "Rejeição: Alíquota interestadual do ICMS com origem diferente do previsto", {{"idDest_B11a", "2"}, {"UF_E12", "RJ"}, {"cMun_E10", "3304557"}, {"xMun_E11", "RIO DE JANEIRO"}, {"CFOP_I08", "6102"}, {"orig_N11", "1"}, {"@item", "vBCUFDest_NA03=79.80\npFCPUFDest_NA05=0.00\npICMSUFDest_NA07=18.00\npICMSInter_NA09=12.00\npICMSInterPart_NA11=40.00\nvFCPUFDest_NA13=0.00\nvICMSUFDest_NA15=0.00\nvICMSUFRemet_NA17=0.00"}}, {"", true, nullptr}},
    {"W04c.10", "798", "Rejeição: Valor total do ICMS relativo Fundo de Combate à Pobreza (FCP) da UF de destino difere do somatório do valor dos itens", {{"idDest_B11a", "2"}, {"UF_E12", "RJ"}, {"cMun_E10", "3304557"}, {"xMun_E11", "RIO DE JANEIRO"}, {"CFOP_I08", "6102"}, {"@item", "vBCUFDest_NA03=79.80\npFCPUFDest_NA05=2.00\npICMSUFDest_NA07=18.00\npICMSInter_NA09=12.00\npICMSInterPart_NA11=40.00\nvFCPUFDest_NA13=1.60\nvICMSUFDest_NA15=0.00\nvICMSUFRemet_NA17=0.00"}}, {"", true, nullptr}},
    {"GI01", "", "Número de ocorrências da Declaração de Importação maior que 100", {{"@item", Repete(101, DeclaracaoImportacao(kDesembaraco))}}, {"", true, nullptr}},
    {"GI18", "", "Número de ocorrências das Adições maior que 100", {{"@item", DeclaracaoImportacao(kDesembaraco, 101)}}, {"", true, nullptr}},
    {"GY01", "", "Número de ocorrências do Grupo da Duplicata maior que 120", {{"@nota", Repete(121, moxtest::Duplicata())}}, {"", true, nullptr}},
    {"GI23.10", "376", "Rejeição: Data do Desembaraço Aduaneiro inválida", {{"@item", DeclaracaoImportacao("dDesemb_I23=2010-07-28\ntpViaTransp_I23a=4\n")}}, {"", true, nullptr}},
    {"GI23.10", "376", "Rejeição: Data do Desembaraço Aduaneiro inválida", {{"@item", DeclaracaoImportacao("dDesemb_I23=2016-08-02\ntpViaTransp_I23a=4\n")}}, {"", true, nullptr}},
    {"GI23.b", "330", "Rejeição: Informar o Valor da AFRMM na importação por via marítima", {{"@item", DeclaracaoImportacao("dDesemb_I23=2016-07-28\ntpViaTransp_I23a=1\ntpIntermedio_I23c=1\n")}}, {"", true, nullptr}},
    {"GI23.d", "331", "Rejeição: Informar o CNPJ do adquirente ou do encomendante nesta forma de importação", {{"@item", DeclaracaoImportacao(kDesembaraco + "tpIntermedio_I23c=2\nUFTerceiro_I23e=RJ\n")}}, {"", true, nullptr}},
    {"GI23d.1", "332", "Rejeição: CNPJ do adquirente ou do encomendante da importação inválido", {{"@item", DeclaracaoImportacao(kDesembaraco + "tpIntermedio_I23c=3\nCNPJ_I23d=11222333000180\nUFTerceiro_I23e=RJ\n")}}, {"", true, nullptr}},
    {"GI23.e", "333", "Rejeição: Informar a UF do adquirente ou do encomendante nesta forma de importação", {{"@item", DeclaracaoImportacao(kDesembaraco + "tpIntermedio_I23c=3\nCNPJ_I23d=11222333000181\n")}}, {"", true, nullptr}},
    {"GI29.a", "334", "Rejeição: Número do processo de drawback não informado na importação", {{"CFOP_I08", "3127"}, {"tpNF_B11", "0"}, {"@item", DeclaracaoImportacao(kDesembaraco)}}, {"GI08.2;GI08.9;GI08.20;GI08.30;", true, nullptr}},
    {"GI50", "336", "Rejeição: Informado o grupo de exportação no item para CFOP que não é de exportação", {{"@item", "INCLUIRPARTE=DETEXPORT\nnDraw_I51=20160000003\nSALVARPARTE=DETEXPORT"}}, {"", true, nullptr}},
    {"GI51", "338", "Rejeição: Número do processo de drawback não informado na exportação", {{"CFOP_I08", "7127"}}, {"GI08.2;GI08.8;GI08.9;GN12;", true, nullptr}},
    {"GI54", "342", "Rejeição: Chave de Acesso informada na Exportação Indireta com DV inválido", {{"CFOP_I08", "5501"}, {"@item", ExportacaoIndireta("35160811222333000181550010000005551000005559")}}, {"", true, nullptr}},
    {"GI54.1", "343", "Rejeição: Modelo da NF-e informada na Exportação Indireta diferente de 55", {{"CFOP_I08", "5501"}, {"@item", ExportacaoIndireta("35160812345678000195650010000000011100000006")}}, {"", true, nullptr}},
    {"GLA16.10", "380", "Rejeição: Valor do Encerrante final não é superior ao Encerrante inicial", {{"CFOP_I08", "5656"}, {"@item", "cProdANP_LA02=320102001\nUFCons_LA06=SP\nnBico_LA12=1\nnTanque_LA14=1\nvEncIni_LA15=100.000\nvEncFin_LA16=99.999"}}, {"GX04.1;", true, nullptr}},
    {"GW19", "606", "Rejeição: Total do vBC do ISS difere do somatório dos itens", ComISSQN({{"vBC_W19", "80.31"}}), {"", true, nullptr}},
    {"GW20", "607", "Rejeição: Total do ISS difere do somatório dos itens", ComISSQN({{"vISS_W20", "4.50"}}), {"", true, nullptr}},
    {"GW21", "608", "Rejeição: Total do PIS difere do somatório dos itens sujeitos ao ISSQN", ComISSQN({{"vPIS_W21", "1.83"}}), {"", true, nullptr}},
    {"GW22", "609", "Rejeição: Total do COFINS difere do somatório dos itens sujeitos ao ISSQN", ComISSQN({{"vCOFINS_W22", "6.57"}}), {"", true, nullptr}},
    {"GW22b", "364", "Rejeição: Total do valor da dedução do ISS difere do somatório dos itens", ComISSQN({{"vDeducao_W22b", "2.01"}}, "\nvDeducao_U07=1.00"), {"", true, nullptr}},
    {"GW22c", "365", "Rejeição: Total de outras retenções difere do somatório dos itens", ComISSQN({{"vOutro_W22c", "2.01"}}, "\nvOutro_U08=1.00"), {"", true, nullptr}},
    {"GW22d", "366", "Rejeição: Total do desconto incondicionado ISS difere do somatório dos itens", ComISSQN({{"vDescIncond_W22d", "2.01"}}, "\nvDescIncond_U09=1.00"), {"", true, nullptr}},
    {"GW22e", "367", "Rejeição: Total do desconto condicionado ISS difere do somatório dos itens", ComISSQN({{"vDescCond_W22e", "2.01"}}, "\nvDescCond_U10=1.00"), {"", true, nullptr}},
    {"GW22f", "368", "Rejeição: Total de ISS retido difere do somatório dos itens", ComISSQN({{"vISSRet_W22f", "2.01"}}, "\nvISSRet_U11=1.00"), {"", true, nullptr}},
    {"GNA09.30", "698", "Rejeição: Alíquota interestadual do ICMS imcompátivel com as UF envolvidas na operação", ComDifal("7.00", {{"UF_C12", "BA"}, {"cMun_C10", "2927408"}, {"xMun_C11", "SALVADOR"}}), {"GC10.1;", true, nullptr}},
    {"W04g.10", "800", "Rejeição: Valor total do ICMS Interestadual da UF do remetente difere do somatório dos itens", ComDifal("12.00", {{"vICMSUFRemet_W04g", "1.01"}}), {"", true, nullptr}},
};
// clang-format on

class RegraDoConjunto50a : public ::testing::TestWithParam<Caso> {};

TEST_P(RegraDoConjunto50a, AMenorMudancaFalhaComCodigoEMensagem) {
  const Caso& caso = GetParam();
  const moxtest::OpcoesDaVerificacao opcoes = moxtest::Opcoes(caso.opcoes);
  const std::string base = NotaBase();
  moxtest::OpcoesDaVerificacao noDia = opcoes;
  noDia.agora.reset();
  const auto aceita = moxtest::RegraQueFalha(V::pl_008i1, base, noDia);
  ASSERT_FALSE(aceita) << aceita->texto;
  moxtest::EsperaFalha(moxtest::RegraQueFalha(V::pl_008i1, moxtest::Aplica(base, caso.mudancas), opcoes), caso.regra,
                       caso.codigo, caso.mensagem);
}

INSTANTIATE_TEST_SUITE_P(Catalogo, RegraDoConjunto50a, ::testing::ValuesIn(kCasos));

// The detail groups filled in rightly pass every rule of the set.
using Aceita = moxtest::NotaAceita;

// clang-format off
const Aceita kAceitas[] = {
    {"import by sea through a third party, all details given", {{"@item", DeclaracaoImportacao("dDesemb_I23=2016-07-28\ntpViaTransp_I23a=1\nvAFRMM_I23b=12.50\ntpIntermedio_I23c=2\nCNPJ_I23d=11222333000181\nUFTerceiro_I23e=RJ\n")}}, ""},
    {"100 import declarations and 100 additions", {{"@item", Repete(100, DeclaracaoImportacao(kDesembaraco, 100))}}, ""},
    {"120 instalments", {{"@nota", Repete(120, moxtest::Duplicata())}}, ""},
    {"drawback import with its number", {{"CFOP_I08", "3127"}, {"tpNF_B11", "0"}, {"@item", DeclaracaoImportacao(kDesembaraco, 1, "nDraw_I29a=20160000001\n")}}, "GI08.2;GI08.9;GI08.20;GI08.30;"},
    {"fuel meter rising", {{"CFOP_I08", "5656"}, {"@item", "cProdANP_LA02=320102001\nUFCons_LA06=SP\nnBico_LA12=1\nnTanque_LA14=1\nvEncIni_LA15=100.000\nvEncFin_LA16=140.000"}}, "GX04.1;"},
    {"ISSQN totals within half a unit, optional totals matching", ComISSQN({{"vBC_W19", "80.30"}, {"vDeducao_W22b", "1.00"}, {"vISSRet_W22f", "2.00"}}, "\nvDeducao_U07=1.00\nvISSRet_U11=1.00"), ""},
    {"sender's interstate total within one unit", ComDifal("12.00", {{"vICMSUFRemet_W04g", "1.00"}}), ""},
};
// clang-format on

class Aceita50a : public ::testing::TestWithParam<Aceita> {};

TEST_P(Aceita50a, PassaNoConjunto) {
  moxtest::OpcoesDaVerificacao opcoes;
  opcoes.excecoes = GetParam().excecoes;
  const auto falha = moxtest::RegraQueFalha(V::pl_008i1, moxtest::Aplica(NotaBase(), GetParam().mudancas), opcoes);
  EXPECT_FALSE(falha) << falha->texto;
}

INSTANTIATE_TEST_SUITE_P(Catalogo, Aceita50a, ::testing::ValuesIn(kAceitas));

}  // namespace
