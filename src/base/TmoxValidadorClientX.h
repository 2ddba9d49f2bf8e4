#pragma once
// The validator control a host places beside the component: its settings, and the audit of an
// NF-e XML answered in JSON, text or HTML. Implementations do the audit; the component only
// fills the settings and asks (AuditarXml).
#include <functional>
#include <initializer_list>
#include <string>

namespace mox {

class TmoxValidadorClientX {
 public:
  enum class TEstagio { esProducao, esTeste };
  enum class TResposta { trJSON, trTexto };
  enum class TLinguagem { tlHtml, tlJavaScript };
  // moLocal audits on this machine; moCliente asks a remote validation server.
  enum class TModoOperacao { moLocal, moCliente };

  // Receives the page ShowHtml rendered and the size the host should show it at.
  using TOnExibirHtml = std::function<void(const std::string& aHtml, int aLargura, int aAltura)>;

  TmoxValidadorClientX() = default;
  virtual ~TmoxValidadorClientX() = default;
  TmoxValidadorClientX(const TmoxValidadorClientX&) = delete;
  TmoxValidadorClientX& operator=(const TmoxValidadorClientX&) = delete;

  // ---- Operations.
  // The audit of aXml in the answer form of TipoResposta and LinguagemResposta; aDelimitador
  // separates the failures of a text answer (a line break when empty).
  virtual std::string ValidarXml(const std::string& aXml, const std::string& aDelimitador) = 0;
  // Renders a JSON answer of ValidarXml as a page and hands it to OnExibirHtml.
  virtual void ShowHtml(const std::string& aJSON) = 0;
  virtual void DownloadRegras() = 0;
  // The properties from and to the section "VALIDADOR" of an INI file.
  virtual void LoadConfig(const std::string& aConfiINI);
  virtual void SaveConfig(const std::string& aConfiINI);

  TOnExibirHtml OnExibirHtml;

  // ---- Properties.
  const std::string& Senha() const { return FSenha; }
  void SetSenha(const std::string& aValue) { FSenha = aValue; }
  const std::string& Login() const { return FLogin; }
  void SetLogin(const std::string& aValue) { FLogin = aValue; }
  const std::string& Servidor() const { return FServidor; }
  void SetServidor(const std::string& aValue) { FServidor = aValue; }
  bool ExibirRegrasValidacao() const { return FExibirRegrasValidacao; }
  void SetExibirRegrasValidacao(bool aValue) { FExibirRegrasValidacao = aValue; }
  bool AtualizarRegrasAutomaticamente() const { return FAtualizarRegrasAutomaticamente; }
  void SetAtualizarRegrasAutomaticamente(bool aValue) { FAtualizarRegrasAutomaticamente = aValue; }
  int CodigoProduto() const { return FCodigoProduto; }
  void SetCodigoProduto(int aValue) { FCodigoProduto = aValue; }
  TEstagio Estagio() const { return FEstagio; }
  void SetEstagio(TEstagio aValue) { FEstagio = aValue; }
  // A page template with one "%s" for the report; the built-in page when empty.
  const std::string& TemplateHtml() const { return FTemplateHtml; }
  void SetTemplateHtml(const std::string& aValue) { FTemplateHtml = aValue; }
  int HeigthHtml() const { return FHeigthHtml; }
  void SetHeigthHtml(int aValue) { FHeigthHtml = aValue; }
  int WidthHtml() const { return FWidthHtml; }
  void SetWidthHtml(int aValue) { FWidthHtml = aValue; }
  const std::string& HtmlBaseUrl() const { return FHtmlBaseUrl; }
  void SetHtmlBaseUrl(const std::string& aValue) { FHtmlBaseUrl = aValue; }
  TResposta TipoResposta() const { return FTipoResposta; }
  void SetTipoResposta(TResposta aValue) { FTipoResposta = aValue; }
  // The number of failures of the last audit, as text; empty before the first.
  const std::string& TotalRejeicao() const { return FTotalRejeicao; }
  TLinguagem LinguagemResposta() const { return FLinguagemResposta; }
  void SetLinguagemResposta(TLinguagem aValue) { FLinguagemResposta = aValue; }
  TModoOperacao ModoOperacao() const { return FModoOperacao; }
  void SetModoOperacao(TModoOperacao aValue) { FModoOperacao = aValue; }
  const std::string& DiretorioEsquemas() const { return FDiretorioEsquemas; }
  void SetDiretorioEsquemas(const std::string& aValue) { FDiretorioEsquemas = aValue; }
  const std::string& DiretorioTemplates() const { return FDiretorioTemplates; }
  void SetDiretorioTemplates(const std::string& aValue) { FDiretorioTemplates = aValue; }
  const std::string& DiretorioRegras() const { return FDiretorioRegras; }
  void SetDiretorioRegras(const std::string& aValue) { FDiretorioRegras = aValue; }
  const std::string& DiretorioLogErro() const { return FDiretorioLogErro; }
  void SetDiretorioLogErro(const std::string& aValue) { FDiretorioLogErro = aValue; }
  const std::string& UsuarioProxy() const { return FUsuarioProxy; }
  void SetUsuarioProxy(const std::string& aValue) { FUsuarioProxy = aValue; }
  const std::string& SenhaProxy() const { return FSenhaProxy; }
  void SetSenhaProxy(const std::string& aValue) { FSenhaProxy = aValue; }
  const std::string& ServidorProxy() const { return FServidorProxy; }
  void SetServidorProxy(const std::string& aValue) { FServidorProxy = aValue; }
  int PortaProxy() const { return FPortaProxy; }
  void SetPortaProxy(int aValue) { FPortaProxy = aValue; }

 protected:
  void SetTotalRejeicao(const std::string& aValue) { FTotalRejeicao = aValue; }

 private:
  // One property of the configuration file, read into or written from its field.
  struct TCampoConfig {
    virtual ~TCampoConfig() = default;
    virtual void Texto(const char* aChave, std::string& aValor) = 0;
    virtual void Inteiro(const char* aChave, int& aValor) = 0;
    virtual void Logico(const char* aChave, bool& aValor) = 0;
    // A choice kept as its number: aNumeros gives the number of each value, in the enum's order.
    // A number it does not know leaves the value as it was.
    template <class E>
    void Escolha(const char* aChave, E& aValor, std::initializer_list<int> aNumeros) {
      int numero = aNumeros.begin()[static_cast<size_t>(aValor)];
      Inteiro(aChave, numero);
      for (size_t i = 0; i < aNumeros.size(); ++i)
        if (aNumeros.begin()[i] == numero) aValor = static_cast<E>(i);
    }
  };
  void PercorreConfig(TCampoConfig& aCampo);

  std::string FSenha, FLogin, FServidor;
  bool FExibirRegrasValidacao = false;
  bool FAtualizarRegrasAutomaticamente = true;
  int FCodigoProduto = 0;
  TEstagio FEstagio = TEstagio::esProducao;
  std::string FTemplateHtml;
  int FHeigthHtml = 0, FWidthHtml = 0;
  std::string FHtmlBaseUrl;
  TResposta FTipoResposta = TResposta::trJSON;
  std::string FTotalRejeicao;
  TLinguagem FLinguagemResposta = TLinguagem::tlJavaScript;
  TModoOperacao FModoOperacao = TModoOperacao::moLocal;
  std::string FDiretorioEsquemas, FDiretorioTemplates, FDiretorioRegras, FDiretorioLogErro;
  std::string FUsuarioProxy, FSenhaProxy, FServidorProxy;
  int FPortaProxy = 0;
};

}  // namespace mox
