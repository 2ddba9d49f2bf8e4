#pragma once
// The SOAP side of a request and of its answer. SEFAZ services take SOAP 1.2 (and SOAP 1.1 from
// older clients): a header nfeCabecMsg with cUF and versaoDados, and the request document in
// nfeDadosMsg (or its gzip in base64 in nfeDadosMsgZip), all in the service's namespace. The
// first generation of services (layout 1.10) has no SOAP header: the body is the operation's
// element holding two texts, nfeCabecMsg (a cabecMsg document with versaoDados) and nfeDadosMsg.
#include <stdexcept>
#include <string>

namespace mox::sandbox {

// The HTTP body is not a SOAP request at all: answered with a SOAP fault, not a ret document.
class ESoapInvalido : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct TPedidoSoap {
  std::string Acao;            // SOAP action, from the content type or SOAPAction; may be empty
  bool Soap12 = true;
  std::string NamespaceCorpo;  // namespace of the body's element
  std::string ElementoCorpo;   // nfeDadosMsg, nfeDadosMsgZip or nfeDistDFeInteresse
  bool TemCabecalho = false;
  bool TemCUF = false, TemVersaoDados = false;
  std::string CUF, VersaoDados;
  // The request document as a text of its own (namespaces it uses declared on it); for
  // nfeDadosMsgZip the base64 text. Empty when nfeDadosMsg held nothing.
  std::string Dados;
  bool Compactado = false;
  // The first generation's form: ElementoCorpo is the operation and CabecMsg the header's text.
  bool PrimeiraGeracao = false;
  std::string CabecMsg;
};

// Raises ESoapInvalido when the body is not a SOAP envelope with a recognised body element.
TPedidoSoap LePedidoSoap(const std::string& aCorpo, const std::string& aTipoConteudo, const std::string& aSoapAction);

// The answer's envelope: header nfeCabecMsg (when aCUF is not empty) and the ret document in
// the result element, both in the service's namespace. aComResposta wraps the result element
// in "<acao>Response" as the DF-e distribution does.
std::string RespostaSoap(const std::string& aNamespace, const std::string& aElementoResultado,
                         const std::string& aCUF, const std::string& aVersaoDados, const std::string& aRet,
                         bool aSoap12, const std::string& aElementoResposta = {});

// A SOAP fault; aRemetente: the fault is the client's (Sender) rather than the server's.
std::string FalhaSoap(const std::string& aMotivo, bool aRemetente, bool aSoap12);

}  // namespace mox::sandbox
