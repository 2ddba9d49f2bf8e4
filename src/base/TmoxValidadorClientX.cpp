#include "base/TmoxValidadorClientX.h"

#include "base/EmoxException.h"
#include "external/TmoxIniFile.h"
#include "external/moxPaths.h"

namespace mox {

namespace {

constexpr const char* kSecao = "VALIDADOR";

}  // namespace

// Every property kept in the configuration file, each with its key, read or written alike.
// Choices are kept as the numbers the validation control takes.
void TmoxValidadorClientX::PercorreConfig(TCampoConfig& aCampo) {
  aCampo.Texto("Senha", FSenha);
  aCampo.Texto("Login", FLogin);
  aCampo.Texto("Servidor", FServidor);
  aCampo.Logico("ExibirRegrasValidacao", FExibirRegrasValidacao);
  aCampo.Logico("AtualizarRegrasAutomaticamente", FAtualizarRegrasAutomaticamente);
  aCampo.Inteiro("CodigoProduto", FCodigoProduto);
  aCampo.Escolha("Estagio", FEstagio, {1, 2});
  aCampo.Texto("TemplateHtml", FTemplateHtml);
  aCampo.Inteiro("HeigthHtml", FHeigthHtml);
  aCampo.Inteiro("WidthHtml", FWidthHtml);
  aCampo.Texto("HtmlBaseUrl", FHtmlBaseUrl);
  aCampo.Escolha("TipoResposta", FTipoResposta, {1, 0});
  aCampo.Escolha("LinguagemResposta", FLinguagemResposta, {0, 1});
  aCampo.Escolha("ModoOperacao", FModoOperacao, {0, 1});
  aCampo.Texto("DiretorioEsquemas", FDiretorioEsquemas);
  aCampo.Texto("DiretorioTemplates", FDiretorioTemplates);
  aCampo.Texto("DiretorioRegras", FDiretorioRegras);
  aCampo.Texto("DiretorioLogErro", FDiretorioLogErro);
  aCampo.Texto("UsuarioProxy", FUsuarioProxy);
  aCampo.Texto("SenhaProxy", FSenhaProxy);
  aCampo.Texto("ServidorProxy", FServidorProxy);
  aCampo.Inteiro("PortaProxy", FPortaProxy);
}

void TmoxValidadorClientX::LoadConfig(const std::string& aConfiINI) {
  if (aConfiINI.empty() || !FileExists(aConfiINI))
    throw EmoxNFeValidadorClientOCXException::CreateFmt("Arquivo %s não foi encontrado", {aConfiINI},
                                                        FDiretorioLogErro);
  struct TLeitura final : TCampoConfig {
    explicit TLeitura(const std::string& aArquivo) : ini(aArquivo) {}
    void Texto(const char* aChave, std::string& aValor) override { aValor = ini.ReadString(kSecao, aChave, aValor); }
    void Inteiro(const char* aChave, int& aValor) override {
      aValor = static_cast<int>(ini.ReadInteger(kSecao, aChave, aValor));
    }
    void Logico(const char* aChave, bool& aValor) override { aValor = ini.ReadBool(kSecao, aChave, aValor); }
    const TmoxIniFile ini;
  } leitura(aConfiINI);
  PercorreConfig(leitura);
}

void TmoxValidadorClientX::SaveConfig(const std::string& aConfiINI) {
  if (aConfiINI.empty())
    throw EmoxNFeValidadorClientOCXException("Informe o arquivo em que salvar a configuração do validador.",
                                             FDiretorioLogErro);
  struct TEscrita final : TCampoConfig {
    explicit TEscrita(const std::string& aArquivo) : ini(aArquivo) {}
    void Texto(const char* aChave, std::string& aValor) override { ini.WriteString(kSecao, aChave, aValor); }
    void Inteiro(const char* aChave, int& aValor) override { ini.WriteInteger(kSecao, aChave, aValor); }
    void Logico(const char* aChave, bool& aValor) override { ini.WriteBool(kSecao, aChave, aValor); }
    TmoxIniFile ini;
  } escrita(aConfiINI);
  PercorreConfig(escrita);
  try {
    escrita.ini.UpdateFile();
  } catch (const std::exception& e) {
    throw EmoxNFeValidadorClientOCXException("Erro ao salvar a configuração do validador: " + std::string(e.what()),
                                             FDiretorioLogErro);
  }
}

}  // namespace mox
