// The rule sets as data: the catalogue of registrations (name, class, sets, field, code and
// message) and the order of the names in each set.
#include "rules/moxConjuntosRegras.h"

#include <algorithm>
#include <iterator>
#include <stdexcept>
#include <unordered_map>
#include <vector>

#include "base/moxEnumTexts.h"
#include "rules/moxCatalogoRegras.h"

namespace mox {

namespace {

constexpr unsigned kZelto = 1u << 0;
constexpr unsigned k40 = 1u << 1;
constexpr unsigned k50 = 1u << 2;
constexpr unsigned k50a = 1u << 3;
constexpr unsigned k60 = 1u << 4;

// One registration. A name registered twice for one set picks its row by the schema package:
// "pl_x" only for that package, "!pl_x" for every other one.
struct TRegistroRegra {
  std::string_view nome;
  std::string_view classe;
  unsigned conjuntos;
  std::string_view campo;
  std::string_view codigo;
  std::string_view mensagem;
  std::string_view esquema = {};
};

constexpr TRegistroRegra kCatalogo[] = {
    {"GA03", "TmoxNFeGA03", k40 | k50 | k50a | k60, "ID_A03", "502", "Rejeição: Erro na Chave de Acesso - Campo ID não corresponde à concatenação dos campos correspondentes"},
    {"GB06", "TmoxNFeGB06", k50a | k60, "mod_B06", "765", "Rejeição: Lote só poderá conter NF-e ou NFC-e"},
    {"GB06.1", "TmoxNFeGB06_1", k50a | k60, "mod_B06", "450", "Rejeição: Modelo da NF-e diferente de 55"},
    {"GB07", "TmoxNFeGB07", k40 | k50 | k50a | k60, "serie_B07", "266", "Rejeição: Série utilizada fora da faixa permitida no WebService (0-899)"},
    {"GB09.1", "TmoxNFeGB09", k40, "dEmi_B09", "228", "Rejeição: Data de Emissão muito atrasada"},
    {"GB09.1", "TmoxNFeGB09_1_NT003_2012", k50, "dEmi_B09", "228", "Rejeição: Data de Emissão muito atrasada"},
    {"GB09.1", "TmoxNFeGB09_1_NT003_2012", k50a | k60, "dhEmi_B09", "228", "Rejeição: Data de Emissão muito atrasada"},
    {"GB09.2", "TmoxNFeGB09_2", k50a | k60, "dhEmi_B09", "703", "Rejeição: Data-Hora de Emissão posterior ao horário de recebimento "},
    {"B09.30", "TmoxNFeB09_30_NT015_002", k50a | k60, "dhEmi_B09", "315", "Rejeição: Data da emissão da anterior ao início da autorização de Nota Fiscal na UF"},
    {"GB10.2", "TmoxNFeGB10_2", k40 | k50, "dSaiEnt_B10", "506", "Rejeição: Data de Saída menor que a Data de Emissão"},
    {"GB10.3", "TmoxNFeGB10_3", k50a | k60, "dhSaiEnt_B10", "506", "Rejeição: Data de Saída menor que a Data de Emissão"},
    {"GB10a", "TmoxNFeGB10a", k40 | k50, "hSaiEnt_B10a", "NT 2011.004 (Item 2.1)", "Rejeição: Hora Saída (hSaiEnt_B10a) não pode ser informada sem sua respectiva Data de Saída (dSaiEnt_B10)"},
    {"GB12", "TmoxNFeGB12", k40 | k50 | k50a | k60, "cMunFG_B12", "270", "Rejeição: Código Município do fato gerador: dígito inválido"},
    {"GB12.1", "TmoxNFeGB12_1", k40 | k50 | k50a | k60, "cMunFG_B12", "271", "Rejeição: Código do Município do Fato Gerador difere da UF do Emitente"},
    {"GB13", "TmoxNFeGB13", k40 | k50, "refNFe_B13", "547", "Rejeição: Dígito Verificador da Chave de Acesso da NF-e Referenciada inválido."},
    {"GB13", "TmoxNFeGB13", k50a | k60, "refNFe_BA02", "547", "Rejeição: Dígito Verificador da Chave de Acesso da NF-e Referenciada inválido."},
    {"GB13a", "TmoxNFeGB13a_NT003_2013", k50, "refNFe_B13", "679", "Rejeição: Modelo da NF-e referenciada diferente de 55"},
    {"GB13b", "TmoxNFeGB13b_NT003_2013", k50, "refNFe_B13", "680", "Rejeição: Duplicidade de NF-e referenciada (Chave de Acesso referenciada mais de uma vez)"},
    {"GB17", "TmoxNFeGB17", k40 | k50, "CNPJ_B17", "548", "Rejeição: CNPJ da NF Referenciada inválido"},
    {"GB17", "TmoxNFeGB17", k50a | k60, "CNPJ_BA06", "548", "Rejeição: CNPJ da NF Referenciada inválido"},
    {"GB20", "TmoxNFeGB20_NT003_2013", k50, "refNF_B20", "681", "Rejeição: Duplicidade de NF Modelo 1 referenciada (CNPJ, Modelo, Série e Número)"},
    {"GB20d", "TmoxNFeGB20d", k40 | k50 | k50a | k60, "CNPJ_B20d", "549", "Rejeição: CNPJ da NF Referenciada de produtor inválido"},
    {"GB20e", "TmoxNFeGB20e", k40 | k50 | k50a | k60, "CPF_B20e", "550", "Rejeição: CPF da NF Referenciada de produtor inválido"},
    {"GB20ha", "TmoxNFeGB20ha_NT003_2013", k50, "refNFP_B20ha", "682", "Rejeição: Duplicidade de NF de Produtor referenciada (IE, Modelo, Série e Número)"},
    {"GB20i", "TmoxNFeGB20i", k40 | k50 | k50a | k60, "refCTe_B20i", "552", "Rejeição: Dígito Verificador da Chave de Acesso do CT-e Referenciado inválido."},
    {"GB20ia", "TmoxNFeGB20ia_NT003_2013", k50, "refCTe_B20i", "683", "Rejeição: Modelo do CT-e referenciado diferente de 57"},
    {"GB20m", "TmoxNFeGB20m_NT003_2013", k50, "refECF_B20m", "684", "Rejeição: Duplicidade de Cupom Fiscal referenciado (Modelo, Número de Ordem e COO)"},
    {"GB21.2", "TmoxNFeGB21_2", k50a | k60, "tpImp_B21", "710", "Rejeição: NF-e com formato de DANFE inválido"},
    {"GB22", "TmoxNFeGB22", k40 | k50 | k50a | k60, "tpEmis_B22", "556", "Rejeição: Justificativa de entrada em Contingencia não deve ser informado para tipo de emissão Normal"},
    {"GB22.1", "TmoxNFeGB22_1", k40 | k50, "tpEmis_B22", "557", "Rejeição: A Justificativa de entrada em Contingência deve ser informada"},
    {"GB22.1", "TmoxNFeGB22_1", k50a | k60, "tpEmis_B22", "711", "Rejeição: NF-e com contingência off-line "},
    {"GB22.3", "TmoxNFeGB22_3", k50a | k60, "tpEmis_B22", "570", "Rejeição: Tipo de Emissão 3, 6 ou 7 só é válido nas contingências SCAN/SVC"},
    {"GB23", "TmoxNFeGB23", k40 | k50 | k50a | k60, "cDV_B23", "253", "Rejeição: Dígito Verificador da chave de acesso composta inválida"},
    {"GB25", "TmoxNFeGB25", k40 | k50 | k50a | k60, "finNFe_B25", "254", "Rejeição: NF-e complementar não possui NF referenciada"},
    {"GB25.1", "TmoxNFeGB25_1", k40 | k50 | k50a | k60, "finNFe_B25", "255", "Rejeição: NF-e complementar possui mais de uma NF referenciada"},
    {"GB25.2", "TmoxNFeGB25_2", k40 | k50 | k50a | k60, "finNFe_B25", "269", "Rejeição: CNPJ Emitente da NF Complementar difere do CNPJ da NF Referenciada"},
    {"GB25.3", "TmoxNFeGB25_3", k50a | k60, "finNFe_B25", "254", "Rejeição: NF-e complementar não possui NF referenciada"},
    {"GB25.3", "TmoxNFeGB25_3_NT003_2013", k50, "retNFe_B13 ou cUF_B15", "678", "Rejeição: NF referenciada com UF diferente da NF-e complementar"},
    {"GB25.4", "TmoxNFeGB25_4", k50a | k60, "finNfe_B25", "255", "Rejeição: NF-e complementar possui mais de uma NF referenciada"},
    {"GB25.7", "TmoxNFeGB25_7", k50a | k60, "finNFe_B25", "321", "Rejeição: NF-e de devolução de mercadoria não possui documento fiscal referenciado"},
    {"GB25b", "TmoxNFeGB25b", k50a | k60, "indPres_B25b", "794", "Rejeição: NF-e com indicativo de NFC-e com entrega a domicílio"},
    {"GB26", "TmoxNFeGB26", k40 | k50 | k50a | k60, "procEmi_B26", "451", "Rejeição: Processo de Emissão informado inválido"},
    {"GB26.1", "TmoxNFeGB26_1", k50a | k60, "procEmi_B26", "370", "Rejeição: Nota Fiscal Avulsa com tipo de emissão inválido"},
    {"GB28", "TmoxNFeGB28", k40 | k50 | k50a | k60, "dhCont_B28", "558", "Rejeição: Data de entrada em contingência posterior a data de emissão"},
    {"BA02.40", "TmoxNFeBA02_40_NT015_002", k50a | k60, "refNFe_BA02", "316", "Rejeição: Nota Fiscal referenciada com a mesma Chave de Acesso da Nota Fiscal atual"},
    {"GC02", "TmoxNFeGC02", k40 | k50 | k50a | k60, "CNPJ_C02", "207", "Rejeição: CNPJ do emitente inválido"},
    {"GC02a", "TmoxNFeGC02_a", k40 | k50 | k50a | k60, "CPF_C02a", "407", "Rejeição: O CPF só pode ser informado no campo emitente para a NF-e avulsa"},
    {"GC02a.1", "TmoxNFeGC02_a1", k40 | k50, "CPF_C02a", "401", "Rejeição: CPF do remetente inválido"},
    {"GC02a.1", "TmoxNFeGC02_a1", k50a | k60, "CPF_C02a", "401", "Rejeição: CPF do emitente inválido"},
    {"GC10", "TmoxNFeGC10", k40 | k50 | k50a | k60, "cMun_C10", "272", "Rejeição: Código Município deo emitente: Dígito inválido"},
    {"GC10.1", "TmoxNFeGC10_1", k40 | k50 | k50a | k60, "cMun_C10", "273", "Rejeição: Código Município do Emitente difere da UF do emitente"},
    {"GC17", "TmoxNFeGC17", k40 | k50 | k50a | k60, "IE_C17", "229", "Rejeição: IE do Emitente não informada"},
    {"GC18.14", "TmoxNFeGC18_14", k50a | k60, "IEST_C18", "347", "Rejeição: Informada IE do substituto tributário em operação com o Exterior"},
    {"GC18.40", "TmoxNFeGC18_40", k50a | k60, "IEST_C18", "363", "Rejeição: IE do substituto tributário idêntica à IE do emitente ou do destinatário"},
    {"GD01", "TmoxNFeGD01", k40 | k50 | k50a | k60, "", "403", "Rejeição: O grupo de informações da NF-e avulsa é de uso exclusivo do Fisco"},
    {"GD01.2", "TmoxNFeGD01_2", k50a | k60, "ProcEmi", "369", "Rejeição: Não informado o grupo avulsa na emissão pelo Fisco"},
    {"GE01", "TmoxNFeGE01", k50a | k60, "", "719", "Rejeição: NF-e sem a identificação do destinatário"},
    {"GE02", "TmoxNFeGE02", k40 | k50 | k50a | k60, "CNPJ_E02", "507", "Rejeição: O CNPJ do Destinatário/remetente não deve ser informado em operação com o exterior"},
    {"GE02.1", "TmoxNFeGE02_1", k40 | k50 | k50a | k60, "CNPJ_E02", "508", "Rejeição: O CNPJ com conteúdo nulo só é válido em operação com exterior"},
    {"GE02.2", "TmoxNFeGE02_2", k40 | k50 | k50a | k60, "CNPJ_E02", "208", "Rejeição: CNPJ do destinatário inválido"},
    {"GE03", "TmoxNFeGE03", k40 | k50 | k50a | k60, "CPF_E03", "237", "Rejeição: CPF do destinatário inválido"},
    {"GE03a", "TmoxNFeGE03a", k50a | k60, "idEstrangeiro_E03a", "720", "Rejeição: Na operação com Exterior deve ser informada tag idEstrangeiro"},
    {"GE03a.1", "TmoxNFeGE03a_1", k50a | k60, "idEstrangeiro_E03a", "721", "Rejeição: Operação interestadual deve informar CNPJ ou CPF"},
    {"GE03a.2", "TmoxNFeGE03a_2", k50a | k60, "indPres_B25b", "722", "Rejeição: Operação interna com idEstrangeiro informado deve ser presencial"},
    {"GE03a.3", "TmoxNFeGE03a_3", k50a | k60, "idEstrangeiro_E03a", "723", "Rejeição: Operação interna com idEstrangeiro informado deve ser para consumidor final"},
    {"GE04", "TmoxNFeGE04", k50a | k60, "xNome_E04", "724", "Rejeição: NF-e sem o nome do destinatário"},
    {"GE05", "TmoxNFeGE05", k50a | k60, "enderDest_E05", "726", "Rejeição: NF-e sem a informação de endereço do destinatário"},
    {"GE10", "TmoxNFeGE10", k40 | k50 | k50a | k60, "cMun_E10", "274", "Rejeição: Código do Município do Destinatário: dígito inválido"},
    {"GE10.1", "TmoxNFeGE10_1", k40 | k50 | k50a | k60, "cMun_E10", "275", "Rejeição: Código do Município do Destinatário difere da UF do destinatário"},
    {"GE10.2", "TmoxNFeGE10_2", k40 | k50, "cMun_E10", "509", "Rejeição: Informado Código do Município Diferente de 9999999 para operação com exterior"},
    {"GE10.2", "TmoxNFeGE10_2_NT005_2013", k50a | k60, "cMun_E10", "509", "Rejeição: Informado Código do Município Diferente de 9999999 para operação com exterior"},
    {"GE12", "TmoxNFeGE12", k50a | k60, "UF_E12", "727", "Rejeição: Operação com Exterior e UF diferente de EX"},
    {"GE12.1", "TmoxNFeGE12_1", k50a | k60, "UF_C12", "771", "Rejeição: Operação Interestadual e UF de destino com EX"},
    {"GE12.2", "TmoxNFeGE12_2", k50a | k60, "UF_C12", "772", "Rejeição: Operação Interestadual e UF de destino igual à UF do emitente"},
    {"GE12.3", "TmoxNFeGE12_3", k50a | k60, "UF_C12", "773", "Rejeição: Operação Interna e UF de destino difere da UF do emitente"},
    {"GE14", "TmoxNFeGE14", k40 | k50, "cPais_E14", "510", "Rejeição: Operação com Exterior e Código País destinatário é 1058 (Brasil) ou não informado"},
    {"GE14.1", "TmoxNFeGE14_1", k40 | k50, "cPais_E14", "511", "Rejeição: Não é de Operação com Exterior e Código País destinatário difere de 1058(Brasil)"},
    {"GE14.1", "TmoxNFeGE14_1_NT005_2013", k50a | k60, "cPais_E14", "511", "Rejeição: Não é de Operação com Exterior e Código País destinatário difere de 1058(Brasil)"},
    {"GE14", "TmoxNFeGE14_NT005_2013", k50a | k60, "cPais_E14", "510", "Rejeição: Operação com Exterior e Código País destinatário é 1058 (Brasil) ou não informado"},
    {"GE16.a", "TmoxNFeGE16a", k50a | k60, "indIEDest_E16a", "790", "Rejeição: Operação com Exterior para destinatário Contribuinte de ICMS"},
    {"E16a.30", "TmoxNFeE16a_30_NT003_2015", k50a | k60, "indIEDest_E16a", "805", "Rejeição: A SEFAZ do destinatário não permite Contribuinte Isento de Inscrição Estadual."},
    {"GE17", "TmoxNFeGE17", k40 | k50 | k50a | k60, "IE_E17", "210", "Rejeição: IE do Destinatário inválida"},
    {"GE17.1", "TmoxNFeGE17_1", k50a | k60, "IE_E17", "728", "Rejeição: NF-e sem informação da IE do destinatário"},
    {"GE17.2", "TmoxNFeGE17_2", k50a | k60, "IE_E17", "791", "Rejeição: NF-e com indicação de destinatário isentode IE, com a informação da IE do destinatário"},
    {"GE17.3", "TmoxNFeGE17_3", k50a | k60, "IE_E17", "792", "Rejeição: Informada a IE do destinatário para operação com destinatário no Exterior"},
    {"GF02", "TmoxNFeGF02", k40 | k50 | k50a | k60, "CNPJ_F02", "512", "Rejeição: CNPJ do local de Retirada inválido"},
    {"GF02a", "TmoxNFeGF02_a", k40 | k50 | k50a | k60, "CPF_F02a", "540", "Rejeição: CPF do local de Retirada inválido"},
    {"GF07", "TmoxNFeGF07", k40 | k50 | k50a | k60, "cMun_F07", "513", "Rejeição: Código Município do Local de Retirada deve ser 9999999 para UF = EX"},
    {"GF07.1", "TmoxNFeGF07_1", k40 | k50 | k50a | k60, "cMun_F07", "276", "Rejeição: Código Município do Local de Retirada: dígito inválido"},
    {"GF07.2", "TmoxNFeGF07_2", k40 | k50 | k50a | k60, "cMun_F07", "277", "Rejeição: Código do Município do Local de Retirada difere da UF do Local de Retirada"},
    {"GG02", "TmoxNFeGG02", k40 | k50 | k50a | k60, "CNPJ_G02", "514", "Rejeição: CNPJ do local de Entrega inválido"},
    {"GG02a", "TmoxNFeGG02_a", k40 | k50 | k50a | k60, "CPF_G02a", "541", "Rejeição: CPF do local de Entrega inválido"},
    {"GG07", "TmoxNFeGG07", k40 | k50 | k50a | k60, "cMun_G07", "515", "Rejeição: Código Município do Local de Entrega deve ser 9999999 para UF = EX"},
    {"GG07.1", "TmoxNFeGG07_1", k40 | k50 | k50a | k60, "cMun_G07", "279", "Rejeição: Código Município do Local de Entrega: dígito inválido"},
    {"GG07.2", "TmoxNFeGG07_2", k40 | k50 | k50a | k60, "cMun_G07", "279", "Rejeição: Código do Município do Local de Entrega difere da UF do Local de Entrega"},
    {"J02c", "TmoxNFeJ02_c_NT003_2012", k50 | k50a | k60, "", "615", "Rejeição: Chave de Acesso inválida (Ano < 06 ou Ano maior que Ano corrente)."},
    {"GX04", "TmoxNFeGX04", k40 | k50 | k50a | k60, "CNPJ_X04", "542", "Rejeição: CNPJ do transportador inválido"},
    {"GX04.1", "TmoxNFeGX04_1", k50a | k60, "CNPJ_X04", "362", "Rejeição: Venda de combustível sem informação do Transportador"},
    {"GX05", "TmoxNFeGX05", k40 | k50 | k50a | k60, "CPF_X05", "543", "Rejeição: CPF do transportador inválido"},
    {"GX07", "TmoxNFeGX07", k40 | k50 | k50a | k60, "UF_X10", "559", "Rejeição: UF do Transportador não informada"},
    {"GX17", "TmoxNFeGX17", k40 | k50 | k50a | k60, "cMunFG_X17", "288", "Rejeição: Código do município do FG - Transporte: dígito inválido"},
    {"GY01", "TmoxNFeGY01", k40 | k50 | k50a | k60, "", "", "Número de ocorrências do Grupo da Duplicata maior que 120"},
    {"Zelto1", "TmoxNFeZelto1", kZelto, "", "", ""},
    {"Zelto2", "TmoxNFeZelto2", kZelto, "", "", ""},
    {"Zelto3", "TmoxNFeZelto3", kZelto, "", "", ""},
    {"Zelto4", "TmoxNFeZelto4", kZelto, "", "", ""},
    {"GZA01", "TmoxNFeGZA01", k50a | k60, "", "355", "Rejeição: Informar o local de saída do Pais no caso da exportação"},
    {"GZA01.1", "TmoxNFeGZA01_1", k50a | k60, "", "356", "Rejeição: Informar o local de saída do Pais somente no caso da exportação"},
    {"GZB02", "TmoxNFeGZB02", k50a | k60, "xNEmp_ZB02", "359", "Rejeição: NF-e de venda a Órgão Público sem informa a Nota de Empenho"},
    {"G07.20", "TmoxNFeG07_20_NT015_002", k50a | k60, "cMun_G07", "278", "Rejeição: Código do munícípio do local de entrega inexistente"},
    {"GI01", "TmoxNFeGI01", k40 | k50 | k50a | k60, "", "", "Número de ocorrências da Declaração de Importação maior que 100"},
    {"GI03", "TmoxNFeGI03", k40 | k50 | k50a | k60, "cEAN_I03", "611", "Rejeição: cEAN inválido"},
    {"GI05.10", "TmoxNFeGI05_10", k50a | k60, "NCM_I05", "777", "Rejeição: Obrigatória a informação do NCM completo"},
    {"GI05.2", "TmoxNFeGI05_2", k40 | k50, "NCM_I05", "777", "Rejeição: Obrigatória a informação do NCM completo"},
    {"GI05.3", "TmoxNFeGI05_3", k40 | k50 | k50a | k60, "NCM_I05", "471", "Rejeição: Informado NCM=00 indevidamente"},
    {"GI08", "TmoxNFeGI08", k40 | k50 | k50a | k60, "CFOP_I08", "518", "Rejeição: CFOP de entrada para NF-e de saída"},
    {"GI08.1", "TmoxNFeGI08_1", k40 | k50 | k50a | k60, "CFOP_I08", "519", "Rejeição: CFOP de saída para NF-e de entrada"},
    {"GI08.10", "TmoxNFeGI08_10", k50a | k60, "CFOP_I08", "732", "Rejeição: CFOP de operação interestadual e idDest <> 2"},
    {"GI08.12", "TmoxNFeGI08_12", k50a | k60, "CFOP_I08", "327", "Rejeição: CFOP inválido para Nota Fiscal com finalidade de devolução"},
    {"GI08.20", "TmoxNFeGI08_120_NT005_2013", k50a | k60, "", "597", "Rejeição: CFPO de importação e não informado dados de IPI"},
    {"GI08.13", "TmoxNFeGI08_13", k50a | k60, "CFOP_I08", "328", "Rejeição: CFOP de devolução de mercadoria para NF-e que não tem finalidade de devolução de mercadoria"},
    {"GI08.30", "TmoxNFeGI08_130_NT005_2013", k50a | k60, "", "599", "Rejeição: CFOP de Importação e não informado dados de II"},
    {"I08.190", "TmoxNFeI08_190_NT015_002", k50a | k60, "CFOP_I08", "701", "Rejeição: Não informado nota fiscal referenciada (CFOP de Exportação Indireta)"},
    {"GI08.2", "TmoxNFeGI08_2", k40 | k50 | k50a | k60, "CFOP_I08", "520", "Rejeição: CFOP de operação com exterior e UF destinatário difere de EX"},
    {"GI08.3", "TmoxNFeGI08_3", k40 | k50 | k50a | k60, "CFOP_I08", "521", "Rejeição: CFOP de Operação Estadual e UF do emitente difere da UF do destinatário para destinatário contribuinte do ICMS"},
    {"GI08.4", "TmoxNFeGI08_4", k40 | k50, "CFOP_I08", "522", "Rejeição: CFOP de Operação Estadual e UF emitente difere UF destinatário"},
    {"GI08.4", "TmoxNFeGI08_4", k50a | k60, "CFOP_I08", "732", "Rejeição: CFOP de operação interestadual e idDest <> 2"},
    {"GI08.5", "TmoxNFeGI08_5", k40 | k50, "CFOP_I08", "523", "Rejeição: CFOP não é de Operação Estadual e UF emitente igual UF destinatário"},
    {"GI08.5", "TmoxNFeGI08_5_NT005_2013", k50a | k60, "CFOP_I08", "733", "Rejeição: CFOP de operação interna e idDest <> 1"},
    {"GI08.7", "TmoxNFeGI08_7", k40 | k50 | k50a | k60, "CFOP_I08", "525", "Rejeição: CFOP de importação e não informado dados da DI"},
    {"GI08.8", "TmoxNFeGI08_8", k40 | k50, "CFOP_I08", "526", "Rejeição: CFOP de Exportação e não informado Local de Embarque"},
    {"GI08.8", "TmoxNFeGI08_8_NT005_2013", k50a | k60, "CFOP_I08", "526", "Rejeição: CFOP de Exportação e não informado Local de Embarque"},
    {"GI08.9", "TmoxNFeGI08_9", k50a | k60, "CFOP_I08", "731", "Rejeição: CFOP de operação com Exterior e idDest <> 3"},
    {"GI12", "TmoxNFeGI12", k40 | k50 | k50a | k60, "cEANTrib_I12", "612", "Rejeição: cEANTrib inválido"},
    {"GI17.10", "TmoxNFeGI17_10", k50a | k60, "vDesc_I17", "483", "Rejeição: Valor do desconto maior que valor do produto"},
    {"GI18", "TmoxNFeGI18", k40 | k50 | k50a | k60, "", "", "Número de ocorrências das Adições maior que 100"},
    {"GI23.10", "TmoxNFeGI23_10", k50a | k60, "dDesemb_I23", "376", "Rejeição: Data do Desembaraço Aduaneiro inválida"},
    {"GI23.b", "TmoxNFeGI23_b", k50a | k60, "vAFRMM_I23b", "330", "Rejeição: Informar o Valor da AFRMM na importação por via marítima"},
    {"GI23.d", "TmoxNFeGI23_d", k50a | k60, "CNPJ_I23d", "331", "Rejeição: Informar o CNPJ do adquirente ou do encomendante nesta forma de importação"},
    {"GI23.e", "TmoxNFeGI23_e", k50a | k60, "UFTerceiro_I23e", "333", "Rejeição: Informar a UF do adquirente ou do encomendante nesta forma de importação"},
    {"GI23d.1", "TmoxNFeGI23d_1", k50a | k60, "CNPJ_I23d", "332", "Rejeição: CNPJ do adquirente ou do encomendante da importação inválido"},
    {"GI29.a", "TmoxNFeGI29_a", k50a | k60, "nDraw_I29a", "334", "Rejeição: Número do processo de drawback não informado na importação"},
    {"GI50", "TmoxNFeGI50", k50a | k60, "detExport_I50", "336", "Rejeição: Informado o grupo de exportação no item para CFOP que não é de exportação"},
    {"GI51", "TmoxNFeGI51", k50a | k60, "nDraw_I51", "338", "Rejeição: Número do processo de drawback não informado na exportação"},
    {"GI54", "TmoxNFeGI54", k50a | k60, "chNFe_I54", "342", "Rejeição: Chave de Acesso informada na Exportação Indireta com DV inválido"},
    {"GI54.1", "TmoxNFeGI54_1", k50a | k60, "chNFe_I54", "343", "Rejeição: Modelo da NF-e informada na Exportação Indireta diferente de 55"},
    {"GL101", "TmoxNFeGL101_NT003_2012", k50 | k50a | k60, "", "660", "Rejeição: CFOP de Combustível e não informado grupo de combustível da NF-e."},
    {"GL102a", "TmoxNFeGL102a", k50a, "pMixGN_L102a", "461", "Rejeição: Informado percentual de Gás Natural na mistura para produto diferente de GLP"},
    {"GLA11.10", "TmoxNFeGLA11_10", k50a | k60, "encerrante_LA11", "379", "Rejeição: Grupo de Encerrante na NF-e (modelo 55) para CFOP diferente de venda de combustível para consumidor final"},
    {"GLA16.10", "TmoxNFeGLA16_10", k50a | k60, "vEncFin_LA16", "380", "Rejeição: Valor do Encerrante final não é superior ao Encerrante inicial"},
    {"GLB01.3", "TmoxNFeGLB01_3", k50a | k60, "nRECOPI_LB01", "350", "Rejeição: Número RECOPI inválido"},
    {"GN12", "TmoxNFeGN12", k40, "CST_N12", "527", "Rejeição: Operação de Exportação com informação de ICMS incompatível"},
    {"GN12", "TmoxNFeGN12", k50 | k50a | k60, "CST_N12 ou CSOSN_N12a", "527", "Rejeição: Operação de Exportação com informação de ICMS incompatível"},
    {"N12.70", "TmoxNFeN12_70_NT003_2015", k50a | k60, "indIEDest_E16a", "508", "Rejeição: CST incompatível na operação com Não Contribuinte."},
    {"N12.80", "TmoxNFeN12_80_NT003_2015", k50a | k60, "indIEDest_E16a", "529", "Rejeição: CST incompatível na operação com Contribuinte Isento de Inscrição Estadual"},
    {"N12a.70", "TmoxNFeN12a_70_NT003_2015", k50a | k60, "CSOSN_N12a", "600", "Rejeição: CSOSN incompatível na operação com Não Contribuinte"},
    {"GN16_04", "TmoxNFeGN16_04", k50a | k60, "pICMS_N16", "663", "Rejeição: Alíquota do ICMS com valor superior a 4 por cento na operação de saída interestadual com produtos importados"},
    {"N16.20", "TmoxNFeN16_20_NT003_2015", k50a | k60, "orig_N11", "693", "Rejeição: Alíquota de ICMS superior a definida para a operação interestadual"},
    {"GN16", "TmoxNFeGN16_NT005_2012", k50 | k50a | k60, "orig_N11", "663", " Rejeição: Alíquota do ICMS com valor superior a 4 por cento na operação de saída interestadual com produtos importados", "!pl_006s"},
    {"GN16", "TmoxNFeGN16_NT006_2013", k50 | k50a | k60, "orig_N11", "663", " Rejeição: Alíquota do ICMS com valor superior a 4 por cento na operação de saída interestadual com produtos importados", "pl_006s"},
    {"GN16a", "TmoxNFeGN16a", k50a | k60, "vICMSOp_N16a", "351", "Rejeição: Valor do ICMS da Operação no CST=51 difere do produto BC e Alíquota"},
    {"GN16c", "TmoxNFeGN16c", k50a | k60, "vICMSDif_N16c", "352", "Rejeição: Valor do ICMS Diferido no CST=51 difere do produto Valor ICMS Operação e percentual diferimento"},
    {"GN17", "TmoxNFeGN17", k40 | k50, "vICMS_N17", "528", "Rejeição: Valor do ICMS difere do produto BC e Alíquota"},
    {"GN17_2", "TmoxNFeGN17_2", k50a | k60, "vICMS_N17", "528", "Rejeição: Valor do ICMS difere do produto BC e Alíquota"},
    {"GN17", "TmoxNFeGN17_NT005_2013", k50a | k60, "vICMS_N17", "528", "Rejeição: Valor do ICMS difere do produto BC e Alíquota"},
    {"N23.10", "TmoxNFeN23_10_NT003_2015", k50a | k60, "vICMSST_N23", "806", "Rejeição: Operação com ICMS-ST sem informação do CEST"},
    {"GN28", "TmoxNFeGN28", k40, "motDesICMS_N28", "625", "Rejeição: Inscrição SUFRAMA deve ser informada na venda com isenção para ZFM"},
    {"GN28.1", "TmoxNFeGN28_1", k40, "motDesICMS_N28", "626", "Rejeição: O CFOP de operação isenta para ZFM deve ser 6109 ou 6110"},
    {"GN28.1", "TmoxNFeGN28_1_NT003_2012", k50 | k50a | k60, "motDesICMS_N28", "626", "Rejeição: CFOP de operação isenta para ZFM diferente do previsto"},
    {"GN28.2", "TmoxNFeGN28_2", k40 | k50, "motDesICMS_N28", "627", "Rejeição: O valor do ICMS desonerado deve ser informado"},
    {"GN28_2", "TmoxNFeGN28_2_NT005_2013", k50a | k60, "motDesICMS_N28", "626", "Rejeição: CFOP de operação isenta para ZFM diferente do previsto"},
    {"GN28", "TmoxNFeGN28_NT003_2012", k50 | k50a | k60, "motDesICMS_N28", "625", "Rejeição: Inscrição SUFRAMA deve ser informada na venda com isenção para ZFM"},
    {"GNA01.20", "TmoxNFeNA01_20_NT003_2015", k50a | k60, "ICMSUFDest_NA07", "694", "Rejeição: Não informado o grupo de ICMS para a UF de destino"},
    {"GNA01.30", "TmoxNFeNA01_30_NT003_2015", k50a | k60, "ICMSUFDest_NA07", "695", "Rejeição: Informado indevidamente o grupo de ICMS para a UF de destino"},
    {"GNA09.10", "TmoxNFeNA09_10_NT003_2015", k50a | k60, "pICMSInter_NA09", "697", "Rejeição: Alíquota interestadual do ICMS para produtos importados com origem diferente dos previstos "},
    {"NA09.20", "TmoxNFeNA09_20_NT003_2015", k50a | k60, "pICMSInter_NA09", "697", "Rejeição: Alíquota interestadual do ICMS com origem diferente do previsto"},
    {"GNA09.30", "TmoxNFeNA09_30_NT003_2015", k50a | k60, "pICMSInter_NA09", "698", "Rejeição: Alíquota interestadual do ICMS imcompátivel com as UF envolvidas na operação"},
    {"NA11.10", "TmoxNFeNA11_10_NT003_2015", k50a | k60, "pICMSInterPart_NA11", "699", "Rejeição: Percentual do ICMS interestadual para a UF de destino difere do previsto para o ano da data de emissão"},
    {"NA13.10", "TmoxNFeNA13_10_NT003_2015", k50a | k60, "vFCPUFDest_NA13", "793", "Rejeição: Valor do ICMS relativo ao Fundo de Combate à Pobreza na UF de destino difere do calculado"},
    {"GO09_10", "TmoxNFeGO09_10", k50a | k60, "cEnq_O06", "388", "Rejeição: Código de Situação Tributária do IPI incompatível com o Código de Enquadramento Legal do IPI"},
    {"GQ01_2", "TmoxNFeGQ01_2", k50a | k60, "", "745", "Rejeição: NF-e sem grupo do PIS"},
    {"GS01_2", "TmoxNFeGS01_2", k50a | k60, "", "748", "Rejeição: NF-e sem grupo do COFINS"},
    {"GU01", "TmoxNFeGU01", k40 | k50 | k50a | k60, "", "530", "Rejeição: Operação com tributação de ISSQN sem informar a Inscrição Municipal"},
    {"GU05", "TmoxNFeGU05", k40 | k50, "cMunFG_U05", "287", "Rejeição: Código do município de ocorrência do fato gerador do ISSQN"},
    {"GU05.10", "TmoxNFeGU05_10", k50a | k60, "cMunFG_U05", "287", "Rejeição: Código Município do Fato Gerador de ISSQN inexistente"},
    {"U14.10", "TmoxNFeU14_10_NT015_002", k50a | k60, "cMun_U14", "389", "Rejeição: Código do Município ISSQN inexistente"},
    {"GW03", "TmoxNFeGW03", k40, "", "531", "Rejeição: Total da BC ICMS difere do somatório dos itens"},
    {"GW03", "TmoxNFeGW03_NT003_2012", k50 | k50a | k60, "", "531", "Rejeição: Total da BC ICMS difere do somatório dos itens"},
    {"GW04", "TmoxNFeGW04", k40, "", "532", "Rejeição: Total do ICMS difere do somatório dos itens"},
    {"GW04", "TmoxNFeGW04_NT003_2012", k50 | k50a | k60, "", "532", "Rejeição: Total do ICMS difere do somatório dos itens"},
    {"GW04.a", "TmoxNFeGW04a", k50a | k60, "vICMSDeson_W04a", "795", "Rejeição: Total do ICMS desonerado difere do somatório dos itens"},
    {"W04c.10", "TmoxNFeW04c_10_NT003_2015", k50a | k60, "vFCPUFDest_W04c", "798", "Rejeição: Valor total do ICMS relativo Fundo de Combate à Pobreza (FCP) da UF de destino difere do somatório do valor dos itens"},
    {"W04e.10", "TmoxNFeW04e_10_NT003_2015", k50a | k60, "vICMSUFDest_W04e", "799", "Rejeição: Valor do ICMS de partilha da UF do destinatário difere do somatório dos itens"},
    {"W04g.10", "TmoxNFeW04g_10_NT003_2015", k50a | k60, "vICMSUFRemet_W04g", "800", "Rejeição: Valor total do ICMS Interestadual da UF do remetente difere do somatório dos itens"},
    {"GW05", "TmoxNFeGW05", k40, "", "533", "Rejeição: Total da BC ICMS-ST difere do somatório dos itens"},
    {"GW05", "TmoxNFeGW05_NT003_2012", k50 | k50a | k60, "", "533", "Rejeição: Total da BC ICMS-ST difere do somatório dos itens"},
    {"GW06", "TmoxNFeGW06", k40, "", "534", "Rejeição: Total do ICMS-ST difere do somatório dos itens"},
    {"GW06", "TmoxNFeGW06_NT003_2012", k50 | k50a | k60, "", "534", "Rejeição: Total do ICMS-ST difere do somatório dos itens"},
    {"GW07", "TmoxNFeGW07", k40, "", "564", "Rejeição: Total do Produto/Serviço difere do somatório dos itens"},
    {"GW07", "TmoxNFeGW07_NT003_2012", k50 | k50a | k60, "", "564", "Rejeição: Total do Produto/Serviço difere do somatório dos itens"},
    {"GW08", "TmoxNFeGW08", k40, "", "535", "Rejeição: Total do Frete difere do somatório dos itens"},
    {"GW08", "TmoxNFeGW08_NT003_2012", k50 | k50a | k60, "", "535", "Rejeição: Total do Frete difere do somatório dos itens"},
    {"GW09", "TmoxNFeGW09", k40, "", "536", "Rejeição: Total do Seguro difere do somatório dos itens"},
    {"GW09", "TmoxNFeGW09_NT003_2012", k50 | k50a | k60, "", "536", "Rejeição: Total do Seguro difere do somatório dos itens"},
    {"GW10", "TmoxNFeGW10", k40, "", "537", "Rejeição: Total do Desconto difere do somatório dos itens"},
    {"GW10", "TmoxNFeGW10_NT003_2012", k50 | k50a | k60, "", "537", "Rejeição: Total do Desconto difere do somatório dos itens"},
    {"GW11", "TmoxNFeGW11", k40, "vII_P04", "601", "Rejeição: Total do vII difere do somatório dos itens"},
    {"GW11", "TmoxNFeGW11_NT003_2012", k50 | k50a | k60, "vII_P04", "601", "Rejeição: Total do vII difere do somatório dos itens"},
    {"GW12", "TmoxNFeGW12", k40, "", "538", "Rejeição: Total do IPI difere do somatório dos itens"},
    {"GW12", "TmoxNFeGW12_NT003_2012", k50 | k50a | k60, "", "538", "Rejeição: Total do IPI difere do somatório dos itens"},
    {"GW13", "TmoxNFeGW13", k40, "vPIS_Q09", "602", "Rejeição: Total do PIS difere do somatório dos itens sujeitos ao ICMS"},
    {"GW13", "TmoxNFeGW13_NT003_2012", k50 | k50a | k60, "vPIS_Q09", "602", "Rejeição: Total do PIS difere do somatório dos itens sujeitos ao ICMS"},
    {"GW14", "TmoxNFeGW14", k40, "vCOFINS_S11", "603", "Rejeição: Total do COFINS difere do somatório dos itens sujeitos ao ICMS"},
    {"GW14", "TmoxNFeGW14_NT003_2012", k50 | k50a | k60, "vCOFINS_S11", "603", "Rejeição: Total do COFINS difere do somatório dos itens sujeitos ao ICMS"},
    {"GW15", "TmoxNFeGW15", k40, "vOutro_I17a", "604", "Rejeição: Total do vOutro difere do somatório dos itens"},
    {"GW15", "TmoxNFeGW15_NT003_2012", k50 | k50a | k60, "vOutro_I17a", "604", "Rejeição: Total do vOutro difere do somatório dos itens"},
    {"GW16", "TmoxNFeGW16_NT003_2012", k50a, "vNF_W16", "610", "Rejeição: Total da NF difere do somatório dos Valores compõe o valor Total da NF", "!pl_008a"},
    {"GW16", "TmoxNFeGW16_NT005_2013", k50a, "vNF_W16", "610", "Rejeição: Total da NF difere do somatório dos Valores compõe o valor Total da NF", "pl_008a"},
    {"GW16", "TmoxNFeGW16_NT005_2013", k60, "vNF_W16", "610", "Rejeição: Total da NF difere do somatório dos Valores compõe o valor Total da NF"},
    {"GW16a", "TmoxNFeGW16a", k50a | k60, "vTotTrib_W16a", "685", "Rejeição: Total do Valor Aproximado dos Tributos difere do somatório dos itens"},
    {"GW16b", "TmoxNFeGW16b_NT003_2013", k50 | k50a | k60, "vTotTrib_W16a", "685", "Rejeição: Total do Valor Aproximado dos Tributos difere do somatório dos itens"},
    {"GW18", "TmoxNFeGW18", k40, "vProd_I11", "605", "Rejeição: Total do vServ difere do somatório do vProd dos itens sujeito ao ISSQN"},
    {"GW18", "TmoxNFeGW18_NT003_2012", k50 | k50a | k60, "vProd_I11", "605", "Rejeição: Total do vServ difere do somatório do vProd dos itens sujeito ao ISSQN"},
    {"GW19", "TmoxNFeGW19", k40, "vBC_U02", "606", "Rejeição: Total do vBC do ISS difere do somatório dos itens"},
    {"GW19", "TmoxNFeGW19_NT003_2012", k50 | k50a | k60, "vBC_U02", "606", "Rejeição: Total do vBC do ISS difere do somatório dos itens"},
    {"GW20", "TmoxNFeGW20", k40, "vISSQN_U04", "607", "Rejeição: Total do ISS difere do somatório dos itens"},
    {"GW20", "TmoxNFeGW20_NT003_2012", k50 | k50a | k60, "vISSQN_U04", "607", "Rejeição: Total do ISS difere do somatório dos itens"},
    {"GW21", "TmoxNFeGW21", k40, "vPIS_Q09", "608", "Rejeição: Total do PIS difere do somatório dos itens sujeitos ao ISSQN"},
    {"GW21", "TmoxNFeGW21_NT003_2012", k50 | k50a | k60, "vPIS_Q09", "608", "Rejeição: Total do PIS difere do somatório dos itens sujeitos ao ISSQN"},
    {"GW22", "TmoxNFeGW22", k40, "vCOFINS_S11", "609", "Rejeição: Total do COFINS difere do somatório dos itens sujeitos ao ISSQN"},
    {"GW22", "TmoxNFeGW22_NT003_2012", k50 | k50a | k60, "vCOFINS_S11", "609", "Rejeição: Total do COFINS difere do somatório dos itens sujeitos ao ISSQN"},
    {"GW22b", "TmoxNFeGW22b", k50a | k60, "vDeducao_W22b", "364", "Rejeição: Total do valor da dedução do ISS difere do somatório dos itens"},
    {"GW22c", "TmoxNFeGW22c", k50a | k60, "vOutro_W22c", "365", "Rejeição: Total de outras retenções difere do somatório dos itens"},
    {"GW22d", "TmoxNFeGW22d", k50a | k60, "vDescIncond_W22d", "366", "Rejeição: Total do desconto incondicionado ISS difere do somatório dos itens"},
    {"GW22e", "TmoxNFeGW22e", k50a | k60, "vDescCond_W22e", "367", "Rejeição: Total do desconto condicionado ISS difere do somatório dos itens"},
    {"GW22f", "TmoxNFeGW22f", k50a | k60, "vISSRet_W22f", "368", "Rejeição: Total de ISS retido difere do somatório dos itens"},
    {"YA03.10", "TmoxNFeYA03_10", k60, "vPag_YA03", "865", "Rejeição: Total dos pagamentos menor que o total da nota"},
    {"YA09.10", "TmoxNFeYA09_10", k60, "vTroco_YA09", "866", "Rejeição: Ausência de troco quando o valor dos pagamentos informados for maior que o total da nota"},
    {"YA09.20", "TmoxNFeYA09_20", k60, "vTroco_YA09", "869", "Rejeição: Valor do troco incorreto"},
};

constexpr std::string_view kNomesZelto[] = {
    "Zelto1", "Zelto2", "Zelto3", "Zelto4"
};

constexpr std::string_view kNomesVM40[] = {
    "GA03", "GB07", "GB09.1", "GB10.2", "GB10a", "GB12", "GB12.1", "GB13", "GB17", "GB20d", "GB20e", "GB20i",
    "GB22", "GB22.1", "GB23", "GB25", "GB25.1", "GB25.2", "GB26", "GB28", "GC02", "GC02a", "GC02a.1", "GC10",
    "GC10.1", "GC17", "GD01", "GE02", "GE02.1", "GE02.2", "GE03", "GE10", "GE10.1", "GE10.2", "GE14",
    "GE14.1", "GE17", "GF02", "GF02a", "GF07", "GF07.1", "GF07.2", "GG02", "GG02a", "GG07", "GG07.1",
    "GG07.2", "GI03", "GI12", "GI08", "GI08.1", "GI08.2", "GI08.3", "GI08.4", "GI08.5", "GI08.7", "GI08.8",
    "GN12", "GN17", "GU01", "GU05", "GX04", "GX05", "GX07", "GX17", "GI01", "GI18", "GY01", "GN28", "GN28.1",
    "GN28.2", "GW03", "GW04", "GW05", "GW06", "GW07", "GW08", "GW09", "GW10", "GW12", "GW11", "GW13", "GW14",
    "GW15", "GW18", "GW19", "GW20", "GW21", "GW22", "GI05.2", "GI05.3"
};

constexpr std::string_view kNomesVM50[] = {
    "GA03", "GB07", "GB10.2", "GB10a", "GB12", "GB12.1", "GB13", "GB17", "GB20d", "GB20e", "GB20i", "GB22",
    "GB22.1", "GB23", "GB25", "GB25.1", "GB25.2", "GB26", "GB28", "GC02", "GC02a", "GC02a.1", "GC10",
    "GC10.1", "GC17", "GD01", "GE02", "GE02.1", "GE02.2", "GE03", "GE10", "GE10.1", "GE10.2", "GE14",
    "GE14.1", "GE17", "GF02", "GF02a", "GF07", "GF07.1", "GF07.2", "GG02", "GG02a", "GG07", "GG07.1",
    "GG07.2", "GI03", "GI12", "GI08", "GI08.1", "GI08.2", "GI08.3", "GI08.4", "GI08.5", "GI08.7", "GI08.8",
    "GN12", "GN17", "GU01", "GU05", "GX04", "GX05", "GX07", "GX17", "GI01", "GI18", "GY01", "GN28.2", "GW03",
    "GW04", "GW05", "GW06", "GW07", "GW08", "GW09", "GW10", "GW11", "GW12", "GW13", "GW14", "GW15", "GW18",
    "GW19", "GW20", "GW21", "GW22", "J02c", "GB09.1", "GL101", "GN28", "GN28.1", "GI05.2", "GI05.3", "GN16",
    "GB13a", "GB13b", "GB20", "GB20ha", "GB20ia", "GB20m", "GB25.3", "GW16b"
};

constexpr std::string_view kNomesVM50a[] = {
    "GA03", "GB06", "GB06.1", "GB26.1", "GB07", "GB10.3", "GB12", "GB12.1", "GB13", "GB17", "GB20d", "GB20e",
    "GB20i", "GB21.2", "GB22", "GB22.1", "GB22.3", "GB23", "GB25", "GB25.1", "GB25.2", "GB25.3", "GB25.4",
    "GB25b", "GB25.7", "GB26", "GB28", "GC02", "GC02a", "GC02a.1", "GC10", "GC10.1", "GC17", "GC18.14",
    "GC18.40", "GD01", "GD01.2", "GE02", "GE02.1", "GE02.2", "GE03", "GE10", "GE10.1", "GE10.2", "GE14",
    "GE14.1", "GE17", "GF02", "GF02a", "GF07", "GF07.1", "GF07.2", "GG02", "GG02a", "GG07", "GG07.1",
    "GG07.2", "GI03", "GI12", "GI08", "GI08.1", "GI08.2", "GI08.3", "GI08.4", "GI08.5", "GI08.7", "GI08.8",
    "GI08.9", "GI08.10", "GI08.12", "GI08.13", "GI17.10", "GI23.10", "GN12", "GN17", "GU01", "GU05.10",
    "GX04", "GX05", "GX07", "GX17", "GI01", "GI18", "GY01", "GW03", "GW04", "GW04.a", "GW05", "GW06", "GW07",
    "GW08", "GW09", "GW10", "GW11", "GW12", "GI08.20", "GI08.30", "GW13", "GW14", "GW15", "GW18", "GW19",
    "GW20", "GW21", "GW22", "J02c", "GB09.1", "GB09.2", "GL101", "GN28", "GN28.1", "GE01", "GE03a", "GE03a.1",
    "GE03a.2", "GE03a.3", "GE04", "GE05", "GE12", "GE12.1", "GE12.2", "GE12.3", "GE16.a", "GE17.1", "GE17.2",
    "GE17.3", "GI23.b", "GI23.d", "GI23d.1", "GI23.e", "GI29.a", "GI50", "GI51", "GI54", "GI54.1", "GL102a",
    "GLB01.3", "GN16_04", "GN16a", "GN16c", "GN17_2", "GN28_2", "GO09_10", "GQ01_2", "GS01_2", "GW16a",
    "GW22b", "GW22c", "GW22d", "GW22e", "GW22f", "GX04.1", "GZA01", "GZA01.1", "GZB02", "GI05.10", "GI05.3",
    "GLA11.10", "GLA16.10", "GN16", "N16.20", "GW16b", "GNA01.20", "GNA01.30", "GNA09.10", "GNA09.30",
    "NA13.10", "W04c.10", "W04e.10", "W04g.10", "E16a.30", "N12.70", "N12.80", "N12a.70", "N23.10", "NA09.20",
    "NA11.10", "GW16", "BA02.40", "U14.10", "B09.30", "G07.20", "I08.190"
};

// The 6.0 set: the 5.0a set less the rules of fields the 4.00 layout dropped (the natural-gas
// share of a fuel mix), then the payment checks of the 4.00 group "pag".
constexpr std::string_view kForaDoLeiaute400[] = {"GL102a"};
constexpr std::string_view kNomesSoVM60[] = {"YA03.10", "YA09.10", "YA09.20"};

std::vector<std::string_view> NomesVM60() {
  std::vector<std::string_view> nomes;
  for (std::string_view nome : kNomesVM50a)
    if (std::find(std::begin(kForaDoLeiaute400), std::end(kForaDoLeiaute400), nome) == std::end(kForaDoLeiaute400))
      nomes.push_back(nome);
  nomes.insert(nomes.end(), std::begin(kNomesSoVM60), std::end(kNomesSoVM60));
  return nomes;
}

bool EsquemaServe(std::string_view aCondicao, TVersaoEsquema aEsquema) {
  if (aCondicao.empty()) return true;
  const bool exceto = aCondicao.front() == '!';
  if (exceto) aCondicao.remove_prefix(1);
  return (VersaoEsquemaToStr(aEsquema) == aCondicao) != exceto;
}

const TRegistroRegra& Registro(std::string_view aNome, unsigned aConjunto, TVersaoEsquema aEsquema) {
  // Built once: every save looks up a whole set.
  static const auto porNome = [] {
    std::unordered_map<std::string_view, std::vector<const TRegistroRegra*>> mapa;
    for (const TRegistroRegra& registro : kCatalogo) mapa[registro.nome].push_back(&registro);
    return mapa;
  }();
  if (auto it = porNome.find(aNome); it != porNome.end())
    for (const TRegistroRegra* registro : it->second)
      if ((registro->conjuntos & aConjunto) && EsquemaServe(registro->esquema, aEsquema)) return *registro;
  throw std::logic_error("regra sem registro no conjunto: " + std::string(aNome));
}

}  // namespace

std::vector<TRegraDoConjunto> RegrasDoConjunto(TConjuntoRegras aConjunto, TVersaoEsquema aEsquema) {
  std::span<const std::string_view> nomes;
  unsigned bit = 0;
  TVersaoManual versao = TVersaoManual::vm50;
  switch (aConjunto) {
    case TConjuntoRegras::Zelto:
      nomes = kNomesZelto;
      bit = kZelto;
      break;
    case TConjuntoRegras::VM30: return {};
    case TConjuntoRegras::VM40:
      nomes = kNomesVM40;
      bit = k40;
      versao = TVersaoManual::vm40;
      break;
    case TConjuntoRegras::VM50:
      nomes = kNomesVM50;
      bit = k50;
      break;
    case TConjuntoRegras::VM50a:
      nomes = kNomesVM50a;
      bit = k50a;
      versao = TVersaoManual::vm50a;
      break;
    case TConjuntoRegras::VM60: {
      static const std::vector<std::string_view> nomesVM60 = NomesVM60();
      nomes = nomesVM60;
      bit = k60;
      versao = TVersaoManual::vm60;
      break;
    }
  }
  std::vector<TRegraDoConjunto> regras;
  regras.reserve(nomes.size());
  for (std::string_view nome : nomes) {
    const TRegistroRegra& registro = Registro(nome, bit, aEsquema);
    const TClasseRegra* classe = ProcuraClasseRegra(registro.classe);
    if (!classe) throw std::logic_error("classe de regra desconhecida: " + std::string(registro.classe));
    regras.push_back({classe, {registro.nome, registro.campo, registro.codigo, registro.mensagem, versao}});
  }
  return regras;
}

TConjuntoRegras ConjuntoDoEsquema(TVersaoEsquema aEsquema) {
  switch (GetVersaoManualDoEsquema(aEsquema)) {
    case TVersaoManual::vm40: return TConjuntoRegras::VM40;
    case TVersaoManual::vm50: return TConjuntoRegras::VM50;
    case TVersaoManual::vm50a: return TConjuntoRegras::VM50a;
    case TVersaoManual::vm60: return TConjuntoRegras::VM60;
    default: return TConjuntoRegras::VM30;
  }
}

const TClasseRegra* ProcuraClasseRegra(std::string_view aClasse) {
  static const auto porNome = [] {
    std::unordered_map<std::string_view, const TClasseRegra*> mapa;
    for (auto tabela : {ClassesRegrasIdentificacao(), ClassesRegrasParticipantes(), ClassesRegrasProdutos(),
                        ClassesRegrasImpostos(), ClassesRegrasTotais()})
      for (const TClasseRegra& classe : tabela) mapa.emplace(classe.classe, &classe);
    return mapa;
  }();
  const auto it = porNome.find(aClasse);
  return it == porNome.end() ? nullptr : it->second;
}

}  // namespace mox
