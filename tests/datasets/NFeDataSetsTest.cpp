// The note, item and part commands of the invoice data sets, their states and the batch.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "LayoutDeTeste.h"
#include "support/MensagemDe.h"
#include "base/EmoxException.h"

using namespace mox;
using moxtest::DataSetsDeTeste;
using moxtest::MensagemDe;
using moxtest::PreencheIdentificacao;

namespace {

void IncluiItem(TmoxNFeDataSets& aDS, const std::string& aNumero, const std::string& aProduto) {
  aDS.IncluirItem();
  aDS.H()->FieldByName("nItem_H02").SetAsString(aNumero);
  aDS.I()->FieldByName("cProd_I02").SetAsString(aProduto);
}

}  // namespace

TEST(NFeDataSets, AWholeNoteBecomesOneBatchEntry) {
  auto ds = DataSetsDeTeste(TVersaoEsquema::pl_008a);
  ds->Incluir();
  PreencheIdentificacao(*ds);

  IncluiItem(*ds, "1", "P1");
  ds->I()->FieldByName("xProd_I04").SetAsString("Produto 1");
  ds->N()->FieldByName("CST_N12").SetAsString("00");
  ds->IncluirPart("DI");
  ds->Campo("nDI_I19").SetAsString("DI-1");
  for (const char* adicao : {"1", "2"}) {
    ds->IncluirPart("ADI");
    ds->Campo("nAdicao_I26").SetAsString(adicao);
  }
  ds->SalvarPart("ADI");
  ds->SalvarItem();
  IncluiItem(*ds, "2", "P2");
  ds->SalvarItem();

  for (const auto& [numero, valor] : {std::pair{"001", "10.00"}, std::pair{"002", "20.00"}}) {
    ds->IncluirCobranca();
    ds->Campo("nDup_Y08").SetAsString(numero);
    ds->Campo("vDup_Y10").SetAsString(valor);
  }
  ds->SalvarCobranca();
  ds->IncluirPart("VOL");
  ds->Campo("qVol_X27").SetAsString("1");
  for (const char* lacre : {"L1", "L2"}) {
    ds->IncluirPart("LACRE");
    ds->Campo("nLacre_X34").SetAsString(lacre);
  }
  ds->W()->FieldByName("vNF_W16").SetAsString("30.00");
  ds->X()->FieldByName("modFrete_X02").SetAsString("9");
  ds->Z()->FieldByName("infCpl_Z03").SetAsString("Observação");
  ds->Salvar();

  ASSERT_EQ(ds->LoteNFe().size(), 1u);
  EXPECT_EQ(ds->LoteNFe()[0],
            "<infNFe Id=\"NFe35140312345678000195550010000001241123456788\" versao=\"3.10\">"
            "<ide><cUF>35</cUF><cNF>12345678</cNF><natOp>Venda</natOp><mod>55</mod><serie>1</serie><nNF>124</nNF>"
            "<dhEmi>2014-03-15T10:00:00-03:00</dhEmi><tpEmis>1</tpEmis><cDV>8</cDV>"
            "<verProc>Versao Aplicativo9</verProc></ide>"
            "<emit><CNPJ>12345678000195</CNPJ><xNome>Emitente de Teste</xNome></emit>"
            "<dest><idEstrangeiro/></dest>"
            "<det nItem=\"1\"><prod><cProd>P1</cProd><xProd>Produto 1</xProd>"
            "<DI><nDI>DI-1</nDI><adi><nAdicao>1</nAdicao></adi><adi><nAdicao>2</nAdicao></adi></DI></prod>"
            "<imposto><ICMS><CST>00</CST></ICMS></imposto></det>"
            "<det nItem=\"2\"><prod><cProd>P2</cProd></prod><imposto></imposto></det>"
            "<total><vNF>30.00</vNF></total>"
            "<transp><modFrete>9</modFrete><vol><qVol>1</qVol><lacres><nLacre>L1</nLacre></lacres>"
            "<lacres><nLacre>L2</nLacre></lacres></vol></transp>"
            "<cobr><dup><nDup>001</nDup><vDup>10.00</vDup></dup><dup><nDup>002</nDup><vDup>20.00</vDup></dup></cobr>"
            "<infAdic><infCpl>Observação</infCpl></infAdic></infNFe>");
  EXPECT_EQ(ds->State(), TDataSetState::dsBrowse);
  EXPECT_EQ(ds->StateItem(), TDataSetState::dsBrowse);
}

