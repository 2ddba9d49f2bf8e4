// Conversion of fields, field lists, records and templates to XML, and the access key that the
// opening tag writes back into the data sets.
#include <gtest/gtest.h>

#include <algorithm>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "LayoutDeTeste.h"
#include "support/MensagemDe.h"
#include "base/EmoxException.h"
#include "datasets/TmoxXMLDataSetNFe.h"
#include "utils/moxChaveNFe.h"

using namespace mox;
using moxtest::MensagemDe;

namespace {

// Data set "X" holds one field per way of writing a value; "E" the recipient identifiers; the
// field vBC_Q07 exists in "Q" and, later in the dictionary, in "R".
const char* const kDicionario = R"(<raiz>
  <X><c>
    <campo nome="handle" tamanho="10"/>
    <campo nome="e_X01" tamanho="20" visible="s" tpnode="elemento"/>
    <campo nome="a_X02" tamanho="20" visible="s" tpnode="atributo"/>
    <campo nome="ev_X03" tamanho="20" visible="s" tpnode="elemento" tagvazia="s"/>
    <campo nome="av_X04" tamanho="20" visible="s" tagvazia="s"/>
    <campo nome="inv_X05" tamanho="20" visible="S" tpnode="elemento"/>
    <campo nome="semSublinhado" tamanho="20" visible="s" tpnode="elemento"/>
  </c><l/></X>
  <E><c>
    <campo nome="handle" tamanho="10"/>
    <campo nome="CNPJ_E02" tamanho="14" visible="s" tpnode="elemento"/>
    <campo nome="CPF_E03" tamanho="11" visible="s" tpnode="elemento"/>
    <campo nome="idEstrangeiro_E03a" tamanho="20" visible="s" tpnode="elemento"/>
    <campo nome="xNome_E04" tamanho="60" visible="s" tpnode="elemento"/>
  </c><l/></E>
  <Q><c><campo nome="handle" tamanho="10"/><campo nome="vBC_Q07" tamanho="15" visible="s" tpnode="elemento"/></c><l/></Q>
  <R><c><campo nome="handle" tamanho="10"/><campo nome="vBC_Q07" tamanho="15" visible="s" tpnode="elemento"/></c><l/></R>
</raiz>)";

struct Conversao : ::testing::Test {
  moxtest::TempDir dir;
  TmoxXMLDataSetNFe container;
  TXmlDataSetNFe* x = nullptr;
  TXmlDataSetNFe* e = nullptr;

  void SetUp() override {
    moxtest::WriteText(dir.file("dic.xml"), kDicionario);
    container.SetXMLDicionario(dir.file("dic.xml"));
    container.Incluir();
    x = &container.FindDataSet("X");
    e = &container.FindDataSet("E");
  }
  void Set(TXmlDataSetNFe& aDs, const std::string& aField, const std::string& aValue) {
    aDs.FieldByName(aField).SetAsString(aValue);
  }
};

}  // namespace

TEST_F(Conversao, OneField) {
  struct Case {
    const char* field;
    std::string value, expected;
  };
  const std::vector<Case> cases = {
      {"e_X01", "v", "<e>v</e>"},
      {"e_X01", "", ""},
      {"e_X01", "null", ""},
      {"ev_X03", "Null", ""},
      {"ev_X03", "", "<ev></ev>"},
      {"av_X04", "", "av=\"\""},
      {"a_X02", " v", "a=\" v\""},
      {"inv_X05", "v", ""},
      {"semSublinhado", "v", "<semSublinhado>v</semSublinhado>"},
      {"e_X01", "Ação", "<e>Acao</e>"},  // the generic container removes accents
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.field) + "=" + c.value);
    Set(*x, c.field, c.value);
    EXPECT_EQ(container.ConvertFieldParaXML(*x, c.field), c.expected);
  }
  EXPECT_EQ(MensagemDe<EmoxDataSetFieldNotFoundException>([&] { container.ConvertFieldParaXML(*x, "nada"); }),
            "Campo nada não encontrado");
}

