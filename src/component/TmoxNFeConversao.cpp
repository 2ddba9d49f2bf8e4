// The component's conversions: text batches to XML and XML to data sets through the converter
// front, and the XML inside a compressed DF-e document.
#include "base/EmoxException.h"
#include "base/moxEnumTexts.h"
#include "component/TmoxNFe.h"
#include "datasets/TmoxNFeConverter.h"
#include "datasets/TmoxNFeDataSets.h"
#include "external/AsciiCase.h"
#include "external/TmoxKivoUtils.h"
#include "external/TextSplit.h"
#include "external/moxPaths.h"

namespace mox {

std::string TmoxNFe::ConverterLoteParaXml(const std::string& ArquivoLoteTxt, TLayoutConvKind aLayoutConv,
                                          TVersaoEsquema aVersaoEsquema, bool aExportacao) {
  UpdateNFeData();
  ChecarVersaoEsquema(VersaoEsquemaToStr(aVersaoEsquema));
  TmoxNFeConverter& conversor = GetConversor();
  return conversor.ConvertToXml(ArquivoLoteTxt, GetVersaoNota(), aLayoutConv, aVersaoEsquema, aExportacao);
}

std::unique_ptr<TmoxNFeDataSets> TmoxNFe::ConverteXmlparaDataSet(const std::string& aXml,
                                                                  TVersaoEsquema aVersaoEsquema) {
  try {
    const bool arquivo = aXml.find('<') == std::string::npos && FileExists(aXml);
    const std::string xml = arquivo ? GetKivoUtils().LoadFromFileUTF8(aXml) : aXml;
    // A layout 3.10 note read with the package before it takes the 3.10 package.
    TVersaoEsquema versao = aVersaoEsquema;
    if (versao == TVersaoEsquema::pl_006s && ContainsIgnoreCase(xml, "versao=\"3.10\"")) versao = TVersaoEsquema::pl_008i1;
    return GetConversor().ConvertXmlToDataSet(xml, "", versao, false);
  } catch (const std::exception& e) {
    throw EmoxNFeDataSetException(
        "Ocorreu um erro durante a conversão do XML com a seguinte mensagem: " + std::string(e.what()),
        DiretorioLogErro());
  }
}

std::string TmoxNFe::DescompactarXMLZip(const std::string& aXML) {
  try {
    std::string xml = GetKivoUtils().DecompressBase64Gz(Trim(aXML));
    if (xml.empty())
      throw EmoxNFeDescompactarXMLException("Verifique se o conteúdo informado é um xml compactado válido");
    return xml;
  } catch (const std::exception& e) {
    throw EmoxNFeDescompactarXMLException("Ocorreu um erro ao descompactar o XML: " + std::string(e.what()));
  }
}

void TmoxNFe::GerarNotasAleatorias(int /*Qtde*/, const std::string& /*CNPJ*/) {
  throw EmoxNFeException("Este método está obsoleto.", DiretorioLogErro());
}

}  // namespace mox