TEST(NFeDataSets, CommandStates) {
  auto ds = DataSetsDeTeste(TVersaoEsquema::pl_006e);
  auto states = [&] { return std::pair{ds->State(), ds->StateItem()}; };
  using S = TDataSetState;
  EXPECT_EQ(states(), std::pair(S::dsInactive, S::dsInactive));
  ds->Incluir();
  EXPECT_EQ(states(), std::pair(S::dsInsert, S::dsInactive));
  ds->IncluirItem();
  EXPECT_EQ(states(), std::pair(S::dsInsert, S::dsInsert));
  EXPECT_EQ(MensagemDe<EmoxNFeDataSetException>([&] { ds->IncluirItem(); }), "Item não salvo");
  // A new note does not close the open item.
  ds->Incluir();
  EXPECT_EQ(states(), std::pair(S::dsInsert, S::dsInsert));
  EXPECT_EQ(MensagemDe<EmoxNFeDataSetException>([&] { ds->IncluirItem(); }), "Item não salvo");
  ds->Cancelar();
  EXPECT_EQ(states(), std::pair(S::dsBrowse, S::dsBrowse));
  IncluiItem(*ds, "1", "P1");
  ds->SalvarItem();
  EXPECT_EQ(states(), std::pair(S::dsBrowse, S::dsBrowse));
  ds->IncluirItem();
  ds->IncluirPart("dup");  // group names are upper-cased
  EXPECT_EQ(ds->FindDataSet("DUP").State(), S::dsInsert);
  EXPECT_EQ(states(), std::pair(S::dsBrowse, S::dsInsert)) << "parts leave both states alone";
}

TEST(NFeDataSets, DiscardingANoteChecksNothing) {
  auto ds = DataSetsDeTeste(TVersaoEsquema::pl_006e);
  ds->Incluir();
  ds->IncluirItem();  // item with its required fields empty, details pending
  ds->IncluirPart("DI");
  ds->Campo("nDI_I19").SetAsString("DI-1");
  EXPECT_NO_THROW(ds->Cancelar());
  for (const auto& d : ds->ListDataSets()) EXPECT_EQ(d->RecordCount(), 0u) << d->Name();
  ds->Incluir();
  ds->IncluirItem();
  EXPECT_NO_THROW(ds->Incluir()) << "a new note drops the unsaved one unchecked";
  EXPECT_EQ(ds->H()->RecordCount(), 0u);
}

TEST(NFeDataSets, HandlesKeepRisingAcrossTheNotesOfABatch) {
  auto ds = DataSetsDeTeste(TVersaoEsquema::pl_008a);
  std::vector<std::string> firstHandles;
  for (int nota = 0; nota < 2; ++nota) {
    ds->Incluir();
    PreencheIdentificacao(*ds);
    for (const char* item : {"1", "2"}) {
      IncluiItem(*ds, item, "P");
      firstHandles.push_back(ds->H()->FieldByName("handle").AsString());
      ds->SalvarItem();
    }
    ds->Salvar();
  }
  EXPECT_EQ(firstHandles, (std::vector<std::string>{"1", "2", "3", "4"}));
  EXPECT_EQ(ds->LoteNFe().size(), 2u);
  // A new dictionary means a new container: data, batch and counters start over.
  ds->SetXMLDicionario(ds->XMLDicionario());
  EXPECT_TRUE(ds->LoteNFe().empty());
  EXPECT_EQ(ds->B()->RecordCount(), 0u);
  ds->Incluir();
  EXPECT_EQ(ds->A()->FieldByName("handle").AsString(), "1");
}