TEST_F(Conversao, FieldListAddsTheEmptyForeignIdentifier) {
  struct Case {
    const char *cnpj, *cpf, *estrangeiro;
    std::string expected;
  };
  const std::vector<Case> cases = {
      {"", "", "", "<idEstrangeiro/><xNome>Nome</xNome>"},
      {"12345678000195", "", "", "<CNPJ>12345678000195</CNPJ><xNome>Nome</xNome>"},
      {"", "11144477735", "", "<CPF>11144477735</CPF><xNome>Nome</xNome>"},
      {"", "", "X1", "<idEstrangeiro>X1</idEstrangeiro><xNome>Nome</xNome>"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.expected);
    Set(*e, "CNPJ_E02", c.cnpj);
    Set(*e, "CPF_E03", c.cpf);
    Set(*e, "idEstrangeiro_E03a", c.estrangeiro);
    Set(*e, "xNome_E04", "Nome");
    EXPECT_EQ(container.ConvertFieldsParaXML(*e, {"CNPJ_E02", "CPF_E03", "idEstrangeiro_E03a", "xNome_E04"}),
              c.expected);
  }
  // Listed after the name, the identifier still follows its own field.
  Set(*e, "idEstrangeiro_E03a", "");
  EXPECT_EQ(container.ConvertFieldsParaXML(*e, std::vector<std::string>{"xNome_E04", "idEstrangeiro_E03a"}),
            "<xNome>Nome</xNome><idEstrangeiro/>");
  EXPECT_EQ(MensagemDe<EmoxDataSetFieldNotFoundException>([&] {
              container.ConvertFieldsParaXML(*e, {"xNome_E04", "IE_E17"});
            }),
            "Campo IE_E17 não encontrado");
}

TEST_F(Conversao, NamesAreResolvedByTheirTextNotTheirAddress) {
  Set(*x, "e_X01", "1");
  Set(*x, "a_X02", "2");
  Set(*e, "xNome_E04", "Nome");
  // One buffer holding different names in turn, spelt in any letter case, and the same name
  // asked of another data set: each answer follows the text and the data set of the call.
  std::string nome = "e_X01";
  EXPECT_EQ(container.ConvertFieldParaXML(*x, nome), "<e>1</e>");
  nome.replace(0, nome.size(), "a_X02");
  EXPECT_EQ(container.ConvertFieldParaXML(*x, nome), "a=\"2\"");
  nome.replace(0, nome.size(), "E_x01");
  EXPECT_EQ(container.ConvertFieldsParaXML(*x, {std::string_view(nome)}), "<e>1</e>");
  nome.replace(0, nome.size(), "nadaX");
  EXPECT_EQ(MensagemDe<EmoxDataSetFieldNotFoundException>([&] { container.ConvertFieldParaXML(*x, nome); }),
            "Campo nadaX não encontrado");
  const std::string_view vbc = "vBC_Q07";
  Set(container.FindDataSet("Q"), "vBC_Q07", "10.00");
  Set(container.FindDataSet("R"), "vBC_Q07", "20.00");
  EXPECT_EQ(container.ConvertFieldParaXML(container.FindDataSet("Q"), vbc), "<vBC>10.00</vBC>");
  EXPECT_EQ(container.ConvertFieldParaXML(container.FindDataSet("R"), vbc), "<vBC>20.00</vBC>");
  std::string parte = "q";
  EXPECT_EQ(container.FindDataSet(parte).Name(), "Q");
  parte = "r";
  EXPECT_EQ(container.FindDataSet(parte).Name(), "R");
  parte = "z";
  EXPECT_EQ(container.DataSetOrNull(parte), nullptr);
  // A reloaded dictionary has new data sets and fields: nothing of the old ones is answered.
  container.SetXMLDicionario(dir.file("dic.xml"));
  // A name with no text at all meets the emptied table: no data set, and no slot taken for one.
  EXPECT_EQ(container.DataSetOrNull(std::string_view()), nullptr);
  container.Incluir();
  TXmlDataSetNFe& novo = container.FindDataSet("X");
  novo.FieldByName("e_X01").SetAsString("3");
  EXPECT_EQ(container.ConvertFieldParaXML(novo, "e_X01"), "<e>3</e>");
  EXPECT_EQ(container.ParserConverter("@x(e_X01)"), "<e>3</e>");
}

