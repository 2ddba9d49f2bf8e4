#pragma once
// The request builders of manuals 2.0.2a and 3.0 (layout 1.10), 4.0 and 5.0 (layout 2.00): the
// shared operations, each with the access key of its layout.
#include "webservices/TmoxNFEInterface.h"

namespace mox {

// Manuals 2.0.2a and 3.0: the key has no emission type.
class TmoxNFE30Intf : public TmoxNFEInterface {
 public:
  using TmoxNFEInterface::TmoxNFEInterface;
  std::string CalculaChaveNFe(const std::string& aDtEmissao, const std::string& aUF, const std::string& aCNPJ,
                              const std::string& aModelo, const std::string& aSerie, const std::string& aNRNota,
                              const std::string& aCodSistema, const std::string& aTpEmis) override;
};

// Manual 4.0: the key carries the emission type.
class TmoxNFE40Intf : public TmoxNFEInterface {
 public:
  using TmoxNFEInterface::TmoxNFEInterface;
  std::string CalculaChaveNFe(const std::string& aDtEmissao, const std::string& aUF, const std::string& aCNPJ,
                              const std::string& aModelo, const std::string& aSerie, const std::string& aNRNota,
                              const std::string& aCodSistema, const std::string& aTpEmis) override;
};

// Manual 5.0: as 4.0; its templates differ.
class TmoxNFE50Intf : public TmoxNFE40Intf {
 public:
  using TmoxNFE40Intf::TmoxNFE40Intf;
};

}  // namespace mox
