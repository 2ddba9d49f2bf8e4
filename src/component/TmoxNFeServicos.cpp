// Service status, invoice query, request-form cancellation, number voiding and the taxpayer
// registry: checks in their fixed order, the request built (and signed where the service wants
// it), validated, logged and posted, the answer logged and returned.
#include <chrono>

#include "base/EmoxException.h"
#include "base/moxEnumTexts.h"
#include "base/moxFormat.h"
#include "component/TmoxNFe.h"
#include "external/AsciiCase.h"
#include "external/TmoxKivoUtils.h"
#include "external/Utf8Text.h"
#include "utils/TmoxNFeXmlCancelamentoDestinatario.h"
#include "utils/moxChaveNFe.h"
#include "utils/moxCodigoUF.h"
#include "utils/moxXmlLookup.h"
#include "webservices/TmoxNFEInterface.h"
#include "webservices/moxHoraSefaz.h"

namespace mox {

namespace {

bool Entre(const std::string& aCStat, std::initializer_list<const char*> aCodigos) {
  for (const char* c : aCodigos)
    if (aCStat == c) return true;
  return false;
}

bool Inteiro(const std::string& aTexto, long long& aValor) {
  if (aTexto.empty() || aTexto.size() > 18 || aTexto.find_first_not_of("0123456789") != std::string::npos)
    return false;
  aValor = std::stoll(aTexto);
  return true;
}

// The snapshot's UF and UF code replaced for one post, restored on every path.
class UFDoPedido {
 public:
  UFDoPedido(TNFeData& aDados, const std::string& aUF) : dados_(aDados), uf_(aDados.UF), codigo_(aDados.LocalCode) {
    dados_.UF = aUF;
    dados_.LocalCode = GetCodeUF(aUF);
  }
  ~UFDoPedido() {
    dados_.UF = uf_;
    dados_.LocalCode = codigo_;
  }
  UFDoPedido(const UFDoPedido&) = delete;
  UFDoPedido& operator=(const UFDoPedido&) = delete;

