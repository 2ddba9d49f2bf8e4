#include "sandbox/AtendimentoSoap.h"

#include <chrono>
#include <exception>
#include <optional>

#include "external/XmlEscape.h"
#include "sandbox/CabecalhoDocumento.h"
#include "sandbox/RotasSandbox.h"

namespace mox::sandbox {

namespace {

const char* TipoSoap(bool aSoap12) {
  return aSoap12 ? "application/soap+xml; charset=utf-8" : "text/xml; charset=utf-8";
}

TRespostaHttp Falha(int aStatus, const std::string& aMotivo, bool aRemetente, bool aSoap12, const std::string& aOnde) {
  return {aStatus, FalhaSoap(aMotivo, aRemetente, aSoap12), TipoSoap(aSoap12), aOnde + " falha SOAP: " + aMotivo};
}

// The body element the action expects: the compressed actions take nfeDadosMsgZip, those of the
// first generation their own operation element.
bool CorpoConfere(const TRota& aRota, const TPedidoSoap& aSoap) {
  if (aRota.PrimeiraGeracao)
    return aSoap.PrimeiraGeracao && aRota.ElementoResultado(aSoap.Acao) == aSoap.ElementoCorpo + "Result";
  if (aRota.Distribuicao) return aSoap.ElementoCorpo == "nfeDistDFeInteresse" || aSoap.ElementoCorpo == "nfeDadosMsg";
  const bool compactada = aSoap.Acao.size() >= 3 && aSoap.Acao.compare(aSoap.Acao.size() - 3, 3, "Zip") == 0;
  return aSoap.ElementoCorpo == (compactada ? "nfeDadosMsgZip" : "nfeDadosMsg");
}

}  // namespace

TRespostaHttp AtendeRequisicao(const TRequisicaoHttp& aRequisicao, TRecursos& aRecursos) {
  const std::string& caminho = aRequisicao.Caminho;
  const size_t barra = caminho.find('/', 4);
  std::optional<TSecao> secao;
  const TRota* rota = nullptr;
  if (caminho.compare(0, 4, "/ws/") == 0 && barra != std::string::npos) {
    secao = SecaoPorNome(caminho.substr(4, barra - 4));
    rota = RotaDoServico(caminho.substr(barra + 1));
  }
  if (!secao || !rota || !rota->OferecidaEm(*secao))
    return {404, "Serviço não encontrado: " + caminho + "\n", "text/plain; charset=utf-8", caminho + " não encontrado"};

  const std::string onde = secao->Nome + " " + rota->Servico;
  TPedidoSoap soap;
  try {
    soap = LePedidoSoap(aRequisicao.Corpo, aRequisicao.TipoConteudo, aRequisicao.SoapAction);
  } catch (const ESoapInvalido& e) {
    return Falha(400, e.what(), true, true, onde);
  }
  if (rota->Leiaute400) CabecalhoDoDocumento(soap, *secao);
  const std::string resultado = rota->ElementoResultado(soap.Acao);
  if (resultado.empty()) return Falha(400, "Ação SOAP não reconhecida pelo serviço: " + soap.Acao, true, soap.Soap12, onde);
  if (soap.NamespaceCorpo != rota->Namespace() || !CorpoConfere(*rota, soap))
    return Falha(400, "O corpo SOAP não é o esperado pela ação: " + soap.ElementoCorpo + " em " + soap.NamespaceCorpo,
                 true, soap.Soap12, onde);

  TResposta resposta;
  try {
    resposta = rota->Atende(TChamada{*secao, rota->Servico, soap, aRequisicao.Transmissor,
                                     std::chrono::system_clock::now()},
                            aRecursos);
  } catch (const std::exception& e) {
    return Falha(500, std::string("Erro interno do sandbox: ") + e.what(), false, soap.Soap12, onde);
  }
  TRespostaHttp http;
  const bool semCabecalho = rota->Distribuicao || rota->Leiaute400;
  if (rota->PrimeiraGeracao)
    http.Corpo = RespostaSoap(rota->Namespace(), resultado, "", "", EscapeAsText(resposta.Ret), soap.Soap12,
                              soap.ElementoCorpo + "Response");
  else
    http.Corpo = RespostaSoap(rota->Namespace(), resultado, semCabecalho ? "" : resposta.CUF, resposta.VersaoDados,
                              resposta.Ret, soap.Soap12, rota->Distribuicao ? "nfeDistDFeInteresseResponse" : "");
  http.TipoConteudo = TipoSoap(soap.Soap12);
  http.LoteRecebido = rota->Atende == AtendeEnvioLote && (resposta.CStat == 103 || resposta.CStat == 104);
  http.ConsultaAtendida = rota->Atende == AtendeConsultaRecibo || rota->Atende == AtendeConsultaNF;
  http.DistribuicaoAtendida = rota->Atende == AtendeDistribuicaoDFe;
  http.Registro = onde + " " + std::to_string(resposta.CStat) + " " + resposta.XMotivo +
                  (resposta.Detalhe.empty() ? "" : " (" + resposta.Detalhe + ")");
  return http;
}

}  // namespace mox::sandbox
