#include "external/SystemErrorText.h"

#include <curl/curl.h>

#include <cerrno>

namespace mox {

std::string SystemErrorText(int aErrno) {
  switch (aErrno) {
    case ENOENT: return "arquivo ou pasta não existe";
    case EACCES: return "permissão negada";
    case EPERM: return "operação não permitida";
    case EEXIST: return "já existe";
    case ENOTDIR: return "um trecho do caminho não é uma pasta";
    case EISDIR: return "é uma pasta";
    case ENOTEMPTY: return "a pasta não está vazia";
    case ENOSPC: return "não há espaço no disco";
    case EDQUOT: return "a cota de disco acabou";
    case EROFS: return "o sistema de arquivos é somente leitura";
    case EMFILE:
    case ENFILE: return "arquivos abertos demais";
    case ENAMETOOLONG: return "nome longo demais";
    case ELOOP: return "ligações simbólicas em círculo";
    case EIO: return "erro de leitura ou gravação no dispositivo";
    case EBUSY: return "em uso";
    case EXDEV: return "em outro sistema de arquivos";
    case EINVAL: return "valor inválido";
    case ECONNREFUSED: return "conexão recusada";
    case ETIMEDOUT: return "tempo esgotado";
    case EADDRINUSE: return "endereço em uso";
    case ENOMEM: return "memória insuficiente";
    default: return "erro do sistema " + std::to_string(aErrno);
  }
}

std::string SystemErrorText(const std::error_code& aError) {
  if (aError.category() == std::system_category() || aError.category() == std::generic_category())
    return SystemErrorText(aError.value());
  return aError.message();
}

namespace {

bool Contains(const std::string& aText, const char* aPart) { return aText.find(aPart) != std::string::npos; }

// OpenSSL's reasons a server's certificate is refused, in the user's words.
std::string TlsCause(const std::string& aDetail) {
  if (Contains(aDetail, "unable to get local issuer") || Contains(aDetail, "self-signed") ||
      Contains(aDetail, "self signed"))
    return ": autoridade certificadora desconhecida (informe a cadeia em --ca ou HttpSettings.CABundle)";
  if (Contains(aDetail, "expired")) return ": certificado vencido";
  if (Contains(aDetail, "not yet valid")) return ": certificado ainda não válido";
  if (Contains(aDetail, "host name") || Contains(aDetail, "subject name") || Contains(aDetail, "hostname"))
    return ": o nome do servidor não confere com o certificado";
  return "";
}

}  // namespace

std::string CurlErrorText(int aCode, const std::string& aDetail) {
  switch (static_cast<CURLcode>(aCode)) {
    case CURLE_OK: return "sem erro";
    case CURLE_UNSUPPORTED_PROTOCOL: return "protocolo não suportado";
    case CURLE_URL_MALFORMAT: return "endereço malformado";
    case CURLE_COULDNT_RESOLVE_PROXY: return "endereço do proxy não encontrado";
    case CURLE_COULDNT_RESOLVE_HOST: return "endereço do servidor não encontrado";
    case CURLE_COULDNT_CONNECT: return "conexão recusada ou servidor inacessível";
    case CURLE_OPERATION_TIMEDOUT: return "tempo esgotado";
    case CURLE_SEND_ERROR: return "falha ao enviar os dados";
    case CURLE_RECV_ERROR: return "falha ao receber os dados (a conexão caiu)";
    case CURLE_GOT_NOTHING: return "o servidor fechou a conexão sem responder";
    case CURLE_WRITE_ERROR: return "falha ao guardar a resposta";
    case CURLE_OUT_OF_MEMORY: return "memória insuficiente";
    case CURLE_TOO_MANY_REDIRECTS: return "redirecionamentos demais";
    case CURLE_LOGIN_DENIED: return "usuário ou senha recusados";
    case CURLE_REMOTE_ACCESS_DENIED: return "acesso negado pelo servidor";
    case CURLE_BAD_CONTENT_ENCODING: return "resposta com compactação inválida";
    case CURLE_ABORTED_BY_CALLBACK: return "transferência interrompida";
    case CURLE_SSL_CONNECT_ERROR: return "falha na negociação TLS" + TlsCause(aDetail);
    case CURLE_PEER_FAILED_VERIFICATION: return "o certificado do servidor não foi aceito" + TlsCause(aDetail);
    case CURLE_SSL_CERTPROBLEM: return "o certificado do cliente não pôde ser usado";
    case CURLE_SSL_CIPHER: return "nenhuma cifra TLS em comum com o servidor";
    case CURLE_SSL_CACERT_BADFILE: return "o arquivo das autoridades certificadoras não pôde ser lido";
    case CURLE_SSL_ENGINE_NOTFOUND:
    case CURLE_SSL_ENGINE_SETFAILED:
    case CURLE_SSL_ENGINE_INITFAILED: return "falha ao preparar o TLS";
    default: return "falha de comunicação (código " + std::to_string(aCode) + " do libcurl)";
  }
}

}  // namespace mox
