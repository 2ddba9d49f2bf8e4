// The preview and designer windows, opened by the DANFE front under Qt's offscreen platform.
#ifdef MOXNFE_JANELAS
#include <gtest/gtest.h>

#include <memory>

#include "base/EmoxException.h"
#include "component/TmoxNFe.h"
#include "danfe/NotasDanfe.h"
#include "danfe/TmoxNFeDanfe.h"
#include "report/ReportModel.h"
#include "reportview/JanelaDesenhista.h"
#include "reportview/JanelaVisualizacao.h"
#include "reportview/JanelasRelatorio.h"
#include "support/AmbienteQt.h"

namespace {

const auto* const kQt = ::testing::AddGlobalTestEnvironment(new moxtest::AmbienteQt("tests_danfe"));

class JanelasRelatorio : public ::testing::Test {
 protected:
  // The PNG of the first page of the note exported with aModelo.
  std::string Pagina(const std::string& aModelo) {
    const std::string png = dir_.file("pagina.png");
    danfe_.SetParams(moxtest::ParametrosExportacao(png, "ModeloRetrato=" + aModelo + "\r\n"));
    danfe_.SetXML(nota_);
    danfe_.Exportar();
    return moxtest::ReadText(png);
  }

  mox::TmoxNFe nfe_;
  mox::TmoxNFeDanfe& danfe_ = *nfe_.GetDanfeNFe();
  moxtest::TempDir dir_;
  moxjanelas::JanelasRelatorio janelas_;
  std::string nota_ = moxtest::NotaAutorizada(moxtest::NotasAssinadas(moxtest::Tx2ComItens(60)).front());
};

TEST_F(JanelasRelatorio, VisualizacaoMostraAsPaginasEmZoomESalvaPdf) {
  int paginas = 0;
  bool mostrada = false;
  janelas_.AoMostrar = [&](QWidget& aJanela) {
    auto& v = dynamic_cast<moxjanelas::JanelaVisualizacao&>(aJanela);
    mostrada = v.isVisible();
    paginas = v.Paginas();
    const QImage& primeira = v.Pagina(0);
    EXPECT_GT(primeira.width(), 800);
    // Not a blank page: the boxes and texts darken pixels.
    int escuros = 0;
    for (int y = 0; y < primeira.height(); y += 3)
      for (int x = 0; x < primeira.width(); x += 3) escuros += qGray(primeira.pixel(x, y)) < 128;
    EXPECT_GT(escuros, 1000);
    v.SetZoom(2.0);
    EXPECT_DOUBLE_EQ(v.Zoom(), 2.0);
    EXPECT_TRUE(v.SalvarPdf(QString::fromStdString(dir_.file("salvo.pdf"))));
  };
  danfe_.SetParams(moxtest::ParametrosExportacao(""));
  danfe_.SetXML(nota_);
  danfe_.Visualizar();
  EXPECT_TRUE(mostrada);
  EXPECT_GE(paginas, 2);
  EXPECT_NE(moxtest::TextoDoPdf(dir_.file("salvo.pdf")).find("FOLHA 2/"), std::string::npos);
}

TEST_F(JanelasRelatorio, DesenhistaSalvaSemMudarODesenhoEMoveElementos) {
  const std::string modelo = dir_.file("retrato.rtm");
  moxtest::WriteText(modelo, moxtest::ReadText(moxtest::Modelo("retrato.rtm")));
  const std::string antes = Pagina(modelo);

  size_t elementos = 0;
  janelas_.AoMostrar = [&](QWidget& aJanela) {
    auto& d = dynamic_cast<moxjanelas::JanelaDesenhista&>(aJanela);
    elementos = d.Elementos().size();
    EXPECT_TRUE(d.Campos().contains("EmitNome"));
    EXPECT_TRUE(d.Salvar());
  };
  danfe_.SetParams(moxtest::ParametrosExportacao("", "ModeloRetrato=" + modelo + "\r\n"));
  danfe_.SetXML(nota_);
  danfe_.Editar();
  EXPECT_GT(elementos, 100u);
  EXPECT_TRUE(Pagina(modelo) == antes);

  // Moving the emitter's name (the one printed without a logo) and changing its text.
  janelas_.AoMostrar = [&](QWidget& aJanela) {
    auto& d = dynamic_cast<moxjanelas::JanelaDesenhista&>(aJanela);
    for (size_t i = 0; i < d.Elementos().size(); ++i) {
      const auto& p = d.Elementos()[i];
      const auto& json = d.Modelo()["bandas"][p.band]["elementos"][p.element];
      if (!p.columnHeader && json.value("texto", std::string()) == "{EmitNome}" &&
          json.value("visivelSe", std::string()) == "!#logo") {
        d.Selecionar(static_cast<int>(i));
        d.Mover(static_cast<int>(i), 10, 0);
        d.Alterar("texto", "{EmitNome} - MATRIZ");
        break;
      }
    }
    EXPECT_TRUE(d.Salvar());
  };
  danfe_.SetParams(moxtest::ParametrosExportacao("", "ModeloRetrato=" + modelo + "\r\n"));
  danfe_.SetXML(nota_);
  danfe_.Editar();
  EXPECT_FALSE(Pagina(modelo) == antes);
  EXPECT_NE(moxtest::ReadText(modelo).find("{EmitNome} - MATRIZ"), std::string::npos);
  const std::string pdf = dir_.file("movido.pdf");
  danfe_.SetParams(moxtest::ParametrosExportacao(pdf, "ModeloRetrato=" + modelo + "\r\n"));
  danfe_.SetXML(nota_);
  danfe_.Exportar();
  EXPECT_NE(moxtest::TextoDoPdf(pdf).find("MATRIZ"), std::string::npos);
}

TEST_F(JanelasRelatorio, SemJanelasAVisualizacaoDizPorque) {
  moxjanelas::JanelasRelatorio* nenhuma = nullptr;
  mox::SetKivoReportWindows(nenhuma);
  danfe_.SetParams(moxtest::ParametrosExportacao(""));
  danfe_.SetXML(nota_);
  try {
    danfe_.Visualizar();
    FAIL() << "visualizou sem janelas";
  } catch (const mox::EmoxException& e) {
    EXPECT_STREQ(e.what(), "Pré-visualização indisponível: este programa não tem janelas de relatório.");
  }
}

}  // namespace
#endif
