#pragma once
// The certificate window: lists the installed certificates through the component, shows the
// chosen one and copies it to the clipboard.
#include <QWidget>
#include <functional>
#include <memory>

#include "component/TmoxNFe.h"

class QComboBox;
class QPlainTextEdit;
class QPushButton;

class TForm1 : public QWidget {
  Q_OBJECT

 public:
  // Receives the message of a failure the window does not handle itself; by default it is
  // shown in a message box once the window is up.
  using TOnErro = std::function<void(const QString& aMensagem)>;

  // aAntesDeCriar, when given, adjusts the component before FormCreate lists the certificates.
  explicit TForm1(TOnErro aOnErro = {}, const std::function<void(mox::TmoxNFe&)>& aAntesDeCriar = {},
                  QWidget* aParent = nullptr);
  ~TForm1() override;

  QComboBox* cbbCertificados;
  mox::TmoxNFe& moxNFe() { return *fmoxNFe; }
  QPushButton* btnCopiar;
  QPlainTextEdit* mmCertSelecionado;

 private:
  void FormCreate();
  void cbbCertificadosChange();
  void btnCopiarClick();
  void AplicaPropriedadesArmazenadas();

  std::unique_ptr<mox::TmoxNFe> fmoxNFe;
  TOnErro fOnErro;
};