TEST_F(Conversao, FieldListsAreKnownByTheirNamesNotTheirStorage) {
  Set(*x, "e_X01", "1");
  Set(*x, "a_X02", "2");
  Set(*e, "xNome_E04", "Nome");
  // One array holds different lists in turn, and the same list is asked of another data set.
  std::vector<std::string_view> lista{"e_X01", "a_X02"};
  struct Case {
    std::vector<std::string_view> nomes;
    TXmlDataSetNFe* ds;
    std::string expected;
  };
  const std::vector<Case> cases = {
      {{"e_X01", "a_X02"}, x, "<e>1</e>a=\"2\""},
      {{"a_X02", "e_X01"}, x, "a=\"2\"<e>1</e>"},
      {{"e_X01", "E_X01"}, x, "<e>1</e><e>1</e>"},
      {{"xNome_E04", "CNPJ_E02"}, e, "<xNome>Nome</xNome>"},
      {{"e_X01", "a_X02"}, x, "<e>1</e>a=\"2\""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.expected);
    std::copy(c.nomes.begin(), c.nomes.end(), lista.begin());
    EXPECT_EQ(container.ConvertFieldsParaXML(*c.ds, std::span<const std::string_view>(lista)),
              c.expected);
  }
  lista = {"e_X01", "nada"};
  EXPECT_EQ(MensagemDe<EmoxDataSetFieldNotFoundException>(
                [&] { container.ConvertFieldsParaXML(*x, std::span<const std::string_view>(lista)); }),
            "Campo nada não encontrado");
}

TEST_F(Conversao, WholeRecord) {
  x->SetTagXML("grupo");
  Set(*x, "inv_X05", "invisível");
  EXPECT_EQ(container.ConvertDataSetParaXML(*x), "") << "only invisible values: nothing, not even the tag";
  Set(*x, "a_X02", "1");
  Set(*x, "e_X01", "2");
  EXPECT_EQ(container.ConvertDataSetParaXML(*x), "<grupo><e>2</e>a=\"1\"<ev></ev>av=\"\"</grupo>");
  x->SetTagXML("");
  EXPECT_EQ(container.ConvertDataSetParaXML(*x), "<e>2</e>a=\"1\"<ev></ev>av=\"\"");
  // Hiding the fields with values leaves only invisible ones: the record writes nothing.
  x->FieldByName("e_X01").SetVisible(false);
  x->FieldByName("a_X02").SetVisible(false);
  EXPECT_EQ(container.ConvertDataSetParaXML(*x), "");
}

TEST_F(Conversao, Templates) {
  Set(*x, "e_X01", "1");
  Set(container.FindDataSet("Q"), "vBC_Q07", "10.00");
  struct Case {
    std::string texto, expected;
  };
  const std::vector<Case> cases = {
      {"<transp>@x(ev_X03)", "<transp><ev></ev>"},
      {"<transp>@x(a_X02)", "<transp>"},
      {"<g>@x(E_X01)@q(VBC_Q07)</g>", "<g><e>1</e><vBC>10.00</vBC></g>"},
      {"<det @x(e_X01)>", "<det <e>1</e>>"},
      {"[@x(*)]", "[<e>1</e><ev></ev>av=\"\"]"},
      {"a(b)c", "abc"},
      {"", ""},
      // References of other shapes read as their characters say.
      {"@xe_X01)", "<e>1</e>"},
      {"<a>@@x(e_X01)</a>", "<a><e>1</e></a>"},
      {"@x(e(_X01)", "<e>1</e>"},
      {"[@x(e_X01]", "["},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.texto);
    EXPECT_EQ(container.ParserConverter(c.texto), c.expected);
  }
  EXPECT_EQ(MensagemDe<EmoxDataSetException>([&] { container.ParserConverter("@z(x)"); }), "Parte Z não encontrada.");
  EXPECT_EQ(MensagemDe<EmoxDataSetFieldNotFoundException>([&] { container.ParserConverter("<a>@x(nada)</a>"); }),
            "Campo nada não encontrado");
  // By bare name the first data set of the dictionary that holds the field answers.
  EXPECT_EQ(&container.Campo("VBC_q07"), &container.FindDataSet("Q").FieldByName("vBC_Q07"));
}

