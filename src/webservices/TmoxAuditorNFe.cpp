#include "webservices/TmoxAuditorNFe.h"

#include "base/EmoxException.h"
#include "external/FileIO.h"
#include "external/Utf8Text.h"
#include "external/moxPaths.h"
#include "webservices/moxAuditoriaHtml.h"
#include "webservices/moxAuditoriaNFe.h"

namespace mox {

namespace {

using json = nlohmann::ordered_json;

std::string Valor(const json& aObjeto, const char* aChave) {
  if (!aObjeto.contains(aChave)) return {};
  const json& valor = aObjeto[aChave];
  return valor.is_string() ? valor.get<std::string>() : valor.dump();
}

// "Situação: rejeitada (2 falhas)", then one failure per part, each as
// "[origem código] linha N | regra R, campo C: mensagem".
std::string Texto(const json& aResposta, const std::string& aDelimitador) {
  const std::string separador = aDelimitador.empty() ? "\n" : aDelimitador;
  std::string texto = "Situação: " + Valor(aResposta, "situacao") + " (" + Valor(aResposta, "totalRejeicao") +
                      " falha(s))";
  for (const json& falha : aResposta["falhas"]) {
    texto += separador + "[" + Valor(falha, "origem") + " " + Valor(falha, "codigo") + "]";
    if (falha.contains("regra")) texto += " regra " + Valor(falha, "regra");
    if (falha.contains("linha") && falha["linha"] != 0) texto += " linha " + Valor(falha, "linha");
    if (!Valor(falha, "campo").empty()) texto += ", campo " + Valor(falha, "campo");
    texto += ": " + Valor(falha, "mensagem");
  }
  return texto;
}

}  // namespace

TmoxAuditorNFe::TmoxAuditorNFe() = default;
TmoxAuditorNFe::~TmoxAuditorNFe() = default;

std::string TmoxAuditorNFe::ValidarXml(const std::string& aXml, const std::string& aDelimitador) {
  if (ModoOperacao() == TModoOperacao::moCliente)
    throw EmoxNFeComunicacaoValidadorNotaException(
        "O modo cliente envia o XML a um servidor de validação remoto, que não faz parte deste sistema: use o modo "
        "local (moLocal), que audita a nota nesta máquina.",
        DiretorioLogErro());
  const json resposta = AuditarNFe(aXml, {DiretorioEsquemas(), DiretorioTemplates(), DiretorioRegras(), DiretorioLogErro()},
                                   {ExibirRegrasValidacao(), FRelogio});
  SetTotalRejeicao(Valor(resposta, "totalRejeicao"));
  if (LinguagemResposta() == TLinguagem::tlHtml) return Html(resposta.dump());
  if (TipoResposta() == TResposta::trTexto) return Texto(resposta, aDelimitador);
  return resposta.dump(2, ' ', false, json::error_handler_t::replace);
}

std::string TmoxAuditorNFe::Html(const std::string& aJSON) const {
  const json resposta = json::parse(aJSON, nullptr, false);
  if (resposta.is_discarded() || !resposta.is_object() || !resposta.contains("falhas"))
    throw EmoxNFeValidadorClientOCXException("O texto informado não é uma resposta da auditoria em JSON.",
                                             DiretorioLogErro());
  TOpcoesHtml opcoes{WidthHtml(), HeigthHtml(), HtmlBaseUrl(), {}};
  if (!TemplateHtml().empty()) {
    const std::string arquivo =
        IsAbsolutePath(NormalizeSeparators(TemplateHtml())) ? TemplateHtml() : WithTrailingSlash(DiretorioTemplates()) + TemplateHtml();
    if (!FileExists(arquivo))
      throw EmoxNFeValidadorClientOCXException::CreateFmt("Modelo HTML %s não encontrado.", {arquivo},
                                                          DiretorioLogErro());
    opcoes.Modelo = RemoveUtf8Bom(ReadFileBytes(arquivo));
  }
  return HtmlDaAuditoria(resposta, opcoes);
}

void TmoxAuditorNFe::ShowHtml(const std::string& aJSON) {
  const std::string pagina = Html(aJSON);
  if (!OnExibirHtml)
    throw EmoxNFeValidadorClientOCXException(
        "Nenhuma janela foi definida para exibir o HTML da auditoria (OnExibirHtml).", DiretorioLogErro());
  OnExibirHtml(pagina, WidthHtml(), HeigthHtml());
}

void TmoxAuditorNFe::DownloadRegras() {
  throw EmoxNFeValidadorClientOCXException(
      ModoOperacao() == TModoOperacao::moCliente
          ? "O modo cliente baixa as regras de um servidor de validação remoto, que não faz parte deste sistema."
          : "As regras da auditoria local fazem parte do componente e se atualizam com ele: não há regras a baixar.",
      DiretorioLogErro());
}

}  // namespace mox