 private:
  TNFeData& dados_;
  std::string uf_, codigo_;
};

}  // namespace

std::string TmoxNFe::StatusDoServico() {
  UpdateNFeData();
  CheckCertificate();
  GetKivo();
  UpdateNFeData();
  const std::string pedido = GetNFE().GetPedido_Status();
  ValidarXMLNFe(pedido, "STATUS");
  Log(pedido, "ped-sta", "");
  const std::string resposta = Posta("Erro ao consultar status do serviço: ",
                                     [](TmoxNFEInterface& aConstrutor) { return aConstrutor.StatusDoServico(); });
  Log(resposta, "sta", "");
  return resposta;
}

std::string TmoxNFe::ConsultarNF(const std::string& aNotaID) {
  UpdateNFeData();
  CheckCertificate();
  if (GetKivoUtils().RemoveAccents(aNotaID) != aNotaID)
    throw EmoxNFeCheckParams::CreateFmt("ID da Nota não pode conter acentos: %s", {aNotaID}, DiretorioLogErro());
  GetKivo();
  UpdateNFeData();
  const std::string pedido = GetNFE().GetPedido_ConsultarNF(aNotaID);
  ValidarXMLNFe(pedido, "CONSULTANF");
  const std::string resposta = Posta("Erro ao consultar NF-e: ", [&](TmoxNFEInterface& aConstrutor) {
    return aConstrutor.ConsultarNF(aNotaID);
  });
  // Logged only once SEFAZ answered: a failed query leaves nothing behind.
  Log(pedido, "ped-sit", aNotaID);
  const std::string nomeLog = GetKivoUtils().GetLogFileName("sit", aNotaID);
  Log(resposta, "sit", aNotaID, nomeLog);
  if (SalvarLogsEmDisco() && Entre(GetValueTag("cStat", resposta), {"100", "110", "301", "302", "150"}))
    GerarXMLDestinatario(aNotaID, nomeLog);
  return resposta;
}

std::string TmoxNFe::CancelarNF(const std::string& aNotaID, const std::string& aNumProtocolo,
                                const std::string& aJustificativa) {
  UpdateNFeData();
  CheckCertificate();
  TmoxKivoUtils& utils = GetKivoUtils();
  if (utils.RemoveAccents(aNumProtocolo) != aNumProtocolo)
    throw EmoxNFeCheckParams::CreateFmt("Numero do Protocolo não pode conter acentos: %s", {aNumProtocolo},
                                        DiretorioLogErro());
  if (utils.RemoveAccents(aNotaID) != aNotaID)
    throw EmoxNFeCheckParams::CreateFmt("O ID da Nota não pode conter acento: %s", {aNotaID}, DiretorioLogErro());
  if (CodePointCount(aJustificativa) < 15)
    throw EmoxNFeCheckParams::CreateFmt("Justificativa deve conter no mínimo 15 caracteres: %s", {aJustificativa},
                                        DiretorioLogErro());
  if (CodePointCount(aNumProtocolo) != 15)
    throw EmoxNFeCheckParams::CreateFmt("Protocolo deve ter exatamente 15 dígitos: %s", {aNumProtocolo},
                                        DiretorioLogErro());

  // The justification is escaped here, so a "<" or "&" typed by the user reaches SEFAZ as text.
  const std::string grupo =
      moxFormat(LoadTemplate("infcanc_cancelarnf.xml"),
                {"ID" + aNotaID, GetTipoAmbiente(Ambiente()), aNotaID, aNumProtocolo, EscapeCaracteres(aJustificativa)});
  const std::string documento = utils.Escape(
      utils.DynamicRemoveAccents(moxFormat(LoadTemplate("assinar_cancelamento.xml"), {grupo, ""}),
                                 CaracteresRemoverAcentos()));
  const std::string assinado = AssinarDocumento(documento, "infCanc", GetReferenceInfo(documento));
  ValidarXMLNFe(assinado, "CANCELAMENTO");

  const std::string nomePedido = utils.GetLogFileName("ped-can", aNotaID);
  Log(assinado, "ped-can", aNotaID, nomePedido);
  const std::string resposta = Posta("Erro ao cancelar NF-e: ", [&](TmoxNFEInterface& aConstrutor) {
    return aConstrutor.CancelarNF(assinado);
  });
  const std::string nomeResposta = utils.GetLogFileName("can", aNotaID);
  Log(resposta, "can", aNotaID, nomeResposta);
  // The recipient's document is made from the logs on disk.
  if (SalvarLogsEmDisco()) GerarCancelamentoDestinatario(aNotaID, nomePedido, nomeResposta);
  return resposta;
}

void TmoxNFe::GerarCancelamentoDestinatario(const std::string& aNotaID, const std::string& aLogPedido,
                                            const std::string& aLogResposta) {
  TmoxKivoUtils& utils = GetKivoUtils();
  const std::string resposta = utils.LoadFromFileUTF8(DiretorioLog() + aLogResposta);
  if (!Entre(GetValueTag("cStat", resposta), {"101", "151"})) return;
  const std::string destino = DiretorioXmlDestinatario() + aNotaID + "-can.xml";
  const std::string pedido = utils.LoadFromFileUTF8(DiretorioLog() + aLogPedido);
  mox::GerarXMLCancelamentoDestinatario(aNotaID, pedido, resposta, DiretorioLog(), DiretorioTemplates(), UF(),
                                        DiretorioXmlDestinatario(), destino);
  if (OnXmlCanDestinatario) OnXmlCanDestinatario(destino);
}

std::string TmoxNFe::FormaIDInutilizacao(const std::string& aAno, const std::string& aCNPJ, const std::string& aModelo,
                                         const std::string& aSerie, const std::string& aNFIni,
                                         const std::string& aNFFin) {
  TmoxKivoUtils& utils = GetKivoUtils();
  const std::string resto =
      aCNPJ + aModelo + utils.Czro(aSerie, 3) + utils.Czro(aNFIni, 9) + utils.Czro(aNFFin, 9);
  // The year entered the id with manual 4.0 and stays in every later one.
  const TVersaoManual versao = VersaoManual();
  if (versao == TVersaoManual::vm202a || versao == TVersaoManual::vm30) return GetLocalCode() + resto;
  if (versao >= TVersaoManual::vm40) {
    if (CodePointCount(aAno) != 2)
      throw EmoxNFeIDInutilizacao("O Ano informado na Inutilização deve possuir exatamente 2 dígitos.",
                                  DiretorioLogErro());
    return GetLocalCode() + aAno + resto;
  }
  throw EmoxNFeIDInutilizacao::CreateFmt("Cálculo da ID de Inutilização não foi implementada para a versão (%s).",
                                         {VersaoManualToStr(VersaoManual())}, DiretorioLogErro());
}

std::string TmoxNFe::InutilizarNF(const std::string&, const std::string& aAno, const std::string& aCNPJ,
                                  const std::string& aModelo, const std::string& aSerie, const std::string& aNFIni,
                                  const std::string& aNFFin, const std::string& aJustificativa) {
  UpdateNFeData();
  const std::string id = FormaIDInutilizacao(aAno, aCNPJ, aModelo, aSerie, aNFIni, aNFFin);
  CheckCertificate();
  TmoxKivoUtils& utils = GetKivoUtils();
  const std::pair<const char*, const std::string*> acentos[] = {
      {"O Id da Nota não pode conter acento: %s", &id},  {"O Ano não pode conter acento: %s", &aAno},
      {"O CNPJ não pode conter acento: %s", &aCNPJ},      {"O Modelo não pode conter acento: %s", &aModelo},
      {"O Série não pode conter acento: %s", &aSerie},
  };
  for (const auto& [mensagem, valor] : acentos)
    if (utils.RemoveAccents(*valor) != *valor)
      throw EmoxNFeCheckParams::CreateFmt(mensagem, {*valor}, DiretorioLogErro());
  const std::string anoAtual = Ano2(std::chrono::system_clock::now());
  long long ano = 0, inicio = 0, fim = 0;
  if (!Inteiro(aAno, ano))
    throw EmoxNFeCheckParams::CreateFmt("O Ano informado não é um número inteiro: %s", {aAno}, DiretorioLogErro());
  if (ano < 6 || ano > std::stoll(anoAtual))
    throw EmoxNFeCheckParams::CreateFmt("O Ano deve ser entre %s e %s", {"06", anoAtual}, DiretorioLogErro());
  if (Inteiro(aNFIni, inicio) && Inteiro(aNFFin, fim) && fim - inicio > 10000)
    throw EmoxNFeRuleException(
        "[I04]: 201 - Rejeição: Número máximo de numeração a inutilizar ultrapassou o limite (10000).",
        DiretorioLogErro());

  const std::string grupo = moxFormat(LoadTemplate("infinut_inutilizarnf.xml"),
                                      {"ID" + id, GetTipoAmbiente(Ambiente()), GetLocalCode(), aAno, aCNPJ, aModelo,
                                       aSerie, aNFIni, aNFFin, EscapeCaracteres(aJustificativa)});
  const std::string documento = utils.Escape(
      utils.DynamicRemoveAccents(moxFormat(LoadTemplate("assinar_inutilizacao.xml"), {grupo, ""}),
                                 CaracteresRemoverAcentos()));
  const std::string assinado = AssinarDocumento(documento, "infInut", GetReferenceInfo(documento));
  GetKivo();
  UpdateNFeData();
  // Validated and logged as the builder wraps it, once.
  const std::string pedido = GetNFE().GetPedido_InutilizarNF(assinado);
  ValidarXMLNFe(pedido, "INUTILIZACAO");
  const std::string idLog = aAno + aCNPJ + aModelo + aSerie + aNFIni + aNFFin;
  Log(pedido, "ped-inu", idLog);
  const std::string resposta = Posta("Erro ao inutilizar NF-e: ", [&](TmoxNFEInterface& aConstrutor) {
    return aConstrutor.InutilizarNF(assinado);
  });
  Log(resposta, "inu", idLog);
  return resposta;
}

std::string TmoxNFe::ConsultarCadastro(const std::string& aDocumento, const std::string& aTpDocumento,
                                       const std::string& aUF) {
  // Written as the schema wants it, as SetUF keeps the configured one.
  const std::string uf = aUF.empty() ? UF() : UpperAscii(aUF);
  UpdateNFeData();
  CheckCertificate();
  const size_t tamanho = CodePointCount(aDocumento);
  if (aTpDocumento == "CNPJ" && tamanho != 14)
    throw EmoxCheckParams::CreateFmt("O CNPJ %s deve conter exatamente 14 dígitos.", {aDocumento}, DiretorioLogErro());
  if (aTpDocumento == "CPF" && tamanho != 11)
    throw EmoxCheckParams::CreateFmt("O CPF %s deve conter exatamente 11 dígitos.", {aDocumento}, DiretorioLogErro());
  if (aTpDocumento == "IE" && tamanho < 3)
    throw EmoxCheckParams::CreateFmt("A Inscrição Estadual %s deve conter pelo menos 3 dígitos.", {aDocumento},
                                     DiretorioLogErro());
  if (aTpDocumento != "CNPJ" && aTpDocumento != "CPF" && aTpDocumento != "IE")
    throw EmoxCheckParams::CreateFmt("Tipo de Documento: %s inválido. Informe: [CNPJ, CPF ou IE]", {aTpDocumento},
                                     DiretorioLogErro());
  const std::string elemento =
      moxFormat("<%s>%s</%s>", {aTpDocumento, EscapeCaracteres(aDocumento), aTpDocumento});

  GetKivo();
  UpdateNFeData();
  std::string pedido;
  {
    UFDoPedido noUF(fNFeData, uf);
    pedido = GetNFE().GetPedido_ConsultaCadastro(uf, elemento);
  }
  ValidarXMLNFe(pedido, "CONSULTACADASTRO");
  // The endpoint is looked up in the section of the UF asked for.
  const std::string resposta = Posta("Erro ao consultar cadastro: ", [&](TmoxNFEInterface& aConstrutor) {
    UFDoPedido noUF(aConstrutor.NFeData(), uf);
    return aConstrutor.ConsultarCadastro(uf, elemento);
  });
  Log(pedido, "ped-cad", aDocumento);
  Log(resposta, "cad", aDocumento);
  return resposta;
}

std::string TmoxNFe::CalculaChaveNFe(const std::string& aDtEmissao, const std::string& aUF, const std::string& aCNPJ,
                                     const std::string& aModelo, const std::string& aSerie,
                                     const std::string& aNRNota, const std::string& aCodSistema,
                                     const std::string& aTpEmis) {
  UpdateNFeData();
  if (ChaveTemTpEmis(VersaoManual()))
    return CalculaChave(aDtEmissao, aUF, aCNPJ, aModelo, aSerie, aNRNota, aTpEmis, aCodSistema);
  return CalculaChave(aDtEmissao, aUF, aCNPJ, aModelo, aSerie, aNRNota, aCodSistema);
}

}  // namespace mox