TEST(NFeDataSets, UnfilledPartsAreDroppedFilledOnesPosted) {
  auto ds = DataSetsDeTeste(TVersaoEsquema::pl_006e);
  ds->Incluir();
  TXmlDataSetNFe& dup = ds->FindDataSet("DUP");
  ds->IncluirCobranca();  // only handle: dropped by the next one
  ds->IncluirCobranca();
  ds->Campo("nDup_Y08").SetAsString("001");
  ds->IncluirCobranca();
  ds->Campo("vDup_Y10").SetAsString("5.00");
  ds->SalvarCobranca();
  EXPECT_EQ(dup.RecordCount(), 2u);
  std::vector<std::string> handles;
  for (dup.First(); !dup.Eof(); dup.Next()) handles.push_back(dup.FieldByName("handle").AsString());
  EXPECT_EQ(handles, (std::vector<std::string>{"2", "3"}));
}

TEST(NFeDataSets, AFailedSaveKeepsTheRecordPendingAndTheBatchUnchanged) {
  auto ds = DataSetsDeTeste(TVersaoEsquema::pl_008a);
  ds->Incluir();
  PreencheIdentificacao(*ds);
  ds->Campo("natOp_B04").SetAsString("");
  try {
    ds->Salvar();
    FAIL() << "required field accepted";
  } catch (const EmoxNFeDataSetException& e) {
    EXPECT_EQ(dynamic_cast<const EmoxDataSetException*>(&e), nullptr) << "re-raised in the wider class";
    EXPECT_STREQ(e.what(),
                 "O Campo [natOp_B04] referente a [Natureza da Operação] deve ser preenchido. "
                 "Dica: Informe a natureza da operação");
  }
  EXPECT_TRUE(ds->LoteNFe().empty());
  EXPECT_EQ(ds->State(), TDataSetState::dsInsert);
  EXPECT_EQ(ds->A()->State(), TDataSetState::dsBrowse) << "groups before the failing one stay posted";
  EXPECT_EQ(ds->B()->State(), TDataSetState::dsInsert);
  ds->Campo("natOp_B04").SetAsString("Venda");
  ds->Salvar();
  EXPECT_EQ(ds->LoteNFe().size(), 1u);
}

TEST(NFeDataSets, BeforeAnyDictionary) {
  TmoxNFeDataSets ds(moxtest::FabricaDeTeste());
  EXPECT_EQ(ds.A(), nullptr);
  EXPECT_EQ(ds.Z(), nullptr);
  EXPECT_EQ(MensagemDe<EmoxDataSetException>([&] { ds.FindDataSet("a"); }), "Parte A não encontrada.");
  EXPECT_EQ(MensagemDe<EmoxNfeDataSetConfigException>([&] { ds.SalvarItem(); }),
            "Arquivo Estrutura do XML não configurado.");
  EXPECT_EQ(MensagemDe<EmoxNfeDataSetConfigException>([&] { ds.Salvar(); }),
            "Arquivo Estrutura do XML não configurado.");
  EXPECT_EQ(MensagemDe<EmoxNFeCheckParams>([&] { ds.Campo("B", 4); }),
            "Não existem DataSets carregados. Verifique se o XMLDicionário foi informado.");
}

