// EPEC (110140): one event per note of a lot, with the note's figures, sent in contingency to
// the national environment.
#include <vector>

#include "base/EmoxException.h"
#include "base/moxFormat.h"
#include "events/TmoxEventosXMLUtils.h"
#include "events/TmoxNFeEventos.h"
#include "external/TmoxKivoUtils.h"
#include "utils/moxNFePaths.h"
#include "utils/moxXmlLookup.h"

namespace mox {

namespace {

std::string SemCaixa(std::string aTexto) {
  for (char& c : aTexto) c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c);
  return aTexto;
}

// aNome in the folder above the manual version's.
std::string SemVersao(std::string aPasta, const char* aNome) {
  RemoveVersaoManualDoPath(aPasta);
  aPasta.append(aNome);
  return aPasta;
}

// "<CPF>..</CPF>" for 11 characters, "<CNPJ>..</CNPJ>" for 14; otherwise aErro.
std::string ElementoDocumento(const std::string& aDocumento, const char* aErro, const std::string& aLogErro) {
  if (aDocumento.size() == 11) return "<CPF>" + aDocumento + "</CPF>";
  if (aDocumento.size() == 14) return "<CNPJ>" + aDocumento + "</CNPJ>";
  throw EmoxEventoCheckParams(aErro, aLogErro);
}

}  // namespace

std::string TmoxNFeEventos::MontarXmlEPEC(const std::string& aIdLote, const std::string& aXmlEnvio,
                                          const std::string& aDHEvento, const std::string& aFusoHorario) {
  ValidarParams(!SomenteNumero(aIdLote), "idLote deve conter apenas números.");
  CheckCNPJ();
  ValidarParams(!ValidaDataHoraEvento(aDHEvento), "Data/Hora do evento inválida");
  ValidarParams(!ValidaFusoHorario(aFusoHorario),
                "Fuso Horario do evento inválido, o valor deve ser no formato -HH:MM");
  FTpEvento = "110140";
  std::string modeloLote, modeloEvento;
  try {
    modeloLote = LoadTemplate(SemVersao(DiretorioTemplates, "epec/envio.xml"));
    modeloEvento = LoadTemplate(SemVersao(DiretorioTemplates, "epec/evento.xml"));
  } catch (const std::exception& e) {
    throw EmoxEventosException::CreateFmt(
        "Um problema foi encontrado durante a geração do XML de evento EPEC: \"%s\"", {e.what()}, DiretorioLogErro);
  }
  TmoxKivoUtils& u = Utils();
  std::vector<std::string> notas;
  if (u.IsValidXml(aXmlEnvio)) u.XPathSelectNodes(aXmlEnvio, "//*[local-name()=\"infNFe\"]", notas);
  std::string eventos;
  for (const std::string& nota : notas) {
    try {
      std::string id;
      u.XPathSelectSingleNode(nota, "/*/@Id", id);
      const std::string chave = TrocaTodos(id, "NFe", "");
      CheckChave(chave);
      std::string destinatario, ieDestinatario;
      const std::string ufDest = u.GetValueTag("UF", nota, "enderDest");
      if (SemCaixa(ufDest) == "EX") {
        destinatario = "<idEstrangeiro></idEstrangeiro>";
      } else {
        std::string doc = u.GetValueTag("CNPJ", nota, "dest");
        if (doc.empty()) doc = u.GetValueTag("CPF", nota, "dest");
        destinatario = ElementoDocumento(doc, "CNPJ/CPF do destinatário é inválido", DiretorioLogErro);
        const std::string ie = u.GetValueTag("IE", nota, "dest");
        if (!ie.empty() && SemCaixa(ie) != "ISENTO") ieDestinatario = "<IE>" + ie + "</IE>";
      }
      std::string dhEmi = u.GetValueTag("dhEmi", nota);
      if (dhEmi.empty())
        dhEmi = u.GetValueTag("dEmi", nota) + "T" + (aDHEvento.size() > 11 ? aDHEvento.substr(11, 8) : "") + aFusoHorario;
      std::string emitente = u.GetValueTag("CNPJ", nota, "emit");
      if (emitente.empty()) emitente = u.GetValueTag("CPF", nota, "emit");
      const std::string docEmitente = ElementoDocumento(emitente, "CNPJ/CPF do emitente é inválido", DiretorioLogErro);
      eventos += moxFormat(modeloEvento,
                           {GerarIdEvento(chave, 1), CodigoAmbiente(), docEmitente, chave, aDHEvento + aFusoHorario,
                            CodigoLocal(u.GetValueTag("UF", nota, "enderEmit")), dhEmi, u.GetValueTag("tpNF", nota),
                            u.GetValueTag("IE", nota, "emit"), ufDest, destinatario, ieDestinatario,
                            u.GetValueTag("vNF", nota), u.GetValueTag("vICMS", nota, "ICMSTot"),
                            u.GetValueTag("vST", nota)});
    } catch (const std::exception& e) {
      throw EmoxEventoCheckParams(
          std::string("Não foi possível montar o EPEC da nota porque o xml de entrada é inválido. Erro: ") + e.what(),
          DiretorioLogErro);
    }
  }
  return moxFormat(modeloLote, {aIdLote, eventos});
}

