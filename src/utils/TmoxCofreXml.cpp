#include "utils/TmoxCofreXml.h"

#include <fcntl.h>
#include <openssl/evp.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <map>
#include <set>

#include "base/EmoxException.h"
#include "external/EKivoException.h"
#include "external/FileIO.h"
#include "external/Utf8Text.h"
#include "external/XPathQuery.h"
#include "external/XmlDocument.h"
#include "external/moxPaths.h"

namespace mox {

namespace {

namespace fs = std::filesystem;

constexpr const char* kIndice = "indice.txt";
constexpr const char* kTrava = ".trava";

// The document as the archive files it: its key, its kind and its name.
struct TDocumentoCofre {
  std::string Chave, Tipo, Nome;
};

std::string Primeiro(const XmlDocument& aDoc, const std::string& aXPath) {
  const XPathResult r = EvaluateXPath(aDoc, aXPath, {});
  return r.nodes.empty() ? std::string() : NodeText(r.nodes.front());
}

bool Existe(const XmlDocument& aDoc, const std::string& aXPath) {
  return !EvaluateXPath(aDoc, aXPath, {}).nodes.empty();
}

bool ChaveValida(const std::string& aChave) {
  return aChave.size() == 44 && aChave.find_first_not_of("0123456789") == std::string::npos;
}

// What the document is, or EmoxCofralException when the archive does not keep it.
TDocumentoCofre Identifica(const std::string& aXml, const std::string& aLogErro) {
  XmlDocument doc = [&] {
    try {
      return XmlDocument::Parse(RemoveUtf8Bom(aXml));
    } catch (const EKivoException& e) {
      throw EmoxCofralException("O documento entregue ao cofre não é um XML válido: " + std::string(e.what()),
                                aLogErro);
    }
  }();
  const std::string raiz(LocalName(doc.Root()));
  TDocumentoCofre d;
  if (raiz == "nfeProc") {
    if (!Existe(doc, "/*/*[local-name()='protNFe']/*[local-name()='infProt']"))
      throw EmoxCofralException("O nfeProc entregue ao cofre não tem o protocolo de autorização (protNFe).", aLogErro);
    d.Chave = Primeiro(doc, "/*/*[local-name()='protNFe']/*[local-name()='infProt']/*[local-name()='chNFe']");
    d.Tipo = "nfe";
    d.Nome = d.Chave + "-nfe.xml";
  } else if (raiz == "procCancNFe") {
    if (!Existe(doc, "/*/*[local-name()='retCancNFe']"))
      throw EmoxCofralException("O procCancNFe entregue ao cofre não tem a resposta da SEFAZ (retCancNFe).", aLogErro);
    d.Chave = Primeiro(doc, "//*[local-name()='infCanc']/*[local-name()='chNFe']");
    d.Tipo = "cancelamento";
    d.Nome = d.Chave + "-can.xml";
  } else if (raiz == "procEventoNFe") {
    if (!Existe(doc, "/*/*[local-name()='retEvento']"))
      throw EmoxCofralException("O procEventoNFe entregue ao cofre não tem a resposta da SEFAZ (retEvento).", aLogErro);
    const std::string evento = "/*/*[local-name()='evento']/*[local-name()='infEvento']/*[local-name()='";
    d.Chave = Primeiro(doc, evento + "chNFe']");
    const std::string tipo = Primeiro(doc, evento + "tpEvento']");
    std::string sequencia = Primeiro(doc, evento + "nSeqEvento']");
    if (tipo.size() != 6 || tipo.find_first_not_of("0123456789") != std::string::npos || sequencia.empty() ||
        sequencia.size() > 2 || sequencia.find_first_not_of("0123456789") != std::string::npos)
      throw EmoxCofralException("O evento entregue ao cofre não tem tipo (tpEvento) e sequência (nSeqEvento) válidos.",
                                aLogErro);
    if (sequencia.size() < 2) sequencia.insert(0, "0");
    d.Tipo = "evento " + tipo;
    d.Nome = d.Chave + "-" + tipo + "-" + sequencia + "-eve.xml";
  } else {
    throw EmoxCofralException("O cofre guarda NF-e autorizadas (nfeProc), cancelamentos (procCancNFe) e eventos "
                              "(procEventoNFe); o documento entregue é " + raiz + ".",
                              aLogErro);
  }
  if (!ChaveValida(d.Chave))
    throw EmoxCofralException("A chave de acesso do documento entregue ao cofre é inválida: " + d.Chave, aLogErro);
  return d;
}

// CNPJ (or the CPF as the key carries it), year and month of issue, all from the access key.
std::string PastaDaChave(const std::string& aChave) {
  return aChave.substr(6, 14) + "/20" + aChave.substr(2, 2) + "/" + aChave.substr(4, 2) + "/";
}

// The same document written with another line ending or byte-order mark.
std::string Normalizado(const std::string& aTexto) {
  std::string t = RemoveUtf8Bom(aTexto);
  t.erase(std::remove(t.begin(), t.end(), '\r'), t.end());
  while (!t.empty() && (t.back() == '\n' || t.back() == ' ')) t.pop_back();
  return t;
}

std::string Agora() {
  const std::time_t t = std::time(nullptr);
  std::tm tm{};
  gmtime_r(&t, &tm);
  char buf[32];
  std::strftime(buf, sizeof buf, "%Y-%m-%dT%H:%M:%SZ", &tm);
  return buf;
}

[[noreturn]] void FalhaDeSistema(const std::string& aOque, const std::string& aCaminho, int aErro,
                                 const std::string& aLogErro) {
  throw EmoxCofralException(aOque + " " + aCaminho + ": " + std::strerror(aErro), aLogErro);
}

void SincronizaPasta(const std::string& aPasta, const std::string& aLogErro) {
  const int fd = ::open(aPasta.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) FalhaDeSistema("Não foi possível abrir a pasta do cofre", aPasta, errno, aLogErro);
  const int rc = ::fsync(fd);
  const int erro = errno;
  ::close(fd);
  if (rc != 0) FalhaDeSistema("Não foi possível gravar no disco a pasta do cofre", aPasta, erro, aLogErro);
}

void EscreveTudo(int aFd, const std::string& aBytes, const std::string& aCaminho, const std::string& aLogErro) {
  size_t feito = 0;
  while (feito < aBytes.size()) {
    const ssize_t n = ::write(aFd, aBytes.data() + feito, aBytes.size() - feito);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) FalhaDeSistema("Não foi possível gravar", aCaminho, errno, aLogErro);
    feito += static_cast<size_t>(n);
  }
}

// The bytes on disk under the new name, or nothing: a temporary file synced, then linked to the
// name (which fails rather than replace a file that appeared meanwhile), then the folder synced.
// Returns false when the name already existed.
bool GravaSemSubstituir(const std::string& aCaminho, const std::string& aBytes, const std::string& aLogErro) {
  const std::string pasta = fs::path(aCaminho).parent_path().string();
  const std::string temporario = aCaminho + ".tmp" + std::to_string(::getpid());
  const int fd = ::open(temporario.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0444);
  if (fd < 0) FalhaDeSistema("Não foi possível criar", temporario, errno, aLogErro);
  try {
    EscreveTudo(fd, aBytes, temporario, aLogErro);
    if (::fsync(fd) != 0) FalhaDeSistema("Não foi possível gravar no disco", temporario, errno, aLogErro);
  } catch (...) {
    ::close(fd);
    ::unlink(temporario.c_str());
    throw;
  }
  ::close(fd);
  const int rc = ::link(temporario.c_str(), aCaminho.c_str());
  const int erro = errno;
  ::unlink(temporario.c_str());
  if (rc != 0 && erro == EEXIST) return false;
  if (rc != 0) FalhaDeSistema("Não foi possível guardar", aCaminho, erro, aLogErro);
  SincronizaPasta(pasta, aLogErro);
  return true;
}

// One index line: digest, size, key, kind, path, time, separated by tabs.
std::string Linha(const TItemCofre& aItem) {
  return aItem.Sha256 + "\t" + std::to_string(aItem.Tamanho) + "\t" + aItem.Chave + "\t" + aItem.Tipo + "\t" +
         aItem.Arquivo + "\t" + aItem.GuardadoEm + "\n";
}

bool LeLinha(const std::string& aLinha, TItemCofre& aItem) {
  std::vector<std::string> campos;
  size_t inicio = 0;
  for (size_t fim; (fim = aLinha.find('\t', inicio)) != std::string::npos; inicio = fim + 1)
    campos.push_back(aLinha.substr(inicio, fim - inicio));
  campos.push_back(aLinha.substr(inicio));
  if (campos.size() != 6 || campos[0].size() != 64 || !ChaveValida(campos[2]) || campos[4].empty() ||
      campos[1].empty() || campos[1].find_first_not_of("0123456789") != std::string::npos || campos[1].size() > 18)
    return false;
  aItem = {campos[2], campos[3], campos[4], campos[0], std::stoll(campos[1]), campos[5]};
  return true;
}

// The index lines that read whole; a cut or damaged line is skipped.
std::vector<TItemCofre> ItensDoIndice(const std::string& aTexto) {
  std::vector<TItemCofre> itens;
  size_t inicio = 0;
  while (inicio < aTexto.size()) {
    size_t fim = aTexto.find('\n', inicio);
    if (fim == std::string::npos) fim = aTexto.size();
    TItemCofre item;
    if (LeLinha(aTexto.substr(inicio, fim - inicio), item)) itens.push_back(std::move(item));
    inicio = fim + 1;
  }
  return itens;
}

// An advisory lock on the archive for the life of the object: exclusive for storage, shared
// for reading, so two programs storing at once do not interleave their index lines.
class TravaCofre {
 public:
  TravaCofre(const std::string& aPasta, bool aExclusiva, const std::string& aLogErro) {
    const std::string caminho = aPasta + kTrava;
    fd_ = ::open(caminho.c_str(), (aExclusiva ? O_RDWR | O_CREAT : O_RDONLY) | O_CLOEXEC, 0644);
    if (fd_ < 0) {
      if (!aExclusiva && errno == ENOENT) return;  // nothing stored yet
      FalhaDeSistema("Não foi possível abrir", caminho, errno, aLogErro);
    }
    while (::flock(fd_, aExclusiva ? LOCK_EX : LOCK_SH) != 0)
      if (errno != EINTR) FalhaDeSistema("Não foi possível travar", caminho, errno, aLogErro);
  }
  ~TravaCofre() {
    if (fd_ >= 0) ::close(fd_);
  }
  TravaCofre(const TravaCofre&) = delete;
  TravaCofre& operator=(const TravaCofre&) = delete;

