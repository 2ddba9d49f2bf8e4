#include "external/MailSender.h"

#include <openssl/rand.h>

#include <algorithm>
#include <ctime>
#include <filesystem>

#include "external/Base64.h"
#include "external/EKivoException.h"
#include "external/FileIO.h"
#include "external/TextSplit.h"
#include "external/AsciiCase.h"

namespace mox {

namespace {

constexpr long kDefaultTimeoutMs = 60000;

struct MimeDeleter {
  void operator()(curl_mime* m) const { curl_mime_free(m); }
};

struct SlistDeleter {
  void operator()(curl_slist* l) const { curl_slist_free_all(l); }
};

bool IsAscii(const std::string& aText) {
  return std::all_of(aText.begin(), aText.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

bool HasLineBreak(const std::string& aText) { return aText.find_first_of("\r\n") != std::string::npos; }

// RFC 2047 encoded words, cut between UTF-8 characters so each word decodes on its own.
std::string EncodeHeaderText(const std::string& aText) {
  if (IsAscii(aText)) return aText;
  std::string out;
  size_t pos = 0;
  while (pos < aText.size()) {
    size_t end = std::min(pos + 42, aText.size());
    while (end < aText.size() && (static_cast<unsigned char>(aText[end]) & 0xC0) == 0x80) --end;
    if (!out.empty()) out += ' ';
    out.append("=?UTF-8?B?").append(Base64Encode(aText.substr(pos, end - pos))).append("?=");
    pos = end;
  }
  return out;
}

// The bare address of "Name <address>" or "address".
std::string BareAddress(const std::string& aAddress) {
  auto open = aAddress.rfind('<');
  std::string bare = aAddress;
  if (open != std::string::npos) {
    auto close = aAddress.find('>', open);
    if (close == std::string::npos) throw EKivoException("Endereço de e-mail inválido: " + aAddress);
    bare = aAddress.substr(open + 1, close - open - 1);
  }
  bare = Trim(bare);
  auto at = bare.find('@');
  if (at == std::string::npos || at == 0 || at + 1 == bare.size() || bare.find_first_of(" <>,;\"\r\n") != std::string::npos)
    throw EKivoException("Endereço de e-mail inválido: " + aAddress);
  return bare;
}

// The address as a header shows it, the display name encoded when it is not ASCII.
std::string HeaderAddress(const std::string& aAddress) {
  std::string bare = BareAddress(aAddress);
  auto open = aAddress.rfind('<');
  if (open == std::string::npos) return bare;
  std::string name = Trim(aAddress.substr(0, open));
  if (name.size() >= 2 && name.front() == '"' && name.back() == '"') name = name.substr(1, name.size() - 2);
  if (name.empty()) return bare;
  if (IsAscii(name)) return "\"" + name + "\" <" + bare + ">";
  return EncodeHeaderText(name) + " <" + bare + ">";
}

std::string JoinedHeader(const std::vector<std::string>& aAddresses) {
  std::string out;
  for (const auto& a : aAddresses) out += (out.empty() ? "" : ", ") + HeaderAddress(a);
  return out;
}

std::string DateHeader() {
  std::time_t now = std::time(nullptr);
  std::tm tm{};
  localtime_r(&now, &tm);
  char buf[64];
  std::strftime(buf, sizeof buf, "%a, %d %b %Y %H:%M:%S %z", &tm);
  return buf;
}

std::string MessageId(const std::string& aFrom) {
  unsigned char bytes[12];
  RAND_bytes(bytes, sizeof bytes);
  std::string id;
  for (unsigned char b : bytes) id += "0123456789abcdef"[b >> 4], id += "0123456789abcdef"[b & 15];
  std::string domain = aFrom.substr(aFrom.find('@') + 1);
  return "<" + id + "@" + domain + ">";
}

std::string ContentTypeOf(const std::string& aFile) {
  const std::string ext = LowerAscii(std::filesystem::path(aFile).extension().string());
  if (ext == ".xml") return "application/xml";
  if (ext == ".pdf") return "application/pdf";
  if (ext == ".txt") return "text/plain";
  if (ext == ".html" || ext == ".htm") return "text/html";
  if (ext == ".zip") return "application/zip";
  if (ext == ".png") return "image/png";
  if (ext == ".jpg" || ext == ".jpeg") return "image/jpeg";
  return "application/octet-stream";
}

std::string ServerUrl(const TMailServer& aServer) {
  std::string host = Trim(aServer.Host);
  if (host.empty()) throw EKivoException("Servidor SMTP não informado.");
  bool implicit = aServer.Security == TMailSecurity::Implicit ||
                  (aServer.Security == TMailSecurity::Automatic && aServer.Port == 465);
  std::string scheme = implicit ? "smtps://" : "smtp://";
  if (host.rfind("smtps://", 0) == 0 || host.rfind("smtp://", 0) == 0) {
    scheme = host.substr(0, host.find("://") + 3);
    host = host.substr(scheme.size());
  }
  while (!host.empty() && host.back() == '/') host.pop_back();
  int port = aServer.Port;
  if (port <= 0) port = scheme == "smtps://" ? 465 : (aServer.Authentication ? 587 : 25);
  if (host.find(':') != std::string::npos && host.front() != '[') host = "[" + host + "]";  // IPv6 literal
  return scheme + host + ":" + std::to_string(port);
}

long TlsPolicy(const TMailServer& aServer) {
  switch (aServer.Security) {
    case TMailSecurity::None: return CURLUSESSL_NONE;
    case TMailSecurity::StartTls:
    case TMailSecurity::Implicit: return CURLUSESSL_ALL;
    case TMailSecurity::Automatic: break;
  }
  return aServer.Authentication ? CURLUSESSL_ALL : CURLUSESSL_TRY;
}

void CheckMessage(const TMailMessage& aMessage) {
  if (Trim(aMessage.From).empty()) throw EKivoException("Remetente do e-mail não informado.");
  if (aMessage.To.empty() && aMessage.Cc.empty() && aMessage.Bcc.empty())
    throw EKivoException("Informe o endereço de e-mail do destinatário.");
  for (const std::string* h : {&aMessage.From, &aMessage.Subject})
    if (HasLineBreak(*h)) throw EKivoException("Quebra de linha não permitida no remetente ou no assunto do e-mail.");
}

}  // namespace

std::vector<std::string> SplitAddresses(const std::string& aList) { return SplitTrimmed(aList, ",;\r\n"); }

void SendMail(const TMailServer& aServer, const TMailMessage& aMessage) {
  CheckMessage(aMessage);
  const std::string url = ServerUrl(aServer);
  std::string from = BareAddress(aMessage.From);

  CurlSession s;
  std::unique_ptr<curl_slist, SlistDeleter> recipients;
  for (const auto* list : {&aMessage.To, &aMessage.Cc, &aMessage.Bcc})
    for (const auto& a : *list) {
      std::string rcpt = "<";
      rcpt.append(BareAddress(a)).append(">");
      curl_slist* next = curl_slist_append(recipients.get(), rcpt.c_str());
      if (!next) throw EKivoException("Falha ao montar a lista de destinatários.");
      recipients.release();
      recipients.reset(next);
    }

  // Attachments are read before connecting: a missing file must not leave half a conversation.
  std::vector<std::pair<std::string, std::string>> files;
  for (const auto& path : aMessage.Attachments) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) throw EKivoException("Arquivo anexo não encontrado: " + path);
    files.emplace_back(path, ReadFileBytes(path));
  }

