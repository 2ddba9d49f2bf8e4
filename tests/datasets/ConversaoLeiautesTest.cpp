// The layout converters: one class per schema package in the right family, and the groups whose
// content depends on a code or on which fields hold values.
#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>
#include <typeinfo>
#include <vector>

#include "base/EmoxException.h"
#include "datasets/NotasDeTeste.h"
#include "datasets/TmoxDS_pl008.h"
#include "datasets/moxImpostosNFe.h"
#include "datasets/moxLeiautesNFe.h"
#include "support/MensagemDe.h"

namespace {

using mox::TVersaoEsquema;
using V = TVersaoEsquema;

// --- Classes ------------------------------------------------------------------------------------

TEST(LeiautesNFe, CadaPacoteTemSuaClasseNaFamiliaDoLeiaute) {
  struct Caso {
    V versao;
    const std::type_info& classe;
  };
  const Caso casos[] = {{V::pl_005a, typeid(mox::TmoxDS_pl005a)},  {V::pl_005b, typeid(mox::TmoxDS_pl005b)},
                        {V::pl_005c, typeid(mox::TmoxDS_pl005c)},  {V::pl_005d, typeid(mox::TmoxDS_pl005d)},
                        {V::pl_005f, typeid(mox::TmoxDS_pl005f)},  {V::pl_006e, typeid(mox::TmoxDS_pl006e)},
                        {V::pl_006f, typeid(mox::TmoxDS_pl006f)},  {V::pl_006g, typeid(mox::TmoxDS_pl006g)},
                        {V::pl_006i, typeid(mox::TmoxDS_pl006i)},  {V::pl_006j, typeid(mox::TmoxDS_pl006j)},
                        {V::pl_006m, typeid(mox::TmoxDS_pl006m)},  {V::pl_006n, typeid(mox::TmoxDS_pl006n)},
                        {V::pl_006p, typeid(mox::TmoxDS_pl006p)},  {V::pl_006q, typeid(mox::TmoxDS_pl006q)},
                        {V::pl_006r, typeid(mox::TmoxDS_pl006r)},  {V::pl_006s, typeid(mox::TmoxDS_pl006s)},
                        {V::pl_006t, typeid(mox::TmoxDS_pl006t)},  {V::pl_006u, typeid(mox::TmoxDS_pl006u)},
                        {V::pl_006v, typeid(mox::TmoxDS_pl006v)},  {V::pl_008a, typeid(mox::TmoxDS_pl008a)},
                        {V::pl_008b, typeid(mox::TmoxDS_pl008b)},  {V::pl_008c, typeid(mox::TmoxDS_pl008c)},
                        {V::pl_008d, typeid(mox::TmoxDS_pl008d)},  {V::pl_008e, typeid(mox::TmoxDS_pl008e)},
                        {V::pl_008f, typeid(mox::TmoxDS_pl008f)},  {V::pl_008g, typeid(mox::TmoxDS_pl008g)},
                        {V::pl_008h, typeid(mox::TmoxDS_pl008h)},  {V::pl_008i, typeid(mox::TmoxDS_pl008i)},
                        {V::pl_008i1, typeid(mox::TmoxDS_pl008i1)}};
  for (const Caso& caso : casos) {
    auto leiaute = mox::CriaLeiauteNFe(caso.versao);
    ASSERT_NE(leiaute, nullptr);
    const auto& objeto = *leiaute;
    EXPECT_EQ(typeid(objeto), caso.classe) << mox::VersaoEsquemaToStr(caso.versao);
    EXPECT_EQ(leiaute->VersaoEsquema(), caso.versao);
  }
  // The families branch: pl_006e starts from pl_005d, pl_008a from pl_006s.
  auto pl006e = mox::CriaLeiauteNFe(V::pl_006e);
  EXPECT_NE(dynamic_cast<mox::TmoxDS_pl005d*>(pl006e.get()), nullptr);
  EXPECT_EQ(dynamic_cast<mox::TmoxDS_pl005f*>(pl006e.get()), nullptr);
  auto pl008a = mox::CriaLeiauteNFe(V::pl_008a);
  EXPECT_NE(dynamic_cast<mox::TmoxDS_pl006s*>(pl008a.get()), nullptr);
  EXPECT_EQ(dynamic_cast<mox::TmoxDS_pl006t*>(pl008a.get()), nullptr);
}

TEST(LeiautesNFe, FachadaSemFabricaUsaOsLeiautesDeCadaPacote) {
  mox::TmoxNFeDataSets ds;
  ds.SetVersaoEsquema(V::pl_006r);
  const auto& ativo = ds.ActiveDSVersao();
  EXPECT_EQ(typeid(ativo), typeid(mox::TmoxDS_pl006r));
}

// The data sets a new note and a new item open, per family.
TEST(LeiautesNFe, ListasDaNotaEDoItemPorFamilia) {
  using Lista = std::vector<std::string>;
  const Lista nota005{"A", "B", "C",       "D",   "E",     "F",       "G",       "X",      "W",
                      "Y", "Z", "REBOQUE", "VOL", "LACRE", "PROCREF", "OBSCONT", "MANAGER"};
  Lista nota006 = nota005;
  nota006.push_back("CANA");
  // From 3.10 on the payments follow the billing.
  const Lista nota008{"A", "B", "C",       "D",   "E",     "F",       "G",       "AUTXML",  "X",    "W",
                      "Y", "YA", "Z",      "REBOQUE", "VOL", "LACRE", "PROCREF", "OBSCONT", "MANAGER", "CANA"};
  const Lista item005{"H", "I", "J", "K", "L", "M", "N", "O", "P", "Q", "R", "S", "T", "U", "V", "DI", "ADI", "L1"};
  const Lista item008a{"H", "I", "NVE", "J",  "K", "L",  "M",   "N",         "O",         "P",  "Q", "R",
                       "S", "T", "U",   "UB", "V", "DI", "ADI", "DETEXPORT", "EXPORTIND", "L1", "L2"};
  Lista item008g = item008a;
  item008g.insert(item008g.begin() + 8, "NA");
  struct Caso {
    V versao;
    const Lista& nota;
    const Lista& item;
  };
  const Caso casos[] = {{V::pl_005f, nota005, item005},  {V::pl_006e, nota006, item005},
                        {V::pl_006v, nota006, item005},  {V::pl_008a, nota008, item008a},
                        {V::pl_008f, nota008, item008a}, {V::pl_008g, nota008, item008g},
                        {V::pl_008i1, nota008, item008g}};
  auto nomes = [](const std::vector<mox::TXmlDataSetNFe*>& aLista) {
    Lista lista;
    for (const mox::TXmlDataSetNFe* ds : aLista) lista.push_back(ds->Name());
    return lista;
  };
  for (const Caso& caso : casos) {
    SCOPED_TRACE(mox::VersaoEsquemaToStr(caso.versao));
    auto ds = moxtest::DataSetsEntregues(caso.versao);
    EXPECT_EQ(nomes(ds->ActiveDSVersao().PartsNFe()), caso.nota);
    EXPECT_EQ(nomes(ds->ActiveDSVersao().PartsNFeItem()), caso.item);
  }
}

TEST(LeiautesNFe, IdentificacaoSemRegistroFalha) {
  auto leiaute = mox::CriaLeiauteNFe(V::pl_008i1);
  leiaute->SetXMLDicionario(moxtest::DicionarioEntregue(V::pl_008i1));
  EXPECT_EQ(moxtest::MensagemDe<mox::EmoxNFeDataSetException>([&] { leiaute->ConvPartB(); }),
            "Parte B - Identificaçãcão da Nota Fiscal eletrônica não foi preenchida.");
}

// --- Groups chosen by codes and values ----------------------------------------------------------

// The first element named aTag (with its content), or nothing.
std::string Elemento(const std::string& aXml, const std::string& aTag) {
  size_t inicio = aXml.find("<" + aTag + ">");
  if (inicio == std::string::npos) inicio = aXml.find("<" + aTag + " ");
  if (inicio == std::string::npos) return {};
  const std::string fecho = "</" + aTag + ">";
  return aXml.substr(inicio, aXml.find(fecho, inicio) + fecho.size() - inicio);
}

// The minimal invoice of a family, completed by aLinhas inside its only item, then saved.
std::string Converte(V aVersao, const std::string& aFamilia, const std::string& aLinhas, bool aExportacao = false) {
  auto ds = moxtest::DataSetsEntregues(aVersao, aExportacao);
  moxtest::PreencheNota(*ds, moxtest::NotaDeTeste(aFamilia + "/minima.txt") + aLinhas + "SALVARITEM\nSALVAR\n");
  return ds->LoteNFe().back();
}

const char* const kICMS00 = "orig_N11=0\nCST_N12=00\nmodBC_N13=3\nvBC_N15=10.00\npICMS_N16=18.00\nvICMS_N17=1.80\n";
const char* const kEnderDest =
    "<enderDest><xLgr>RUA B</xLgr><nro>2</nro><xBairro>CENTRO</xBairro><cMun>3550308</cMun>"
    "<xMun>SAO PAULO</xMun><UF>SP</UF></enderDest>";

struct CasoDeGrupo {
  const char* nome;
  V versao;
  const char* familia;
  std::string linhas;
  const char* elemento;
  std::string esperado;  // the whole element; empty: the element is absent
  bool exportacao = false;
};

void PrintTo(const CasoDeGrupo& aCaso, std::ostream* aSaida) { *aSaida << aCaso.nome; }

class GrupoConvertido : public ::testing::TestWithParam<CasoDeGrupo> {};

TEST_P(GrupoConvertido, TemOConteudoEsperado) {
  const CasoDeGrupo& caso = GetParam();
  EXPECT_EQ(Elemento(Converte(caso.versao, caso.familia, caso.linhas, caso.exportacao), caso.elemento), caso.esperado);
}

const CasoDeGrupo kCasosDeGrupo[] = {
    // ICMS: CST 41 with retained ST, tax sharing between states, Simples Nacional over CST.
    {"CST41ComSTRetidoViraICMSST", V::pl_008i1, "310",
     "orig_N11=0\nCST_N12=41\nvBCSTRet_N26=10.00\nvICMSSTRet_N27=1.80\n", "ICMS",
     "<ICMS><ICMSST><orig>0</orig><CST>41</CST><vBCSTRet>10.00</vBCSTRet><vICMSSTRet>1.80</vICMSSTRet></ICMSST></"
     "ICMS>"},
    {"CST41SoComBCDoSTDeDestinoViraICMSST", V::pl_008i1, "310", "orig_N11=0\nCST_N12=41\nvBCSTDest_N31=10.00\n", "ICMS",
     "<ICMS><ICMSST><orig>0</orig><CST>41</CST><vBCSTDest>10.00</vBCSTDest></ICMSST></ICMS>"},
    {"CST41SemSTRetidoFicaEmICMS40", V::pl_008i1, "310", "orig_N11=0\nCST_N12=41\nvICMSSTDest_N32=1.20\n", "ICMS",
     "<ICMS><ICMS40><orig>0</orig><CST>41</CST></ICMS40></ICMS>"},
    {"CST10ComUFDoSTViraICMSPart", V::pl_008i1, "310",
     "orig_N11=0\nCST_N12=10\nmodBC_N13=3\nvBC_N15=10.00\npICMS_N16=18.00\nvICMS_N17=1.80\nmodBCST_N18=4\n"
     "vBCST_N21=12.00\npICMSST_N22=18.00\nvICMSST_N23=0.36\npBCOp_N25=50.00\nUFST_N24=RJ\n",
     "ICMS",
     "<ICMS><ICMSPart><orig>0</orig><CST>10</CST><modBC>3</modBC><vBC>10.00</vBC><pICMS>18.00</pICMS>"
     "<vICMS>1.80</vICMS><modBCST>4</modBCST><vBCST>12.00</vBCST><pICMSST>18.00</pICMSST><vICMSST>0.36</vICMSST>"
     "<pBCOp>50.00</pBCOp><UFST>RJ</UFST></ICMSPart></ICMS>"},
    {"CST00ComUFDoSTFicaEmICMS00", V::pl_008i1, "310", std::string(kICMS00) + "UFST_N24=RJ\n", "ICMS",
     "<ICMS><ICMS00><orig>0</orig><CST>00</CST><modBC>3</modBC><vBC>10.00</vBC><pICMS>18.00</pICMS>"
     "<vICMS>1.80</vICMS></ICMS00></ICMS>"},
    {"CSOSN102PrevaleceSobreOCST00", V::pl_008i1, "310", std::string(kICMS00) + "CSOSN_N12a=102\n", "ICMS",
     "<ICMS><ICMSSN102><orig>0</orig><CSOSN>102</CSOSN></ICMSSN102></ICMS>"},
    {"SemCSTNaoHaICMSDesde200", V::pl_006g, "200", "orig_N11=0\n", "ICMS", ""},
    {"SemCSTOICMSVaiVazioEm110", V::pl_005f, "110", "orig_N11=0\n", "ICMS", "<ICMS></ICMS>"},
    {"CSTEscolheATagDoRegistroInteiroNoPl005a", V::pl_005a, "110",
     "orig_N11=0\nCST_N12=20\nmodBC_N13=3\npRedBC_N14=10.00\nvBC_N15=9.00\npICMS_N16=18.00\nvICMS_N17=1.62\n", "ICMS",
     "<ICMS><ICMS20><orig>0</orig><CST>20</CST><modBC>3</modBC><pRedBC>10.00</pRedBC><vBC>9.00</vBC>"
     "<pICMS>18.00</pICMS><vICMS>1.62</vICMS></ICMS20></ICMS>"},
    {"ICMSDoCombustivelNoPl005a", V::pl_005a, "110",
     "cProdANP_L102=320102001\nvBCICMS_L110=10.00\nvICMS_L111=1.80\nvBCICMSST_L112=10.00\nvICMSST_L113=0.50\n", "comb",
     "<comb><cProdANP>320102001</cProdANP><ICMS><vBCICMS>10.00</vBCICMS><vICMS>1.80</vICMS>"
     "<vBCICMSST>10.00</vBCICMSST><vICMSST>0.50</vICMSST></ICMS></comb>"},
    {"ICMSCombDoCombustivelDesdePl005c", V::pl_005c, "110",
     "cProdANP_L102=320102001\nvBCICMS_L110=10.00\nvICMS_L111=1.80\nvBCICMSST_L112=10.00\nvICMSST_L113=0.50\n", "comb",
     "<comb><cProdANP>320102001</cProdANP><ICMSComb><vBCICMS>10.00</vBCICMS><vICMS>1.80</vICMS>"
     "<vBCICMSST>10.00</vBCICMSST><vICMSST>0.50</vICMSST></ICMSComb></comb>"},
    // PIS with values but without a known code stays as an empty group, which the schema
    // refuses, rather than losing the values; IPI without a code is left out.
    {"PISSemCodigoVaiVazio", V::pl_008i1, "310", std::string(kICMS00) + "vBC_Q07=10.00\n", "PIS", "<PIS></PIS>"},
    {"PISSemCodigoVaiVazioEm200", V::pl_006v, "200", std::string(kICMS00), "PIS", "<PIS></PIS>"},
    {"ItemSemValoresDePISNaoTemPISDesde310", V::pl_008a, "310", std::string(kICMS00), "PIS", ""},
    {"ItemSemValoresDeCOFINSNaoTemCOFINSDesde310", V::pl_008i1, "310", std::string(kICMS00), "COFINS", ""},
    {"IPISemCodigoNaoSaiNaNota", V::pl_008i1, "310", std::string(kICMS00) + "cEnq_O06=999\n", "IPI", ""},
    {"PIS49SoExisteDesdePl006g", V::pl_006e, "200", "CST_Q06=49\nvBC_Q07=10.00\npPIS_Q08=0.65\nvPIS_Q09=0.07\n", "PIS",
     "<PIS></PIS>"},
    {"PIS49OutrasOperacoesNoPl006g", V::pl_006g, "200", "CST_Q06=49\nvBC_Q07=10.00\npPIS_Q08=0.65\nvPIS_Q09=0.07\n",
     "PIS", "<PIS><PISOutr><CST>49</CST><vBC>10.00</vBC><pPIS>0.65</pPIS><vPIS>0.07</vPIS></PISOutr></PIS>"},
    // A recipient without CNPJ, CPF or foreign identifier gets the empty idEstrangeiro.
    {"DestinatarioSemIdentificacaoGanhaIdEstrangeiroVazio", V::pl_008i1, "310", "CNPJ_E02=\n", "dest",
     std::string("<dest><idEstrangeiro/><xNome>DESTINATARIO</xNome>") + kEnderDest + "<indIEDest>9</indIEDest></dest>"},
    {"DestinatarioComCPFNaoGanhaIdEstrangeiro", V::pl_008i1, "310", "CNPJ_E02=\nCPF_E03=12345678909\n", "dest",
     std::string("<dest><CPF>12345678909</CPF><xNome>DESTINATARIO</xNome>") + kEnderDest +
         "<indIEDest>9</indIEDest></dest>"},
    {"IdEstrangeiroVazioVemDepoisDoNomeNoPl005", V::pl_005f, "110", "CNPJ_E02=\n", "dest",
     std::string("<dest><xNome>DESTINATARIO</xNome><idEstrangeiro/>") + kEnderDest + "<IE>ISENTO</IE></dest>"},
    {"DestinatarioNoExteriorComCNPJVazioNoDicionarioDeExportacao", V::pl_006v, "200",
     "CNPJ_E02=\ncMun_E10=9999999\nxMun_E11=EXTERIOR\nUF_E12=EX\ncPais_E14=639\nxPais_E15=ARGENTINA\nIE_E17=\n", "dest",
     "<dest><CNPJ></CNPJ><xNome>DESTINATARIO</xNome><enderDest><xLgr>RUA B</xLgr><nro>2</nro><xBairro>CENTRO"
     "</xBairro><cMun>9999999</cMun><xMun>EXTERIOR</xMun><UF>EX</UF><cPais>639</cPais><xPais>ARGENTINA</xPais>"
     "</enderDest><IE></IE></dest>",
     true},
    // Referenced documents: the first alternative with values names the kind of document.
    {"ReferenciaNFe", V::pl_008i1, "310",
     "INCLUIRPARTE=NREF\nrefNFe_BA02=35160799999999000191550010000009991000009990\n", "NFref",
     "<NFref><refNFe>35160799999999000191550010000009991000009990</refNFe></NFref>"},
    {"ReferenciaNFComChaveValeAChave", V::pl_008i1, "310",
     "INCLUIRPARTE=NREF\nrefNFe_BA02=35160799999999000191550010000009991000009990\ncUF_BA04=35\nnNF_BA09=10\n", "NFref",
     "<NFref><refNFe>35160799999999000191550010000009991000009990</refNFe></NFref>"},
    {"ReferenciaNFModelo1", V::pl_008i1, "310",
     "INCLUIRPARTE=NREF\ncUF_BA04=35\nAAMM_BA05=1606\nCNPJ_BA06=11222333000181\nmod_BA07=01\nserie_BA08=1\nnNF_BA09="
     "10\n",
     "NFref",
     "<NFref><refNF><cUF>35</cUF><AAMM>1606</AAMM><CNPJ>11222333000181</CNPJ><mod>01</mod><serie>1</serie>"
     "<nNF>10</nNF></refNF></NFref>"},
    {"ReferenciaSoComCamposDeProdutorViraRefNFP", V::pl_008i1, "310",
     "INCLUIRPARTE=NREF\ncUF_BA11=35\nAAMM_BA12=1605\nCPF_BA14=12345678909\nIE_BA15=ISENTO\nmod_BA16=04\nserie_BA17=0\n"
     "nNF_BA18=77\n",
     "NFref",
     "<NFref><refNFP><cUF>35</cUF><AAMM>1605</AAMM><CPF>12345678909</CPF><IE>ISENTO</IE><mod>04</mod>"
     "<serie>0</serie><nNF>77</nNF></refNFP></NFref>"},
    {"ReferenciaCTe", V::pl_008i1, "310",
     "INCLUIRPARTE=NREF\nrefCTe_BA19=35160711222333000181570010000012341000012345\n", "NFref",
     "<NFref><refCTe>35160711222333000181570010000012341000012345</refCTe></NFref>"},
    {"ReferenciaCupomFiscal", V::pl_008i1, "310", "INCLUIRPARTE=NREF\nmod_BA21=2D\nnECF_BA22=12\nnCOO_BA23=123456\n",
     "NFref", "<NFref><refECF><mod>2D</mod><nECF>12</nECF><nCOO>123456</nCOO></refECF></NFref>"},
    {"ReferenciaDeProdutorNoLeiaute200", V::pl_006g, "200",
     "INCLUIRPARTE=NREF\ncUF_B20b=35\nAAMM_B20c=1205\nCNPJ_B20d=11222333000181\nIE_B20f=ISENTO\nmod_B20g=04\n"
     "serie_B20h=0\nnNF_B20ha=77\n",
     "NFref",
     "<NFref><refNFP><cUF>35</cUF><AAMM>1205</AAMM><CNPJ>11222333000181</CNPJ><IE>ISENTO</IE><mod>04</mod>"
     "<serie>0</serie><nNF>77</nNF></refNFP></NFref>"},
    {"ReferenciaSemValoresNaoSaiDesde200", V::pl_006g, "200", "INCLUIRPARTE=NREF\nSALVARPARTE=NREF\n", "NFref", ""},
    {"ReferenciaSemValoresNaoSaiEm110", V::pl_005f, "110", "INCLUIRPARTE=NREF\nSALVARPARTE=NREF\n", "NFref", ""},
    {"ReferenciaIncompletaContinuaRefNFEm110", V::pl_005f, "110", "INCLUIRPARTE=NREF\ncUF_B15=35\nSALVARPARTE=NREF\n",
     "NFref", "<NFref><refNF><cUF>35</cUF></refNF></NFref>"},
    // Volumes: one without values is left out with its seals; each seal has its own lacres.
    {"VolumeSemValoresSaiComSeusLacres", V::pl_008i1, "310",
     "qVol_X27=1\nesp_X28=CAIXA\nnLacre_X34=L1\nINCLUIRPARTE=LACRE\nnLacre_X34=L2\nSALVARPARTE=LACRE\n"
     "INCLUIRPARTE=VOL\nINCLUIRPARTE=LACRE\nnLacre_X34=L3\nSALVARPARTE=LACRE\n",
     "transp",
     "<transp><modFrete>9</modFrete><vol><qVol>1</qVol><esp>CAIXA</esp><lacres><nLacre>L1</nLacre></lacres>"
     "<lacres><nLacre>L2</nLacre></lacres></vol></transp>"},
    // Billing only when there is an invoice or an instalment.
    {"SemFaturaNemParcelaNaoHaCobranca", V::pl_008i1, "310", "", "cobr", ""},
    {"ParcelaSemFatura", V::pl_008i1, "310", "INCLUIRCOBRANCA\nnDup_Y08=1\nvDup_Y10=10.00\nSALVARCOBRANCA\n", "cobr",
     "<cobr><dup><nDup>1</nDup><vDup>10.00</vDup></dup></cobr>"},
    {"FaturaSemParcela", V::pl_006g, "200", "nFat_Y03=F1\nvLiq_Y06=10.00\n", "cobr",
     "<cobr><fat><nFat>F1</nFat><vLiq>10.00</vLiq></fat></cobr>"},
};

INSTANTIATE_TEST_SUITE_P(Casos, GrupoConvertido, ::testing::ValuesIn(kCasosDeGrupo),
                         [](const auto& aInfo) { return std::string(aInfo.param.nome); });

// The 3.10 schema has the referenced documents at the end of ide, after the contingency fields.
TEST(LeiautesNFe, ReferenciasDo310FechamOIde) {
  const std::string xml =
      Converte(V::pl_008i1, "310", "INCLUIRPARTE=NREF\nrefNFe_BA02=35160799999999000191550010000009991000009990\n");
  const std::string ide = Elemento(xml, "ide");
  EXPECT_NE(ide.find("<verProc>moxnfe</verProc><NFref><refNFe>35160799999999000191550010000009991000009990"
                     "</refNFe></NFref></ide>"),
            std::string::npos)
      << ide;
}

// Each det holds only the records of its own item: the item-level data sets follow the item.
TEST(LeiautesNFe, CadaItemLevaSoOsSeusRegistros) {
  auto ds = moxtest::DataSetsEntregues(V::pl_008i1);
  moxtest::PreencheNota(*ds, moxtest::NotaDeTeste("310/venda-industria.txt"));
  const std::string& xml = ds->LoteNFe().front();
  auto item = [&](int aNumero) {
    const size_t inicio = xml.find("<det nItem=\"" + std::to_string(aNumero) + "\">");
    return xml.substr(inicio, xml.find("</det>", inicio) - inicio);
  };
  auto quantos = [](const std::string& aTexto, const std::string& aTag) {
    size_t n = 0;
    for (size_t p = aTexto.find("<" + aTag + ">"); p != std::string::npos; p = aTexto.find("<" + aTag + ">", p + 1))
      ++n;
    return n;
  };
  struct Caso {
    int item;
    const char* tag;
    size_t vezes;
  };
  const Caso casos[] = {{1, "NVE", 2},      {2, "NVE", 0},     {1, "impostoDevol", 1}, {2, "impostoDevol", 0},
                        {16, "med", 2},     {17, "med", 0},    {17, "arma", 2},        {18, "arma", 0},
                        {18, "comb", 1},    {19, "comb", 0},   {15, "veicProd", 1},    {16, "veicProd", 0},
                        {19, "nRECOPI", 1}, {1, "nRECOPI", 0}, {1, "infAdProd", 1},    {2, "infAdProd", 0}};
  for (const Caso& caso : casos)
    EXPECT_EQ(quantos(item(caso.item), caso.tag), caso.vezes) << "item " << caso.item << ", " << caso.tag;
}

// An item part is left out without reading its records only while none of them can write: a
// field shown, or made to write its empty tag, after the dictionary was loaded still writes in
// every item, although the records hold nothing but their handle and item key (a key without a
// node kind writes as an attribute).
TEST(LeiautesNFe, PartesSemValoresSeguemAsDefinicoesDosCampos) {
  struct Caso {
    const char* parte;
    const char* campo;
    bool tagVazia;  // otherwise the field is shown
    const char* elemento;
    std::string esperado;
  };
  const Caso casos[] = {
      {"J", "hItem", false, "veicProd", "<veicProd>hItem=\"1\"</veicProd>"},
      {"K", "hItem", false, "med", "<med>hItem=\"1\"</med>"},
      {"DI", "hItem", false, "DI", "<DI>hItem=\"1\"</DI>"},
      {"EXPORTIND", "hDetExport", false, "detExport",
       "<detExport><exportInd>hDetExport=\"1\"<nRE></nRE></exportInd></detExport>"},
      {"M", "vTotTrib_M02", true, "imposto", "<imposto><vTotTrib></vTotTrib></imposto>"},
      {"L2", "nRECOPI_LB01", true, "nRECOPI", "<nRECOPI></nRECOPI>"},
      {"NA", "vBCUFDest_NA03", true, "ICMSUFDest", "<ICMSUFDest><vBCUFDest></vBCUFDest></ICMSUFDest>"},
      {"UB", "pDevol_UA02", true, "impostoDevol", "<impostoDevol><pDevol></pDevol></impostoDevol>"},
      {"L1", "nBico_LA12", true, "comb", "<comb><encerrante><nBico></nBico></encerrante></comb>"},
  };
  for (const Caso& caso : casos) {
    auto ds = moxtest::DataSetsEntregues(V::pl_008i1);
    mox::TXmlFieldNFe& campo = ds->FindDataSet(caso.parte).XmlFieldByName(caso.campo);
    if (caso.tagVazia)
      campo.SetGeraTagVazia(true);
    else
      campo.SetVisible(true);
    moxtest::PreencheNota(*ds, moxtest::NotaDeTeste("310/minima.txt") + "SALVARITEM\nSALVAR\n");
    EXPECT_EQ(Elemento(ds->LoteNFe().back(), caso.elemento), caso.esperado) << caso.parte << "." << caso.campo;
  }
}

// What one conversion learns of the parts without values holds for its own note only: the next
// note's values in those parts are written.
TEST(LeiautesNFe, CadaNotaMostraDeNovoQuaisPartesTemValores) {
  struct Caso {
    const char* linhas;
    const char* elemento;
    const char* esperado;
  };
  const Caso casos[] = {{"vTotTrib_M02=1.00\n", "vTotTrib", "<vTotTrib>1.00</vTotTrib>"},
                        {"NVE_I05a=AA0001\n", "NVE", "<NVE>AA0001</NVE>"},
                        {"nRECOPI_LB01=20130000000000000001\n", "nRECOPI", "<nRECOPI>20130000000000000001</nRECOPI>"},
                        {"tpOp_J02=1\n", "veicProd", "<veicProd><tpOp>1</tpOp></veicProd>"}};
  const std::string nota = moxtest::NotaDeTeste("310/minima.txt");
  for (const Caso& caso : casos) {
    auto ds = moxtest::DataSetsEntregues(V::pl_008i1);
    moxtest::PreencheNota(*ds, nota + "SALVARITEM\nSALVAR\n");
    moxtest::PreencheNota(*ds, nota + caso.linhas + "SALVARITEM\nSALVAR\n");
    ASSERT_EQ(ds->LoteNFe().size(), 2u) << caso.elemento;
    EXPECT_EQ(Elemento(ds->LoteNFe()[0], caso.elemento), "") << caso.elemento;
    EXPECT_EQ(Elemento(ds->LoteNFe()[1], caso.elemento), caso.esperado) << caso.elemento;
  }
}

// The PIS and COFINS code tables of each family at their borders, including codes the
// dictionaries of those layouts do not accept.
TEST(LeiautesNFe, TabelasDePISPorFamilia) {
  using G = mox::TGrupoPIS;
  struct Caso {
    const char* cst;
    std::optional<G> pl005a, pl005f, pl006g;
  };
  const Caso casos[] = {{"01", G::Aliq, G::Aliq, G::Aliq},
                        {"03", G::Qtde, G::Qtde, G::Qtde},
                        {"04", G::NT, G::NT, G::NT},
                        {"05", G::NT, std::nullopt, G::NT},
                        {"09", G::NT, G::NT, G::NT},
                        {"49", std::nullopt, G::Outr, G::Outr},
                        {"57", std::nullopt, std::nullopt, std::nullopt},
                        {"75", std::nullopt, G::Outr, G::Outr},
                        {"99", G::Outr, G::Outr, G::Outr},
                        {"5", std::nullopt, std::nullopt, std::nullopt},
                        {"", std::nullopt, std::nullopt, std::nullopt}};
  for (const Caso& caso : casos) {
    SCOPED_TRACE(caso.cst);
    EXPECT_EQ(mox::TabelaPIS_pl005a(caso.cst), caso.pl005a);
    EXPECT_EQ(mox::TabelaPIS_pl005f(caso.cst), caso.pl005f);
    EXPECT_EQ(mox::TabelaPIS_pl006g(caso.cst), caso.pl006g);
  }
}

}  // namespace
