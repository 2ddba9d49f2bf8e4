// moxnfe sefaz enviar-lote | consultar-recibo: sends signed notes for authorization and fetches
// the protocols of the batch.
#include <ostream>

#include "cli/CliSefaz.h"
#include "external/AsciiCase.h"
#include "external/EKivoException.h"
#include "external/FileIO.h"
#include "external/Utf8Text.h"

namespace moxcli {

namespace {

// The signed notes of the files, each without its XML declaration, one after the other.
std::string NotasAssinadas(const CliArgs& aArgs) {
  if (aArgs.Positional().empty()) throw CliUsageError{"informe os arquivos das notas assinadas"};
  std::string notas;
  for (const auto& arquivo : aArgs.Positional()) {
    std::string nota = mox::RemoveUtf8Bom(mox::ReadFileBytes(arquivo));
    // Said here, with the file's name: the batch checks would only see a note without signature.
    if (nota.find_first_not_of(" \t\r\n") == std::string::npos)
      throw mox::EKivoException("O arquivo " + arquivo + " está vazio: não há nota para enviar.");
    if (const auto inicio = nota.find("<NFe"); inicio != std::string::npos) nota.erase(0, inicio);
    while (!nota.empty() && (nota.back() == '\n' || nota.back() == '\r' || nota.back() == ' ')) nota.pop_back();
    notas += nota;
  }
  return notas;
}

int EnviarLote(const CliArgs& aArgs, CliIo& aIo) {
  const std::string notas = NotasAssinadas(aArgs);
  ClienteSefaz cliente(aArgs);
  cliente.EmitenteDoCertificado();
  const bool sincrono = aArgs.Flag("sincrono"), compactado = aArgs.Flag("compactado");
  const std::string numero = aArgs.OptionOr("lote", "1");
  // The component checks, logs and posts the batch and keeps its notes pending until answered.
  mox::TmoxNFe& nfe = cliente.NFe();
  if (!sincrono) return MostraResposta(nfe.EnviarNF(numero, notas, compactado), aArgs, aIo, {{"103"}});
  return MostraResposta(nfe.EnviarNFSincrono(numero, notas, compactado), aArgs, aIo, {{"104"}});
}

int ConsultarRecibo(const CliArgs& aArgs, CliIo& aIo) {
  if (aArgs.Positional().size() != 1 || aArgs.Positional().front().size() != 15)
    throw CliUsageError{"informe o número do recibo (15 dígitos)"};
  ClienteSefaz cliente(aArgs);
  cliente.EmitenteDoCertificado();
  // The component validates, logs and posts the query and writes the nfeProc of each note the
  // receipt authorized.
  return MostraResposta(cliente.NFe().ConsultarRecibo(aArgs.Positional().front()), aArgs, aIo, {{"104"}});
}

CliRegistrar enviar{{{"sefaz", "enviar-lote"},
                     "envia notas assinadas para autorização e mostra o recibo",
                     "[opções] NOTA.xml...",
                     "As notas devem estar assinadas (\"moxnfe assinar\"). Sem --sincrono a SEFAZ devolve um recibo\n"
                     "(103) para \"moxnfe sefaz consultar-recibo\"; com --sincrono (uma nota, Manual 5.0a ou 6.0) devolve\n"
                     "o protocolo. Sai com 0 quando o lote é aceito, 3 quando é rejeitado.",
                     OpcoesSefaz({{"lote", "NUMERO", "número do lote (padrão 1)"},
                                  {"sincrono", "", "pede a resposta síncrona (Manual 5.0a ou 6.0, uma nota)"},
                                  {"compactado", "", "envia o lote compactado (gzip e base64, Manual 5.0a ou 6.0)"}}),
                     EnviarLote}};

CliRegistrar recibo{{{"sefaz", "consultar-recibo"},
                     "consulta o processamento de um lote e mostra os protocolos das notas",
                     "[opções] RECIBO",
                     "Sai com 0 quando todas as notas do lote foram autorizadas, 3 quando alguma foi rejeitada\n"
                     "ou o recibo não foi encontrado.",
                     OpcoesSefaz({}),
                     ConsultarRecibo}};

}  // namespace

}  // namespace moxcli