  std::unique_ptr<curl_mime, MimeDeleter> mime(curl_mime_init(s.get()));
  curl_mimepart* body = curl_mime_addpart(mime.get());
  curl_mime_data(body, aMessage.Body.data(), aMessage.Body.size());
  curl_mime_type(body, aMessage.Html ? "text/html; charset=utf-8" : "text/plain; charset=utf-8");
  curl_mime_encoder(body, "quoted-printable");
  for (const auto& [path, bytes] : files) {
    curl_mimepart* part = curl_mime_addpart(mime.get());
    curl_mime_data(part, bytes.data(), bytes.size());
    curl_mime_filename(part, std::filesystem::path(path).filename().string().c_str());
    curl_mime_type(part, ContentTypeOf(path).c_str());
    curl_mime_encoder(part, "base64");
  }

  s.AddHeader("Date: " + DateHeader());
  s.AddHeader("From: " + HeaderAddress(aMessage.From));
  if (!aMessage.To.empty()) s.AddHeader("To: " + JoinedHeader(aMessage.To));
  if (!aMessage.Cc.empty()) s.AddHeader("Cc: " + JoinedHeader(aMessage.Cc));
  s.AddHeader("Subject: " + EncodeHeaderText(aMessage.Subject));
  s.AddHeader("Message-ID: " + MessageId(from));

  s.Set(CURLOPT_URL, url.c_str());
  s.Set(CURLOPT_PROTOCOLS_STR, "smtp,smtps");
  s.Set(CURLOPT_MAIL_FROM, ("<" + from + ">").c_str());
  s.Set(CURLOPT_MAIL_RCPT, recipients.get());
  s.Set(CURLOPT_MIMEPOST, mime.get());
  s.Set(CURLOPT_USE_SSL, TlsPolicy(aServer));
  s.SetTls(aServer.Tls);
  s.SetTimeout(aServer.TimeoutMs, kDefaultTimeoutMs);
  if (aServer.Authentication) {
    s.Set(CURLOPT_USERNAME, aServer.Login.c_str());
    s.Set(CURLOPT_PASSWORD, aServer.Password.c_str());
  }
  CURLcode rc = s.Perform();
  if (rc != CURLE_OK) {
    long reply = s.ResponseCode();
    throw EKivoException("Falha ao enviar e-mail por " + url + (reply ? " (resposta SMTP " + std::to_string(reply) + ")" : "") +
                         ": " + s.ErrorText(rc));
  }
}

}  // namespace mox
