#include "sandbox/ServidorSandbox.h"

#include <httplib.h>
#include <openssl/ssl.h>
#include <sys/socket.h>

#include <cerrno>
#include <iostream>
#include <mutex>
#include <stdexcept>
#include <thread>

#include "sandbox/AtendimentoSoap.h"
#include "sandbox/RotasSandbox.h"

namespace mox::sandbox {

namespace {

constexpr size_t kMaiorRequisicao = 16u << 20;
// Each connection holds a worker while it is read, so idle or slow clients must neither keep
// all of them nor keep one for long: many workers, short handshake, read and keep-alive waits.
constexpr size_t kLinhasDeAtendimento = 128;
constexpr time_t kEsperaLeituraSegundos = 2;
constexpr time_t kEsperaConexaoOciosaSegundos = 2;
const unsigned char kContextoSessao[] = "moxnfe-sandbox";

// CNPJ (or CPF) of the client's certificate.
std::string Transmissor(const httplib::Request& aRequisicao) {
  X509* par = aRequisicao.ssl ? SSL_get1_peer_certificate(aRequisicao.ssl) : nullptr;
  if (!par) return {};
  CertificateCredential c;
  c.Certificate.reset(par);
  const CertificateInfo info = DescribeCertificate(c);
  return info.Cnpj.empty() ? info.Cpf : info.Cnpj;
}

void Registra(const std::string& aLinha) {
  static std::mutex mutex;
  std::string linha;
  linha.append("[").append(DataHoraLocal(std::chrono::system_clock::now())).append("] ").append(aLinha).append("\n");
  std::lock_guard trava(mutex);
  std::cerr << linha << std::flush;
}

// The connection dropped with nothing written back.
void Encerra(const httplib::Request& aPedido, const std::string& aRegistro) {
  Registra(aRegistro);
  if (aPedido.ssl) ::shutdown(SSL_get_fd(aPedido.ssl), SHUT_RDWR);
}

// The fault chosen for a batch just recorded; false when no answer is to be written.
bool AplicaFalha(const httplib::Request& aPedido, TRespostaHttp& aHttp, FalhasSandbox& aFalhas) {
  switch (aFalhas.ProximoLote()) {
    case TFalhaLote::Nenhuma: return true;
    case TFalhaLote::SemResposta:
      Encerra(aPedido, aHttp.Registro + " [falha: conexão encerrada sem resposta]");
      return false;
    case TFalhaLote::ErroHttp:
      aHttp.Status = 500;
      aHttp.Corpo = "<html><body>Erro interno: resposta interrompida";
      aHttp.TipoConteudo = "text/html; charset=utf-8";
      aHttp.Registro += " [falha: HTTP 500 com corpo inválido]";
      return true;
    case TFalhaLote::Atraso:
      aHttp.Registro += " [falha: resposta atrasada " + std::to_string(aFalhas.AtrasoMs()) + " ms]";
      std::this_thread::sleep_for(std::chrono::milliseconds(aFalhas.AtrasoMs()));
      return true;
  }
  return true;
}

}  // namespace

ServidorSandbox::ServidorSandbox(TConfiguracaoServidor aConfiguracao, TRecursos& aRecursos)
    : configuracao_(std::move(aConfiguracao)), recursos_(aRecursos) {
  const auto& c = configuracao_;
  servidor_ = std::make_unique<httplib::SSLServer>([&c](SSL_CTX& aContexto) {
    SSL_CTX_set_min_proto_version(&aContexto, TLS1_2_VERSION);
    if (SSL_CTX_use_certificate(&aContexto, c.Servidor.Certificate.get()) != 1 ||
        SSL_CTX_use_PrivateKey(&aContexto, c.Servidor.PrivateKey.get()) != 1 ||
        SSL_CTX_check_private_key(&aContexto) != 1)
      return false;
    for (const auto& elo : c.Servidor.Chain) SSL_CTX_add1_chain_cert(&aContexto, elo.get());
    X509_STORE* confiaveis = X509_STORE_new();
    X509_STORE_add_cert(confiaveis, c.Autoridade.Certificate.get());
    SSL_CTX_set_cert_store(&aContexto, confiaveis);
    STACK_OF(X509_NAME)* nomes = sk_X509_NAME_new_null();
    sk_X509_NAME_push(nomes, X509_NAME_dup(X509_get_subject_name(c.Autoridade.Certificate.get())));
    SSL_CTX_set_client_CA_list(&aContexto, nomes);
    SSL_CTX_set_verify(&aContexto, SSL_VERIFY_PEER | SSL_VERIFY_FAIL_IF_NO_PEER_CERT, nullptr);
    SSL_CTX_set_session_id_context(&aContexto, kContextoSessao, sizeof kContextoSessao - 1);
    return true;
  });
  if (!servidor_->is_valid()) throw std::runtime_error("Não foi possível preparar o TLS com o certificado do servidor.");
  servidor_->new_task_queue = [] { return new httplib::ThreadPool(kLinhasDeAtendimento); };
  servidor_->set_payload_max_length(kMaiorRequisicao);
  servidor_->set_read_timeout(kEsperaLeituraSegundos);
  servidor_->set_keep_alive_timeout(kEsperaConexaoOciosaSegundos);
  // Answers go out in more than one write; without this each waits for a delayed ACK.
  servidor_->set_tcp_nodelay(true);
  // Reuse of an address in TIME_WAIT only: with SO_REUSEPORT a second sandbox on the same port
  // would start and split the requests between two states.
  servidor_->set_socket_options([](int aSocket) {
    int sim = 1;
    ::setsockopt(aSocket, SOL_SOCKET, SO_REUSEADDR, &sim, sizeof sim);
  });
  servidor_->Post(".*", [this](const httplib::Request& aPedido, httplib::Response& aResposta) {
    FalhasSandbox* falhas = recursos_.Falhas;
    if (falhas && falhas->Responde404()) {
      aResposta.status = 404;
      aResposta.set_content("Not Found\n", "text/plain; charset=utf-8");
      return Registra(aPedido.path + " [falha: HTTP 404]");
    }
    const TRota* rota = RotaDoCaminho(aPedido.path);
    if (falhas && rota && rota->Atende == AtendeEnvioLote && falhas->LoteNaoRecebido())
      return Encerra(aPedido, aPedido.path + " [falha: lote perdido antes de ser lido]");
    TRequisicaoHttp requisicao{aPedido.path, aPedido.body, aPedido.get_header_value("Content-Type"),
                               aPedido.get_header_value("SOAPAction"), Transmissor(aPedido)};
    TRespostaHttp http = AtendeRequisicao(requisicao, recursos_);
    if (http.LoteRecebido && falhas && !AplicaFalha(aPedido, http, *falhas)) return;
    if (http.ConsultaAtendida && falhas && falhas->ConsultaSemResposta())
      return Encerra(aPedido, http.Registro + " [falha: consulta respondida, conexão encerrada sem resposta]");
    if (http.DistribuicaoAtendida && falhas && falhas->DistribuicaoSemResposta())
      return Encerra(aPedido, http.Registro + " [falha: distribuição sem resposta]");
    aResposta.status = http.Status;
    aResposta.set_content(http.Corpo, http.TipoConteudo.c_str());
    Registra(http.Registro);
  });
}

ServidorSandbox::~ServidorSandbox() = default;

int ServidorSandbox::Liga() {
  errno = 0;
  const int porta = configuracao_.Porta == 0 ? servidor_->bind_to_any_port(configuracao_.Endereco.c_str())
                                             : (servidor_->bind_to_port(configuracao_.Endereco.c_str(), configuracao_.Porta)
                                                    ? configuracao_.Porta
                                                    : -1);
  if (porta > 0) return porta;
  const std::string endereco = configuracao_.Endereco + ":" + std::to_string(configuracao_.Porta);
  if (errno == EADDRINUSE)
    throw std::runtime_error("A porta " + std::to_string(configuracao_.Porta) + " já está em uso (" + endereco +
                             "): outro sandbox ou programa escuta nela. Escolha outra com --porta, ou --porta 0 "
                             "para uma livre.");
  throw std::runtime_error("Não foi possível escutar em " + endereco + ".");
}

void ServidorSandbox::Atende() { servidor_->listen_after_bind(); }

void ServidorSandbox::Para() {
  while (!servidor_->is_running()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  servidor_->stop();
}

}  // namespace mox::sandbox