TEST(NFeDataSets, FieldByRecordLayoutPosition) {
  auto ds = DataSetsDeTeste(TVersaoEsquema::pl_006e);
  EXPECT_EQ(ds->Campo("B", 4).FieldName(), "natOp_B04") << "matches the item b=4";
  EXPECT_EQ(ds->Campo("B02", 2).FieldName(), "cUF_B02");
  EXPECT_EQ(ds->Campo("natop_b04").FieldName(), "natOp_B04");
  EXPECT_EQ(MensagemDe<EmoxNFeCheckParams>([&] { ds->Campo("", 4); }),
            "O Grupo deve ser informado para encontrar o campo desejado.");
  EXPECT_EQ(MensagemDe<EmoxDataSetFieldNotFoundException>([&] { ds->Campo("B", 99); }),
            "Não foi encontrado campo configurado para o Grupo B na posição 99");
  EXPECT_EQ(MensagemDe<EmoxDataSetFieldNotFoundException>([&] { ds->Campo("semCampo"); }),
            "Campo semCampo não encontrado");
}

TEST(NFeDataSets, RulesRunAroundTheSave) {
  std::vector<std::string> seen;
  auto ds = DataSetsDeTeste(TVersaoEsquema::pl_008a);
  ds->SetAplicadorRegras([&](TmoxNFeDataSets& aDS, TTipoRegraKind aTipo) {
    seen.push_back((aTipo == TTipoRegraKind::rkZelto ? "zelto:" : "sefaz:") + std::to_string(aDS.LoteNFe().size()));
    if (aTipo == TTipoRegraKind::rkSefaz) throw EmoxNFeRuleException("[GB07]: regra violada");
  });
  ds->Incluir();
  PreencheIdentificacao(*ds);
  ds->Salvar();  // rules switched off
  EXPECT_TRUE(seen.empty());
  ds->SetValidaRegrasNegocioZelto(true);
  ds->SetValidaRegrasNegocio(true);
  ds->Incluir();
  PreencheIdentificacao(*ds);
  EXPECT_THROW(ds->Salvar(), EmoxNFeRuleException);
  EXPECT_EQ(seen, (std::vector<std::string>{"zelto:1", "sefaz:2"})) << "the rejected note stays in the batch";
}

TEST(NFeDataSets, RuleSwitchWithoutEngineFailsInsteadOfSkipping) {
  auto ds = DataSetsDeTeste(TVersaoEsquema::pl_008a);
  ds->SetValidaRegrasNegocio(true);
  ds->Incluir();
  PreencheIdentificacao(*ds);
  EXPECT_EQ(MensagemDe<EmoxNFeRuleException>([&] { ds->Salvar(); }),
            "As regras de negócio foram ligadas, mas estes DataSets não têm o motor de regras.");
}

TEST(NFeDataSets, ErrorLogFolderIsCreated) {
  moxtest::TempDir dir;
  TmoxNFeDataSets ds(moxtest::FabricaDeTeste());
  const std::string logs = dir.str() + "a/b/";
  ds.SetDiretorioLogErro(logs);
  EXPECT_TRUE(std::filesystem::is_directory(logs));
  EXPECT_THROW(ds.FindDataSet("A"), EmoxDataSetException);
  EXPECT_NE(moxtest::ReadText(logs + "nfe_exception.log").find("Parte A não encontrada."), std::string::npos);
}

TEST(NFeDataSets, AFailedNewNoteLeavesTheNoteStateBrowse) {
  // A note-level group without its "handle" field cannot receive a record.
  std::string text = moxtest::ReadText(moxtest::DicionarioDeTeste());
  const std::string handleDeC = "<C><campos>\n      <campo nome=\"handle\" tamanho=\"10\"/>";
  ASSERT_NE(text.find(handleDeC), std::string::npos);
  text.replace(text.find(handleDeC), handleDeC.size(), "<C><campos>");
  moxtest::TempDir dir;
  moxtest::WriteText(dir.file("dic.xml"), text);
  TmoxNFeDataSets ds(moxtest::FabricaDeTeste());
  ds.SetXMLDicionario(dir.file("dic.xml"));
  EXPECT_EQ(MensagemDe<EmoxDataSetFieldNotFoundException>([&] { ds.Incluir(); }), "Campo handle não encontrado");
  EXPECT_EQ(ds.State(), TDataSetState::dsBrowse);
}
