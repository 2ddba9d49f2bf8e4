#pragma once
// DANFE print settings of the component.
#include <memory>
#include <string>

namespace mox {

class TmoxKivoUtils;

class TDanfeSettings {
 public:
  TDanfeSettings();
  ~TDanfeSettings();
  TDanfeSettings(const TDanfeSettings&) = delete;
  TDanfeSettings& operator=(const TDanfeSettings&) = delete;

  const std::string& FraseContingencia() const { return FFraseContingencia; }
  void SetFraseContingencia(const std::string& v) { FFraseContingencia = v; }
  const std::string& FraseHomologacao() const { return FFraseHomologacao; }
  void SetFraseHomologacao(const std::string& v) { FFraseHomologacao = v; }
  // While empty, these read as the expanded default models under Templates/Vm50a/Danfe/.
  const std::string& ModeloRetrato();
  void SetModeloRetrato(const std::string& v) { FModeloRetrato = v; }
  const std::string& ModeloPaisagem();
  void SetModeloPaisagem(const std::string& v) { FModeloPaisagem = v; }
  // The stored values, without the defaults above (what the configuration file keeps).
  const std::string& ModeloRetratoArmazenado() const { return FModeloRetrato; }
  const std::string& ModeloPaisagemArmazenado() const { return FModeloPaisagem; }
  const std::string& ModeloDanfeSimplificado() const { return FModeloDanfeSimplificado; }
  void SetModeloDanfeSimplificado(const std::string& v) { FModeloDanfeSimplificado = v; }
  int QtdeCopias() const { return FQtdeCopias; }
  void SetQtdeCopias(int v) { FQtdeCopias = v; }
  const std::string& LogotipoEmitente() const { return FLogotipoEmitente; }
  void SetLogotipoEmitente(const std::string& v) { FLogotipoEmitente = v; }
  const std::string& LineDelimiter() const { return FLineDelimiter; }
  void SetLineDelimiter(const std::string& v) { FLineDelimiter = v; }
  int InfCplMaxCol() const { return FInfCplMaxCol; }
  void SetInfCplMaxCol(int v) { FInfCplMaxCol = v > 0 ? v : 68; }
  int InfCplMaxRow() const { return FInfCplMaxRow; }
  void SetInfCplMaxRow(int v) { FInfCplMaxRow = v > 0 ? v : 7; }
  bool ImprimirVolume() const { return FImprimirVolume; }
  void SetImprimirVolume(bool v) { FImprimirVolume = v; }
  bool ImprimirDuplicata() const { return FImprimirDuplicata; }
  void SetImprimirDuplicata(bool v) { FImprimirDuplicata = v; }
  bool MensagemPartilhaAutomatica() const { return FMensagemPartilhaAutomatica; }
  void SetMensagemPartilhaAutomatica(bool v) { FMensagemPartilhaAutomatica = v; }
  bool ImprimirUnidadeTributada() const { return FImprimirUnidadeTributada; }
  void SetImprimirUnidadeTributada(bool v) { FImprimirUnidadeTributada = v; }
  const std::string& ModeloRTMCCe() const { return FModeloRTMCCe; }
  void SetModeloRTMCCe(const std::string& v) { FModeloRTMCCe = v; }

  // "name=value" lines for the report engine; booleans as "-1" and "0".
  std::string GetParams();

 private:
  TmoxKivoUtils& Utils();

  std::unique_ptr<TmoxKivoUtils> FUtils;
  std::string FLogotipoEmitente;
  std::string FModeloRetrato;
  std::string FFraseContingencia = "Danfe em contingência - Impresso em decorrência de problemas técnicos";
  std::string FModeloPaisagem;
  std::string FFraseHomologacao = "SEM VALOR FISCAL";
  int FQtdeCopias = 1;
  std::string FLineDelimiter = "|";
  int FInfCplMaxRow = 7;
  int FInfCplMaxCol = 68;
  bool FImprimirVolume = false;
  bool FImprimirDuplicata = true;
  bool FImprimirUnidadeTributada = false;
  std::string FModeloDanfeSimplificado;
  std::string FModeloRTMCCe;
  bool FMensagemPartilhaAutomatica = false;
};

// Delphi-style boolean text of the print parameters.
inline const char* BoolParam(bool aValue) { return aValue ? "-1" : "0"; }

}  // namespace mox
