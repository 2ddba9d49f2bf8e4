#pragma once
// Layout 4.00 posts no nfeCabecMsg: the UF code and the version that header carried are read
// from the request document, so every service runs its usual checks on the same values.
#include "sandbox/MensagemSoap.h"
#include "sandbox/SecaoSandbox.h"

namespace mox::sandbox {

// Fills the header fields of aSoap from its document; a document that cannot be read gets the
// authorizer's code, and the service then reports what is wrong with it.
void CabecalhoDoDocumento(TPedidoSoap& aSoap, const TSecao& aSecao);

}  // namespace mox::sandbox
