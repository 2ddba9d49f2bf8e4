// The component hands out the request builder of its manual version once the servers file of
// the environment is named and present, and follows a change of environment.
#include <gtest/gtest.h>

#include <string>

#include "base/EmoxException.h"
#include "component/TmoxNFe.h"
#include "support/TestSupport.h"
#include "webservices/TmoxNFE50aIntf.h"

namespace {

using mox::TAmbienteKind;
using mox::TVersaoManual;

std::string MensagemDeGetNFE(mox::TmoxNFe& aNFe) {
  try {
    aNFe.GetNFE();
  } catch (const mox::EmoxNFeConfigException& e) {
    return e.what();
  }
  return "sem exceção";
}

TEST(ComponenteConstrutor, GetNFEConfereVersaoEArquivoDeServidores) {
  moxtest::TempDir pasta;
  mox::TmoxNFe nfe;
  nfe.SetDiretorioLogErro(pasta.str());
  EXPECT_EQ(MensagemDeGetNFE(nfe), "Versão do Manual não definida");
  nfe.GetKivo();
  EXPECT_EQ(MensagemDeGetNFE(nfe), "Arquivo de servidores de homologação não informado");
  nfe.SetArquivoServidoresHom(pasta.file("falta.ini"));
  EXPECT_EQ(MensagemDeGetNFE(nfe),
            "Arquivo \"" + pasta.file("falta.ini") + "\" de servidores de homologação não encontrado");
  nfe.SetAmbiente(TAmbienteKind::akProducao);
  EXPECT_EQ(MensagemDeGetNFE(nfe), "Arquivo de servidores de produção não informado");
  nfe.SetArquivoServidoresProd(pasta.file("falta.ini"));
  EXPECT_EQ(MensagemDeGetNFE(nfe),
            "Arquivo \"" + pasta.file("falta.ini") + "\" de servidores de produção não encontrado");
  moxtest::WriteText(pasta.file("falta.ini"), "[SP]\n");
  EXPECT_NO_THROW(nfe.GetNFE());
}

TEST(ComponenteConstrutor, CadaVersaoDoManualTemSeuConstrutor) {
  moxtest::TempDir pasta;
  moxtest::WriteText(pasta.file("hom.ini"), "[SP]\n");
  mox::TmoxNFe nfe;
  nfe.SetArquivoServidoresHom(pasta.file("hom.ini"));
  const struct {
    TVersaoManual versao;
    std::function<bool(mox::TmoxNFEInterface&)> eDaClasse;
  } casos[] = {
      {TVersaoManual::vm202a, [](auto& c) { return dynamic_cast<mox::TmoxNFE30Intf*>(&c) != nullptr; }},
      {TVersaoManual::vm30, [](auto& c) { return dynamic_cast<mox::TmoxNFE30Intf*>(&c) != nullptr; }},
      {TVersaoManual::vm40, [](auto& c) { return typeid(c) == typeid(mox::TmoxNFE40Intf); }},
      {TVersaoManual::vm50, [](auto& c) { return typeid(c) == typeid(mox::TmoxNFE50Intf); }},
      {TVersaoManual::vm50a, [](auto& c) { return typeid(c) == typeid(mox::TmoxNFE50aIntf); }},
  };
  for (const auto& caso : casos) {
    nfe.SetVersaoManual(caso.versao);
    nfe.GetKivo();
    EXPECT_TRUE(caso.eDaClasse(nfe.GetNFE())) << static_cast<int>(caso.versao);
  }
}

TEST(ComponenteConstrutor, TrocaDeAmbienteLeOutroArquivoDeServidores) {
  moxtest::TempDir pasta;
  moxtest::WriteText(pasta.file("hom.ini"), "[SP]\nNfeStatusServico3=https://hom.exemplo.gov.br/status\n");
  moxtest::WriteText(pasta.file("prod.ini"), "[SP]\nNfeStatusServico3=https://www.exemplo.gov.br/status\n");
  mox::TmoxNFe nfe;
  nfe.SetUF("SP");
  nfe.SetVersaoManual(TVersaoManual::vm50a);
  nfe.SetArquivoServidoresHom(pasta.file("hom.ini"));
  nfe.SetArquivoServidoresProd(pasta.file("prod.ini"));
  nfe.GetKivo();
  nfe.UpdateNFeData();
  EXPECT_EQ(nfe.GetNFE().GetWSAddress("NfeStatusServico3"), "https://hom.exemplo.gov.br/status");
  nfe.SetAmbiente(TAmbienteKind::akProducao);
  nfe.UpdateNFeData();
  EXPECT_EQ(nfe.GetNFE().GetWSAddress("NfeStatusServico3"), "https://www.exemplo.gov.br/status");
  nfe.SetAmbiente(TAmbienteKind::akHomologacao);
  nfe.UpdateNFeData();
  EXPECT_EQ(nfe.GetNFE().GetWSAddress("NfeStatusServico3"), "https://hom.exemplo.gov.br/status");
}

}  // namespace
