// The INI reader and writer.
#include <gtest/gtest.h>

#include "external/TmoxIniFile.h"
#include "support/TestSupport.h"

using mox::TmoxIniFile;

TEST(TmoxIniFile, ReadsCaseInsensitivelyAndKeepsLayout) {
  const std::string text =
      "; servidores\n[NFE]\nUF = sp\nAmbiente=2\nSenha=a=b\n\n[mail]\nPorta=587\nAutenticacao=1\n# fim\n";
  TmoxIniFile ini = TmoxIniFile::FromText("\xEF\xBB\xBF" + text);
  EXPECT_EQ(ini.ReadString("nfe", "uf", "x"), "sp");
  EXPECT_EQ(ini.ReadString("NFE", "Senha", ""), "a=b");
  EXPECT_EQ(ini.ReadInteger("NFE", "Ambiente", 0), 2);
  EXPECT_EQ(ini.ReadInteger("NFE", "UF", 7), 7) << "not a number";
  EXPECT_EQ(ini.ReadInteger("MAIL", "Porta", 0), 587);
  EXPECT_TRUE(ini.ReadBool("Mail", "Autenticacao", false));
  EXPECT_FALSE(ini.ReadBool("Mail", "Nada", false));
  EXPECT_EQ(ini.ReadString("DANFE", "x", "padrão"), "padrão");
  EXPECT_EQ(ini.ReadSections(), (std::vector<std::string>{"NFE", "mail"}));
  EXPECT_EQ(ini.ReadSection("NFE"), (std::vector<std::string>{"UF", "Ambiente", "Senha"}));

  ini.WriteString("nfe", "CNPJ", "12345678000195");
  ini.WriteString("NFE", "uf", "RJ");
  ini.WriteBool("DANFE", "ImprimirVolume", true);
  EXPECT_EQ(ini.GetText(),
            "; servidores\n[NFE]\nUF=RJ\nAmbiente=2\nSenha=a=b\nCNPJ=12345678000195\n\n[mail]\nPorta=587\n"
            "Autenticacao=1\n# fim\n[DANFE]\nImprimirVolume=1\n");
}

TEST(TmoxIniFile, FileRoundTripAndEdits) {
  moxtest::TempDir dir;
  const std::string file = dir.file("nfeConfig.ini");
  {
    TmoxIniFile ini(file);
    EXPECT_TRUE(ini.ReadSections().empty());
    ini.WriteString("NFE", "Mensagem", "linha 1\nlinha 2");
    ini.WriteInteger("NFE", "TimeOut", -5);
    ini.WriteString("MAIL", "Servidor", "smtp.exemplo.com.br");
    ini.UpdateFile();
  }
  TmoxIniFile ini(file);
  EXPECT_EQ(ini.ReadString("NFE", "Mensagem", ""), "linha 1 linha 2") << "one line per value";
  EXPECT_EQ(ini.ReadInteger("NFE", "TimeOut", 0), -5);
  ini.DeleteKey("nfe", "timeout");
  EXPECT_FALSE(ini.ValueExists("NFE", "TimeOut"));
  ini.EraseSection("mail");
  EXPECT_FALSE(ini.SectionExists("MAIL"));
  EXPECT_EQ(ini.GetText(), "[NFE]\nMensagem=linha 1 linha 2\n");
}