 private:
  int fd_ = -1;
};

std::string LeArquivo(const std::string& aCaminho, const std::string& aLogErro) {
  try {
    return ReadFileBytes(aCaminho);
  } catch (const EKivoException& e) {
    throw EmoxCofralException(e.what(), aLogErro);
  }
}

}  // namespace

std::string Sha256Hex(const std::string& aBytes) {
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int tamanho = 0;
  if (EVP_Digest(aBytes.data(), aBytes.size(), digest, &tamanho, EVP_sha256(), nullptr) != 1)
    throw EmoxCofralException("Falha ao calcular o SHA-256.");
  static const char* kHex = "0123456789abcdef";
  std::string hex;
  for (unsigned int i = 0; i < tamanho; ++i) hex += kHex[digest[i] >> 4], hex += kHex[digest[i] & 15];
  return hex;
}

TmoxCofreXml::TmoxCofreXml(std::string aPasta, std::string aDiretorioLogErro)
    : FPasta(WithTrailingSlash(AbsolutePath(aPasta))), FDiretorioLogErro(std::move(aDiretorioLogErro)) {
  if (aPasta.empty()) throw EmoxCofralException("A pasta do cofre não foi informada.", FDiretorioLogErro);
}

std::string TmoxCofreXml::Indice() const { return FPasta + kIndice; }

