// TX2 text replayed into the data sets, on the test dictionary and layout.
#include <gtest/gtest.h>

#include <algorithm>

#include "LayoutDeTeste.h"
#include "NotasDeTeste.h"
#include "base/EmoxException.h"
#include "datasets/TmoxNFeConvTXTDataSet.h"
#include "support/MensagemDe.h"
#include "support/NotaAssinada.h"
#include "support/TestSupport.h"

using namespace mox;

namespace {

// One note of the test dictionary; aDestinatario goes into xNome_E04.
std::string Nota(const std::string& aNumero, const std::string& aDestinatario = "Cliente") {
  return "INCLUIR\r\nversao_A02=3.10\r\ncUF_B02=35\r\ncNF_B03=12345678\r\nnatOp_B04=Venda\r\nmod_B06=55\r\n"
         "serie_B07=1\r\nnNF_B08=" + aNumero + "\r\ntpEmis_B22=1\r\ndEmi_B09=2014-03-15\r\n"
         "dhEmi_B09=2014-03-15T10:00:00-03:00\r\nCNPJ_C02=12345678000195\r\nxNome_C03=Emitente\r\n"
         "xNome_E04=" + aDestinatario + "\r\nINCLUIRITEM\r\nnItem_H02=1\r\ncProd_I02=P1\r\nxProd_I04=Produto\r\n"
         "SALVARITEM\r\nSALVAR\r\n";
}

std::unique_ptr<TmoxNFeConvTXTDataSet> Conversor(const std::string& aTexto) {
  auto c = std::make_unique<TmoxNFeConvTXTDataSet>(moxtest::FabricaDeTeste());
  c->SetVersaoEsquema(TVersaoEsquema::pl_008i1);
  c->SetXMLDicionario(moxtest::DicionarioDeTeste());
  c->SetTXT(aTexto);
  return c;
}

std::string Converte(const std::string& aTexto) { return Conversor(aTexto)->Converter(); }

std::string Tag(const std::string& aXml, const std::string& aTag) {
  const auto a = aXml.find("<" + aTag + ">"), b = aXml.find("</" + aTag + ">");
  return a == std::string::npos || b == std::string::npos ? "(sem " + aTag + ")" : aXml.substr(a + aTag.size() + 2, b - a - aTag.size() - 2);
}

}  // namespace

TEST(ConversorTX2, BatchLinesAndValues) {
  const std::string uma = Converte(Nota("124"));
  ASSERT_EQ(uma.substr(uma.size() - 2), "\r\n");
  EXPECT_EQ(uma.find("\r\n"), uma.size() - 2) << "one note, one line";
  EXPECT_NE(uma.find("Id=\"NFe35140312345678000195550010000001241123456788\""), std::string::npos) << uma;

  const std::string duas = Converte(Nota("124") + Nota("125"));
  EXPECT_EQ(std::count(duas.begin(), duas.end(), '\n'), 2);
  EXPECT_NE(duas.find("<nNF>125</nNF>"), std::string::npos);

  // Line ends of every kind, and blank lines between commands.
  std::string misturado = Nota("126");
  for (size_t p; (p = misturado.find("\r\n")) != std::string::npos;) misturado.replace(p, 2, "\n\n");
  EXPECT_NE(Converte(misturado).find("<nNF>126</nNF>"), std::string::npos);

  struct Case {
    std::string destinatario, gravado;
  };
  const std::vector<Case> valores = {
      {"A&B", "A&amp;B"},
      {"A&amp;B", "A&amp;B"},
      {"Aspas \"duplas\" e <tag>", "Aspas &quot;duplas&quot; e &lt;tag&gt;"},
      {" Com branco", " Com branco"},
      {"x=y", "x=y"},
      {std::string(54, 'x') + "&y", std::string(54, 'x') + "&amp;y"},
      // Sixty characters fit the field even though the escaped text is longer.
      {"ABC & FILHOS " + std::string(47, 'x'), "ABC &amp; FILHOS " + std::string(47, 'x')},
  };
  for (const auto& v : valores)
    EXPECT_EQ(Tag(Tag(Converte(Nota("1", v.destinatario)), "dest"), "xNome"), v.gravado) << v.destinatario;
}

