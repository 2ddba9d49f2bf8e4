#include "datasets/TmoxNFeRecToDs.h"

#include <algorithm>
#include <array>
#include <string_view>

#include "base/EmoxException.h"
#include "external/AsciiCase.h"

namespace mox {

namespace {

// Groups that start a new referenced document. "B19"/"BA19" (the referenced CT-e of the 3.10
// layout) start one too, so a CT-e never lands in the record of the reference before it; "BA02A"
// is the 4.00 reference to a note signed by its recipient.
constexpr std::array<std::string_view, 13> kGruposNRef{"B13",  "B14",  "B20A", "B20B", "B20I", "B20J", "BA02",
                                                       "BA02A", "BA03", "BA10", "BA19", "B19",  "BA20"};

// Groups that open a record of a repeated part. "I18" opens a new import declaration as well, so
// an item with several declarations keeps each one; "YA" opens a payment of the 3.10 layout.
struct TGrupoParte {
  std::string_view grupo;
  std::string_view parte;
};
constexpr std::array<TGrupoParte, 27> kGruposParte{{{"GA02", "AUTXML"},   {"GA03", "AUTXML"}, {"I", "DI"},
                                                    {"I18", "DI"},        {"I25", "ADI"},     {"I50", "DETEXPORT"},
                                                    {"I52", "EXPORTIND"}, {"I05A", "NVE"},    {"K", "K"},
                                                    {"L", "L"},           {"L01", "L1"},      {"X22", "REBOQUE"},
                                                    {"X26", "VOL"},       {"X33", "LACRE"},   {"Y07", "DUP"},
                                                    {"Z04", "OBSCONT"},   {"Z07", "OBSFISCO"}, {"Z10", "PROCREF"},
                                                    {"ZC01", "CANA"},     {"ZC04", "FORDIA"}, {"ZC10", "DEDUC"},
                                                    {"YA", "YA"},
                                                    // 4.00: prepayments, presumed credits, batches,
                                                    // fuel origins, pesticide prescriptions.
                                                    {"BB01", "BB"},       {"I05G", "GCRED"},  {"I80", "RASTRO"},
                                                    {"LA18", "ORIGCOMB"}, {"ZF02", "DEFENSIVO"}}};

bool Contem(std::string_view aNome, std::string_view aParte) { return aNome.find(aParte) != std::string_view::npos; }

}  // namespace

TmoxNFeRecToDs::TmoxNFeRecToDs() : FRecParser(std::make_unique<TmoxRecParser>()) {
  FRecParser->OnGroupSelected = [this](const std::string& aGroup, const std::vector<TRecElements>& aElements) {
    HandleGroupSelected(aGroup, aElements);
  };
}

TmoxNFeRecToDs::~TmoxNFeRecToDs() = default;

void TmoxNFeRecToDs::IndexaPosicoes() {
  fPosicoes.clear();
  for (const auto& ds : FDataset->ListDataSets())
    for (size_t i = 0; i < ds->FieldCount(); ++i) {
      auto& field = static_cast<TmoxNFeXMLField&>(ds->XmlField(i));
      std::string_view items = field.Rec();
      while (!items.empty()) {
        const size_t comma = items.find(',');
        // The first field declaring a position wins, as in the look-up by position.
        fPosicoes.emplace(UpperAscii(std::string(items.substr(0, comma))), &field);
        if (comma == std::string_view::npos) break;
        items.remove_prefix(comma + 1);
      }
    }
}

TmoxNFeXMLField& TmoxNFeRecToDs::CampoDaPosicao(const std::string& aGroup, int aIndex) {
  const auto found = fPosicoes.find(aGroup + "=" + std::to_string(aIndex));
  if (found != fPosicoes.end()) return *found->second;
  return FDataset->Campo(aGroup, aIndex);  // raises the not-found failure of the data sets
}

void TmoxNFeRecToDs::AbrePart(const std::string& aPart) {
  // The pending records of the part's own details belong to its current record: post them
  // before that record is posted and a new one opened.
  for (const auto& ds : FDataset->ListDataSets())
    if (ds->Editing() && EqualsIgnoreCase(ds->XMLMasterSource(), aPart)) FDataset->SalvarPart(ds->Name());
  FDataset->IncluirPart(aPart);
}

void TmoxNFeRecToDs::ExecutaMetodosDataset(const std::string& aGroup) {
  TmoxNFeDataSets& ds = *FDataset;
  const std::string grupo = UpperAscii(aGroup);
  if (grupo == "A") {
    if (ds.State() == TDataSetState::dsInsert) ds.Salvar();
    ds.Incluir();
    fLinhaDaNota = FRecParser->Linha();
  } else if (std::find(kGruposNRef.begin(), kGruposNRef.end(), grupo) != kGruposNRef.end()) {
    if (ds.FindDataSet("NREF").State() == TDataSetState::dsInsert) ds.SalvarPart("NREF");
    ds.IncluirPart("NREF");
  } else if (grupo == "C") {
    if (ds.FindDataSet("NREF").State() == TDataSetState::dsInsert) ds.SalvarPart("NREF");
  } else if (grupo == "H") {
    if (Contem(ds.XMLDicionario(), "/vm50a/") || Contem(ds.XMLDicionario(), "\\vm50a\\") ||
        Contem(ds.XMLDicionario(), "/vm60/") || Contem(ds.XMLDicionario(), "\\vm60\\"))
      if (ds.FindDataSet("AUTXML").State() == TDataSetState::dsInsert) ds.SalvarPart("AUTXML");
    if (ds.FindDataSet("H").State() == TDataSetState::dsInsert) ds.SalvarItem();
    ds.IncluirItem();
  } else if (grupo == "W") {
    ds.SalvarItem();
  } else {
    for (const auto& [g, parte] : kGruposParte)
      if (g == grupo) AbrePart(std::string(parte));
  }
}

void TmoxNFeRecToDs::HandleGroupSelected(const std::string& aGroup, const std::vector<TRecElements>& aElements) {
  if (!FDataset) throw std::runtime_error("Não foi definido um dataset para executar a conversão.");
  if (aGroup.empty()) return;  // a line holding only its identifier
  const std::string grupo = UpperAscii(aGroup.substr(0, 255));
  for (const std::string& ignorado : FIgnoreTags)
    if (UpperAscii(ignorado) == grupo) return;
  // Values before the first "A" belong to no note: reported, never stored in a note that is not there.
  if (grupo != "A" && FDataset->State() != TDataSetState::dsInsert) {
    FErrorList.push_back(moxFormat("EXCEPTION, EmoxNFeCheckTXT, Linha %s, grupo %s: Grupo fora de uma nota; falta a "
                                   "linha A que inicia a nota.",
                                   {std::to_string(FRecParser->Linha()), grupo}));
    return;
  }
  ExecutaMetodosDataset(aGroup);
  for (const TRecElements& element : aElements) {
    // A column of the published layout that the package's schema no longer has stores nothing
    // when left empty; a value typed there is still reported.
    if (element.Value.empty() && !fPosicoes.count(UpperAscii(element.Group) + "=" + std::to_string(element.Index)))
      continue;
    try {
      CampoDaPosicao(element.Group, element.Index).SetAsString(element.Value);
    } catch (const std::exception& e) {
      const auto* mox = dynamic_cast<const EmoxException*>(&e);
      FErrorList.push_back(moxFormat("EXCEPTION, %s, Linha %s, grupo %s, posição %s: %s",
                                     {mox ? mox->ClassName() : "Exception", std::to_string(FRecParser->Linha()),
                                      element.Group, std::to_string(element.Index), e.what()}));
    }
  }
}

void TmoxNFeRecToDs::Converter(TmoxNFeDataSets& aDS) {
  FErrorList.clear();
  fLinhaDaNota = 0;
  FRecParser->SetREC(fTXT);
  FRecParser->OnProgresso = OnProgresso;
  FDataset = &aDS;
  try {
    IndexaPosicoes();
    FRecParser->Execute();
    if (aDS.State() == TDataSetState::dsInsert) aDS.Salvar();
  } catch (...) {
    FDataset = nullptr;
    fPosicoes.clear();
    throw;
  }
  FDataset = nullptr;
  fPosicoes.clear();
}

std::string TmoxNFeRecToDs::ConverterXML() {
  TmoxNFeDataSets ds;
  ds.SetVersaoEsquema(fVersaoEsquema);
  ds.SetXMLDicionario(fXMLDicionario);
  Converter(ds);
  std::string lote;
  for (const auto& nota : ds.LoteNFe()) lote += nota + "\r\n";
  return lote;
}

}  // namespace mox
