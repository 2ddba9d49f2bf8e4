#include "webservices/TmoxNFE30Intf.h"

#include "utils/moxChaveNFe.h"

namespace mox {

std::string TmoxNFE30Intf::CalculaChaveNFe(const std::string& aDtEmissao, const std::string& aUF,
                                           const std::string& aCNPJ, const std::string& aModelo,
                                           const std::string& aSerie, const std::string& aNRNota,
                                           const std::string& aCodSistema, const std::string&) {
  return CalculaChave(aDtEmissao, aUF, aCNPJ, aModelo, aSerie, aNRNota, aCodSistema);
}

std::string TmoxNFE40Intf::CalculaChaveNFe(const std::string& aDtEmissao, const std::string& aUF,
                                           const std::string& aCNPJ, const std::string& aModelo,
                                           const std::string& aSerie, const std::string& aNRNota,
                                           const std::string& aCodSistema, const std::string& aTpEmis) {
  return CalculaChave(aDtEmissao, aUF, aCNPJ, aModelo, aSerie, aNRNota, aTpEmis, aCodSistema);
}

}  // namespace mox
