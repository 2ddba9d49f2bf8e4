#pragma once
// Lookups in the transaction logs: the signed invoice of a batch-send log, the protocol of an
// invoice in a receipt or invoice-query answer, the keys of a batch.
//
// A log is given as an absolute file path, as a file name inside the log folder aLogDir, or as
// the XML text itself (tried in that order). A log that is not XML raises EKivoException.
#include <string>
#include <vector>

namespace mox {

class TmoxNFeXMLLogs {
 public:
  // The log's text without a byte-order mark. An absolute path that does not exist raises
  // EmoxNFeLogNotFoundException.
  static std::string LoadLog(const std::string& aLog, const std::string& aLogDir);

  // The XML of the first signed NFe element of the batch-send log whose infNFe Id holds aIdNFe
  // (letter case ignored); empty when none does.
  static std::string AchaNFeAssinadaLogEnvio(const std::string& aIdNFe, const std::string& aLogEnvLote,
                                             const std::string& aLogDir);

  // The XML of the first infProt of the receipt answer that holds aIdNFe; empty when none does.
  static std::string AchaInfProtLogConsRec(const std::string& aIdNFe, const std::string& aLogConsRecibo,
                                           const std::string& aLogDir);

  // The XML of the first infProt of the invoice-query answer; empty when there is none.
  static std::string AchaInfProtLogConsNF(const std::string& aIdNFe, const std::string& aLogConsNF,
                                          const std::string& aLogDir);

  // Appends the chNFe of every protNFe of the receipt answer whose cStat is cStat.
  static void ListaChavesLogRecibo(const std::string& aLogConsRecibo, int cStat, std::vector<std::string>* aListOut,
                                   const std::string& aLogDir);

  // Appends the key of every infNFe of the batch-send log.
  static void ListaChavesLogEnv(const std::string& aLogEnv, std::vector<std::string>* aListOut,
                                const std::string& aLogDir);
};

}  // namespace mox
