#pragma once
// The servers file (nfeServidoresHom.ini) that points the component at the sandbox: every
// state section, SVCAN, SVCRS and AN, with the key of every service under every manual
// version. A key goes to the sandbox's address of that authorizer when the authorizer offers
// the service, else to the national environment's when that offers it (the DF-e services),
// else it is left out.
#include <string>

namespace mox::sandbox {

// aUrlBase: "https://127.0.0.1:8443" (a final "/" is dropped).
std::string TextoServidores(const std::string& aUrlBase);

}  // namespace mox::sandbox
