// The field dictionaries delivered for every manual version: they load into the layout of every
// package of their version, carry the checks and labels of the official layout, place every field
// of the record layout, and are what the generator makes of the official schemas.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <string>

#include "base/EmoxException.h"
#include "datasets/NotasDeTeste.h"
#include "support/MensagemDe.h"

namespace {

using mox::TVersaoEsquema;
using V = TVersaoEsquema;

const char* const kArquivos[] = {"NFeDataSets.xml", "NFeDataSets_Exportacao.xml"};
const char* const kVersoesManual[] = {"vm30", "vm40", "vm50", "vm50a", "vm60"};

// Calls aVerifica with the data sets of every schema package on each of its delivered dictionaries.
template <class TVerifica>
void EmCadaPacote(TVerifica aVerifica) {
  for (int v = 0; v <= static_cast<int>(V::pl_010); ++v)
    for (bool exportacao : {false, true}) {
      const auto versao = static_cast<V>(v);
      SCOPED_TRACE(mox::VersaoEsquemaToStr(versao) + (exportacao ? " exportação" : ""));
      auto ds = moxtest::DataSetsEntregues(versao, exportacao);
      aVerifica(*ds);
    }
}

TEST(DicionariosEntregues, CarregamNoLeiauteDeCadaPacoteDaSuaVersao) {
  EmCadaPacote([](mox::TmoxNFeDataSets& aDs) {
    EXPECT_NE(aDs.Z(), nullptr);
    // Every note-level and item-level group the commands walk exists.
    EXPECT_NO_THROW(aDs.Incluir());
    EXPECT_NO_THROW(aDs.IncluirItem());
  });
}

TEST(DicionariosEntregues, VerificadorNaoApontaProblemas) {
  for (const char* versao : kVersoesManual)
    for (const char* arquivo : kArquivos) {
      const std::string caminho =
          std::string(MOXNFE_SOURCE_DIR) + "/data/Templates/" + versao + "/Conversor/" + arquivo;
      const auto r =
          moxtest::RunProgram(moxtest::BuiltProgram("moxnfe"), {"dicionario", "verificar", "--json", caminho});
      ASSERT_EQ(r.status, 0) << r.err;
      const auto saida = nlohmann::json::parse(r.out);
      EXPECT_TRUE(saida["problemas"].empty()) << caminho << ": " << saida["problemas"].dump();
    }
}

// Required fields, allowed values, labels and hints come from the official layout.
TEST(DicionariosEntregues, RegistroConfereObrigatoriosEValoresPermitidos) {
  struct Caso {
    const char* nome;
    V versao;
    const char* familia;
    const char* linhas;
    bool exportacao;
    const char* mensagem;
  };
  const Caso casos[] = {
      {"natureza vazia", V::pl_008i1, "310", "natOp_B04=\n", false,
       "O Campo [natOp_B04] referente a [Descrição da Natureza da Operação] deve ser preenchido."},
      {"modelo inexistente", V::pl_008i1, "310", "mod_B06=99\n", false,
       "Conteúdo 99 é inválido para o campo mod_B06 [Código do modelo do Documento Fiscal]. Dica: Código do modelo "
       "do Documento Fiscal. 55 = NF-e; 65 = NFC-e."},
      {"NFC-e no leiaute 1.10", V::pl_005f, "110", "mod_B06=65\n", false,
       "Conteúdo 65 é inválido para o campo mod_B06 [Código do modelo do Documento Fiscal]. Dica: Código do modelo "
       "do Documento Fiscal. Utilizar 55 para identificação da NF-e, emitida em substituição ao modelo 1 e 1A."},
      {"CST de IPI fora da tabela", V::pl_006v, "200", "CST_O09=10\n", false,
       "Conteúdo 10 é inválido para o campo CST_O09 [Código da Situação Tributária do IPI]. Dica: Código da "
       "Situação Tributária do IPI: 00-Entrada com recuperação de crédito 49 - Outras entradas 50-Saída tributada "
       "99-Outras saídas"},
      {"operação interna na exportação", V::pl_008i1, "310", "", true,
       "Conteúdo 1 é inválido para o campo idDest_B11a [Identificador de Local de destino da operação]. Dica: Com o "
       "exterior o destino da operação é 3."},
      {"município do país na exportação", V::pl_008i1, "310", "idDest_B11a=3\n", true,
       "Conteúdo 3550308 é inválido para o campo cMun_E10 [Código do município]. Dica: Com o exterior o município é "
       "9999999."},
  };
  for (const Caso& caso : casos) {
    SCOPED_TRACE(caso.nome);
    auto ds = moxtest::DataSetsEntregues(caso.versao, caso.exportacao);
    const std::string nota =
        moxtest::NotaDeTeste(std::string(caso.familia) + "/minima.txt") + caso.linhas + "SALVARITEM\nSALVAR\n";
    EXPECT_EQ(moxtest::MensagemDe<mox::EmoxException>([&] { moxtest::PreencheNota(*ds, nota); }), caso.mensagem);
    EXPECT_TRUE(ds->LoteNFe().empty());
  }
}

// The record layout positions: published for 3.10 and 4.00 (with the reform groups, whose nested
// fields the layout names by group prefix), derived from the schema for 1.10 and 2.00.
TEST(DicionariosEntregues, PosicoesDoLeiauteDeRegistros) {
  struct Caso {
    V versao;
    const char* grupo;
    int posicao;
    const char* campo;
  };
  const Caso casos[] = {
      {V::pl_008i1, "b", 4, "natOp_B04"},      {V::pl_008i1, "B", 24, "xJust_B29"},
      {V::pl_008i1, "C02a", 2, "CPF_C02a"},    {V::pl_008i1, "E03A", 2, "idEstrangeiro_E03a"},
      {V::pl_008i1, "H", 2, "nItem_H02"},      {V::pl_008i1, "H", 3, "infAdProd_V01"},
      {V::pl_008i1, "BA10", 4, "IE_BA15"},     {V::pl_008i1, "B19", 2, "refCTe_BA19"},
      {V::pl_008i1, "BA19", 2, "refCTe_BA19"}, {V::pl_008i1, "N10a", 16, "UFST_N24"},
      {V::pl_008i1, "JA", 2, "tpOp_J02"},      {V::pl_008i1, "LA11", 6, "vEncFin_LA16"},
      {V::pl_008i1, "O10", 3, "pIPI_O13"},     {V::pl_008i1, "X25b", 2, "balsa_X25b"},
      {V::pl_008i1, "ZC04", 2, "dia_ZC05"},    {V::pl_008i1, "YA", 2, "tPag_YA02"},
      {V::pl_008i1, "YA", 6, "cAut_YA07"},     {V::pl_008i1, "YA", 7, "tpIntegra_YA04a"},
      {V::pl_006v, "B", 11, "hSaiEnt_B10a"},
      {V::pl_006v, "B13", 2, "refNFe_B13"},    {V::pl_006v, "B20a", 4, "IE_B20f"},
      {V::pl_006v, "B20d", 2, "CNPJ_B20d"},    {V::pl_006v, "L01", 5, "UFCons_L120"},
      {V::pl_006v, "L105", 4, "vCIDE_L108"},   {V::pl_006j, "U", 7, "cSitTrib_U07"},
      {V::pl_005f, "I", 7, "genero_I07"},      {V::pl_005f, "L117", 4, "UFCons_L120"},
      {V::pl_010, "B", 5, "mod_B06"},          {V::pl_010, "Y", 2, "vTroco_YA09"},
      {V::pl_010, "YA", 2, "indPag_YA01b"},    {V::pl_010, "YA", 5, "CNPJ_YA05"},
      {V::pl_010, "I05G", 2, "cCredPresumido_I05h"}, {V::pl_010, "I05C", 2, "CEST_I05c"},
      {V::pl_010, "I80", 6, "cAgreg_I85"},     {V::pl_010, "N10b", 9, "pFCPSTRet_N27c"},
      {V::pl_010, "UB12", 7, "pDif_UB21"},     {V::pl_010, "UB12", 14, "pDif_UB32"},
      {V::pl_010, "UB120", 6, "pCredPres_UB128"}, {V::pl_010, "W34", 3, "vDif_W38"},
      {V::pl_010, "W34", 23, "vIBSEstCred_W62"}, {V::pl_010, "ZD", 2, "CNPJ_ZD02"},
  };
  for (const Caso& caso : casos) {
    SCOPED_TRACE(std::string(caso.grupo) + "=" + std::to_string(caso.posicao));
    auto ds = moxtest::DataSetsEntregues(caso.versao);
    EXPECT_EQ(ds->Campo(caso.grupo, caso.posicao).FieldName(), caso.campo);
  }
}

// Fields that rules and readers name outside the version's own layout are declared, but never
// reach the XML: a value typed into one goes to the layout's field of the same element, or is
// refused naming the field to fill.
TEST(DicionariosEntregues, CamposDeOutrosLeiautesFicamForaDoXml) {
  struct Caso {
    V versao;
    const char* campo;
    const char* grupo;
    const char* equivale;
    const char* substituto;
  };
  const Caso casos[] = {{V::pl_008i1, "dEmi_B09", "B", "", "dhEmi_B09"},
                        {V::pl_008i1, "refNFe_B13", "NREF", "refNFe_BA02", ""},
                        {V::pl_008i1, "AAMM_B16", "NREF", "AAMM_BA05", ""},
                        {V::pl_008i1, "CNPJ_B17", "NREF", "CNPJ_BA06", ""},
                        {V::pl_008i1, "CNPJ_B20d", "NREF", "CNPJ_BA13", ""},
                        {V::pl_008i1, "nCOO_B20m", "NREF", "nCOO_BA23", ""},
                        {V::pl_008i1, "CST_Q02", "Q", "CST_Q06", ""},
                        {V::pl_005f, "idEstrangeiro_E03a", "E", "", ""}};
  for (const Caso& caso : casos) {
    SCOPED_TRACE(caso.campo);
    auto ds = moxtest::DataSetsEntregues(caso.versao);
    mox::TmoxNFeXMLField& campo = ds->Campo(caso.campo);
    EXPECT_EQ(campo.DataSet(), &ds->FindDataSet(caso.grupo));
    EXPECT_FALSE(campo.Visible());
    EXPECT_EQ(campo.Equivale(), caso.equivale);
    EXPECT_EQ(campo.Substituto(), caso.substituto);
  }
}

// Every field the layout does not write is a control field or names a written field of its own
// group; nothing typed into a dictionary field can vanish without a word.
TEST(DicionariosEntregues, CampoForaDoXmlApontaCampoGravado) {
  EmCadaPacote([](mox::TmoxNFeDataSets& aDs) {
    for (const auto& grupo : aDs.ListDataSets())
      for (size_t i = 0; i < grupo->FieldCount(); ++i) {
        const auto& campo = static_cast<const mox::TmoxNFeXMLField&>(grupo->XmlField(i));
        if (campo.Visible() || campo.FieldName() == "handle" || campo.FieldName() == grupo->XMLKeyField()) continue;
        SCOPED_TRACE(campo.FieldName());
        if (campo.Equivale().empty()) {
          EXPECT_THROW(aDs.CampoDeEntrada(campo.FieldName()), mox::EmoxDataSetException);
          continue;
        }
        const mox::TmoxNFeXMLField& gravado = aDs.CampoDeEntrada(campo.FieldName());
        EXPECT_EQ(gravado.FieldName(), campo.Equivale());
        EXPECT_TRUE(gravado.Visible());
        EXPECT_EQ(gravado.DataSet(), grupo.get());
      }
  });
}

// A field that the older packages of a manual version lack is refused for them, naming the first
// package that has it, and accepted from that package on.
TEST(DicionariosEntregues, CampoDePacoteMaisNovoSoEntraDesseEmDiante) {
  struct Caso {
    const char* campo;
    V ultimoSem, primeiroCom;
  };
  const Caso casos[] = {{"vTotDed_ZC14", V::pl_006e, V::pl_006g},   {"vTotTrib_M02", V::pl_006q, V::pl_006r},
                        {"vTotTrib_W16a", V::pl_006q, V::pl_006r},  {"nFCI_I70", V::pl_006r, V::pl_006s},
                        {"nBico_LA12", V::pl_008f, V::pl_008g},     {"tpIntegra_YA04a", V::pl_008f, V::pl_008g},
                        {"CEST_I05c", V::pl_008g, V::pl_008h},      {"vICMSUFDest_NA15", V::pl_008g, V::pl_008h},
                        {"vFCPUFDest_W04c", V::pl_008g, V::pl_008h}, {"cMunFGIBS_B12a", V::pl_009, V::pl_010},
                        {"vIBS_UB40", V::pl_009, V::pl_010},        {"vIS_W32", V::pl_009, V::pl_010}};
  for (const Caso& caso : casos) {
    SCOPED_TRACE(caso.campo);
    EXPECT_EQ(moxtest::MensagemDe<mox::EmoxDataSetException>(
                  [&] { moxtest::DataSetsEntregues(caso.ultimoSem)->CampoDeEntrada(caso.campo); }),
              std::string("O campo ") + caso.campo + " não existe no leiaute do pacote " +
                  mox::VersaoEsquemaToStr(caso.ultimoSem) + "; existe a partir do " +
                  mox::VersaoEsquemaToStr(caso.primeiroCom) + ".");
    EXPECT_EQ(moxtest::DataSetsEntregues(caso.primeiroCom)->CampoDeEntrada(caso.campo).FieldName(), caso.campo);
  }
}

// The delivered files are the generator's output for the official schemas: a change to the
// generator or its tables shows up here until the files are generated again.
TEST(DicionariosEntregues, SaoASaidaAtualDoGerador) {
  moxtest::TempDir saida;
  const auto schemas = moxtest::SchemasDir();
  const auto r = moxtest::RunProgram(
      "/usr/bin/env",
      {"python3", std::string(MOXNFE_SOURCE_DIR) + "/tools/dicionarios/gerar_dicionarios.py", "--schemas",
       schemas.string(), "--referencia", (schemas.parent_path() / "reference").string(), "--saida", saida.str()});
  ASSERT_EQ(r.status, 0) << r.err;
  for (const char* versao : kVersoesManual)
    for (const char* arquivo : kArquivos) {
      const std::string relativo = std::string(versao) + "/Conversor/" + arquivo;
      EXPECT_EQ(moxtest::ReadText(saida.file(relativo)),
                moxtest::ReadText(std::string(MOXNFE_SOURCE_DIR) + "/data/Templates/" + relativo))
          << relativo;
    }
}

}  // namespace
