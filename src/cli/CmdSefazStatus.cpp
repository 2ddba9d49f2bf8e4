// moxnfe sefaz status: the status of the SEFAZ (or sandbox) service of the UF.
#include "cli/CliSefaz.h"

namespace moxcli {

namespace {

int Status(const CliArgs& aArgs, CliIo& aIo) {
  ClienteSefaz cliente(aArgs);
  return MostraResposta(cliente.NFe().StatusDoServico(), aArgs, aIo, {{"107"}});
}

CliRegistrar status{{{"sefaz", "status"},
                     "consulta o status do serviço de autorização da UF",
                     "[opções]",
                     "Usa o endereço da chave de status do arquivo de servidores para a versão do Manual; o pedido\n"
                     "é validado no esquema oficial da versão (--esquemas) e registrado na pasta de log.\n"
                     "Sai com 0 quando o serviço está em operação (107), 3 quando a SEFAZ responde outro código\n"
                     "e 1 quando não há resposta.",
                     OpcoesSefaz({}),
                     Status}};

}  // namespace

}  // namespace moxcli
