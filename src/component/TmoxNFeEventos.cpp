// The component's event and DF-e operations: each copies the component's settings into the
// event object and forwards, wrapping failures with the operation's prefix where it has one.
#include "base/EmoxException.h"
#include "base/moxEnumTexts.h"
#include "component/TmoxNFe.h"
#include "danfe/TmoxNFeDanfe.h"
#include "external/TmoxKivoUtils.h"

namespace mox {

namespace {

template <class F>
std::string ComPrefixo(const char* aPrefixo, const std::string& aDiretorioLogErro, F&& aOperacao) {
  try {
    return aOperacao();
  } catch (const std::exception& e) {
    throw EmoxNFeException(aPrefixo + std::string(e.what()), aDiretorioLogErro);
  }
}

}  // namespace

TmoxNFeEventos& TmoxNFe::GetNFeEventos() {
  if (!FNFeEventos)
    FNFeEventos = std::make_unique<TmoxNFeEventos>(GetKivo(), GetKivoUtils(), &EmailSettings(), DiretorioLogErro());
  return *FNFeEventos;
}

void TmoxNFe::AtualizaDadosNFeEventos() {
  GetKivo();  // pushes the signer and HTTP settings into the services server
  TmoxNFeEventos& e = GetNFeEventos();
  e.CNPJ = CNPJ();
  e.UF = UF();
  e.UFWS = UF();
  e.ArquivoServidoresHom = ArquivoServidoresHom();
  e.ArquivoServidoresProd = ArquivoServidoresProd();
  e.DiretorioEsquemas = DiretorioEsquemas();
  e.DiretorioTemplates = DiretorioTemplates();
  e.DiretorioLog = DiretorioLog();
  e.VersaoManual = VersaoManual();
  e.Ambiente = Ambiente();
  e.ValidarEsquemaAntesEnvio = ValidarEsquemaAntesEnvio();
  e.DiretorioXmlDestinatario = DiretorioXmlDestinatario();
  e.DiretorioTemporario = DiretorioTemporario();
  e.AnexarDanfePDF = AnexarDanfePDF();
  e.DiretorioDownloads = DiretorioDownloads();
  e.OnXmlCanDestinatario = OnXmlCanDestinatario;
  e.ImpressaoCCeSettings.QtdeCopias = DanfeSettings().QtdeCopias();
  e.ImpressaoCCeSettings.LogotipoEmitente = DanfeSettings().LogotipoEmitente();
  e.ImpressaoCCeSettings.ModeloRTM = DanfeSettings().ModeloRTMCCe();
  e.ImpressaoCCeSettings.LineDelimiter = DanfeSettings().LineDelimiter();
  e.DanfeNFe = GetDanfeNFe();
  e.OnSalvarComo = OnSalvarComo;
  e.DiretorioLogErro = DiretorioLogErro();
  e.OnDownloadNFe = OnDownloadNFe;
  e.OnLog = OnLog;
  e.ModoOperacao = ModoOperacao();
}

std::string TmoxNFe::MontarXmlCCe(const std::string& aChaveNFe, const std::string& aTextoCorrecao,
                                  const std::string& aDataHoraEvento, const std::string& aOrgao, int aSequenciaEvento,
                                  const std::string& aFusoHorario) {
  AtualizaDadosNFeEventos();
  return FNFeEventos->MontarXmlCCe(aChaveNFe, aTextoCorrecao, aDataHoraEvento, aOrgao, aSequenciaEvento,
                                   aFusoHorario);
}

std::string TmoxNFe::AssinarCCe(const std::string& aXmlCCe) {
  AtualizaDadosNFeEventos();
  return FNFeEventos->AssinarCCe(aXmlCCe);
}

std::string TmoxNFe::EnviarCCe(const std::string& aNotaID, const std::string& aTextoCorrecao,
                               const std::string& aDataHoraEvento, const std::string& aOrgao,
                               const std::string& aIdLote, int aSequenciaEvento, const std::string& aFusoHorario) {
  return ComPrefixo("Erro ao enviar CCe: ", DiretorioLogErro(), [&] {
    AtualizaDadosNFeEventos();
    const std::string correcao = GetKivoUtils().DynamicRemoveAccents(aTextoCorrecao, CaracteresRemoverAcentos());
    return FNFeEventos->EnviarCCe(aNotaID, correcao, aDataHoraEvento, aOrgao, aIdLote, aSequenciaEvento,
                                  aFusoHorario);
  });
}

std::string TmoxNFe::EnviarCCe(const std::string& aIdLote, const std::string& aXmlCCe) {
  return ComPrefixo("Erro ao enviar CCe: ", DiretorioLogErro(), [&] {
    AtualizaDadosNFeEventos();
    return FNFeEventos->EnviarCCe(aIdLote, aXmlCCe);
  });
}

std::string TmoxNFe::CancelarNFeEvento(const std::string& aNotaID, const std::string& aNumProtocolo,
                                       const std::string& aJustificativa, const std::string& aDataHoraEvento,
                                       int aSequenciaEvento, const std::string& aFusoHorario,
                                       const std::string& aIdLote) {
  AtualizaDadosNFeEventos();
  TmoxKivoUtils& utils = GetKivoUtils();
  const std::string justificativa = utils.Escape(utils.DynamicRemoveAccents(aJustificativa, CaracteresRemoverAcentos()));
  return FNFeEventos->CancelarNFeEvento(aIdLote, aNotaID, aNumProtocolo, justificativa, aDataHoraEvento,
                                        aSequenciaEvento, aFusoHorario);
}

std::string TmoxNFe::EnviarManifestacaoDestinatario(int aTpEvento, const std::string& aNotaID,
                                                    const std::string& aCNPJCPF, const std::string& aJustificativa,
                                                    const std::string& aDataHoraEvento, int aSequenciaEvento,
                                                    const std::string& aFusoHorario, const std::string& aCOrgao) {
  AtualizaDadosNFeEventos();
  if (aCOrgao == "91") FNFeEventos->UF = FNFeEventos->UFWS = "AN";
  TmoxKivoUtils& utils = GetKivoUtils();
  const std::string justificativa = utils.Escape(utils.DynamicRemoveAccents(aJustificativa, CaracteresRemoverAcentos()));
  return FNFeEventos->ManifestacaoDestinatario(aTpEvento, aNotaID, aCNPJCPF, justificativa, aDataHoraEvento,
                                               aFusoHorario, aSequenciaEvento);
}

std::string TmoxNFe::MontarEPEC(const std::string& aIdLote, const std::string& aXmlEnvio,
                                const std::string& aDHEvento, const std::string& aFusoHorario) {
  AtualizaDadosNFeEventos();
  return FNFeEventos->MontarXmlEPEC(aIdLote, aXmlEnvio, aDHEvento, aFusoHorario);
}

std::string TmoxNFe::AssinarEPEC(const std::string& aXMLEpec) {
  AtualizaDadosNFeEventos();
  return FNFeEventos->AssinarEPEC(aXMLEpec);
}

std::string TmoxNFe::EnviarEPEC(const std::string& aXMLEpecAssinado) {
  return ComPrefixo("Erro ao enviar EPEC: ", DiretorioLogErro(), [&] {
    AtualizaDadosNFeEventos();
    FNFeEventos->UF = FNFeEventos->UFWS = "AN";
    return FNFeEventos->EnviarEPEC(aXMLEpecAssinado);
  });
}

void TmoxNFe::AdicionarItens(const std::string& aNumItens, const std::string& aQtdeItens) {
  GetNFeEventos().ItensQuantidade.AdicionarItens(aNumItens, aQtdeItens);
}

std::string TmoxNFe::EnviarPedidoProrrogacao(const std::string& aIdLote, const std::string& aXmlPedProrrogacao) {
  return ComPrefixo("Erro ao enviar o Pedido de Prorrogação: ", DiretorioLogErro(), [&] {
    AtualizaDadosNFeEventos();
    return FNFeEventos->EnviarPedidoProrrogacao(aIdLote, aXmlPedProrrogacao);
  });
}

std::string TmoxNFe::EnviarPedidoProrrogacao(const std::string& aIdLote, const std::string& aChaveNFe,
                                             const std::string& aNumProtocolo, const std::string& aDataHoraEvento,
                                             const std::string& aOrgao, TTipoPedidoProrrogacao aTpEvento,
                                             int aSequenciaEvento, const std::string& aFusoHorario) {
  return ComPrefixo("Erro ao enviar o Pedido de Prorrogação: ", DiretorioLogErro(), [&] {
    AtualizaDadosNFeEventos();
    std::string resposta =
        FNFeEventos->EnviarPedidoProrrogacao(aIdLote, aChaveNFe, aNumProtocolo, aDataHoraEvento, aOrgao,
                                             tpEvePedProrrogacaoToStr(aTpEvento), aSequenciaEvento, aFusoHorario);
    FNFeEventos->ItensQuantidade.LimparLista();
    return resposta;
  });
}

std::string TmoxNFe::CancelarPedidoProrrogacao(const std::string& aIdLote, const std::string& aChaveNFe,
                                               const std::string& aNumProtocolo, const std::string& aDataHoraEvento,
                                               TTipoCancelamentoPedidoProrrogacao aTpEvento, int aSequenciaEvento,
                                               const std::string& aFusoHorario) {
  return ComPrefixo("Erro ao enviar o cancelamento do Pedido de Prorrogação: ", DiretorioLogErro(), [&] {
    AtualizaDadosNFeEventos();
    return FNFeEventos->CancelarPedidoProrrogacao(aIdLote, aChaveNFe, aNumProtocolo, aDataHoraEvento,
                                                  tpEveCanPedProrrogacaoToStr(aTpEvento), aSequenciaEvento,
                                                  aFusoHorario);
  });
}

std::string TmoxNFe::EnviarEventoFisco(const std::string& aIdLote, const std::string& aChaveNFe,
                                       const std::string& aIdPedido, const TRespostaFisco& aResposta,
                                       const std::string& aDataHoraEvento, const std::string& aOrgao,
                                       const std::string& aTpEvento, int aSequenciaEvento,
                                       const std::string& aFusoHorario) {
  return ComPrefixo("Erro ao enviar o evento do Fisco: ", DiretorioLogErro(), [&] {
    AtualizaDadosNFeEventos();
    return FNFeEventos->EnviarEventoFisco(aIdLote, aChaveNFe, aIdPedido, aResposta, aDataHoraEvento, aOrgao,
                                          aTpEvento, aSequenciaEvento, aFusoHorario);
  });
}

std::string TmoxNFe::ConsultarDistribuicaoDFe(const std::string& aCodigoUF, const std::string& aCNPJCPF,
                                              const std::string& aNSU, TNSUKind aTipoNSU) {
  AtualizaDadosNFeEventos();
  return FNFeEventos->ConsultarDistribuicaoDFe(aCodigoUF, aCNPJCPF, aNSU, aTipoNSU);
}

std::string TmoxNFe::ConsultarNFeDestinadas(int aIndNFe, int aIndEmi, const std::string& aUltNSU) {
  AtualizaDadosNFeEventos();
  return FNFeEventos->ConsultarNFeDestinadas(aIndNFe, aIndEmi, aUltNSU);
}

std::string TmoxNFe::DownloadNFe(const std::string& aChaves, const std::string& aCOrgao) {
  AtualizaDadosNFeEventos();
  if (aCOrgao == "91") FNFeEventos->UF = FNFeEventos->UFWS = "AN";
  return FNFeEventos->DownloadNFe(aChaves);
}

}  // namespace mox
