#pragma once
// The moxnfe command line: subcommands register themselves here from their own source files.
#include <functional>
#include <iosfwd>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace moxcli {

struct CliOption {
  std::string name;         // without the leading "--"
  std::string valueName;    // empty for a flag
  std::string description;  // Portuguese, one line
};

// Parsed arguments of one subcommand.
class CliArgs {
 public:
  std::optional<std::string> Option(const std::string& aName) const;
  std::string OptionOr(const std::string& aName, const std::string& aDefault) const;
  // Raises CliUsageError when the option is missing.
  std::string Required(const std::string& aName) const;
  bool Flag(const std::string& aName) const;
  const std::vector<std::string>& Positional() const { return positional_; }
  bool Json() const { return Flag("json"); }

 private:
  friend class CliParser;
  std::map<std::string, std::string> options_;
  std::vector<std::string> positional_;
};

// Bad usage: printed with the subcommand's help hint, exit status 2.
struct CliUsageError {
  std::string message;
};

struct CliIo {
  std::ostream& out;
  std::ostream& err;
  std::istream& in;
};

struct CliCommand {
  std::vector<std::string> path;   // e.g. {"chave", "calcular"}
  std::string summary;             // one line for the command list
  std::string usage;               // argument synopsis, e.g. "[opções] ARQUIVO"
  std::string details;             // further help text, may be empty
  std::vector<CliOption> options;  // "--json" and "--help" are added for every command
  std::function<int(const CliArgs&, CliIo&)> run;
};

class CliRegistry {
 public:
  static CliRegistry& Instance();
  void Add(CliCommand aCommand);
  const std::vector<CliCommand>& Commands() const { return commands_; }

 private:
  std::vector<CliCommand> commands_;
};

// Registers a command at start-up: `static moxcli::CliRegistrar r{{...}};` in the command's file.
struct CliRegistrar {
  explicit CliRegistrar(CliCommand aCommand) { CliRegistry::Instance().Add(std::move(aCommand)); }
};

// Runs the program with its arguments (without argv[0]); returns the exit status.
int RunCli(const std::vector<std::string>& aArgs, CliIo& aIo);

// Text output helpers shared by the subcommands.
std::string JsonEscape(const std::string& aText);

// The component's messages break lines with a bare carriage return, which a terminal would draw
// over the same line; they become line feeds.
std::string ParaTerminal(std::string aTexto);

// A path the user typed, made absolute against the current folder (empty stays empty).
std::string CaminhoDigitado(const std::string& aTexto);

// The manual version every command assumes when none is given: 6.0 (layout 4.00), the one
// SEFAZ accepts; older versions are chosen with --versao-manual.
inline constexpr const char* kVersaoManualPadrao = "6.0";
// The schema package of TX2 and conversions when none is given: the newest of that version.
inline constexpr const char* kEsquemaPadrao = "pl_010";

}  // namespace moxcli
