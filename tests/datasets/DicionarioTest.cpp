// Loading the field dictionary and the record checks its definitions carry.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "support/MensagemDe.h"
#include "base/EmoxException.h"
#include "datasets/TmoxXMLDataSetNFe.h"
#include "support/TestSupport.h"

using namespace mox;
using moxtest::MensagemDe;

namespace {

// A container over a dictionary written from the data set elements given.
struct Dicionario {
  moxtest::TempDir dir;
  std::string file = dir.file("dic.xml");
  TmoxXMLDataSetNFe container;

  void Carrega(const std::string& aDataSets) {
    moxtest::WriteText(file, "<?xml version=\"1.0\" encoding=\"UTF-8\"?><raiz>" + aDataSets + "</raiz>");
    container.SetXMLDicionario(file);
  }
};

std::string Campo(const std::string& aAtributos) { return "<campo " + aAtributos + "/>"; }

std::string DataSet(const std::string& aNome, const std::string& aCampos, const std::string& aLigacao = "<l/>") {
  return "<" + aNome + "><c>" + Campo("nome=\"handle\" tamanho=\"10\"") + aCampos + "</c>" + aLigacao + "</" + aNome +
         ">";
}

}  // namespace

TEST(Dicionario, LoadFailuresNameTheFile) {
  struct Case {
    const char* name;
    std::string content;  // empty: the file is not written
    std::string expected;
  };
  Dicionario d;
  const std::string f = d.file;
  const std::vector<Case> cases = {
      {"missing file", "", "Arquivo:  " + f + " não encontrado."},
      {"not XML", "<raiz><B>", "Erro no arquivo " + f + " . XML mal formado: linha 1: "},
      {"only the field list", "<raiz><B><c/></B></raiz>",
       "Erro no arquivo " + f +
           " . A parte B (linha 1) não tem o elemento de ligação (segundo filho, após a lista de campos)."},
      {"no children at all", "<raiz><B/></raiz>",
       "Erro no arquivo " + f +
           " . A parte B (linha 1) não tem o elemento de ligação (segundo filho, após a lista de campos)."},
      {"size not an integer", "<raiz><B><c><campo nome=\"x\" tamanho=\"dez\"/></c><l/></B></raiz>",
       "'dez' não é um valor inteiro válido"},
      {"field without a name", "<raiz>\n<B><c>\n<campo tamanho=\"1\"/></c><l/></B></raiz>",
       "Erro no arquivo " + f + " . Campo sem o atributo nome em B (linha 3)."},
      {"field without a size", "<raiz><B><c><campo nome=\"x\"/></c><l/></B></raiz>",
       "Erro no arquivo " + f + " . Campo x sem o atributo tamanho em B (linha 1)."},
      {"zero size", "<raiz><B><c><campo nome=\"x\" tamanho=\"0\"/></c><l/></B></raiz>",
       "Erro no arquivo " + f + " . Tamanho 0 inválido no campo x de B (linha 1)."},
      {"same field twice",
       "<raiz><B><c><campo nome=\"x\" tamanho=\"1\"/><campo nome=\"X\" tamanho=\"2\"/></c><l/></B></raiz>",
       "Erro no arquivo " + f + " . Campo X duplicado em B (linha 1)."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::filesystem::remove(f);
    if (!c.content.empty()) moxtest::WriteText(f, c.content);
    TmoxXMLDataSetNFe container;
    // The parser's own wording follows the library; the line it names is what matters.
    const std::string message = MensagemDe<EmoxNFeDataSetException>([&] { container.SetXMLDicionario(f); });
    if (c.expected.ends_with(": "))
      EXPECT_TRUE(message.starts_with(c.expected)) << message;
    else
      EXPECT_EQ(message, c.expected);
  }
  std::filesystem::remove(f);
  TmoxXMLDataSetNFe container;
  EXPECT_THROW(container.SetXMLDicionario(f), EmoxDataSetFileNotFoundException);
  moxtest::WriteText(f, "<raiz><B><c/></B></raiz>");
  EXPECT_THROW(container.SetXMLDicionario(f), EmoxDataSetLoadTemplateException);
}

TEST(Dicionario, AFolderOrADeviceIsNotAMissingFile) {
  moxtest::TempDir dir;
  for (const std::string& path : {dir.path().string(), std::string("/dev/null")}) {
    SCOPED_TRACE(path);
    TmoxXMLDataSetNFe container;
    EXPECT_EQ(MensagemDe<EmoxDataSetLoadTemplateException>([&] { container.SetXMLDicionario(path); }),
              "Erro no arquivo " + path + " . O caminho não é um arquivo comum (pasta ou dispositivo).");
  }
}

TEST(Dicionario, DataSetsBeforeALoadErrorStay) {
  Dicionario d;
  EXPECT_THROW(d.Carrega(DataSet("A", "") + DataSet("B", "") + "<C><c/></C>" + DataSet("D", "")),
               EmoxDataSetLoadTemplateException);
  ASSERT_EQ(d.container.ListDataSets().size(), 2u);
  EXPECT_EQ(d.container.ListDataSets()[1]->Name(), "B");
}

TEST(Dicionario, AttributesOfTheFields) {
  Dicionario d;
  d.Carrega(DataSet("B", Campo("nome=\"natOp_B04\" tamanho=\"60\" requerido=\"s\" tagvazia=\"s\" visible=\"s\" "
                               "tpnode=\"elemento\" enum=\"a, b,c\" dica=\"Use a natureza\" display=\"Natureza\"") +
                             Campo("nome=\"x\" tamanho=\"5\"")) +
            DataSet("it", ""));
  TXmlDataSetNFe& b = d.container.FindDataSet("b");
  EXPECT_EQ(b.FieldCount(), 3u);
  TXmlFieldNFe& natOp = b.XmlFieldByName("natOp_B04");
  EXPECT_EQ(natOp.Size(), 60);
  EXPECT_TRUE(natOp.Required());
  EXPECT_TRUE(natOp.GeraTagVazia());
  EXPECT_TRUE(natOp.Visible());
  EXPECT_TRUE(natOp.IsElemento());
  EXPECT_EQ(natOp.Enum(), (std::vector<std::string>{"a", " b", "c"}));
  EXPECT_EQ(natOp.EnumText(), "a\n b\nc\n");
  EXPECT_EQ(natOp.Dica(), "Use a natureza");
  EXPECT_EQ(natOp.DisplayLabel(), "Natureza");
  // Absent attributes: optional, no empty tag, invisible, written as an attribute.
  TXmlFieldNFe& x = b.XmlFieldByName("x");
  EXPECT_FALSE(x.Required() || x.GeraTagVazia() || x.Visible() || x.IsElemento());
  EXPECT_EQ(x.DisplayLabel(), "x");
  EXPECT_TRUE(x.Enum().empty());
  // Look-up upper-cases the name, so a lower-case element name is never found.
  try {
    d.container.FindDataSet("it");
    FAIL();
  } catch (const EmoxDataSetException& e) {
    EXPECT_STREQ(e.what(), "Parte IT não encontrada.");
  }
}

TEST(Dicionario, YesNoAttributesAreTrueOnlyForLowerCaseS) {
  const std::vector<std::pair<std::string, bool>> cases = {{"s", true},    {"S", false}, {"n", false}, {"N", false},
                                                           {"sim", false}, {"", false},  {" s", false}};
  for (const auto& [value, expected] : cases) {
    SCOPED_TRACE("\"" + value + "\"");
    Dicionario d;
    d.Carrega(DataSet("B", Campo("nome=\"f\" tamanho=\"3\" requerido=\"" + value + "\" tagvazia=\"" + value +
                                 "\" visible=\"" + value + "\"")));
    const TXmlFieldNFe& f = d.container.FindDataSet("B").XmlFieldByName("f");
    EXPECT_EQ(f.Required(), expected);
    EXPECT_EQ(f.GeraTagVazia(), expected);
    EXPECT_EQ(f.Visible(), expected);
  }
}

TEST(Dicionario, RecordChecksOnPost) {
  struct Case {
    const char* name;
    std::string atributos;  // of field "f"
    std::string valor;
    std::string expected;  // empty: the post passes
  };
  const std::string hint = " dica=\"Preencha com o código\"";
  const std::vector<Case> cases = {
      {"required, empty, with hint", "requerido=\"s\" display=\"Código\"" + hint, "",
       "O Campo [f_B01] referente a [Código] deve ser preenchido. Dica: Preencha com o código"},
      {"required, empty, without hint", "requerido=\"s\"", "",
       "O Campo [f_B01] referente a [f_B01] deve ser preenchido."},
      {"required, blanks only", "requerido=\"s\"", "   ", "O Campo [f_B01] referente a [f_B01] deve ser preenchido."},
      {"optional, blanks only", "", "   ", ""},
      {"allowed value in another letter case", "enum=\"Ação,B\"", "aÇÃo", ""},
      {"leading blank passes the required check, not the list", "requerido=\"s\" enum=\"A,B\"", " A",
       "Conteúdo  A é inválido para o campo f_B01 [f_B01]."},
      {"value outside the list, with hint", "enum=\"1,2\" display=\"Tipo\"" + hint, "3",
       "Conteúdo 3 é inválido para o campo f_B01 [Tipo]. Dica: Preencha com o código"},
      {"empty value with a list", "enum=\"1,2\"", "", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Dicionario d;
    d.Carrega(DataSet("B", Campo("nome=\"f_B01\" tamanho=\"10\" " + c.atributos)));
    TXmlDataSetNFe& b = d.container.FindDataSet("B");
    b.Append();
    b.FieldByName("f_B01").SetAsString(c.valor);
    EXPECT_EQ(MensagemDe<EmoxDataSetException>([&] { b.Post(); }), c.expected.empty() ? "nenhuma exceção" : c.expected);
    // A failed post keeps the record pending for correction.
    EXPECT_EQ(b.State(), c.expected.empty() ? TDataSetState::dsBrowse : TDataSetState::dsInsert);
  }
}

// The checks a post runs are looked up once per definition: a field whose checks change after
// records were posted is checked by its new definition from the next post on.
TEST(Dicionario, ChecksFollowDefinitionsChangedAfterPosts) {
  Dicionario d;
  d.Carrega(DataSet("B", Campo("nome=\"f_B01\" tamanho=\"10\"")));
  TXmlDataSetNFe& b = d.container.FindDataSet("B");
  TXmlFieldNFe& f = b.XmlFieldByName("f_B01");
  struct Case {
    const char* name;
    std::function<void()> change;
    std::string valor;
    std::string expected;  // empty: the post passes
  };
  const std::vector<Case> cases = {
      {"no checks yet", [] {}, "", ""},
      {"made required", [&] { f.SetRequired(true); }, "", "O Campo [f_B01] referente a [f_B01] deve ser preenchido."},
      {"required, filled", [] {}, "3", ""},
      {"optional again, with allowed values", [&] { f.SetRequired(false); f.SetEnum("1,2"); }, "3",
       "Conteúdo 3 é inválido para o campo f_B01 [f_B01]."},
      {"allowed value", [] {}, "2", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    if (b.Editing()) b.Cancel();
    c.change();
    b.Append();
    b.FieldByName("f_B01").SetAsString(c.valor);
    EXPECT_EQ(MensagemDe<EmoxDataSetException>([&] { b.Post(); }), c.expected.empty() ? "nenhuma exceção" : c.expected);
  }
}

TEST(Dicionario, AppendGivesHandlesAndMasterKeys) {
  Dicionario d;
  d.container.SetActiveMasterSource(true);
  d.Carrega(DataSet("H", Campo("nome=\"n_H02\" tamanho=\"3\" visible=\"s\"")) +
            DataSet("I", Campo("nome=\"hItem\" tamanho=\"10\"") + Campo("nome=\"c_I02\" tamanho=\"5\" visible=\"s\""),
                    "<l mastersource=\"h\" masterfield=\"handle\" keyfield=\"hItem\"/>"));
  TXmlDataSetNFe& h = d.container.FindDataSet("H");
  TXmlDataSetNFe& i = d.container.FindDataSet("I");
  EXPECT_EQ(i.MasterDataSet(), &h);
  d.container.Incluir();  // one record in every top-level data set
  EXPECT_EQ(h.State(), TDataSetState::dsInsert);
  EXPECT_EQ(i.State(), TDataSetState::dsBrowse);
  EXPECT_EQ(h.FieldByName("handle").AsString(), "1");
  h.FieldByName("n_H02").SetAsString("1");
  d.container.IncluirPart("i");
  i.FieldByName("c_I02").SetAsString("p1");
  EXPECT_EQ(i.FieldByName("hItem").AsString(), "1");
  d.container.IncluirPart("I");  // posts the filled one, opens the next
  EXPECT_EQ(i.FieldByName("handle").AsString(), "2");
  d.container.IncluirPart("I");  // drops the unfilled one: its handle is spent
  EXPECT_EQ(i.FieldByName("handle").AsString(), "3");
  i.FieldByName("c_I02").SetAsString("p3");
  d.container.SalvarPart("I");
  EXPECT_EQ(i.RecordCount(), 2u);
  EXPECT_EQ(d.container.GetHandle(i, false), 3);
  EXPECT_EQ(d.container.PossuiDadosCampo(i), true);
}

// A detail record holding only its handle and key has nothing the checks could refuse unless
// its data set has a required field; any value it holds in a checked field, typed or loaded by
// an edit, is still checked.
TEST(Dicionario, ChecksReadEveryValueARecordMayHold) {
  struct Case {
    const char* name;
    std::string campos;                       // of data set I, besides handle and hItem
    std::function<void(TXmlDataSetNFe&)> fill;  // on the new record, after its handle and key
    std::string expected;                     // empty: the post passes
  };
  const auto set = [](const char* aField, const char* aValue) {
    return [aField, aValue](TXmlDataSetNFe& aDs) { aDs.FieldByName(aField).SetAsString(aValue); };
  };
  const std::string checked = Campo("nome=\"t_I02\" tamanho=\"5\" enum=\"1,2\"");
  const std::vector<Case> cases = {
      {"only handle and key, a checked field untouched", checked, [](TXmlDataSetNFe&) {}, ""},
      {"a value outside the list", checked, set("t_I02", "3"), "Conteúdo 3 é inválido para o campo t_I02 [t_I02]."},
      {"blanks in a checked field", checked, set("t_I02", "  "), "Conteúdo    é inválido para o campo t_I02 [t_I02]."},
      {"an allowed value", checked, set("t_I02", "2"), ""},
      {"a required field never written", checked + Campo("nome=\"r_I03\" tamanho=\"5\" requerido=\"s\""),
       [](TXmlDataSetNFe&) {}, "O Campo [r_I03] referente a [r_I03] deve ser preenchido."},
      {"a value loaded by an edit, another field changed",
       Campo("nome=\"t_I02\" tamanho=\"5\"") + Campo("nome=\"x_I04\" tamanho=\"5\""),
       [](TXmlDataSetNFe& aDs) {
         // Stored before the list existed, then edited under it.
         aDs.FieldByName("t_I02").SetAsString("3");
         aDs.Post();
         aDs.XmlFieldByName("t_I02").SetEnum("1,2");
         aDs.Edit();
         aDs.FieldByName("x_I04").SetAsString("b");
       },
       "Conteúdo 3 é inválido para o campo t_I02 [t_I02]."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Dicionario d;
    d.container.SetActiveMasterSource(true);
    d.Carrega(DataSet("H", Campo("nome=\"n_H02\" tamanho=\"3\" visible=\"s\"")) +
              DataSet("I", Campo("nome=\"hItem\" tamanho=\"10\"") + c.campos,
                      "<l mastersource=\"H\" masterfield=\"handle\" keyfield=\"hItem\"/>"));
    d.container.Incluir();
    TXmlDataSetNFe& i = d.container.FindDataSet("I");
    i.Append();
    c.fill(i);
    EXPECT_EQ(MensagemDe<EmoxDataSetException>([&] { i.Post(); }), c.expected.empty() ? "nenhuma exceção" : c.expected);
  }
}
