// The component's preview and design operations open the report windows (Qt's offscreen
// platform, the application set up by the other window tests of this program) with the
// document each one is about.
#ifdef MOXNFE_JANELAS
#include <gtest/gtest.h>

#include <functional>

#include "component/TmoxNFe.h"
#include "danfe/NotasDanfe.h"
#include "reportview/JanelaDesenhista.h"
#include "reportview/JanelaVisualizacao.h"
#include "reportview/JanelasRelatorio.h"

namespace {

class JanelasDoComponente : public ::testing::Test {
 protected:
  JanelasDoComponente() { moxtest::PreparaComponente(nfe_, dir_); }
  // The text of what the preview window opened by aAcao shows, saved as PDF from the window.
  std::string Visualizado(const std::function<void()>& aAcao) {
    const std::string pdf = dir_.file("visto.pdf");
    std::filesystem::remove(pdf);
    janelas_.AoMostrar = [&](QWidget& aJanela) {
      auto& v = dynamic_cast<moxjanelas::JanelaVisualizacao&>(aJanela);
      EXPECT_TRUE(v.SalvarPdf(QString::fromStdString(pdf)));
    };
    aAcao();
    return std::filesystem::exists(pdf) ? moxtest::TextoDoPdf(pdf) : std::string();
  }
  // The fields the designer window opened by aAcao offers.
  QStringList Campos(const std::function<void()>& aAcao) {
    QStringList campos;
    janelas_.AoMostrar = [&](QWidget& aJanela) { campos = dynamic_cast<moxjanelas::JanelaDesenhista&>(aJanela).Campos(); };
    aAcao();
    return campos;
  }

  moxtest::TempDir dir_;
  mox::TmoxNFe nfe_;
  moxjanelas::JanelasRelatorio janelas_;
};

TEST_F(JanelasDoComponente, DanfeEpecPreviaECartaDeCorrecao) {
  const std::string nfe = moxtest::NotasAssinadas(moxtest::Tx2Exemplo("venda-simples.tx2")).front();
  const std::string nota = moxtest::NotaAutorizada(nfe);
  EXPECT_NE(Visualizado([&] { nfe_.VisualizarDanfe("1", nota, ""); }).find("PROTOCOLO DE AUTORIZAÇÃO DE USO"),
            std::string::npos);
  EXPECT_NE(Visualizado([&] { nfe_.PreverDanfe(nfe, ""); }).find("PREVISÃO DE DANFE. SEM VALOR FISCAL"),
            std::string::npos);
  const std::string epec = moxtest::NotaEmEpec();
  EXPECT_NE(Visualizado([&] { nfe_.VisualizarEPEC(epec, "891160000012345", "2016-08-02T14:05:00-03:00", ""); })
                .find("EPEC 891160000012345"),
            std::string::npos);
  const std::string cce = moxtest::ReadText(moxtest::Fixture("danfe/cce-registrada.xml"));
  EXPECT_NE(Visualizado([&] { nfe_.VisualizarCCe(cce); }).find("CARTA DE CORREÇÃO ELETRÔNICA"), std::string::npos);

  EXPECT_TRUE(Campos([&] { nfe_.EditarModeloDanfe("1", nota, ""); }).contains("EmitNome"));
  EXPECT_TRUE(Campos([&] { nfe_.EditarModeloCCe(cce); }).contains("xCorrecao"));
}

}  // namespace
#endif
