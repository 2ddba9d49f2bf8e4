#include "webservices/TmoxNFE60Intf.h"

#include "base/EmoxException.h"

namespace mox {

std::string TmoxNFE60Intf::CancelarNF(const std::string&) {
  throw EmoxNFeException("A partir da versão 4.00 a NF-e é cancelada pelo evento de cancelamento.",
                         DiretorioLogErro);
}

bool TmoxNFE60Intf::PedidoEscapado(TOperacaoSefaz) const { return false; }

}  // namespace mox