// A template is read once, but each conversion writes the values of that moment, fails again
// where it failed, and follows a dictionary loaded in between.
TEST_F(Conversao, TemplatesReadOnceFollowValuesAndDictionary) {
  const std::string modelo = "<g>@x(e_X01)@q(vBC_Q07)</g>";
  struct Passo {
    const char* campo;  // of X, set before converting; a null pointer loads the second dictionary
    const char* valor;
    std::string esperado;
  };
  const std::vector<Passo> passos = {
      {"e_X01", "1", "<g><e>1</e></g>"},
      {"e_X01", "2", "<g><e>2</e></g>"},
      {"inv_X05", "3", "<g><e>2</e></g>"},
      {nullptr, nullptr, ""},
  };
  Set(*x, "e_X01", "0");
  EXPECT_EQ(container.ParserConverter("<h>@x(e_X01)</h>"), "<h><e>0</e></h>");
  for (const Passo& passo : passos) {
    if (!passo.campo) {
      // The same names, e_X01 now an attribute and Q without vBC_Q07.
      moxtest::WriteText(dir.file("dic2.xml"),
                         R"(<raiz><X><c><campo nome="handle" tamanho="10"/>)"
                         R"(<campo nome="e_X01" tamanho="20" visible="s" tpnode="atributo"/></c><l/></X>)"
                         R"(<Q><c><campo nome="handle" tamanho="10"/></c><l/></Q></raiz>)");
      container.SetXMLDicionario(dir.file("dic2.xml"));
      container.Incluir();
      x = &container.FindDataSet("X");
      EXPECT_EQ(MensagemDe<EmoxDataSetFieldNotFoundException>([&] { container.ParserConverter(modelo); }),
                "Campo vBC_Q07 não encontrado");
      EXPECT_EQ(MensagemDe<EmoxDataSetFieldNotFoundException>([&] { container.ParserConverter(modelo); }),
                "Campo vBC_Q07 não encontrado");
      continue;
    }
    Set(*x, passo.campo, passo.valor);
    EXPECT_EQ(container.ParserConverter(std::string(modelo)), passo.esperado) << passo.campo << "=" << passo.valor;
  }
  Set(*x, "e_X01", "4");
  EXPECT_EQ(container.ParserConverter("<h>@x(e_X01)</h>"), "<h>e=\"4\"</h>");
}

TEST(ChaveDeAcesso, KeyFieldsAreWrittenBackPerLayout) {
  struct Case {
    TVersaoEsquema versao;
    const char* cnpjAvulsa;  // CNPJ_D02
    const char* cpfEmitente;
    std::string cnf;    // cNF_B03 as stored afterwards
    std::string chave;  // expected key
  };
  const std::string emitente = "12345678000195", avulsa = "99999999000191";
  const std::vector<Case> cases = {
      {TVersaoEsquema::pl_005a, "", "", "000000123",
       CalculaChave("2014-03-15", "35", emitente, "55", "1", "124", "123")},
      {TVersaoEsquema::pl_006e, "", "", "00000123",
       CalculaChave("2014-03-15", "35", emitente, "55", "1", "124", "1", "00000123")},
      {TVersaoEsquema::pl_006v, "99999999000191", "", "00000123",
       CalculaChave("2014-03-15", "35", emitente, "55", "1", "124", "1", "123")},
      {TVersaoEsquema::pl_006v, "99999999000191", "11144477735", "00000123",
       CalculaChave("2014-03-15", "35", avulsa, "55", "1", "124", "1", "123")},
      {TVersaoEsquema::pl_008a, "99999999000191", "", "00000123",
       CalculaChave("2015-04-20T10:00:00-03:00", "35", avulsa, "55", "1", "124", "1", "123")},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.chave);
    auto ds = moxtest::DataSetsDeTeste(c.versao);
    ds->Incluir();
    moxtest::PreencheIdentificacao(*ds, "123");
    ds->Campo("dhEmi_B09").SetAsString("2015-04-20T10:00:00-03:00");  // a month apart from dEmi_B09
    ds->Campo("CNPJ_D02").SetAsString(c.cnpjAvulsa);
    ds->Campo("CPF_C02a").SetAsString(c.cpfEmitente);
    ds->Salvar();
    const std::string id = ds->A()->FieldByName("Id_A03").AsString();
    EXPECT_EQ(id, "NFe" + c.chave);
    EXPECT_EQ(ds->B()->FieldByName("cNF_B03").AsString(), c.cnf);
    EXPECT_EQ(ds->B()->FieldByName("cDV_B23").AsString(), id.substr(id.size() - 1));
    EXPECT_EQ(ds->LoteNFe().at(0).rfind("<infNFe Id=\"" + id + "\" versao=\"3.10\"><ide><cUF>35</cUF><cNF>" + c.cnf, 0),
              0u);
  }
}

TEST(ChaveDeAcesso, InvoiceValuesKeepTheirAccents) {
  auto ds = moxtest::DataSetsDeTeste(TVersaoEsquema::pl_008a);
  ds->Incluir();
  ds->Campo("natOp_B04").SetAsString("Devolução");
  EXPECT_EQ(ds->ActiveDSVersao().ConvertFieldParaXML(ds->Campo("natOp_B04")), "<natOp>Devolução</natOp>");
}
