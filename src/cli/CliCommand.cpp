#include "cli/CliCommand.h"

#include <algorithm>
#include <exception>
#include <filesystem>
#include <iomanip>
#include <iostream>
#include <sstream>

#include "external/SystemErrorText.h"
#include "external/moxPaths.h"

namespace moxcli {

class CliParser {
 public:
  static CliArgs Parse(const CliCommand& aCommand, const std::vector<std::string>& aArgs) {
    CliArgs result;
    for (size_t i = 0; i < aArgs.size(); ++i) {
      const std::string& a = aArgs[i];
      if (a == "--") {
        result.positional_.insert(result.positional_.end(), aArgs.begin() + static_cast<long>(i) + 1, aArgs.end());
        break;
      }
      if (a.size() < 3 || a.compare(0, 2, "--") != 0) {
        result.positional_.push_back(a);
        continue;
      }
      std::string name = a.substr(2), value;
      bool inlineValue = false;
      if (auto eq = name.find('='); eq != std::string::npos) {
        value = name.substr(eq + 1);
        name.resize(eq);
        inlineValue = true;
      }
      const CliOption* opt = Find(aCommand, name);
      if (!opt) throw CliUsageError{"opção desconhecida: --" + name};
      if (opt->valueName.empty()) {
        if (inlineValue) throw CliUsageError{"a opção --" + name + " não aceita valor"};
        result.options_[name] = "1";
      } else {
        if (!inlineValue) {
          if (i + 1 >= aArgs.size()) throw CliUsageError{"a opção --" + name + " exige um valor (" + opt->valueName + ")"};
          value = aArgs[++i];
        }
        result.options_[name] = value;
      }
    }
    return result;
  }

  static const CliOption* Find(const CliCommand& aCommand, const std::string& aName) {
    static const CliOption json{"json", "", "saída em JSON, para scripts"};
    static const CliOption help{"help", "", "mostra esta ajuda"};
    if (aName == "json") return &json;
    if (aName == "help") return &help;
    for (const auto& o : aCommand.options)
      if (o.name == aName) return &o;
    return nullptr;
  }
};

std::optional<std::string> CliArgs::Option(const std::string& aName) const {
  auto it = options_.find(aName);
  if (it == options_.end()) return std::nullopt;
  return it->second;
}

std::string CliArgs::OptionOr(const std::string& aName, const std::string& aDefault) const {
  return Option(aName).value_or(aDefault);
}

std::string CliArgs::Required(const std::string& aName) const {
  auto v = Option(aName);
  if (!v || v->empty()) throw CliUsageError{"falta a opção obrigatória --" + aName};
  return *v;
}

bool CliArgs::Flag(const std::string& aName) const { return options_.count(aName) > 0; }

CliRegistry& CliRegistry::Instance() {
  static CliRegistry registry;
  return registry;
}

void CliRegistry::Add(CliCommand aCommand) { commands_.push_back(std::move(aCommand)); }

std::string JsonEscape(const std::string& aText) {
  std::string out;
  out.reserve(aText.size() + 2);
  for (unsigned char c : aText) {
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (c < 0x20) {
          char buf[8];
          std::snprintf(buf, sizeof buf, "\\u%04x", c);
          out += buf;
        } else {
          out += static_cast<char>(c);
        }
    }
  }
  return out;
}

std::string ParaTerminal(std::string aTexto) {
  for (char& c : aTexto)
    if (c == '\r') c = '\n';
  return aTexto;
}

std::string CaminhoDigitado(const std::string& aTexto) { return mox::AbsolutePath(aTexto); }

