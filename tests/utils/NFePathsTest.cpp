// Folder tests, path expansion, the manual-version folder and the walk over a folder's files.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "external/TmoxKivoUtils.h"
#include "support/TestSupport.h"
#include "utils/UtilsTestSupport.h"
#include "utils/moxNFePaths.h"

using namespace mox;
namespace fs = std::filesystem;

TEST(moxDirectoryExists, FoldersFilesAndLinks) {
  moxtest::TempDir dir;
  fs::create_directory(dir.path() / "pasta");
  moxtest::WriteText(dir.file("arquivo.xml"), "<a/>");
  fs::create_directory_symlink(dir.path() / "pasta", dir.path() / "link-pasta");
  fs::create_symlink(dir.path() / "arquivo.xml", dir.path() / "link-arquivo");
  fs::create_directory_symlink(dir.path() / "sumiu", dir.path() / "link-quebrado");

  struct Case {
    std::string path;
    bool existe;
  };
  const std::vector<Case> cases = {
      {dir.str() + "pasta", true},         {dir.str() + "pasta/", true},
      {dir.str() + "pasta\\", true},       {dir.str() + "link-pasta", true},
      {dir.file("arquivo.xml"), false},    {dir.str() + "link-arquivo", false},
      {dir.str() + "link-quebrado", false}, {dir.str() + "nao-existe", false},
      {dir.file("arquivo.xml") + "/x", false}, {"", false},
      {dir.str() + std::string(5000, 'a'), false},
  };
  for (const auto& c : cases) EXPECT_EQ(moxDirectoryExists(c.path), c.existe) << c.path;
}

TEST(NFePaths, ActualDirAndFixSlash) {
  const std::string atual = GetActualDir();
  EXPECT_EQ(atual, fs::canonical("/proc/self/exe").parent_path().string() + "/");

  struct Case {
    std::string path, esperado;
  };
  const std::vector<Case> cases = {
      {"", ""}, {"/a", "/a/"}, {"/a/", "/a/"}, {"a\\b\\", "a/b/"}, {"Log", "Log/"},
  };
  for (auto c : cases) {
    FixSlash(c.path);
    EXPECT_EQ(c.path, c.esperado);
  }
}

TEST(NFePaths, ExpandPathFromTheProgramFolder) {
  const std::string atual = GetActualDir();
  // A real folder under the program folder, removed afterwards.
  const std::string nome = "expand-" + std::to_string(::getpid());
  fs::create_directories(atual + nome + "/vm50");
  moxtest::TempDir absoluta;

  EXPECT_EQ(ExpandPath(""), "");
  EXPECT_EQ(ExpandPath(nome), atual + nome + "/");
  EXPECT_EQ(ExpandPath(nome + "\\vm50"), atual + nome + "/vm50/");
  EXPECT_EQ(ExpandPath("nao-existe/Log"), atual + "nao-existe/Log");
  EXPECT_EQ(ExpandPath(absoluta.path().string()), absoluta.str());
  EXPECT_EQ(ExpandPath("/nao/existe"), "/nao/existe");

  EXPECT_EQ(ExpandPathFull(nome), atual + nome + "/");
  EXPECT_EQ(ExpandPathFull("nao-existe"), "nao-existe");
  EXPECT_EQ(ExpandPathFull(absoluta.path().string()), absoluta.str());
  fs::remove_all(atual + nome);
}

TEST(NFePaths, RemoveVersaoManualDoPath) {
  struct Case {
    std::string path, esperado;
  };
  const std::vector<Case> cases = {
      {"C:\\Templates\\vm50\\Danfe", "C:/Templates/"},
      {"/opt/moxnfe/Templates/vm50a/", "/opt/moxnfe/Templates/"},
      {"/opt/moxnfe/Esquemas/VM40", "/opt/moxnfe/Esquemas/"},
      {"/opt/moxnfe/Templates/Vm30/SP/", "/opt/moxnfe/Templates/"},
      {"/opt/moxnfe/Templates/Danfe", "/opt/moxnfe/Templates/Danfe/"},
      {"/a/vm50/b/vm30/c", "/a/vm50/b/"},  // searched in order vm30, vm40, vm50
      {"/vm50", "/"},
      {"", ""},
  };
  for (auto c : cases) {
    const std::string original = c.path;
    RemoveVersaoManualDoPath(c.path);
    EXPECT_EQ(c.path, c.esperado) << original;
  }
}

