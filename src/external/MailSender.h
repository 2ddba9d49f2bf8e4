#pragma once
// E-mail over SMTP with libcurl: a MIME message with a plain or HTML body and attachments.
#include <string>
#include <vector>

#include "external/CurlSession.h"

namespace mox {

enum class TMailSecurity {
  Automatic,  // port 465: TLS from the start; otherwise STARTTLS when offered, and required
              // when authenticating, so a password never travels in clear
  None,       // never TLS
  StartTls,   // STARTTLS required
  Implicit,   // TLS from the start (smtps)
};

struct TMailServer {
  std::string Host;  // name or address; "smtp://..." or "smtps://..." also accepted
  int Port = 0;      // 0: 465 for implicit TLS, 587 when authenticating, else 25
  bool Authentication = false;
  std::string Login, Password;
  long TimeoutMs = 0;  // <= 0: one minute
  TMailSecurity Security = TMailSecurity::Automatic;
  TTlsOptions Tls;
};

struct TMailMessage {
  std::string From;  // "address" or "Name <address>"
  std::vector<std::string> To, Cc, Bcc;
  std::string Subject, Body;
  bool Html = false;
  std::vector<std::string> Attachments;  // file paths
};

// Raises EKivoException, naming the server, when the message cannot be handed over; before
// connecting when an address is malformed or an attachment cannot be read.
void SendMail(const TMailServer& aServer, const TMailMessage& aMessage);

// Addresses separated by ",", ";" or line breaks; blanks around each are dropped.
std::vector<std::string> SplitAddresses(const std::string& aList);

}  // namespace mox
