#pragma once
// The NF-e component as hosts place it: the shell plus the recipient and download folders, the
// batch size limit and the settings snapshot for the request builders.
#include <functional>
#include <memory>
#include <string>

#include "component/TmoxCustomNFe.h"

namespace mox {

class TmoxNFeXmlUtils;
class TmoxNFeConverter;

class TmoxNFe : public TmoxCustomNFe {
 public:
  using TOnXmlDestinatarioEvent = std::function<void(const std::string&)>;
  using TOnXmlCanDestinatarioEvent = std::function<void(const std::string&)>;
  using TOnDownloadNFeEvent = std::function<void(const std::string&)>;

  TmoxNFe();
  ~TmoxNFe() override;

  void SetVersaoManual(TVersaoManual aValue) override;

  // Absolute, with a trailing separator, created on demand; per-user data folder +
  // "XmlDestinatario/" while empty.
  std::string DiretorioXmlDestinatario();
  void SetDiretorioXmlDestinatario(const std::string& aValue);
  // Absolute and created; per-user data folder + "Downloads/" while empty.
  std::string DiretorioDownloads();
  void SetDiretorioDownloads(const std::string& aValue);
  // Kilobytes.
  int MaxSizeLoteEnvio() const { return fMaxSizeLoteEnvio; }
  void SetMaxSizeLoteEnvio(int aValue) { fMaxSizeLoteEnvio = aValue; }

  TOnXmlDestinatarioEvent OnXmlDestinatario;
  TOnXmlCanDestinatarioEvent OnXmlCanDestinatario;
  TOnDownloadNFeEvent OnDownloadNFe;

  void LoadConfig(const std::string& aConfigFile) override;
  void LoadConfig(TmoxIniFile* aIniContent) override;
  void SaveConfig(const std::string& aConfigFile) override;
  void SaveConfig(TmoxIniFile* aIniContent) override;
  void CheckConfig() override;

  // Refreshes the settings snapshot handed to the request builder.
  virtual void UpdateNFeData();
  // Raises unless the schema package belongs to the manual version.
  virtual void ChecarVersaoEsquema(const std::string& aVersaoEsquema);
  // The "versao" attribute of the batch template.
  std::string GetVersaoNota();
  // Signs every invoice of the text (at most 50); the signed NFe elements, concatenated.
  virtual std::string AssinarNota(const std::string& aXML);

  TmoxNFeXmlUtils& XmlUtil() { return *FXmlUtil; }
  // The converter front, created on first use; its templates folder follows the component's.
  TmoxNFeConverter& GetConversor();

 protected:
  void LerConfiguracoes(TmoxIniFile& aIni) override;
  void EscreverConfiguracoes(TmoxIniFile& aIni) override;

 private:
  void SecaoPadrao();

  std::unique_ptr<TmoxNFeXmlUtils> FXmlUtil;
  std::unique_ptr<TmoxNFeConverter> FConversor;
  std::string fDiretorioXmlDestinatario;
  std::string FDiretorioDownloads;
  int fMaxSizeLoteEnvio = 500;
};

}  // namespace mox
