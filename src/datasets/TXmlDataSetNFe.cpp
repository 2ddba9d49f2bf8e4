#include "datasets/TXmlDataSetNFe.h"

#include <algorithm>

#include "base/EmoxException.h"

namespace mox {

TXmlDataSetNFe::TXmlDataSetNFe(std::string aName)
    : TmoxDataSet(std::move(aName)), FDataSource(std::make_unique<TmoxDataSource>(this)) {}

// The data source goes first, so details let go of this data set before it is taken apart.
TXmlDataSetNFe::~TXmlDataSetNFe() { FDataSource.reset(); }

TXmlFieldNFe& TXmlDataSetNFe::AddXmlField(std::unique_ptr<TXmlFieldNFe> aField) {
  return static_cast<TXmlFieldNFe&>(AddField(std::move(aField)));
}

const std::vector<const TXmlFieldNFe*>& TXmlDataSetNFe::CamposVerificados() const {
  if (FVersaoVerificados != DefinitionVersion()) {
    FCamposVerificados.clear();
    FVerificado.assign(FieldCount(), 0);
    FTemRequerido = false;
    for (size_t i = 0; i < FieldCount(); ++i) {
      const TXmlFieldNFe& field = XmlField(i);
      if (field.Required() || !field.Enum().empty()) {
        FCamposVerificados.push_back(&field);
        FVerificado[i] = 1;
      }
      FTemRequerido = FTemRequerido || field.Required();
    }
    FVersaoVerificados = DefinitionVersion();
  }
  return FCamposVerificados;
}


bool TXmlDataSetNFe::TemValorVisivel() const {
  // A closed data set is left to the field reads, which fail with its own message.
  if (!Active()) return true;
  AtualizaInvisiveis();
  size_t visiveis = CurrentRecordBytes();
  for (const TXmlFieldNFe* campo : FCamposInvisiveis) visiveis -= campo->TextView().size();
  return visiveis > 0;
}

void TXmlDataSetNFe::AtualizaInvisiveis() const {
  if (FVersaoInvisiveis == DefinitionVersion()) return;
  FCamposInvisiveis.clear();
  FTemTagVazia = false;
  for (size_t i = 0; i < FieldCount(); ++i) {
    if (!XmlField(i).Visible()) FCamposInvisiveis.push_back(&XmlField(i));
    else if (XmlField(i).GeraTagVazia()) FTemTagVazia = true;
  }
  FVersaoInvisiveis = DefinitionVersion();
}

// --- Read-only queries for converters -----------------------------------------------------------

bool TXmlDataSetNFe::SemDadosEmRegistroAlgum(uint64_t aMarca) const {
  // A pending record and a closed data set are left to the reads of the current record.
  if (aMarca == 0 || !Active() || Editing()) return false;
  if (aMarca == FMarcaSemDados) return FSemDados;
  if (FVersaoLigacao != DefinitionVersion() || FChaveLigacao != FXMLKeyField) {
    // The values every record gets on its way in, which no converter writes.
    FCamposLigacao.clear();
    for (const std::string_view nome : {std::string_view("handle"), std::string_view(FXMLKeyField)}) {
      const TXmlFieldNFe* campo = nome.empty() ? nullptr : FindXmlField(nome);
      if (campo && !campo->Visible() &&
          std::find(FCamposLigacao.begin(), FCamposLigacao.end(), campo->Index()) == FCamposLigacao.end())
        FCamposLigacao.push_back(campo->Index());
    }
    FChaveLigacao = FXMLKeyField;
    FVersaoLigacao = DefinitionVersion();
  }
  FMarcaSemDados = aMarca;
  FSemDados = StoredValuesOnlyIn(FCamposLigacao);
  return FSemDados;
}

// The typed accessors above rely on every field being a dictionary field.
void TXmlDataSetNFe::CheckNewField(const TmoxField& aField) const {
  if (!dynamic_cast<const TXmlFieldNFe*>(&aField))
    throw EmoxDataSetException::CreateFmt("O DataSet %s aceita apenas campos do dicionário (%s).",
                                          {Name(), aField.FieldName()}, DiretorioLogErro());
}

}  // namespace mox
