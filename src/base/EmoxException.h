#pragma once
// The component's exception family. Constructing an exception of the NF-e or the event branch
// appends one line to that branch's error log, so every failure is recorded even when it is
// caught and raised again with a wider message.
#include <stdexcept>
#include <string>

#include "base/moxFormat.h"

namespace mox {

class EmoxException : public std::runtime_error {
 public:
  explicit EmoxException(const std::string& Msg, const std::string& aPathLog = {})
      : EmoxException("EmoxException", "", Msg, aPathLog) {}

  static EmoxException Create(const std::string& Msg, const std::string& aPathLog = {}) {
    return EmoxException(Msg, aPathLog);
  }
  static EmoxException CreateFmt(const std::string& Msg, const FmtArgs& Args, const std::string& aPathLog = {}) {
    return EmoxException(moxFormat(Msg, Args), aPathLog);
  }

  // The class name written in the error-log line.
  const char* ClassName() const noexcept { return FClassName; }
  // The error-log file name of this branch; empty for classes that do not log.
  const std::string& NomeLog() const noexcept { return FNomeLog; }

 protected:
  EmoxException(const char* aClassName, std::string aNomeLog, const std::string& Msg, const std::string& aPathLog);

 private:
  void WriteLogLine(const std::string& aPathLog) const;

