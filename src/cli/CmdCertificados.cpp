// moxnfe certificados listar|inspecionar|verificar|remover|importar
#include <ctime>
#include <ostream>

#include "cli/CliCertificateOptions.h"
#include "cli/CliCommand.h"
#include "external/CertificateStore.h"
#include <memory>

#include "component/TmoxNFe.h"
#include "external/EKivoException.h"
#include "external/TmoxKivoX.h"
#include "external/TokenStore.h"
#include "external/moxDateTime.h"

namespace moxcli {

namespace {

std::string IsoUtc(std::chrono::system_clock::time_point aTime) {
  std::time_t t = std::chrono::system_clock::to_time_t(aTime);
  std::tm tm{};
  gmtime_r(&t, &tm);
  char buf[32];
  std::strftime(buf, sizeof buf, "%Y-%m-%dT%H:%M:%SZ", &tm);
  return buf;
}

std::string Field(const std::string& aName, const std::string& aValue) {
  return "\"" + aName + "\":\"" + JsonEscape(aValue) + "\"";
}

std::string InfoJson(const mox::CertificateInfo& i) {
  return Field("nome", i.CommonName) + "," + Field("cnpj", i.Cnpj) + "," + Field("cpf", i.Cpf) + "," +
         Field("assunto", i.Subject) + "," + Field("emissor", i.IssuerName) + "," +
         Field("validoDe", IsoUtc(i.NotBefore)) + "," + Field("validoAte", IsoUtc(i.NotAfter)) + "," +
         Field("serie", i.Serial) + "," + Field("impressaoDigital", i.Thumbprint) + "," +
         Field("tipo", i.Token.empty() ? "A1" : "A3") + "," + Field("token", i.Token) + ",\"chavePrivada\":" +
         (i.HasPrivateKey || !i.Token.empty() ? "true" : "false");
}

std::string Folder(const CliArgs& aArgs) {
  std::string folder = aArgs.OptionOr("repositorio", "");
  return folder.empty() ? mox::CertificateStore::DefaultFolder() : folder;
}

// The positional PKCS#12 file, if any; more than one is a usage error.
std::string FileArgument(const CliArgs& aArgs) {
  if (aArgs.Positional().size() > 1) throw CliUsageError{"informe um só arquivo de certificado"};
  return aArgs.Positional().empty() ? "" : aArgs.Positional().front();
}

// The component, pointed at the store, the tokens and the certificate of the options.
std::unique_ptr<mox::TmoxNFe> Componente(const CliArgs& aArgs) {
  auto nfe = std::make_unique<mox::TmoxNFe>();
  ConfigureComponentCertificate(*nfe, aArgs);
  return nfe;
}

mox::TokenStore Tokens(const CliArgs& aArgs) {
  mox::TokenStore tokens;
  tokens.SetModules(aArgs.OptionOr("modulo-pkcs11", ""));
  return tokens;
}

int Listar(const CliArgs& aArgs, CliIo& aIo) {
  if (!aArgs.Positional().empty()) throw CliUsageError{"listar não recebe argumentos"};
  if (aArgs.Json()) {
    // Scripts get every detail of each file, not only the component's one-line description.
    mox::CertificateCache cache;
    mox::CertificateStore store(Folder(aArgs), cache);
    std::vector<std::string> items;
    for (const auto& e : store.List(CertificatePassword(aArgs)))
      items.push_back(Field("arquivo", e.File) + "," + Field("linha", e.Line()) + "," +
                      (e.Certificate ? InfoJson(e.Certificate->Info) : Field("erro", e.Error)));
    for (const auto& e : Tokens(aArgs).List())
      items.push_back(Field("modulo", e.Module) + "," + Field("linha", e.Line()) + "," +
                      (e.Certificate ? InfoJson(e.Certificate->Info) : Field("erro", e.Error)));
    aIo.out << "[";
    for (size_t i = 0; i < items.size(); ++i) aIo.out << (i ? "," : "") << "{" << items[i] << "}";
    aIo.out << "]\n";
    return 0;
  }
  std::vector<std::string> linhas;
  Componente(aArgs)->ListarCertificados(&linhas);
  if (linhas.empty()) aIo.out << "Nenhum certificado em " << Folder(aArgs) << " nem nos tokens conectados\n";
  for (const auto& l : linhas) aIo.out << l << "\n";
  return 0;
}

int Inspecionar(const CliArgs& aArgs, CliIo& aIo) {
  if (aArgs.Flag("a3")) {
    // What the token shows without the PIN is enough to describe its certificate.
    const std::string name = aArgs.OptionOr("nome", "");
    if (name.empty() || !FileArgument(aArgs).empty())
      throw CliUsageError{"com --a3, informe --nome NOME de um certificado do token (nome, CNPJ ou série)"};
    const auto entry = Tokens(aArgs).Find(name);
    if (aArgs.Json())
      aIo.out << "{" << Field("modulo", entry.Module) << "," << InfoJson(entry.Certificate->Info) << "}\n";
    else
      aIo.out << mox::CertificateDetails(entry.Certificate->Info);
    return 0;
  }
  mox::TmoxKivoX kivo;
  ConfigureCertificate(kivo, aArgs, FileArgument(aArgs), aArgs.OptionOr("nome", ""));
  auto certificate = kivo.ConfiguredCertificate(kivo.SignerSettings);
  if (aArgs.Json())
    aIo.out << "{" << Field("arquivo", certificate->Info.Source) << "," << InfoJson(certificate->Info) << "}\n";
  else
    aIo.out << mox::CertificateDetails(certificate->Info);
  return 0;
}

int Verificar(const CliArgs& aArgs, CliIo& aIo) {
  const std::string file = FileArgument(aArgs), name = aArgs.OptionOr("nome", "");
  if (aArgs.Flag("a3") && (name.empty() || !file.empty()))
    throw CliUsageError{"com --a3, informe --nome NOME de um certificado do token (nome, CNPJ ou série)"};
  if (file.empty() && name.empty())
    throw CliUsageError{"informe o arquivo PKCS#12 do certificado ou --nome NOME de um certificado do repositório"};
  auto nfe = Componente(aArgs);
  std::string descricao;
  nfe->OnCheckCertificate = [&descricao](std::string& aTexto) { descricao = aTexto; };
  nfe->SetCaminhoCertificado(file);
  // Naming a store certificate checks it at once; a file is checked explicitly.
  if (!name.empty()) nfe->NomeCertificado().SetText(name);
  nfe->CheckCertificate();
  const std::string vencimento = mox::FormatDateTimeBR(nfe->GetVencimentoCertificado());
  if (aArgs.Json())
    aIo.out << "{\"valido\":true," << Field("descricao", descricao) << "," << Field("vencimento", vencimento) << "}\n";
  else
    aIo.out << "Certificado válido.\n" << descricao;
  return 0;
}

int Remover(const CliArgs& aArgs, CliIo& aIo) {
  if (aArgs.Positional().size() != 1) throw CliUsageError{"informe o nome do certificado a remover"};
  const std::string& name = aArgs.Positional().front();
  if (!Componente(aArgs)->RemoverCertificado(name))
    throw mox::EKivoException("Nenhum certificado do repositório " + Folder(aArgs) + " corresponde a \"" + name + "\".");
  if (aArgs.Json())
    aIo.out << "{\"removido\":true," << Field("nome", name) << "}\n";
  else
    aIo.out << "Certificado removido: " << name << "\n";
  return 0;
}

int Importar(const CliArgs& aArgs, CliIo& aIo) {
  if (aArgs.Positional().size() != 1) throw CliUsageError{"informe o arquivo PKCS#12 a importar"};
  mox::CertificateCache cache;
  mox::CertificateStore store(Folder(aArgs), cache);
  std::string stored = store.Import(aArgs.Positional().front(), CertificatePassword(aArgs));
  auto info = cache.Load(stored, {CertificatePassword(aArgs), ""})->Info;
  if (aArgs.Json())
    aIo.out << "{" << Field("arquivo", stored) << "," << InfoJson(info) << "}\n";
  else
    aIo.out << "Certificado importado: " << mox::CertificateListLine(info) << "\nArquivo: " << stored << "\n";
  return 0;
}

std::vector<CliOption> WithName(std::vector<CliOption> aOptions) {
  aOptions.insert(aOptions.begin(),
                  {"nome", "NOME", "certificado do repositório ou, com --a3, do token (nome, CNPJ, série ou linha da lista)"});
  return aOptions;
}

const std::string kStoreHelp =
    "O repositório é uma pasta de arquivos PKCS#12 (.pfx/.p12). Um arquivo abre com a senha\n"
    "guardada ao lado dele (ARQUIVO.senha, gravada por \"importar\"), com a senha informada ou\n"
    "sem senha. A pasta padrão pode ser trocada com MOXNFE_CERTIFICADOS.\n\n"
    "Certificados A3 (token ou cartão inteligente) são lidos pelo módulo PKCS#11 do fabricante\n"
    "(--modulo-pkcs11, MOXNFE_MODULO_PKCS11, ou o p11-kit/OpenSC do sistema) e aparecem na lista\n"
    "marcados \"A3: token RÓTULO\". Com --a3 --nome NOME, o PIN vem de --pin-arquivo ou MOXNFE_PIN;\n"
    "um PIN recusado pelo token não é tentado de novo.";

CliRegistrar listar{{{"certificados", "listar"},
                     "lista os certificados do repositório e dos tokens (A3), um por linha",
                     "[opções]",
                     kStoreHelp,
                     CertificatePasswordOptions(),
                     Listar}};

CliRegistrar inspecionar{{{"certificados", "inspecionar"},
                          "mostra os dados de um certificado (arquivo PKCS#12 ou do repositório)",
                          "[opções] [ARQUIVO.pfx]",
                          kStoreHelp,
                          WithName(CertificatePasswordOptions()),
                          Inspecionar}};

CliRegistrar verificar{{{"certificados", "verificar"},
                        "verifica se um certificado pode assinar: senha, chave privada e validade",
                        "[opções] [ARQUIVO.pfx]",
                        "Termina com status 1 e a mensagem do problema quando o certificado não serve.\n\n" + kStoreHelp,
                        WithName(CertificatePasswordOptions()),
                        Verificar}};

CliRegistrar remover{{{"certificados", "remover"},
                      "remove um certificado do repositório",
                      "[opções] NOME",
                      "NOME é o nome (CN), o CNPJ/CPF, o número de série, a impressão digital, o nome do arquivo\n"
                      "ou a linha mostrada por \"listar\". Um nome que designa mais de um certificado não remove nada.",
                      CertificatePasswordOptions(),
                      Remover}};

CliRegistrar importar{{{"certificados", "importar"},
                       "copia um arquivo PKCS#12 para o repositório, guardando a senha ao lado dele",
                       "[opções] ARQUIVO.pfx",
                       kStoreHelp,
                       CertificatePasswordOptions(),
                       Importar}};

}  // namespace

}  // namespace moxcli
