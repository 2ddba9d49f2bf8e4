#include "datasets/TXmlDataSetNFe.h"

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
  if (FVersaoInvisiveis != DefinitionVersion()) {
    FCamposInvisiveis.clear();
    FTemTagVazia = false;
    for (size_t i = 0; i < FieldCount(); ++i) {
      if (!XmlField(i).Visible()) FCamposInvisiveis.push_back(&XmlField(i));
      else if (XmlField(i).GeraTagVazia()) FTemTagVazia = true;
    }
    FVersaoInvisiveis = DefinitionVersion();
  }
  size_t visiveis = CurrentRecordBytes();
  for (const TXmlFieldNFe* campo : FCamposInvisiveis) visiveis -= campo->TextView().size();
  return visiveis > 0;
}

// The typed accessors above rely on every field being a dictionary field.
void TXmlDataSetNFe::CheckNewField(const TmoxField& aField) const {
  if (!dynamic_cast<const TXmlFieldNFe*>(&aField))
    throw EmoxDataSetException::CreateFmt("O DataSet %s aceita apenas campos do dicionário (%s).",
                                          {Name(), aField.FieldName()}, DiretorioLogErro());
}

}  // namespace mox
