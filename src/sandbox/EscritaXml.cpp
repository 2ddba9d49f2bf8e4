#include "sandbox/EscritaXml.h"

#include "external/TmoxKivoUtils.h"
#include "external/XmlEscape.h"

namespace mox::sandbox {

std::string ElementoXml(const std::string& aNome, const std::string& aTexto) {
  return "<" + aNome + ">" + EscapeXmlText(aTexto) + "</" + aNome + ">";
}

std::string ElementoCNPJCPF(const std::string& aDocumento, const std::string& aSufixo) {
  return ElementoXml((aDocumento.size() == 11 ? "CPF" : "CNPJ") + aSufixo, aDocumento);
}

std::string DocumentoNFe(const std::string& aNome, const std::string& aVersao, const std::string& aConteudo) {
  return "<" + aNome + " xmlns=\"" + TmoxKivoUtils::kNFeNamespace + "\" versao=\"" + aVersao + "\">" + aConteudo +
         "</" + aNome + ">";
}

std::string IdEvento(const std::string& aTipoEvento, const std::string& aChave, int aSequencia) {
  return "ID" + aTipoEvento + aChave + (aSequencia >= 0 && aSequencia < 10 ? "0" : "") + std::to_string(aSequencia);
}

}  // namespace mox::sandbox