// The lines are kept as views into the text given (or the file read): each new text, from a
// file or not, replaces the lines the conversion and Lines() give.
TEST(ConversorTX2, EachTextReplacesTheLines) {
  moxtest::TempDir pasta;
  const std::string arquivo = pasta.file("notas.tx2");
  moxtest::WriteText(arquivo, Nota("202"));
  auto c = Conversor(Nota("201"));
  const struct {
    std::string entrada, numero;
  } casos[] = {{Nota("201"), "201"}, {arquivo, "202"}, {Nota("203") + "\r\n", "203"}};
  for (const auto& caso : casos) {
    SCOPED_TRACE(caso.numero);
    c->SetTXT(caso.entrada);
    EXPECT_EQ(c->TXT(), caso.entrada);
    ASSERT_FALSE(c->Lines().empty());
    EXPECT_EQ(c->Lines().front(), "INCLUIR");
    EXPECT_EQ(c->Lines()[7], "nNF_B08=" + caso.numero);
    EXPECT_NE(c->Converter().find("<nNF>" + caso.numero + "</nNF>"), std::string::npos);
  }
}

TEST(ConversorTX2, FailuresTable) {
  const std::string invalida = "Não foi possível converter a Linha: ";
  struct Case {
    const char* name;
    std::string text;
    std::string message;
  };
  const std::vector<Case> cases = {
      {"lower-case command", "incluir\r\n", invalida + "[0] incluir\rErro: Campo incluir não encontrado"},
      {"unknown field on the third line", "INCLUIR\r\nversao_A02=3.10\r\nnada_X99=1\r\n",
       invalida + "[2] nada_X99=1\rErro: Campo nada_X99 não encontrado"},
      {"note left open", "INCLUIR\r\nversao_A02=3.10\r\n", "NFe não foi Salva."},
      {"ampersand at position 56", Nota("1", std::string(55, 'x') + "&y"),
       invalida + "[13] xNome_E04=" + std::string(55, 'x') +
           "&y\rErro: O campo não suporta o caracter & a partir da posição 55 da String"},
      {"unknown part", "INCLUIR\r\nINCLUIRPARTE=XYZ\r\n", "Parte XYZ não encontrada."},
      {"a name over sixty characters", Nota("1", std::string(61, 'x')),
       invalida + "[13] xNome_E04=" + std::string(61, 'x') +
           "\rErro: O conteúdo do campo xNome_E04 excede o tamanho máximo de 60 caracteres."},
      {"item opened twice", "INCLUIR\r\nINCLUIRITEM\r\nINCLUIRITEM\r\n", "Item não salvo"},
      // XML 1.0 cannot carry these characters: the note would be ill-formed.
      {"NUL in a name", Nota("1", std::string("Jo\0ao", 5)),
       invalida + "[13] xNome_E04=Jo\\x00ao\rErro: O campo xNome_E04 contém um caractere de controle (código 0, "
                  "posição 3) que o XML não admite."},
      {"escape after accented letters", Nota("1", "Açaí\x1b[1m"),
       invalida + "[13] xNome_E04=Açaí\\x1b[1m\rErro: O campo xNome_E04 contém um caractere de controle (código 27, "
                  "posição 5) que o XML não admite."},
      {"form feed in the nature of operation", "INCLUIR\r\nversao_A02=3.10\r\nnatOp_B04=Venda\fx\r\n",
       invalida + "[2] natOp_B04=Venda\\x0cx\rErro: O campo natOp_B04 contém um caractere de controle (código 12, "
                  "posição 6) que o XML não admite."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    auto conversor = Conversor(c.text);
    EXPECT_EQ(moxtest::MensagemDe<EmoxNFeException>([&] { conversor->Converter(); }), c.message);
  }
  // Tab is allowed and kept.
  EXPECT_EQ(Tag(Tag(Converte(Nota("1", "A\tB")), "dest"), "xNome"), "A\tB");
  EXPECT_EQ(moxtest::MensagemDe<EmoxNFeDataSetException>([] { Conversor("\r\n\r\n"); }),
            "Conteúdo a ser convertido é inválido.");
}

// The converter resolves each field name once and expects the names in the order of the note
// before; notes that reorder, drop, repeat or recase names must still fill the fields named, as the
// data sets filled line by line do.
TEST(ConversorTX2, FieldsNamedInAnyOrderAndCaseFillTheSameNotes) {
  const std::string base = Nota("201");
  std::string reordenada = Nota("202");  // header fields swapped, and the recipient before the issuer
  const auto troca = [&](const std::string& a, const std::string& b) {
    const size_t pa = reordenada.find(a), pb = reordenada.find(b);
    ASSERT_NE(pa, std::string::npos);
    ASSERT_NE(pb, std::string::npos);
    reordenada.replace(pb, b.size(), a);
    reordenada.replace(pa, a.size(), b);
  };
  troca("natOp_B04=Venda\r\n", "serie_B07=1\r\n");
  troca("xNome_C03=Emitente\r\n", "xNome_E04=Cliente\r\n");
  std::string recasada = Nota("203", "Outro");
  recasada.replace(recasada.find("xNome_C03="), 10, "XNOME_C03=");
  recasada.replace(recasada.find("cProd_I02="), 10, "cprod_i02=");
  std::string repetida = Nota("204");  // a name twice: the last value stands
  repetida.replace(repetida.find("xProd_I04=Produto"), 17, "xProd_I04=Primeiro\r\nxProd_I04=Segundo");
  std::string semCampo = Nota("205");
  semCampo.erase(semCampo.find("dEmi_B09=2014-03-15\r\n"), 21);
  const std::string texto = base + reordenada + recasada + repetida + semCampo + base;

  auto ds = std::make_unique<TmoxNFeDataSets>(moxtest::FabricaDeTeste());
  ds->SetVersaoEsquema(TVersaoEsquema::pl_008i1);
  ds->SetXMLDicionario(moxtest::DicionarioDeTeste());
  moxtest::PreencheNota(*ds, texto);
  std::string esperado;
  for (const std::string& nota : ds->LoteNFe()) esperado += nota + "\r\n";
  const std::string lote = Converte(texto);
  EXPECT_EQ(lote, esperado);
  EXPECT_NE(lote.find("<xProd>Segundo</xProd>"), std::string::npos);
}

// The progress callback may replace the data sets' layout container between lines; fields
// resolved from the old one must not be used after it is gone.
TEST(ConversorTX2, LayoutReplacedFromTheProgressCallbackBetweenNotes) {
  const std::string nota = Nota("301");
  const std::string texto = nota + Nota("302") + Nota("303");
  const size_t linhasPorNota = static_cast<size_t>(std::count(nota.begin(), nota.end(), '\n'));
  const std::string esperado = Converte(texto);
  for (const size_t linha : {linhasPorNota, 2 * linhasPorNota}) {
    auto conversor = Conversor(texto);
    TmoxNFeConvTXTDataSet* c = conversor.get();
    size_t trocas = 0;
    c->OnProgresso = [c, linha, &trocas](size_t aLinha, size_t) {
      if (aLinha != linha) return;
      c->DataSets().SetXMLDicionario(moxtest::DicionarioDeTeste());
      ++trocas;
    };
    EXPECT_EQ(c->Converter(), esperado) << "troca na linha " << linha;
    EXPECT_EQ(trocas, 1u);
  }
}

TEST(ConversorTX2, PartsFilesAndDataSets) {
  // Group names given to INCLUIRPARTE are taken in capitals, whatever the case written.
  std::string comVolume = Nota("7");
  comVolume.insert(comVolume.find("SALVAR\r\n", comVolume.find("SALVARITEM") + 10),
                   "INCLUIRPARTE=vol\r\nqVol_X27=3\r\nSALVARPARTE=vol\r\n");
  moxtest::TempDir dir;
  moxtest::WriteText(dir.file("notas.tx2"), "\xEF\xBB\xBF" + comVolume);
  auto conversor = Conversor(dir.file("notas.tx2"));
  EXPECT_EQ(conversor->TXT(), dir.file("notas.tx2"));
  TmoxNFeDataSets* ds = nullptr;
  conversor->Converter(ds);
  ASSERT_NE(ds, nullptr);
  ASSERT_EQ(ds->LoteNFe().size(), 1u);
  EXPECT_NE(ds->LoteNFe()[0].find("<vol><qVol>3</qVol></vol>"), std::string::npos) << ds->LoteNFe()[0];

  // Converting again starts from an empty batch.
  EXPECT_EQ(conversor->Converter().find("\r\n"), conversor->Converter().size() - 2);
}

// The text holds each note once; when a later line fails, the notes saved before it are back in
// the data sets' batch, in order and whole, as a conversion that stops before that line gives them.
TEST(ConversorTX2, NotesSavedBeforeAFailureStayInTheBatch) {
  const std::string tres = Nota("301") + Nota("302", "A&B <C>") + Nota("303");
  const std::string lote = Converte(tres);
  const struct {
    const char* name;
    std::string falha;
  } cases[] = {
      {"unknown field", "nada_X99=1\r\n"},
      {"note left open", "INCLUIR\r\nversao_A02=3.10\r\n"},
      {"lower-case command", "salvar\r\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    auto conversor = Conversor(tres + c.falha);
    EXPECT_THROW(conversor->Converter(), EmoxNFeException);
    std::string devolvido;
    for (const std::string& nota : conversor->DataSets().LoteNFe()) devolvido += nota + "\r\n";
    EXPECT_EQ(conversor->DataSets().LoteNFe().size(), 3u);
    EXPECT_EQ(devolvido, lote);
  }
}

TEST(ConversorTX2, ExamplesGiveValidSignedNotes) {
  struct Exemplo {
    const char* arquivo;
    size_t notas;
    TVersaoEsquema versao;
    const char* esquema;  // under the official schemas folder
  };
  const char* const k310 = "PL_008i2/nfe_v3.10.xsd";
  const std::vector<Exemplo> exemplos = {
      {"venda-simples.tx2", 1, TVersaoEsquema::pl_008i1, k310},
      {"varios-itens-parcelas.tx2", 1, TVersaoEsquema::pl_008i1, k310},
      {"duas-notas.tx2", 2, TVersaoEsquema::pl_008i1, k310},
      {"nfce.tx2", 1, TVersaoEsquema::pl_008i1, k310},
      {"venda-simples-400.tx2", 1, TVersaoEsquema::pl_009, "PL_009_V4/nfe_v4.00.xsd"},
      {"venda-simples-400.tx2", 1, TVersaoEsquema::pl_010, "PL_010_V1.30/nfe_v4.00.xsd"},
      {"reforma-2026.tx2", 1, TVersaoEsquema::pl_010, "PL_010_V1.30/nfe_v4.00.xsd"}};
  moxtest::AssinadorDeNotas assinador;
  for (const auto& e : exemplos) {
    SCOPED_TRACE(std::string(e.arquivo) + " " + e.esquema);
    const std::string esquema = (moxtest::SchemasDir() / e.esquema).string();
    TmoxNFeConvTXTDataSet conversor;
    conversor.SetVersaoEsquema(e.versao);
    conversor.SetXMLDicionario(moxtest::DicionarioEntregue(e.versao));
    conversor.SetTXT(moxtest::Fixture(std::string("tx2/") + e.arquivo).string());
    TmoxNFeDataSets* ds = nullptr;
    conversor.Converter(ds);
    ASSERT_EQ(ds->LoteNFe().size(), e.notas);
    for (const auto& infNFe : ds->LoteNFe()) {
      const std::string nota = assinador.Assina(infNFe);
      EXPECT_EQ(moxtest::ErrosDeEsquema(nota, esquema), "") << nota;
    }
  }
}