namespace {

std::string Joined(const std::vector<std::string>& aPath) {
  std::string s;
  for (const auto& p : aPath) s += (s.empty() ? "" : " ") + p;
  return s;
}

void PrintCommandHelp(const CliCommand& c, std::ostream& out) {
  out << "Uso: moxnfe " << Joined(c.path) << (c.usage.empty() ? "" : " " + c.usage) << "\n\n" << c.summary << "\n";
  if (!c.details.empty()) out << "\n" << c.details << "\n";
  out << "\nOpções:\n";
  std::vector<CliOption> all = c.options;
  all.push_back({"json", "", "saída em JSON, para scripts"});
  all.push_back({"help", "", "mostra esta ajuda"});
  for (const auto& o : all) {
    std::string left = "--" + o.name + (o.valueName.empty() ? "" : " " + o.valueName);
    out << "  " << std::left << std::setw(28) << left << " " << o.description << "\n";
  }
}

void PrintOverview(std::ostream& out, const std::string& aGroup) {
  out << "Uso: moxnfe <comando> [opções]   (moxnfe <comando> --help para detalhes)\n\n"
      << "Componente de NF-e: chaves de acesso, certificados, assinatura, conversões e serviços da SEFAZ.\n\n"
      << "Comandos:\n";
  auto commands = CliRegistry::Instance().Commands();
  std::sort(commands.begin(), commands.end(), [](const auto& a, const auto& b) { return a.path < b.path; });
  for (const auto& c : commands) {
    if (!aGroup.empty() && c.path.front() != aGroup) continue;
    out << "  " << std::left << std::setw(30) << Joined(c.path) << " " << c.summary << "\n";
  }
}

// The command whose path is the longest prefix of the arguments.
const CliCommand* Resolve(const std::vector<std::string>& aArgs, size_t& aConsumed) {
  const CliCommand* best = nullptr;
  for (const auto& c : CliRegistry::Instance().Commands()) {
    if (c.path.size() > aArgs.size() || (best && best->path.size() >= c.path.size())) continue;
    if (std::equal(c.path.begin(), c.path.end(), aArgs.begin())) best = &c;
  }
  aConsumed = best ? best->path.size() : 0;
  return best;
}

bool IsGroup(const std::string& aWord) {
  for (const auto& c : CliRegistry::Instance().Commands())
    if (c.path.size() > 1 && c.path.front() == aWord) return true;
  return false;
}

bool PediuJson(const std::vector<std::string>& aArgs) {
  for (const auto& a : aArgs) {
    if (a == "--") return false;
    if (a == "--json") return true;
  }
  return false;
}

// A script that asked for JSON gets the failure as JSON on standard output too.
int Falha(const std::vector<std::string>& aArgs, CliIo& aIo, const std::string& aMensagem, int aCodigo) {
  if (PediuJson(aArgs)) aIo.out << "{\"erro\":\"" << JsonEscape(aMensagem) << "\",\"codigo\":" << aCodigo << "}\n";
  return aCodigo;
}

}  // namespace

int RunCli(const std::vector<std::string>& aArgs, CliIo& aIo) {
  if (aArgs.empty() || aArgs[0] == "--help" || aArgs[0] == "-h" || aArgs[0] == "ajuda") {
    PrintOverview(aIo.out, "");
    return aArgs.empty() ? 2 : 0;
  }
  if (aArgs[0] == "--version" || aArgs[0] == "versao") {
    aIo.out << "moxnfe " << MOXNFE_VERSION << "\n";
    return 0;
  }
  size_t consumed = 0;
  const CliCommand* command = Resolve(aArgs, consumed);
  if (!command) {
    if (IsGroup(aArgs[0])) {
      bool help = aArgs.size() > 1 && (aArgs[1] == "--help" || aArgs[1] == "-h");
      PrintOverview(help ? aIo.out : aIo.err, aArgs[0]);
      return help ? 0 : 2;
    }
    aIo.err << "moxnfe: comando desconhecido: " << aArgs[0] << "\nUse moxnfe --help para ver os comandos.\n";
    return 2;
  }
  std::vector<std::string> rest(aArgs.begin() + static_cast<long>(consumed), aArgs.end());
  const std::string nome = "moxnfe " + Joined(command->path);
  try {
    CliArgs args = CliParser::Parse(*command, rest);
    if (args.Flag("help")) {
      PrintCommandHelp(*command, aIo.out);
      return 0;
    }
    return command->run(args, aIo);
  } catch (const CliUsageError& e) {
    aIo.err << nome << ": " << e.message << "\nUse " << nome << " --help para ver as opções.\n";
    return Falha(rest, aIo, e.message, 2);
  } catch (const std::filesystem::filesystem_error& e) {
    // The library's own text is English; the path and the system's reason are what matter.
    const std::string mensagem = "erro em " + e.path1().string() + ": " + mox::SystemErrorText(e.code());
    aIo.err << nome << ": " << mensagem << "\n";
    return Falha(rest, aIo, mensagem, 1);
  } catch (const std::exception& e) {
    const std::string mensagem = ParaTerminal(e.what());
    aIo.err << nome << ": " << mensagem << "\n";
    return Falha(rest, aIo, mensagem, 1);
  }
}

}  // namespace moxcli
