// moxnfe-certificados: the window that lists the installed certificates.
#include <QApplication>
#include <QCommandLineParser>
#include <QTimer>
#include <cstdio>

#include "external/TmoxKivoX.h"
#include "host/TForm1.h"

#include <QComboBox>

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName("moxnfe-certificados");
  QCommandLineParser parser;
  parser.setApplicationDescription("Lista os certificados digitais instalados (repositório do moxnfe e tokens A3).");
  parser.addHelpOption();
  QCommandLineOption pasta("certificados", "Pasta do repositório de certificados (PKCS#12).", "pasta");
  QCommandLineOption modulo("modulo-pkcs11", "Módulo PKCS#11 dos tokens e cartões (certificados A3).", "arquivo");
  QCommandLineOption captura("captura", "Grava uma imagem PNG da janela e sai.", "arquivo.png");
  QCommandLineOption escolher("escolher", "Escolhe o certificado de número N (a partir de 1) ao abrir.", "N");
  parser.addOption(pasta);
  parser.addOption(modulo);
  parser.addOption(captura);
  parser.addOption(escolher);
  parser.process(app);

  auto ajuste = [&](mox::TmoxNFe& aNFe) {
    if (parser.isSet(pasta)) aNFe.GetKivo().SetCertificateStoreFolder(parser.value(pasta).toStdString());
    if (parser.isSet(modulo)) aNFe.SetModuloPKCS11(parser.value(modulo).toStdString());
  };
  QString falha;
  TForm1::TOnErro onErro;
  if (parser.isSet(captura)) onErro = [&falha](const QString& aMensagem) { falha = aMensagem; };
  TForm1 janela(onErro, ajuste);
  if (parser.isSet(escolher)) janela.cbbCertificados->setCurrentIndex(parser.value(escolher).toInt() - 1);
  janela.show();
  if (!parser.isSet(captura)) return app.exec();

  const QString arquivo = parser.value(captura);
  if (!falha.isEmpty()) std::fprintf(stderr, "moxnfe-certificados: %s\n", falha.toLocal8Bit().constData());
  if (!janela.grab().save(arquivo, "PNG")) {
    std::fprintf(stderr, "moxnfe-certificados: não foi possível gravar %s\n", arquivo.toLocal8Bit().constData());
    return 1;
  }
  std::printf("%s\n", arquivo.toLocal8Bit().constData());
  return 0;
}
