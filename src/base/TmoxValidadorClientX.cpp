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

// Every property kept in the configuration file, each with its key, read or written alike.
// Choices are kept as the numbers the validation control takes.
void TmoxValidadorClientX::PercorreConfig(TCampoConfig& aCampo) {
  aCampo.Texto("Senha", FSenha);
  aCampo.Texto("Login", FLogin);
  aCampo.Texto("Servidor", FServidor);
  aCampo.Logico("ExibirRegrasValidacao", FExibirRegrasValidacao);
  aCampo.Logico("AtualizarRegrasAutomaticamente", FAtualizarRegrasAutomaticamente);
  aCampo.Inteiro("CodigoProduto", FCodigoProduto);
  int estagio = Numero(FEstagio);
  aCampo.Inteiro("Estagio", estagio);
  FEstagio = estagio == 2 ? TEstagio::esTeste : TEstagio::esProducao;
  aCampo.Texto("TemplateHtml", FTemplateHtml);
  aCampo.Inteiro("HeigthHtml", FHeigthHtml);
  aCampo.Inteiro("WidthHtml", FWidthHtml);
  aCampo.Texto("HtmlBaseUrl", FHtmlBaseUrl);
  int resposta = Numero(FTipoResposta);
  aCampo.Inteiro("TipoResposta", resposta);
  FTipoResposta = resposta == 1 ? TResposta::trJSON : TResposta::trTexto;
  int linguagem = Numero(FLinguagemResposta);
  aCampo.Inteiro("LinguagemResposta", linguagem);
  FLinguagemResposta = linguagem == 1 ? TLinguagem::tlJavaScript : TLinguagem::tlHtml;
  int modo = Numero(FModoOperacao);
  aCampo.Inteiro("ModoOperacao", modo);
  FModoOperacao = modo == 1 ? TModoOperacao::moCliente : TModoOperacao::moLocal;
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
