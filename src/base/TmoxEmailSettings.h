#pragma once
// E-mail settings of the component; copied into the services server before each use.
#include <string>

#include "external/MailSender.h"

namespace mox {

struct TmoxEmailSettings {
  std::string EmailRemetente;
  std::string EmailDestinatario;
  std::string ServidorSmtp;
  std::string Usuario;
  std::string Senha;
  std::string Assunto;
  std::string Mensagem;
  int Porta = 0;
  bool Autenticacao = false;
  std::string CCo;
  std::string CC;
  int TimeOut = 0;
  bool ConteudoHtml = false;
  // How the connection is protected (automatic: TLS on port 465, else STARTTLS, required when
  // authenticating) and the authorities that verify the server (PEM; empty: the system's).
  TMailSecurity Seguranca = TMailSecurity::Automatic;
  std::string ArquivoCA;
};

}  // namespace mox
