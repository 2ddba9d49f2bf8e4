#include "danfe/TmoxDadosImpressaoEvento.h"

#include "danfe/moxDelimitador.h"
#include "external/TmoxKivoUtils.h"
#include "external/moxPaths.h"
#include "utils/TmoxNFeXmlUtils.h"
#include "utils/moxXmlLookup.h"

namespace mox {

TmoxDadosImpressaoEvento::TmoxDadosImpressaoEvento(TmoxKivoUtils* aUtils) : FUtils(aUtils) {}

void TmoxDadosImpressaoEvento::CriarCampos(const std::vector<std::pair<const char*, int>>& aCampos) {
  for (const auto& [nome, tamanho] : aCampos) FDataSet.AddField(nome, TFieldType::ftString, tamanho);
  FDataSet.Open();
}

void TmoxDadosImpressaoEvento::LimparDataSet() { FDataSet.EmptyDataSet(); }

void TmoxDadosImpressaoEvento::PopulaDataSet() {
  LimparDataSet();
  FDataSet.Append();
  ObterDados();
  FDataSet.Post();
}

std::string TmoxDadosImpressaoEvento::TextoDoEvento() const {
  bool arquivo = FXml.size() < 4096 && FXml.find('<') == std::string::npos && FileExists(FXml);
  return FUtils->Unescape(arquivo ? FUtils->LoadFromFileUTF8(FXml) : FXml);
}

void TmoxDadosImpressaoEvento::Set(const char* aField, const std::string& aValue) {
  FDataSet.FieldByName(aField).SetAsString(aValue);
}

TmoxCCeDadosImpressao::TmoxCCeDadosImpressao(TmoxKivoUtils* aUtils) : TmoxDadosImpressaoEvento(aUtils) {
  DatasetCreateFields();
}

void TmoxCCeDadosImpressao::DatasetCreateFields() {
  CriarCampos({{"CNPJ", 255}, {"chNFe", 255}, {"nProt", 255}, {"dhRegEvento", 255}, {"nSeqEvento", 255},
               {"xCorrecao", 1000}, {"cOrgao", 255}, {"LogotipoEmitente", 255}, {"CPFCNPJDest", 14}});
}

void TmoxCCeDadosImpressao::ObterDados() {
  std::string xml = TextoDoEvento();
  for (const char* tag : {"CNPJ", "chNFe", "nProt", "nSeqEvento", "cOrgao"}) Set(tag, GetValueTag(tag, xml));
  std::string registro = GetValueTag("dhRegEvento", xml);
  Set("dhRegEvento", registro.empty() ? std::string() : FormatDateTimeBR(FUtils->XsdDateTimeToDateTime(registro)));
  Set("xCorrecao", TrocaDelimitador(GetValueTag("xCorrecao", xml), fLineDelimiter, "\r\n"));
  std::string dest = GetValueTag("CNPJDest", xml);
  Set("CPFCNPJDest", dest.empty() ? GetValueTag("CPFDest", xml) : dest);
}

TmoxCancDadosImpressao::TmoxCancDadosImpressao(TmoxKivoUtils* aUtils) : TmoxDadosImpressaoEvento(aUtils) {
  DatasetCreateFields();
}

void TmoxCancDadosImpressao::DatasetCreateFields() {
  std::vector<std::pair<const char*, int>> campos;
  for (const char* c : {"ChaveCancelamento", "CodOrgao", "ChaveNFe", "DataHoraPedido", "NumSeqEvento",
                        "NumProtAutorizacaoNFe", "Justificativa", "TipoEvento", "Motivo", "DataHoraRegistro",
                        "NumProtCancelamento"})
    campos.emplace_back(c, 255);
  CriarCampos(campos);
}

void TmoxCancDadosImpressao::ObterDados() {
  std::string xml = TextoDoEvento();
  Set("ChaveCancelamento", TmoxNFeXmlUtils::GetXMLAttribute(xml, "infEvento", "Id"));
  Set("CodOrgao", GetValueTag("cOrgao", xml));
  Set("ChaveNFe", GetValueTag("chNFe", xml));
  Set("DataHoraPedido", GetValueTag("dhEvento", xml));
  Set("NumSeqEvento", GetValueTag("nSeqEvento", xml));
  Set("NumProtAutorizacaoNFe", GetValueTag("nProt", xml));
  Set("Justificativa", GetValueTag("xJust", xml));
  Set("TipoEvento", GetValueTag("tpEvento", xml));
  Set("Motivo", GetValueTag("xMotivo", xml));
  Set("DataHoraRegistro", GetValueTag("dhRegEvento", xml));
  std::string protocolo;
  try {
    FUtils->XPathSelectSingleNode(xml, "//*[local-name()=\"retEvento\"]/*[local-name()=\"infEvento\"]/*[local-name()=\"nProt\"]",
                                  protocolo);
  } catch (const std::exception&) {
    protocolo.clear();
  }
  Set("NumProtCancelamento", protocolo);
}

}  // namespace mox
