// moxnfe-certificados: the window that lists the installed certificates.
#include <QApplication>
#include <QCommandLineParser>
#include <QStringList>
#include <cstdio>
#include <cstdlib>

#include "external/TmoxKivoX.h"
#include "host/TForm1.h"

#include <QComboBox>

namespace {

struct Opcao {
  const char* nome;
  const char* valor;  // empty for a flag
  const char* descricao;
};

const Opcao kOpcoes[] = {
    {"certificados", "PASTA", "pasta do repositório de certificados (PKCS#12)"},
    {"modulo-pkcs11", "ARQUIVO", "módulo PKCS#11 dos tokens e cartões (certificados A3)"},
    {"captura", "ARQUIVO.png", "grava uma imagem PNG da janela e sai (funciona sem tela)"},
    {"escolher", "N", "escolhe o certificado de número N (a partir de 1) ao abrir"},
    {"help", "", "mostra esta ajuda"},
};

// Qt's own help and errors are in English; these are the program's.
void MostraAjuda() {
  std::printf(
      "Uso: moxnfe-certificados [opções]\n\n"
      "Abre a janela \"Certificados instalados\": lista os certificados do repositório do moxnfe,\n"
      "mostra o escolhido e o copia com \"Copiar\". Precisa de uma tela; sem tela, use --captura\n"
      "ou QT_QPA_PLATFORM=offscreen.\n\nOpções:\n");
  for (const Opcao& o : kOpcoes) {
    const QString esquerda = QString("--") + o.nome + (*o.valor ? QString(" ") + o.valor : QString());
    std::printf("  %-28s %s\n", esquerda.toUtf8().constData(), o.descricao);
  }
}

bool TemTela() {
  for (const char* v : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
    if (const char* valor = std::getenv(v); valor && *valor) return true;
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  QStringList argumentos;
  for (int i = 0; i < argc; ++i) argumentos << QString::fromLocal8Bit(argv[i]);
  QCommandLineParser parser;
  for (const Opcao& o : kOpcoes) {
    QCommandLineOption opcao(QStringList() << o.nome << (QString(o.nome) == "help" ? "h" : o.nome), o.descricao);
    if (*o.valor) opcao.setValueName(o.valor);
    parser.addOption(opcao);
  }
  // Parsed before the application exists: --help and mistakes need no display.
  if (!parser.parse(argumentos)) {
    std::fprintf(stderr, "moxnfe-certificados: opção desconhecida ou sem valor: %s\nUse --help para ver as opções.\n",
                 argumentos.mid(1).join(' ').toUtf8().constData());
    return 2;
  }
  if (parser.isSet("help")) {
    MostraAjuda();
    return 0;
  }
  if (!TemTela()) {
    if (!parser.isSet("captura")) {
      std::fprintf(stderr,
                   "moxnfe-certificados: não há tela (DISPLAY e WAYLAND_DISPLAY não estão definidas).\n"
                   "Abra a janela numa sessão gráfica, ou grave uma imagem dela sem tela com\n"
                   "  moxnfe-certificados --captura janela.png\n"
                   "(ou defina QT_QPA_PLATFORM=offscreen).\n");
      return 1;
    }
    // A capture needs no screen: Qt draws the window off screen.
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
  }

  QApplication app(argc, argv);
  QApplication::setApplicationName("moxnfe-certificados");
  const QString pasta = parser.value("certificados"), captura = parser.value("captura");
  const QString modulo = parser.value("modulo-pkcs11");

  auto ajuste = [&](mox::TmoxNFe& aNFe) {
    if (!pasta.isEmpty()) aNFe.GetKivo().SetCertificateStoreFolder(pasta.toStdString());
    if (!modulo.isEmpty()) aNFe.SetModuloPKCS11(modulo.toStdString());
  };
  QString falha;
  TForm1::TOnErro onErro;
  if (!captura.isEmpty()) onErro = [&falha](const QString& aMensagem) { falha = aMensagem; };
  TForm1 janela(onErro, ajuste);
  if (parser.isSet("escolher")) janela.cbbCertificados->setCurrentIndex(parser.value("escolher").toInt() - 1);
  janela.show();
  if (captura.isEmpty()) return app.exec();

  if (!falha.isEmpty()) std::fprintf(stderr, "moxnfe-certificados: %s\n", falha.toLocal8Bit().constData());
  if (!janela.grab().save(captura, "PNG")) {
    std::fprintf(stderr, "moxnfe-certificados: não foi possível gravar %s\n", captura.toLocal8Bit().constData());
    return 1;
  }
  std::printf("%s\n", captura.toLocal8Bit().constData());
  return 0;
}
