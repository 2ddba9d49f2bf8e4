// JSON text of print data sets.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "datasets/TmoxDataSet.h"
#include "datasets/moxSerializer5.h"

using namespace mox;

namespace {

// A master "A" (notes) with a detail "B" (items) linked by nota.
struct NotasEItens {
  TmoxDataSet a{"A"}, b{"B"};
  TmoxDataSource fonteA{&a}, fonteB{&b};

  NotasEItens() {
    a.AddField("nota", TFieldType::ftString, 10);
    a.AddField("emitente", TFieldType::ftString, 60);
    b.AddField("nota", TFieldType::ftString, 10);
    b.AddField("produto", TFieldType::ftString, 40);
    b.AddField("quantidade", TFieldType::ftInteger);
    a.Open();
    b.Open();
    b.SetMasterSource(&fonteA);
    b.SetMasterFields("nota");
    b.SetIndexFieldNames("nota");
    for (const auto& [nota, emitente] : std::vector<std::pair<std::string, std::string>>{
             {"1", "Açúcar \"Doce\" Ltda"}, {"2", "Sem itens"}}) {
      a.Append();
      a.FieldByName("nota").SetAsString(nota);
      a.FieldByName("emitente").SetAsString(emitente);
      a.Post();
    }
    a.First();
    for (const char* produto : {"Caneta", "Lápis"}) {
      b.Append();
      b.FieldByName("nota").SetAsString("1");
      b.FieldByName("produto").SetAsString(produto);
      b.FieldByName("quantidade").SetAsInteger(3);
      b.Post();
    }
  }
};

}  // namespace

TEST(moxSerializer5, DetailsNestUnderEachMasterRecord) {
  NotasEItens d;
  std::vector<TmoxDataSource*> lista{&d.fonteA, &d.fonteB};
  const std::string texto = SerializeTDataSourceList(&lista);
  EXPECT_EQ(texto.find('\n'), std::string::npos) << "compact";
  EXPECT_NE(texto.find("Açúcar \\\"Doce\\\" Ltda"), std::string::npos) << "non-ASCII as is, quotes escaped: " << texto;
  EXPECT_NE(texto.find("Lápis"), std::string::npos);

  auto json = nlohmann::json::parse(texto);
  ASSERT_EQ(json.size(), 1u) << "B is a detail, so only A is top level";
  EXPECT_EQ(json[0]["Name"], "A");
  const auto& registros = json[0]["Items"];
  ASSERT_EQ(registros.size(), 2u);

  const auto& primeiro = registros[0];
  ASSERT_EQ(primeiro.size(), 3u) << "two fields, then the detail";
  EXPECT_EQ(primeiro[0], (nlohmann::json{{"Name", "nota"}, {"Value", "1"}, {"Size", 10}, {"Type", "string"}}));
  const auto& detalhe = primeiro[2];
  EXPECT_EQ(detalhe["Name"], "B");
  EXPECT_EQ(detalhe["Type"], "dataset");
  EXPECT_EQ(detalhe["IndexFieldNames"], "nota");
  EXPECT_EQ(detalhe["MasterFields"], "nota");
  ASSERT_EQ(detalhe["Items"].size(), 2u);
  EXPECT_EQ(detalhe["Items"][1][1]["Value"], "Lápis");
  EXPECT_EQ(detalhe["Items"][1][2], (nlohmann::json{{"Name", "quantidade"}, {"Value", "3"}, {"Size", 0}, {"Type", "string"}}))
      << "an integer field of size 0 is still a string of size 0";

  // The second note has no items: its detail holds one entry of empty values.
  const auto& vazio = registros[1][2]["Items"];
  ASSERT_EQ(vazio.size(), 1u);
  for (const auto& campo : vazio[0]) EXPECT_EQ(campo["Value"], "");

  EXPECT_TRUE(d.a.Eof()) << "the master ends after its last record";
  EXPECT_TRUE(IsChild(&lista, &d.b));
  EXPECT_FALSE(IsChild(&lista, &d.a));
}

TEST(moxSerializer5, EmptyInputsAndBadBytes) {
  EXPECT_EQ(SerializeTDataSourceList(nullptr), "");
  std::vector<TmoxDataSource*> vazia;
  EXPECT_EQ(SerializeTDataSourceList(&vazia), "");

  TmoxDataSet sozinho("S");
  sozinho.AddField("texto", TFieldType::ftString, 5);
  sozinho.Open();
  TmoxDataSource fonte(&sozinho);
  std::vector<TmoxDataSource*> lista{&fonte};
  EXPECT_EQ(SerializeTDataSourceList(&lista),
            R"([{"Items":[[{"Name":"texto","Size":5,"Type":"string","Value":""}]],"Name":"S"}])");

  sozinho.Append();
  sozinho.FieldByName("texto").SetAsString(std::string("a\xFF", 2));
  sozinho.Post();
  const std::string texto = SerializeTDataSourceList(&lista);
  EXPECT_TRUE(nlohmann::json::accept(texto)) << "bytes that are not UTF-8 do not break the document";
}
