#pragma once
// The print front for invoices (DANFE), correction letters and cancellations: reads the
// key=value print parameters, picks the report model, fills the print data of what the XML is,
// and drives print, preview, export and design through its own services server.
#include <memory>
#include <string>

#include "base/TmoxFrenteImpressao.h"
#include "base/moxTypes.h"

namespace mox {

class TmoxKivoX;
class TmoxKivoUtils;
class TmoxNFeDanfeDados;
class TmoxCCeDadosImpressao;
class TmoxCancDadosImpressao;

class TmoxNFeDanfe : public TmoxFrenteImpressao {
 public:
  TmoxNFeDanfe();
  ~TmoxNFeDanfe() override;
  TmoxNFeDanfe(const TmoxNFeDanfe&) = delete;
  TmoxNFeDanfe& operator=(const TmoxNFeDanfe&) = delete;

  // Each raises EmoxException with the message of whatever failed.
  void Imprimir() override;
  void Visualizar() override;
  void Exportar() override;
  void Editar() override;

  void SetParams(const std::string& aValue) override;
  std::string GetParams();
  void SetXML(const std::string& aValue) override;
  std::string GetXML();
  // Recreates Dados for the manual version, with the default phrases.
  void SetVersao(TVersaoManual aValue);
  TVersaoManual GetVersao() const { return fVersaoManual; }
  void SetDiretorioLogErro(const std::string& aValue) { fDiretorioLogErro = aValue; }
  const std::string& DiretorioLogErro() const { return fDiretorioLogErro; }
  TmoxNFeDanfeDados* Dados() const { return fDados.get(); }
  // The front's own services server (its print settings).
  TmoxKivoX& GetKivo();

 private:
  template <typename F>
  void Operacao(F&& aReport);
  void LoadParams();
  std::string GetFileModelo();
  bool IsCCe();
  bool IsCanc();
  std::string TipoEvento(const char* aErro);
  void PopulaDataSet();
  void ClearDataSet();
  TmoxKivoUtils& GetKivoUtils();

  std::unique_ptr<TmoxKivoX> FKivo;
  std::unique_ptr<TmoxKivoUtils> FUtils;
  TVersaoManual fVersaoManual = TVersaoManual::vm50a;
  std::unique_ptr<TmoxNFeDanfeDados> fDados;
  std::unique_ptr<TmoxCCeDadosImpressao> fDadosCCe;
  std::unique_ptr<TmoxCancDadosImpressao> fDadosCanc;
  std::string fModeloPaisagem, fModeloRetrato;
  std::string fDiretorioLogErro;
};

}  // namespace mox