std::string TmoxCofreXml::EnviarXml(const std::string& aXml) { return FPasta + Guardar(aXml).Item.Arquivo; }

TGuardaCofre TmoxCofreXml::Guardar(const std::string& aXml) {
  const bool arquivo = !aXml.empty() && aXml.find('<') == std::string::npos;
  if (arquivo && !FileExists(aXml))
    throw EmoxCofralException("Arquivo entregue ao cofre não encontrado: " + aXml, FDiretorioLogErro);
  const std::string bytes = arquivo ? LeArquivo(aXml, FDiretorioLogErro) : aXml;
  const TDocumentoCofre d = Identifica(bytes, FDiretorioLogErro);

  if (!CreateDirectories(FPasta))
    throw EmoxCofralException("Não foi possível criar a pasta do cofre: " + FPasta, FDiretorioLogErro);
  TravaCofre trava(FPasta, true, FDiretorioLogErro);
  const std::string relativo = PastaDaChave(d.Chave) + d.Nome;
  if (!CreateDirectories(FPasta + PastaDaChave(d.Chave)))
    throw EmoxCofralException("Não foi possível criar a pasta do cofre: " + FPasta + PastaDaChave(d.Chave),
                              FDiretorioLogErro);

  TGuardaCofre r;
  r.Item = {d.Chave, d.Tipo, relativo, Sha256Hex(bytes), static_cast<long long>(bytes.size()), Agora()};
  r.Novo = GravaSemSubstituir(FPasta + relativo, bytes, FDiretorioLogErro);
  // Read once under the lock: the index's items and whether its last line was cut.
  const std::string textoIndice = TextoDoIndice();
  std::vector<TItemCofre> indice = ItensDoIndice(textoIndice);
  auto noIndice = std::find_if(indice.rbegin(), indice.rend(), [&](const TItemCofre& i) { return i.Arquivo == relativo; });
  if (!r.Novo) {
    const std::string guardado = LeArquivo(FPasta + relativo, FDiretorioLogErro);
    if (guardado != bytes && Normalizado(guardado) != Normalizado(bytes))
      throw EmoxCofralException("O cofre já guarda outro documento como " + relativo +
                                    "; o documento guardado não foi substituído.",
                                FDiretorioLogErro);
    if (noIndice != indice.rend()) return {*noIndice, false};
    // Stored by a run that stopped before its index line: recorded now, as it is on disk.
    r.Item.Sha256 = Sha256Hex(guardado);
    r.Item.Tamanho = static_cast<long long>(guardado.size());
  }
  // A line cut by a crash would run into this one: it is closed first.
  std::string linha = Linha(r.Item);
  if (!textoIndice.empty() && textoIndice.back() != '\n') linha.insert(0, "\n");
  const int fd = ::open(Indice().c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
  if (fd < 0) FalhaDeSistema("Não foi possível abrir o índice do cofre", Indice(), errno, FDiretorioLogErro);
  try {
    EscreveTudo(fd, linha, Indice(), FDiretorioLogErro);
    if (::fsync(fd) != 0) FalhaDeSistema("Não foi possível gravar no disco", Indice(), errno, FDiretorioLogErro);
  } catch (...) {
    ::close(fd);
    throw;
  }
  ::close(fd);
  SincronizaPasta(FPasta, FDiretorioLogErro);
  return r;
}

std::string TmoxCofreXml::TextoDoIndice() const {
  return FileExists(Indice()) ? LeArquivo(Indice(), FDiretorioLogErro) : std::string();
}

std::vector<TItemCofre> TmoxCofreXml::LerIndice() const { return ItensDoIndice(TextoDoIndice()); }


bool TmoxCofreXml::Contem(const std::string& aChave) const {
  if (!ChaveValida(aChave)) return false;
  return !Listar(aChave).empty();
}

std::vector<TItemCofre> TmoxCofreXml::Listar(const std::string& aFiltro) const {
  TravaCofre trava(FPasta, false, FDiretorioLogErro);
  std::vector<TItemCofre> itens;
  for (auto& i : LerIndice())
    if (i.Chave.starts_with(aFiltro)) itens.push_back(std::move(i));
  return itens;
}

std::vector<TFalhaCofre> TmoxCofreXml::Verificar(size_t* aVerificados) const {
  TravaCofre trava(FPasta, false, FDiretorioLogErro);
  std::vector<TFalhaCofre> falhas;
  std::map<std::string, std::string> digestos;  // the last line of each file holds
  for (const auto& i : LerIndice()) digestos[i.Arquivo] = i.Sha256;
  for (const auto& [arquivo, sha] : digestos) {
    const std::string caminho = FPasta + arquivo;
    if (!FileExists(caminho))
      falhas.push_back({arquivo, "ausente"});
    else if (Sha256Hex(LeArquivo(caminho, FDiretorioLogErro)) != sha)
      falhas.push_back({arquivo, "alterado"});
  }
  if (aVerificados) *aVerificados = digestos.size();
  std::error_code ec;
  if (!DirectoryExists(FPasta)) return falhas;
  std::vector<std::string> soltos;
  for (auto it = fs::recursive_directory_iterator(FPasta, ec); !ec && it != fs::recursive_directory_iterator();
       it.increment(ec)) {
    if (!it->is_regular_file() || it->path().extension() != ".xml") continue;
    const std::string relativo = fs::relative(it->path(), FPasta).generic_string();
    if (!digestos.count(relativo)) soltos.push_back(relativo);
  }
  std::sort(soltos.begin(), soltos.end());
  for (auto& s : soltos) falhas.push_back({std::move(s), "não indexado"});
  return falhas;
}

}  // namespace mox
