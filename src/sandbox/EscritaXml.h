#pragma once
// How the sandbox writes its answers: elements without blanks between them, in the NF-e
// namespace, text escaped.
#include <string>

namespace mox::sandbox {

// "<aNome>texto</aNome>", the text escaped.
std::string ElementoXml(const std::string& aNome, const std::string& aTexto);
// "<CNPJ>..</CNPJ>" for 14 digits, "<CPF>..</CPF>" for 11; aSufixo makes "CNPJDest" and the like.
std::string ElementoCNPJCPF(const std::string& aDocumento, const std::string& aSufixo = {});
// A document of the NF-e namespace: "<aNome xmlns=... versao=aVersao>aConteudo</aNome>".
std::string DocumentoNFe(const std::string& aNome, const std::string& aVersao, const std::string& aConteudo);
// "ID" + event type + key + two-digit sequence.
std::string IdEvento(const std::string& aTipoEvento, const std::string& aChave, int aSequencia);

}  // namespace mox::sandbox
