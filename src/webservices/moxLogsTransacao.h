#pragma once
// Transaction logs on disk: the writing of one log file, the pending-send markers that tie a
// batch to its keys and receipt, and the file masks of the log listing.
#include <string>
#include <vector>

namespace mox {

// Which log files a listing shows.
enum class TLogFilter {
  lfXml, lfNFe, lfEnvLot, lfRec, lfPedRec, lfProRec, lfDen, lfPedCan, lfCan,
  lfPedInu, lfInu, lfPedSit, lfSit, lfPedSta, lfSta, lfCustom
};

// The filter's mask ("*-rec.xml"...). With a custom text that is not blank: lfCustom takes the
// text itself as the mask, the others "*" + text + their mask.
std::string MascaraDoFiltro(TLogFilter aFiltro, const std::string& aCustomFilter);

// Writes a log file whole (UTF-8 with byte-order mark, CR LF line ends, one at the end).
void GravaArquivoDeLog(const std::string& aCaminho, const std::string& aConteudo);

// The text of a log file: byte-order mark honoured and removed, CR LF line ends, one at the end.
std::string LeArquivoDeLog(const std::string& aCaminho);

// The pending-send marker's line for the batch-send log aNomeLogEnv.
std::string LinhaPendente(const std::string& aNomeLogEnv);

// The pending-send markers of a recipient folder: names of 15 characters (receipts) and of 44
// (access keys), each with the batch-send log it names, sorted by name.
struct TPendente {
  std::string Numero;  // receipt or access key
  std::string LogEnvio;
};
std::vector<TPendente> ListaPendentes(const std::string& aDiretorioXmlDestinatario);

// The batch-send log a marker names; empty when there is no marker.
std::string LogDoPendente(const std::string& aDiretorioXmlDestinatario, const std::string& aNumero);

// Deletes a marker once SEFAZ's final answer about it is known.
void RemovePendente(const std::string& aDiretorioXmlDestinatario, const std::string& aNumero);

}  // namespace mox