TEST(PercorrerArquivos, LogFolderListedByMask) {
  moxtest::TempDir dir;
  TmoxKivoUtils utils;
  const std::string chave = "35140312345678000195550010000001241123456788";
  const std::string envLot = utils.Log("<enviNFe/>", "env-lot", "42", "", dir.str());
  const std::string rec = utils.Log("<retEnviNFe/>", "rec", "42", "", dir.str());
  const std::string proRec = utils.Log("<retConsReciNFe/>", "pro-rec", "351000000012345", "", dir.str());
  const std::string sub = dir.str() + "2014/";
  const std::string antigo = utils.Log("<retConsReciNFe/>", "pro-rec", chave, "", sub);
  moxtest::WriteText(dir.file("LEIAME.TXT"), "x");
  moxtest::WriteText(dir.file("MAIUSCULO-PRO-REC.XML"), "x");

  std::vector<std::string> lista;
  PercorrerArquivos(dir.path().string(), "*-pro-rec.xml", false, lista);
  EXPECT_EQ(lista, (std::vector<std::string>{dir.str() + proRec, dir.str() + "MAIUSCULO-PRO-REC.XML"}));

  lista.clear();
  PercorrerArquivos(dir.str(), "*-pro-rec.xml", true, lista);
  EXPECT_EQ(lista, (std::vector<std::string>{dir.str() + proRec, dir.str() + "MAIUSCULO-PRO-REC.XML", sub + antigo}));

  // Top-level entries first, then the sub-folders; the mask also takes folders.
  lista.assign({"anterior"});
  PercorrerArquivos(dir.str(), "*", true, lista);
  std::vector<std::string> nomes = {envLot, proRec, rec, "2014", "LEIAME.TXT", "MAIUSCULO-PRO-REC.XML"};
  std::sort(nomes.begin(), nomes.end(), [](std::string a, std::string b) {
    for (auto* s : {&a, &b})
      for (char& ch : *s) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    return a < b;
  });
  std::vector<std::string> esperado{"anterior"};
  for (const auto& n : nomes) esperado.push_back(dir.str() + n);
  esperado.push_back(sub + antigo);
  EXPECT_EQ(lista, esperado);

  lista.clear();
  const std::string semSufixo = envLot.substr(0, envLot.size() - std::string("-env-lot.xml").size());
  PercorrerArquivos(dir.str(), std::string(semSufixo.size(), '?') + "-env-lot.xml", false, lista);
  PercorrerArquivos(dir.str(), std::string(semSufixo.size() - 1, '?') + "-env-lot.xml", false, lista);
  PercorrerArquivos(dir.str(), "*.txt", false, lista);
  PercorrerArquivos(dir.str(), "*.pdf", true, lista);
  PercorrerArquivos(dir.str() + "nao-existe", "*.xml", true, lista);
  EXPECT_EQ(lista, (std::vector<std::string>{dir.str() + envLot, dir.str() + "LEIAME.TXT"}));
}

TEST(PercorrerArquivos, TwoLevelsAndLinkLoops) {
  moxtest::TempDir dir;
  for (const char* f : {"b.xml", "a.xml", "sub/c.xml", "sub/d.txt", "sub/mais/e.xml"}) {
    fs::create_directories((dir.path() / f).parent_path());
    moxtest::WriteText(dir.path() / f, "<x/>");
  }
  // A link back to the top must not make the walk endless.
  fs::create_directory_symlink(dir.path(), dir.path() / "sub" / "volta.xml");
  std::vector<std::string> lista;
  PercorrerArquivos(dir.str(), "*.xml", true, lista);
  EXPECT_EQ(lista, (std::vector<std::string>{dir.str() + "a.xml", dir.str() + "b.xml", dir.str() + "sub/c.xml",
                                             dir.str() + "sub/volta.xml", dir.str() + "sub/mais/e.xml"}));
}

TEST(PercorrerArquivos, UnreadableFolderRaises) {
  if (::geteuid() == 0) GTEST_SKIP() << "root reads every folder";
  moxtest::TempDir dir;
  fs::create_directories(dir.path() / "fechada");
  fs::permissions(dir.path() / "fechada", fs::perms::none);
  std::vector<std::string> lista;
  auto raised = moxtest::RaisedBy([&] { PercorrerArquivos(dir.str(), "*.xml", true, lista); });
  fs::permissions(dir.path() / "fechada", fs::perms::owner_all);
  EXPECT_EQ(raised.className, "EmoxNFeException");
  EXPECT_EQ(raised.message.rfind("Não foi possível percorrer os arquivos das pastas " + dir.str() + "fechada/", 0), 0u)
      << raised.message;
}
