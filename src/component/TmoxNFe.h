#pragma once
// The NF-e component as hosts place it: the shell plus the recipient and download folders, the
// batch size limit and the settings snapshot for the request builders.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "component/TmoxCustomNFe.h"

namespace mox {

class TmoxNFeXmlUtils;
class TmoxNFeConverter;
class TmoxNFeDanfe;
struct TContextoValidacao;

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

  // Signs every aElemento ("infCanc", "infInut", "infEvento") of the document, or the one with
  // the Id aId, with the configured certificate; the signed text cleaned up.
  std::string AssinarDocumento(const std::string& aXML, const std::string& aElemento, const std::string& aId = {});
  // The batch document of the signed notes, checked (lot number, size, signature, schema).
  std::string ValidarLoteParaEnvio(const std::string& aNumLote, const std::string& aLoteNotas);
  // EmoxNFeMaxSizeException when the batch is empty or over MaxSizeLoteEnvio kilobytes.
  void ValidarTamanhoArquivoEnvio(const std::string& aLoteNotas);
  // Each note of a signed batch, its header and then each item, against the batch schema (when
  // ValidarEsquemaAntesEnvio); the failures, naming note and item, are in ErrosValidador.
  void ValidarLoteItem(const std::string& aNumLote, const std::string& aLoteNotas);
  // True when the recipient XML is signed, valid and its digest matches its protocol; the
  // messages go to aErrorList when given.
  bool ValidarArquivoXmlDestinatario(const std::string& aXml, std::vector<std::string>* aErrorList);

  TmoxNFeXmlUtils& XmlUtil() { return *FXmlUtil; }
  // The converter front, created on first use; its templates folder follows the component's.
  TmoxNFeConverter& GetConversor();
  // The DANFE front, created on first use for the manual version and the error-log folder.
  TmoxNFeDanfe* GetDanfeNFe();

 protected:
  void LerConfiguracoes(TmoxIniFile& aIni) override;
  void EscreverConfiguracoes(TmoxIniFile& aIni) override;

 private:
  void SecaoPadrao();
  TContextoValidacao ContextoValidacao();

  std::unique_ptr<TmoxNFeXmlUtils> FXmlUtil;
  std::unique_ptr<TmoxNFeConverter> FConversor;
  std::unique_ptr<TmoxNFeDanfe> FDanfeNFe;
  std::string fDiretorioXmlDestinatario;
  std::string FDiretorioDownloads;
  int fMaxSizeLoteEnvio = 500;
};

}  // namespace mox
