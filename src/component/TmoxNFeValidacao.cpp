// The component's schema validation: its settings handed to the validation routines, the
// validator's errors kept in ErrosValidador.
#include "component/TmoxNFe.h"
#include "external/TmoxKivoUtils.h"
#include "webservices/moxValidacaoEsquema.h"
#include "webservices/moxValidacaoLote.h"

namespace mox {

std::string TmoxCustomNFe::GetXSDFileName(const std::string& aMethodName) {
  return mox::GetXSDFileName(DiretorioEsquemas(), aMethodName, DiretorioLogErro());
}

void TmoxCustomNFe::ValidarXMLNFe(const std::string& aXML, const std::string& aMethodName) {
  mox::ValidarXMLNFe(GetKivoUtils(), aXML, aMethodName, DiretorioEsquemas(), FErrosValidador, DiretorioLogErro());
}

void TmoxNFe::ValidarTamanhoArquivoEnvio(const std::string& aLoteNotas) {
  mox::ValidarTamanhoArquivoEnvio(aLoteNotas, MaxSizeLoteEnvio());
}

TContextoValidacao TmoxNFe::ContextoValidacao() {
  return {GetKivoUtils(),
          DiretorioEsquemas(),
          DiretorioLogErro(),
          CaracteresRemoverAcentos(),
          ValidarEsquemaAntesEnvio(),
          MaxSizeLoteEnvio(),
          [this](const std::string& aNome) { return LoadTemplate(aNome); },
          [this] { CheckCertificate(); }};
}

void TmoxNFe::ValidarLoteItem(const std::string& aNumLote, const std::string& aLoteNotas) {
  mox::ValidarLoteItem(aNumLote, aLoteNotas, ContextoValidacao(), ErrosValidadorEmUso());
}

std::string TmoxNFe::ValidarLoteParaEnvio(const std::string& aNumLote, const std::string& aLoteNotas) {
  return mox::ValidarLoteParaEnvio(aNumLote, aLoteNotas, ContextoValidacao(), ErrosValidadorEmUso());
}

bool TmoxNFe::ValidarArquivoXmlDestinatario(const std::string& aXml, std::vector<std::string>* aErrorList) {
  const std::vector<std::string> erros = ErrosXmlDestinatario(aXml, GetKivoUtils(), DiretorioEsquemas(), DiretorioLogErro());
  if (aErrorList) *aErrorList = erros;
  return erros.empty();
}

}  // namespace mox
