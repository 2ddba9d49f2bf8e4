// moxnfe sefaz enviar-lote | consultar-recibo: sends signed notes for authorization and fetches
// the protocols of the batch.
#include <ostream>

#include "cli/CliSefaz.h"
#include "external/EKivoException.h"
#include "external/FileIO.h"
#include "external/Utf8Text.h"

namespace moxcli {

namespace {

std::vector<std::string> NotasAssinadas(const CliArgs& aArgs) {
  if (aArgs.Positional().empty()) throw CliUsageError{"informe os arquivos das notas assinadas"};
  std::vector<std::string> notas;
  for (const auto& arquivo : aArgs.Positional()) {
    std::string nota = mox::RemoveUtf8Bom(mox::ReadFileBytes(arquivo));
    if (nota.find("<Signature") == std::string::npos)
      throw mox::EKivoException("A nota não possui assinatura: " + arquivo + " (assine com \"moxnfe assinar\")");
    // SEFAZ refuses line breaks between tags.
    std::erase_if(nota, [](char c) { return c == '\r' || c == '\n'; });
    notas.push_back(nota);
  }
  return notas;
}

int EnviarLote(const CliArgs& aArgs, CliIo& aIo) {
  const std::vector<std::string> notas = NotasAssinadas(aArgs);
  ClienteSefaz cliente(aArgs);
  const bool sincrono = aArgs.Flag("sincrono"), compactado = aArgs.Flag("compactado");
  using O = mox::TOperacaoSefaz;
  const O operacao = sincrono ? (compactado ? O::EnvioSincronoCompactado : O::EnvioSincrono)
                              : (compactado ? O::EnvioLoteCompactado : O::EnvioLote);
  const std::string versao = cliente.Leiautes().NFe;
  const std::string lote = mox::PedidoEnvioLote(aArgs.OptionOr("lote", "1"), notas, versao, sincrono);
  return MostraResposta(cliente.Envia(operacao, lote, versao), aArgs, aIo, {{sincrono ? "104" : "103"}});
}

int ConsultarRecibo(const CliArgs& aArgs, CliIo& aIo) {
  if (aArgs.Positional().size() != 1 || aArgs.Positional().front().size() != 15)
    throw CliUsageError{"informe o número do recibo (15 dígitos)"};
  ClienteSefaz cliente(aArgs);
  const std::string versao = cliente.Leiautes().NFe;
  const std::string ret = cliente.Envia(
      mox::TOperacaoSefaz::ConsultaRecibo,
      mox::PedidoConsultaRecibo(cliente.Ambiente(), aArgs.Positional().front(), versao), versao);
  return MostraResposta(ret, aArgs, aIo, {{"104"}});
}

CliRegistrar enviar{{{"sefaz", "enviar-lote"},
                     "envia notas assinadas para autorização e mostra o recibo",
                     "[opções] NOTA.xml...",
                     "As notas devem estar assinadas (\"moxnfe assinar\"). Sem --sincrono a SEFAZ devolve um recibo\n"
                     "(103) para \"moxnfe sefaz consultar-recibo\"; com --sincrono (uma nota, Manual 5.0a) devolve\n"
                     "o protocolo. Sai com 0 quando o lote é aceito, 3 quando é rejeitado.",
                     OpcoesSefaz({{"lote", "NUMERO", "número do lote (padrão 1)"},
                                  {"sincrono", "", "pede a resposta síncrona (Manual 5.0a, uma nota)"},
                                  {"compactado", "", "envia o lote compactado (gzip e base64, Manual 5.0a)"}}),
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