std::string TmoxNFeEventos::AssinarEPEC(const std::string& aXmlEPEC) {
  const std::string assinado = AssinarEvento(aXmlEPEC);
  const std::string idLote = Utils().GetValueTag("idLote", aXmlEPEC);
  const std::string lote = idLote.empty() ? std::string("1") : idLote;
  try {
    return moxFormat(LoadTemplate(SemVersao(DiretorioTemplates, "epec/envio.xml")), {lote, assinado});
  } catch (const std::exception& e) {
    throw EmoxEventosException::CreateFmt(
        "Um problema foi encontrado durante a geração do XML de evento EPEC: \"%s\"", {e.what()}, DiretorioLogErro);
  }
}

std::string TmoxNFeEventos::EnviarEPEC(const std::string& aXmlEPECAssinado) {
  ValidarTamanhoArquivoEnvio(aXmlEPECAssinado, 500);
  if (!ValidaAssinatura(aXmlEPECAssinado))
    throw EmoxEventoInvalidSigner("A nota não possui assinatura", DiretorioLogErro);
  if (ValidarEsquemaAntesEnvio) {
    try {
      Utils().ValidateSchema(aXmlEPECAssinado, GetURIEsquema(), SemVersao(DiretorioEsquemas, "epec/envEPEC_v1.00.xsd"));
    } catch (const std::exception& e) {
      throw EmoxSchemaValidationException(e.what(), DiretorioLogErro);
    }
  }
  std::string lote = Utils().GetValueTag("idLote", aXmlEPECAssinado);
  const std::string nomeEnv = Utils().GetLogFileName("epec-env", lote);
  Utils().Log(aXmlEPECAssinado, "epec-env", lote, nomeEnv, DiretorioLog);
  const std::string resposta = EnviarPorSoap(Utils().Escape(aXmlEPECAssinado));
  const std::string nomeRet = Utils().GetLogFileName("epec-ret", lote);
  Utils().Log(resposta, "epec-ret", lote, nomeRet, DiretorioLog);
  std::string status;
  if (Utils().IsValidXml(resposta))
    Utils().XPathSelectSingleNode(resposta,
                                  "//*[local-name()=\"retEvento\"]/*[local-name()=\"infEvento\"]/*[local-name()=\"cStat\"]",
                                  status);
  const std::string pastaLog = PastaExpandida(DiretorioLog);
  if (status == "136" && Utils().SaveLogToFile()) {
    const std::string chave = Utils().GetValueTag("chNFe", resposta);
    GerarXMLEventoDestinatario(chave, pastaLog + nomeEnv, pastaLog + nomeRet,
                               PastaExpandida(DiretorioXmlDestinatario) + chave + "-epec.xml",
                               DiretorioTemplates + UF + "/manxmlevento_dest.xml");
  }
  return resposta;
}

}  // namespace mox