  std::string FNomeLog;
  const char* FClassName;
};

// The error log line: "[dd/mm/yyyy hh:nn:ss:zzz] <thread id> - <class name> : <message>".
std::string FormatErrorLogLine(const char* aClassName, const std::string& aMessage);

// Folder of the error log when the caller names none: "LogErro/" in the per-user data folder,
// created on demand.
std::string DefaultErrorLogFolder();

// Declares an exception class: the message constructor, Create and CreateFmt, and the
// protected constructor through which descendants pass their own class name.
#define MOX_EXCEPTION_BODY(Name, Base)                                                                    \
 public:                                                                                                  \
  explicit Name(const std::string& Msg, const std::string& aPathLog = {}) : Base(#Name, Msg, aPathLog) {} \
  static Name Create(const std::string& Msg, const std::string& aPathLog = {}) { return Name(Msg, aPathLog); } \
  static Name CreateFmt(const std::string& Msg, const ::mox::FmtArgs& Args, const std::string& aPathLog = {}) { \
    return Name(::mox::moxFormat(Msg, Args), aPathLog);                                                   \
  }                                                                                                       \
                                                                                                          \
 protected:                                                                                               \
  Name(const char* aClassName, const std::string& Msg, const std::string& aPathLog)                       \
      : Base(aClassName, Msg, aPathLog) {}

#define MOX_EXCEPTION(Name, Base) \
  class Name : public Base {      \
    MOX_EXCEPTION_BODY(Name, Base) \
  };

// The two branches that log: each names its own error-log file.
class EmoxLoggedBranch : public EmoxException {
 protected:
  EmoxLoggedBranch(const char* aClassName, const char* aNomeLog, const std::string& Msg, const std::string& aPathLog)
      : EmoxException(aClassName, aNomeLog, Msg, aPathLog) {}
};

class EmoxNFeException : public EmoxLoggedBranch {
 public:
  static constexpr const char* kNomeLog = "nfe_exception.log";
  explicit EmoxNFeException(const std::string& Msg, const std::string& aPathLog = {})
      : EmoxNFeException("EmoxNFeException", Msg, aPathLog) {}
  static EmoxNFeException Create(const std::string& Msg, const std::string& aPathLog = {}) {
    return EmoxNFeException(Msg, aPathLog);
  }
  static EmoxNFeException CreateFmt(const std::string& Msg, const FmtArgs& Args, const std::string& aPathLog = {}) {
    return EmoxNFeException(moxFormat(Msg, Args), aPathLog);
  }

 protected:
  EmoxNFeException(const char* aClassName, const std::string& Msg, const std::string& aPathLog)
      : EmoxLoggedBranch(aClassName, kNomeLog, Msg, aPathLog) {}
};

class EmoxNFeEventosException : public EmoxLoggedBranch {
 public:
  static constexpr const char* kNomeLog = "nfeeventos_exception.log";
  explicit EmoxNFeEventosException(const std::string& Msg, const std::string& aPathLog = {})
      : EmoxNFeEventosException("EmoxNFeEventosException", Msg, aPathLog) {}
  static EmoxNFeEventosException Create(const std::string& Msg, const std::string& aPathLog = {}) {
    return EmoxNFeEventosException(Msg, aPathLog);
  }
  static EmoxNFeEventosException CreateFmt(const std::string& Msg, const FmtArgs& Args,
                                           const std::string& aPathLog = {}) {
    return EmoxNFeEventosException(moxFormat(Msg, Args), aPathLog);
  }

 protected:
  EmoxNFeEventosException(const char* aClassName, const std::string& Msg, const std::string& aPathLog)
      : EmoxLoggedBranch(aClassName, kNomeLog, Msg, aPathLog) {}
};

// NF-e failures.
MOX_EXCEPTION(EmoxNFeConfigException, EmoxNFeException)
MOX_EXCEPTION(EmoxNFeSchemaNotFoundException, EmoxNFeException)
MOX_EXCEPTION(EmoxNFeSchemaValidationException, EmoxNFeException)
MOX_EXCEPTION(EmoxNFeReportNotFoundException, EmoxNFeException)
MOX_EXCEPTION(EmoxNFeLogException, EmoxNFeException)
MOX_EXCEPTION(EmoxNFeLogNotFoundException, EmoxNFeException)
MOX_EXCEPTION(EmoxNFeCertificationException, EmoxNFeException)
MOX_EXCEPTION(EmoxNFeAddressException, EmoxNFeException)
MOX_EXCEPTION(EmoxNFeMaxSizeException, EmoxNFeException)
MOX_EXCEPTION(EmoxNFeIndexException, EmoxNFeException)
MOX_EXCEPTION(EmoxNFeReportException, EmoxNFeException)
MOX_EXCEPTION(EmoxNFeLoadTemplateException, EmoxNFeException)
MOX_EXCEPTION(EmoxNFeDanfeLoadINIException, EmoxNFeException)
MOX_EXCEPTION(EmoxNFeEnviarNotaDestinatarioException, EmoxNFeException)
MOX_EXCEPTION(EmoxNFeCheckParams, EmoxNFeException)
MOX_EXCEPTION(EmoxNFeXmlDestinatario, EmoxNFeException)
MOX_EXCEPTION(EmoxNFeNotaCanceladaDestinatario, EmoxNFeException)
MOX_EXCEPTION(EmoxNFeEnviarNotaCanceladaDestinatario, EmoxNFeException)
MOX_EXCEPTION(EmoxNFeEnviarManifestacaoDestinatario, EmoxNFeException)
MOX_EXCEPTION(EmoxNFeVersaoManualException, EmoxNFeException)
MOX_EXCEPTION(EmoxNFeVersaoEsquemaException, EmoxNFeException)
MOX_EXCEPTION(EmoxNFEConvertDateException, EmoxNFeException)
MOX_EXCEPTION(EmoxNFEConvertHoraException, EmoxNFeException)
MOX_EXCEPTION(EmoxNFeCheckTXT, EmoxNFeException)
MOX_EXCEPTION(EmoxChaveNFeException, EmoxNFeException)
MOX_EXCEPTION(EmoxNFeIDInutilizacao, EmoxNFeException)
MOX_EXCEPTION(EmoxNFeRuleException, EmoxNFeException)
MOX_EXCEPTION(EmoxNFeValidadeAssinatura, EmoxNFeException)
MOX_EXCEPTION(EmoxNFeConversaoXMLException, EmoxNFeException)
MOX_EXCEPTION(EmoxNFeModoOperacaoException, EmoxNFeException)
MOX_EXCEPTION(EmoxNFeDirNotFoundException, EmoxNFeException)
MOX_EXCEPTION(EmoxNFeDataSetException, EmoxNFeException)
MOX_EXCEPTION(EmoxNFeDPecException, EmoxNFeException)
MOX_EXCEPTION(EmoxNFeGerarIdCCeException, EmoxNFeException)
MOX_EXCEPTION(EmoxNFeExportarPreverDanfeException, EmoxNFeException)
MOX_EXCEPTION(EmoxNFeValidadorClientOCXException, EmoxNFeException)
MOX_EXCEPTION(EmoxNFeComunicacaoValidadorNotaException, EmoxNFeException)
MOX_EXCEPTION(EmoxSoapException, EmoxNFeException)
MOX_EXCEPTION(EmoxFileNotFoundException, EmoxNFeException)
MOX_EXCEPTION(EmoxCheckParams, EmoxNFeException)
MOX_EXCEPTION(EmoxTemplateNotFoundException, EmoxNFeException)
MOX_EXCEPTION(EmoxLogException, EmoxNFeException)
MOX_EXCEPTION(EmoxSchemaValidationException, EmoxNFeException)
MOX_EXCEPTION(EmoxCertStoreException, EmoxNFeException)
MOX_EXCEPTION(EmoxSignatureException, EmoxNFeException)
MOX_EXCEPTION(EmoxConfigINIException, EmoxNFeException)
MOX_EXCEPTION(EmoxCofralException, EmoxNFeException)

// Data set failures.
MOX_EXCEPTION(EmoxDataSetException, EmoxNFeDataSetException)
MOX_EXCEPTION(EmoxNFeDataSetLoadTemplateException, EmoxNFeDataSetException)
MOX_EXCEPTION(EmoxDataSetLoadTemplateException, EmoxNFeDataSetException)
MOX_EXCEPTION(EmoxNfeDataSetStateException, EmoxNFeDataSetException)
MOX_EXCEPTION(EmoxNfeDataSetFileNotFoundException, EmoxNFeDataSetException)
MOX_EXCEPTION(EmoxDataSetFileNotFoundException, EmoxNFeDataSetException)
MOX_EXCEPTION(EmoxNfeDataSetConfigException, EmoxNFeDataSetException)
MOX_EXCEPTION(EmoxNfeDataSetFieldNotFoundException, EmoxNFeDataSetException)
MOX_EXCEPTION(EmoxDataSetFieldNotFoundException, EmoxNFeDataSetException)
MOX_EXCEPTION(EmoxNFeConvTX2, EmoxNFeDataSetException)
MOX_EXCEPTION(EmoxConvXmlException, EmoxNFeDataSetException)

// Event failures.
MOX_EXCEPTION(EmoxNFeEventosCNPJInvalidException, EmoxNFeEventosException)
MOX_EXCEPTION(EmoxNFeEventosCPFInvalidException, EmoxNFeEventosException)
MOX_EXCEPTION(EmoxNFeEventosCNPJCPFInvalidException, EmoxNFeEventosException)
MOX_EXCEPTION(EmoxNFeEventosIndNFeInvalidException, EmoxNFeEventosException)
MOX_EXCEPTION(EmoxNFeEventosIndEmiInvalidException, EmoxNFeEventosException)
MOX_EXCEPTION(EmoxNFeEventosUltNSUInvalidException, EmoxNFeEventosException)
MOX_EXCEPTION(EmoxNFeEventosFusoHorarioInvalidException, EmoxNFeEventosException)
MOX_EXCEPTION(EmoxNFeEventosDataHoraInvalidException, EmoxNFeEventosException)
MOX_EXCEPTION(EmoxNFeEventosUFInvalidException, EmoxNFeEventosException)
MOX_EXCEPTION(EmoxNFeEventosChaveInvalidException, EmoxNFeEventosException)
MOX_EXCEPTION(EmoxNFeEventosCodigoOrgaoInvalidException, EmoxNFeEventosException)
MOX_EXCEPTION(EmoxNFeEventosJustificativaInvalidException, EmoxNFeEventosException)
MOX_EXCEPTION(EmoxNFeEventosTipoEventoException, EmoxNFeEventosException)
MOX_EXCEPTION(EmoxNFeEventosNumeroProtException, EmoxNFeEventosException)
MOX_EXCEPTION(EmoxNFeEventoDownloadNFeException, EmoxNFeEventosException)
MOX_EXCEPTION(EmoxNFeDFeUFInvalidaException, EmoxNFeEventosException)
MOX_EXCEPTION(EmoxNFeDFeCNPJInvalidoException, EmoxNFeEventosException)
MOX_EXCEPTION(EmoxNFeDFeCPFInvalidoException, EmoxNFeEventosException)
MOX_EXCEPTION(EmoxNFeDFeNSUInvalidaException, EmoxNFeEventosException)
MOX_EXCEPTION(EmoxNFeDescompactarXMLException, EmoxNFeEventosException)
MOX_EXCEPTION(EmoxNFeDFeException, EmoxNFeEventosException)
MOX_EXCEPTION(EmoxEventosException, EmoxNFeEventosException)
MOX_EXCEPTION(EmoxEventoCheckParams, EmoxNFeEventosException)
MOX_EXCEPTION(EmoxEventoFileNotFoundException, EmoxNFeEventosException)
MOX_EXCEPTION(EmoxEventoXmlDestinatario, EmoxNFeEventosException)
MOX_EXCEPTION(EmoxEventoMaxSizeException, EmoxNFeEventosException)
MOX_EXCEPTION(EmoxEventoInvalidSigner, EmoxNFeEventosException)
MOX_EXCEPTION(EmoxEventosAddressException, EmoxNFeEventosException)
MOX_EXCEPTION(EmoxEventoLogNotFoundException, EmoxNFeEventosException)
MOX_EXCEPTION(EmoxEventoReportException, EmoxNFeEventosException)
MOX_EXCEPTION(EmoxEventoRetException, EmoxNFeEventosException)
MOX_EXCEPTION(EmoxCCeReportException, EmoxNFeEventosException)
MOX_EXCEPTION(EmoxNFeEventoDownloadLimitNotasException, EmoxNFeEventoDownloadNFeException)

}  // namespace mox
