// Valid notes entered as TX2, edited the way real notes differ from the examples (a consumer note
// without recipient, an item without PIS and COFINS, payments, fields of an older layout), each
// converted, signed and validated against the official schema of every package of its layout;
// or refused with the message that names the field to use.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <ostream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "base/EmoxException.h"
#include "base/moxEnumTexts.h"
#include "datasets/NotasDeTeste.h"
#include "support/MensagemDe.h"
#include "support/NotaAssinada.h"

namespace {

using mox::TVersaoEsquema;
using V = TVersaoEsquema;

struct Pacote {
  const char* pasta;
  V versao;
  const char* esquema;
};

// The packages of the 3.10 and 1.10 layouts; PL_008i2 is read with the newest converter.
const std::vector<Pacote> kPacotes310{
    {"PL_008a", V::pl_008a, "nfe_v3.10.xsd"},   {"PL_008b", V::pl_008b, "nfe_v3.10.xsd"},
    {"PL_008c", V::pl_008c, "nfe_v3.10.xsd"},   {"PL_008d", V::pl_008d, "nfe_v3.10.xsd"},
    {"PL_008e", V::pl_008e, "nfe_v3.10.xsd"},   {"PL_008f", V::pl_008f, "nfe_v3.10.xsd"},
    {"PL_008g", V::pl_008g, "nfe_v3.10.xsd"},   {"PL_008h", V::pl_008h, "nfe_v3.10.xsd"},
    {"PL_008i", V::pl_008i, "nfe_v3.10.xsd"},   {"PL_008i1", V::pl_008i1, "nfe_v3.10.xsd"},
    {"PL_008i2", V::pl_008i1, "nfe_v3.10.xsd"},
};
const std::vector<Pacote> kPacotes110{{"PL_005c", V::pl_005c, "nfe_v1.10.xsd"},
                                      {"PL_005d", V::pl_005d, "nfe_v1.10.xsd"},
                                      {"PL_005f", V::pl_005f, "nfe_v1.10.xsd"}};

const char* const kVenda = "tx2/venda-simples.tx2";
const char* const kVenda110 = "leiautes/110/venda-industria.txt";
const char* const kChave = "35160799999999000191550010000009991000009990";

struct Caso {
  const char* nome;
  const char* base;  // under tests/fixtures
  const std::vector<Pacote>* pacotes;
  V desde;                                                  // first package the case applies to
  std::vector<std::pair<std::string, std::string>> trocas;  // field -> the line replacing its line
  std::vector<std::string> semGrupos;  // layout groups whose field lines are dropped ("E" drops *_E*)
  std::string acrescimo;               // lines added before the note is saved
  std::vector<std::string> presentes;  // texts the note holds
  std::vector<std::string> ausentes;   // texts it must not hold
  // A refused note: the line refused and the message of the failure ("{pacote}" stands for the
  // schema package of the note).
  std::string linhaRecusada = {};
  std::string erro = {};
  V ate = V::pl_008i1;  // last package the case applies to
};

void PrintTo(const Caso& aCaso, std::ostream* aSaida) { *aSaida << aCaso.nome; }

// The layout group of a field line: the item letters after the underscore ("E" for CPF_E03).
std::string GrupoDaLinha(const std::string& aLinha) {
  const size_t igual = aLinha.find('='), sublinhado = aLinha.rfind('_', igual);
  if (igual == std::string::npos || sublinhado == std::string::npos) return {};
  std::string grupo;
  for (size_t i = sublinhado + 1; i < igual && std::isupper(static_cast<unsigned char>(aLinha[i])); ++i)
    grupo += aLinha[i];
  return grupo;
}

// The base note with the case's edits; the additions go before the last SALVAR.
std::string NotaEditada(const Caso& aCaso) {
  std::istringstream linhas(moxtest::ReadText(moxtest::Fixture(aCaso.base)));
  std::vector<std::string> nota;
  for (std::string linha; std::getline(linhas, linha);) {
    if (!linha.empty() && linha.back() == '\r') linha.pop_back();
    const std::string grupo = GrupoDaLinha(linha);
    if (std::find(aCaso.semGrupos.begin(), aCaso.semGrupos.end(), grupo) != aCaso.semGrupos.end()) continue;
    for (const auto& [campo, nova] : aCaso.trocas)
      if (linha.substr(0, linha.find('=')) == campo) linha = nova;
    nota.push_back(linha);
  }
  const auto salvar = std::find(nota.rbegin(), nota.rend(), "SALVAR");
  std::string texto;
  for (auto it = nota.begin(); it != nota.end(); ++it) {
    if (it == salvar.base() - 1) texto += aCaso.acrescimo;
    texto += *it + "\n";
  }
  return texto;
}

// Zero-based index of a line in a text, as the conversion messages count lines.
size_t IndiceDaLinha(const std::string& aTexto, const std::string& aLinha) {
  std::istringstream linhas(aTexto);
  size_t indice = 0;
  for (std::string linha; std::getline(linhas, linha) && linha != aLinha;) ++indice;
  return indice;
}

class NotaEditada_ : public ::testing::TestWithParam<Caso> {};

TEST_P(NotaEditada_, ValidaAssinadaNoEsquemaOuRecusaComMensagem) {
  const Caso& caso = GetParam();
  const std::string texto = NotaEditada(caso);
  moxtest::AssinadorDeNotas assinador;
  for (const Pacote& pacote : *caso.pacotes) {
    if (pacote.versao < caso.desde || pacote.versao > caso.ate) continue;
    SCOPED_TRACE(pacote.pasta);
    auto ds = moxtest::DataSetsEntregues(pacote.versao);
    if (!caso.erro.empty()) {
      std::string erro = caso.erro;
      if (const size_t p = erro.find("{pacote}"); p != std::string::npos)
        erro.replace(p, 8, mox::VersaoEsquemaToStr(pacote.versao));
      EXPECT_EQ(moxtest::MensagemDe<mox::EmoxException>([&] { moxtest::PreencheNota(*ds, texto); }),
                "Não foi possível converter a Linha: [" + std::to_string(IndiceDaLinha(texto, caso.linhaRecusada)) +
                    "] " + caso.linhaRecusada + "\rErro: " + erro);
      EXPECT_TRUE(ds->LoteNFe().empty());
      continue;
    }
    moxtest::PreencheNota(*ds, texto);
    ASSERT_EQ(ds->LoteNFe().size(), 1u);
    const std::string& infNFe = ds->LoteNFe().front();
    for (const std::string& presente : caso.presentes) EXPECT_NE(infNFe.find(presente), std::string::npos) << presente;
    for (const std::string& ausente : caso.ausentes) EXPECT_EQ(infNFe.find(ausente), std::string::npos) << ausente;
    const std::string nota = assinador.Assina(infNFe);
    EXPECT_EQ(moxtest::ErrosDeEsquema(nota, (moxtest::SchemasDir() / pacote.pasta / pacote.esquema).string()), "")
        << nota;
  }
}

const std::vector<std::pair<std::string, std::string>> kNFCe{{"mod_B06", "mod_B06=65"}, {"tpImp_B21", "tpImp_B21=4"}};
const std::string kPagamentoCartao =
    "tPag_YA02=03\nvPag_YA03=79.80\nCNPJ_YA05=11222333000181\ntBand_YA06=01\n"
    "cAut_YA07=AUT123\n";

const Caso kCasos[] = {
    // A consumer note (model 65) without any recipient line has no dest at all.
    {"NFCeSemDestinatario",
     kVenda,
     &kPacotes310,
     V::pl_008a,
     kNFCe,
     {"E"},
     "",
     {"<mod>65</mod>", "</emit><det nItem=\"1\">"},
     {"<dest>", "<idEstrangeiro/>", "<enderDest>"}},
    // A consumer identified by CPF only: dest without enderDest.
    {"ConsumidorSoComCPF",
     kVenda,
     &kPacotes310,
     V::pl_008a,
     kNFCe,
     {"E"},
     "CPF_E03=11144477735\nindIEDest_E16a=9\n",
     {"<dest><CPF>11144477735</CPF><indIEDest>9</indIEDest></dest>"},
     {"<enderDest>"}},
    // An item without PIS and COFINS lines has neither group.
    {"ItemSemPISNemCOFINS",
     kVenda,
     &kPacotes310,
     V::pl_008a,
     {},
     {"Q", "S"},
     "",
     {"</ICMS></imposto>"},
     {"<PIS>", "<COFINS>"}},
    // Payments: the first one with the note, more through INCLUIRPARTE, each with its card.
    {"PagamentoEmDinheiro",
     kVenda,
     &kPacotes310,
     V::pl_008a,
     kNFCe,
     {},
     "tPag_YA02=01\nvPag_YA03=79.80\n",
     {"</transp><pag><tPag>01</tPag><vPag>79.80</vPag></pag></infNFe>"},
     {"<card>"}},
    {"PagamentoComCartao",
     kVenda,
     &kPacotes310,
     V::pl_008a,
     {},
     {},
     kPagamentoCartao,
     {"<pag><tPag>03</tPag><vPag>79.80</vPag><card><CNPJ>11222333000181</CNPJ><tBand>01</tBand>"
      "<cAut>AUT123</cAut></card></pag>"},
     {}},
    {"CartaoComTipoDeIntegracaoDesdePl008g",
     kVenda,
     &kPacotes310,
     V::pl_008g,
     {},
     {},
     kPagamentoCartao + "tpIntegra_YA04a=1\n",
     {"<card><tpIntegra>1</tpIntegra><CNPJ>11222333000181</CNPJ>"},
     {}},
    {"DoisPagamentosComCobranca",
     kVenda,
     &kPacotes310,
     V::pl_008a,
     {},
     {},
     "nFat_Y03=F1\nvLiq_Y06=79.80\ntPag_YA02=01\nvPag_YA03=50.00\nINCLUIRPARTE=YA\ntPag_YA02=04\nvPag_YA03=29.80\n"
     "SALVARPARTE=YA\n",
     {"</fat></cobr><pag><tPag>01</tPag><vPag>50.00</vPag></pag><pag><tPag>04</tPag><vPag>29.80</vPag></pag>"},
     {}},
    // Fields of the 2.00 layout kept in the 3.10 dictionary go to the 3.10 field of the same element.
    {"ChaveReferenciadaDo200VaiParaORefNFe",
     kVenda,
     &kPacotes310,
     V::pl_008a,
     {},
     {},
     std::string("INCLUIRPARTE=NREF\nrefNFe_B13=") + kChave + "\nSALVARPARTE=NREF\n",
     {std::string("<NFref><refNFe>") + kChave + "</refNFe></NFref></ide>"},
     {}},
    {"NotaModelo1ReferenciadaComItensDo200",
     kVenda,
     &kPacotes310,
     V::pl_008a,
     {},
     {},
     "INCLUIRPARTE=NREF\ncUF_B15=35\nAAMM_B16=1606\nCNPJ_B17=11222333000181\nmod_B18=01\nserie_B19=1\nnNF_B20=10\n"
     "SALVARPARTE=NREF\n",
     {"<NFref><refNF><cUF>35</cUF><AAMM>1606</AAMM><CNPJ>11222333000181</CNPJ><mod>01</mod><serie>1</serie>"
      "<nNF>10</nNF></refNF></NFref>"},
     {}},
    {"CSTDoPISNoItemDoGrupoVaiParaOCST",
     kVenda,
     &kPacotes310,
     V::pl_008a,
     {{"CST_Q06", "CST_Q02=01"}},
     {},
     "",
     {"<PIS><PISAliq><CST>01</CST><vBC>79.80</vBC>"},
     {}},
    // A field of an older layout with no equal in this one is refused, naming the one to fill.
    {"DataDeEmissaoSemHoraRecusada",
     kVenda,
     &kPacotes310,
     V::pl_008a,
     {},
     {},
     "dEmi_B09=2016-08-01\n",
     {},
     {},
     "dEmi_B09=2016-08-01",
     "O campo dEmi_B09 não é gravado no XML deste leiaute; informe o campo dhEmi_B09."},
    {"CampoDeControleRecusado",
     kVenda,
     &kPacotes310,
     V::pl_008a,
     {},
     {},
     "hItem=1\n",
     {},
     {},
     "hItem=1",
     "O campo hItem não é gravado no XML deste leiaute."},
    // A field of a newer package of the layout is refused for the older ones.
    {"TipoDeIntegracaoAntesDoPl008gRecusado",
     kVenda,
     &kPacotes310,
     V::pl_008a,
     {},
     {},
     kPagamentoCartao + "tpIntegra_YA04a=1\n",
     {},
     {},
     "tpIntegra_YA04a=1",
     "O campo tpIntegra_YA04a não existe no leiaute do pacote {pacote}; existe a partir do pl_008g.",
     V::pl_008f},
    {"CESTAntesDoPl008hRecusado", kVenda, &kPacotes310, V::pl_008a, {}, {}, "CEST_I05c=2104000\n", {}, {},
     "CEST_I05c=2104000", "O campo CEST_I05c não existe no leiaute do pacote {pacote}; existe a partir do pl_008h.",
     V::pl_008g},
    // 1.10: the references are optional, and the layout has no foreign identifier.
    {"ReferenciaVaziaNaoSaiEm110",
     kVenda110,
     &kPacotes110,
     V::pl_005c,
     {},
     {},
     "INCLUIRPARTE=NREF\nSALVARPARTE=NREF\n",
     {},
     {"<refNF></refNF>"}},
    {"IdEstrangeiroRecusadoEm110",
     kVenda110,
     &kPacotes110,
     V::pl_005c,
     {},
     {},
     "idEstrangeiro_E03a=X1\n",
     {},
     {},
     "idEstrangeiro_E03a=X1",
     "O campo idEstrangeiro_E03a não é gravado no XML deste leiaute."},
};

INSTANTIATE_TEST_SUITE_P(Casos, NotaEditada_, ::testing::ValuesIn(kCasos),
                         [](const auto& aInfo) { return std::string(aInfo.param.nome); });

}  // namespace
