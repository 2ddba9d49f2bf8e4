#pragma once
// The request builder of manual 6.0 (layout 4.00): one service per operation ending in "4", an
// envelope without the nfeCabecMsg header (the UF and version travel in the document, so its
// templates skip the UF code), the request as XML inside nfeDadosMsg, every answer in
// nfeResultMsg. Cancellation is an event.
#include "webservices/TmoxNFE50aIntf.h"

namespace mox {

class TmoxNFE60Intf : public TmoxNFE50aIntf {
 public:
  using TmoxNFE50aIntf::TmoxNFE50aIntf;

  // Layout 4.00 has no cancellation service; a note is cancelled by the event 110111.
  std::string CancelarNF(const std::string& aCancelamentoAssinado) override;

 protected:
  bool PedidoEscapado(TOperacaoSefaz aOperacao) const override;
};

}  // namespace mox
