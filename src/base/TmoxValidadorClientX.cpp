#include "base/TmoxValidadorClientX.h"

#include "base/EmoxException.h"
#include "external/TmoxIniFile.h"
#include "external/moxPaths.h"

namespace mox {

namespace {

constexpr const char* kSecao = "VALIDADOR";

// The numbers the validation control takes for each choice.
int Numero(TmoxValidadorClientX::TEstagio a) { return a == TmoxValidadorClientX::TEstagio::esTeste ? 2 : 1; }
int Numero(TmoxValidadorClientX::TResposta a) { return a == TmoxValidadorClientX::TResposta::trJSON ? 1 : 0; }
int Numero(TmoxValidadorClientX::TModoOperacao a) {
  return a == TmoxValidadorClientX::TModoOperacao::moCliente ? 1 : 0;
}
int Numero(TmoxValidadorClientX::TLinguagem a) {
  return a == TmoxValidadorClientX::TLinguagem::tlJavaScript ? 1 : 0;
}

}  // namespace

void TmoxValidadorClientX::LoadConfig(const std::string& aConfiINI) {
  if (aConfiINI.empty() || !FileExists(aConfiINI))
    throw EmoxNFeValidadorClientOCXException::CreateFmt("Arquivo %s não foi encontrado", {aConfiINI},
                                                        FDiretorioLogErro);
  const TmoxIniFile ini(aConfiINI);
  auto texto = [&](const char* aChave, const std::string& aAtual) { return ini.ReadString(kSecao, aChave, aAtual); };
  auto inteiro = [&](const char* aChave, long long aAtual) {
    return static_cast<int>(ini.ReadInteger(kSecao, aChave, aAtual));
  };
  FSenha = texto("Senha", FSenha);
  FLogin = texto("Login", FLogin);
  FServidor = texto("Servidor", FServidor);
  FExibirRegrasValidacao = ini.ReadBool(kSecao, "ExibirRegrasValidacao", FExibirRegrasValidacao);
  FAtualizarRegrasAutomaticamente =
      ini.ReadBool(kSecao, "AtualizarRegrasAutomaticamente", FAtualizarRegrasAutomaticamente);
  FCodigoProduto = inteiro("CodigoProduto", FCodigoProduto);
  FEstagio = inteiro("Estagio", Numero(FEstagio)) == 2 ? TEstagio::esTeste : TEstagio::esProducao;
  FTemplateHtml = texto("TemplateHtml", FTemplateHtml);
  FHeigthHtml = inteiro("HeigthHtml", FHeigthHtml);
  FWidthHtml = inteiro("WidthHtml", FWidthHtml);
  FHtmlBaseUrl = texto("HtmlBaseUrl", FHtmlBaseUrl);
  FTipoResposta = inteiro("TipoResposta", Numero(FTipoResposta)) == 1 ? TResposta::trJSON : TResposta::trTexto;
  FLinguagemResposta =
      inteiro("LinguagemResposta", Numero(FLinguagemResposta)) == 1 ? TLinguagem::tlJavaScript : TLinguagem::tlHtml;
  FModoOperacao =
      inteiro("ModoOperacao", Numero(FModoOperacao)) == 1 ? TModoOperacao::moCliente : TModoOperacao::moLocal;
  FDiretorioEsquemas = texto("DiretorioEsquemas", FDiretorioEsquemas);
  FDiretorioTemplates = texto("DiretorioTemplates", FDiretorioTemplates);
  FDiretorioRegras = texto("DiretorioRegras", FDiretorioRegras);
  FDiretorioLogErro = texto("DiretorioLogErro", FDiretorioLogErro);
  FUsuarioProxy = texto("UsuarioProxy", FUsuarioProxy);
  FSenhaProxy = texto("SenhaProxy", FSenhaProxy);
  FServidorProxy = texto("ServidorProxy", FServidorProxy);
  FPortaProxy = inteiro("PortaProxy", FPortaProxy);
}

void TmoxValidadorClientX::SaveConfig(const std::string& aConfiINI) {
  if (aConfiINI.empty())
    throw EmoxNFeValidadorClientOCXException("Informe o arquivo em que salvar a configuração do validador.",
                                             FDiretorioLogErro);
  TmoxIniFile ini(aConfiINI);
  ini.WriteString(kSecao, "Senha", FSenha);
  ini.WriteString(kSecao, "Login", FLogin);
  ini.WriteString(kSecao, "Servidor", FServidor);
  ini.WriteBool(kSecao, "ExibirRegrasValidacao", FExibirRegrasValidacao);
  ini.WriteBool(kSecao, "AtualizarRegrasAutomaticamente", FAtualizarRegrasAutomaticamente);
  ini.WriteInteger(kSecao, "CodigoProduto", FCodigoProduto);
  ini.WriteInteger(kSecao, "Estagio", Numero(FEstagio));
  ini.WriteString(kSecao, "TemplateHtml", FTemplateHtml);
  ini.WriteInteger(kSecao, "HeigthHtml", FHeigthHtml);
  ini.WriteInteger(kSecao, "WidthHtml", FWidthHtml);
  ini.WriteString(kSecao, "HtmlBaseUrl", FHtmlBaseUrl);
  ini.WriteInteger(kSecao, "TipoResposta", Numero(FTipoResposta));
  ini.WriteInteger(kSecao, "LinguagemResposta", Numero(FLinguagemResposta));
  ini.WriteInteger(kSecao, "ModoOperacao", Numero(FModoOperacao));
  ini.WriteString(kSecao, "DiretorioEsquemas", FDiretorioEsquemas);
  ini.WriteString(kSecao, "DiretorioTemplates", FDiretorioTemplates);
  ini.WriteString(kSecao, "DiretorioRegras", FDiretorioRegras);
  ini.WriteString(kSecao, "DiretorioLogErro", FDiretorioLogErro);
  ini.WriteString(kSecao, "UsuarioProxy", FUsuarioProxy);
  ini.WriteString(kSecao, "SenhaProxy", FSenhaProxy);
  ini.WriteString(kSecao, "ServidorProxy", FServidorProxy);
  ini.WriteInteger(kSecao, "PortaProxy", FPortaProxy);
  try {
    ini.UpdateFile();
  } catch (const std::exception& e) {
    throw EmoxNFeValidadorClientOCXException("Erro ao salvar a configuração do validador: " + std::string(e.what()),
                                             FDiretorioLogErro);
  }
}

}  // namespace mox
