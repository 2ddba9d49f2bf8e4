// Cancellation of an authorized note by event (110111) and the recipient's manifestation
// (210200, 210210, 210220, 210240), each with the recipient's file when registered.
#include <filesystem>

#include "base/EmoxException.h"
#include "base/moxEnumTexts.h"
#include "base/moxFormat.h"
#include "events/TmoxEventosXMLUtils.h"
#include "events/TmoxEventosXmlDestinatario.h"
#include "events/TmoxNFeEventos.h"
#include "external/TmoxKivoUtils.h"
#include "utils/TmoxNFeXmlCancelamentoDestinatario.h"
#include "external/Utf8Text.h"
#include "utils/moxCodigoUF.h"

namespace mox {

namespace {

// The first cStat under retEvento.
std::string StatusDoEvento(TmoxKivoUtils& aUtils, const std::string& aResposta) {
  std::string status;
  if (aUtils.IsValidXml(aResposta))
    aUtils.XPathSelectSingleNode(aResposta, "//*[local-name()=\"retEvento\"]//*[local-name()=\"cStat\"]", status);
  return status;
}

const char* SufixoManifestacao(int aCodigo) {
  switch (aCodigo) {
    case 210200: return "-co-mde.xml";
    case 210210: return "-ci-mde.xml";
    case 210220: return "-do-mde.xml";
    default: return "-or-mde.xml";
  }
}

}  // namespace

std::string TmoxNFeEventos::CancelarNFeEvento(const std::string& aIdLote, const std::string& aNotaID,
                                              const std::string& aNumProtocolo, const std::string& aJustificativa,
                                              const std::string& aDataHoraEvento, int aSequenciaEvento,
                                              const std::string& aFusoHorario) {
  const std::string fuso = aFusoHorario.empty() ? "-03:00" : aFusoHorario;
  CheckParamsEventos(aDataHoraEvento, fuso, aNotaID);
  if (Aparar(aNumProtocolo).empty())
    throw EmoxNFeEventosNumeroProtException("Código do Protocolo não pode ser vazio.", DiretorioLogErro);
  const std::string lote = aIdLote.empty() ? "1" : aIdLote;
  FTpEvento = "110111";
  const std::string evento = moxFormat(
      LoadTemplate("evento_cancelar.xml"),
      {GerarIdEvento(aNotaID, aSequenciaEvento), GetCodeUF(UF), CodigoAmbiente(), CNPJ, aNotaID,
       FormataDataHoraEvento(aDataHoraEvento, fuso) + fuso, "110111", std::to_string(aSequenciaEvento), aNumProtocolo,
       aJustificativa});
  const std::string assinado = RemoveEspacosAssinatura(AssinarEvento(evento));
  const std::string resposta = CancelarEvento(lote, aNotaID, assinado, "", "");
  const std::string status = StatusDoEvento(Utils(), resposta);
  if ((status == "135" || status == "155") && Utils().SaveLogToFile()) {
    TmoxNFeEventoXmlCancelamentoDestinatario destinatario;
    destinatario.SetLogPedCanc(assinado);
    destinatario.SetLogRetCanc(resposta);
    destinatario.SetTemplate(LoadTemplate("cancxmlevento_dest.xml"));
    destinatario.SetIdNFe("110111" + aNotaID + "01");
    const std::string xml = destinatario.GerarXmlCancelamentoDestinatario();
    if (!Aparar(xml).empty()) {
      const std::string pasta = PastaExpandida(DiretorioXmlDestinatario);
      std::filesystem::create_directories(pasta);
      const std::string arquivo = pasta + aNotaID + "-caneve.xml";
      GravaXmlComBom(arquivo, xml);
      if (OnXmlCanDestinatario) OnXmlCanDestinatario(arquivo);
    }
  }
  return resposta;
}

std::string TmoxNFeEventos::ManifestacaoDestinatario(int aTpEvento, const std::string& aChaveNFe,
                                                     const std::string& aCNPJCPF, const std::string& aJustificativa,
                                                     const std::string& aDHEvento, const std::string& aFusoHorario,
                                                     int /*aSequenciaEvento: the manifestation is always the 1st*/) {
  static constexpr int kCodigos[] = {210200, 210210, 210220, 210240};
  if (aTpEvento < 1 || aTpEvento > 4)
    throw EmoxNFeEventosTipoEventoException("Tipo do evento inválido.Apenas 1,2,3 e 4 são aceitos", DiretorioLogErro);
  const int codigo = kCodigos[aTpEvento - 1];
  const std::string fuso = aFusoHorario.empty() ? "-03:00" : aFusoHorario;
  CheckParamsEventos(aDHEvento, fuso, aChaveNFe);
  if (codigo == 210240 && CodePointCount(Aparar(aJustificativa)) < 15)
    throw EmoxNFeEventosJustificativaInvalidException("Justificativa deve possuir no mínimo 15 caracteres.",
                                                      DiretorioLogErro);
  try {
    FTpEvento = std::to_string(codigo);
    const std::string id = GerarIdEvento(aChaveNFe, 1);
    std::string modelo;
    if (aCNPJCPF.size() == 14) {
      if (!Utils().ValidateCNPJ(aCNPJCPF)) throw EmoxNFeEventosCNPJInvalidException("CNPJ é inválido.", DiretorioLogErro);
      modelo = LoadTemplate("evento_manifestacaodestinatariocnpj.xml");
    } else if (aCNPJCPF.size() == 11) {
      if (!Utils().ValidateCPF(aCNPJCPF)) throw EmoxNFeEventosCPFInvalidException("CPF é inválido.", DiretorioLogErro);
      modelo = LoadTemplate("evento_manifestacaodestinatariocpf.xml");
    } else {
      throw EmoxNFeEventosCNPJCPFInvalidException("Campo CNPJ/CPF é inválido.", DiretorioLogErro);
    }
    FmtArgs argumentos{id, GetCodeUF(UF), CodigoAmbiente(), aCNPJCPF, aChaveNFe,
                       FormataDataHoraEvento(aDHEvento, fuso) + fuso, FTpEvento, "1",
                       GetDescricaoManifestacao(static_cast<TTipoManifestacaoDestinatario>(codigo))};
    if (codigo == 210240) {
      argumentos.emplace_back(aJustificativa);
    } else {
      modelo = TrocaTodos(modelo, "<xJust>%s</xJust>", "");
    }
    const std::string assinado = RemoveEspacosAssinatura(AssinarEvento(moxFormat(modelo, argumentos)));
    const std::string resposta = EnviarEvento("1", "envio_manifestacaodestinatario.xml", "ENVIOMANDEST", assinado,
                                              "mandest-env", "mandest-ret");
    const std::string status = StatusDoEvento(Utils(), resposta);
    if (status == "135" || status == "136") {
      TmoxNFeEventoXmlManifestacaoDestinatario destinatario;
      destinatario.SetTipoEvento(FTpEvento);
      destinatario.SetLogPedMan(assinado);
      destinatario.SetLogRetMan(resposta);
      destinatario.SetTemplate(LoadTemplate("manxmlevento_dest.xml"));
      destinatario.SetIdNFe(FTpEvento + aChaveNFe + "01");
      const std::string xml = destinatario.GerarXmlManifestacaoDestinatario();
      if (!Aparar(xml).empty() && Utils().SaveLogToFile()) {
        const std::string pasta = PastaExpandida(DiretorioXmlDestinatario);
        std::filesystem::create_directories(pasta);
        const std::string arquivo = pasta + aChaveNFe + SufixoManifestacao(codigo);
        GravaXmlComBom(arquivo, xml);
        if (OnXmlManDestinatario) OnXmlManDestinatario(arquivo);
      }
    }
    return resposta;
  } catch (const std::exception& e) {
    throw EmoxNFeEventosException::CreateFmt(
        "Um problema foi encontrado durante o Envio de Manifestação do Destinatário: \"%s\"", {e.what()},
        DiretorioLogErro);
  }
}

}  // namespace mox
