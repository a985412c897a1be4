#include "shell/command_line.h"

#include <algorithm>
#include <array>
#include <variant>

#include "log/format.h"

namespace vyx {

namespace {

using Field = std::variant<bool CommandLineOptions::*, std::string CommandLineOptions::*>;

struct OptionRule {
  std::string_view name;
  Field field;
  std::string_view usage;
};

// In the order they were registered; the usage text sorts them by name.
constexpr std::array<OptionRule, 5> kOptions{{
    {"list-exceptions", &CommandLineOptions::listExceptions, "print learned exceptions and exit"},
    {"forget", &CommandLineOptions::forget, "remove exceptions for a word and exit"},
    {"forget-app", &CommandLineOptions::forgetApp,
     "remove all exceptions for an app bundle id and exit"},
    {"clear-exceptions", &CommandLineOptions::clearExceptions, "remove all exceptions and exit"},
    {"verbose", &CommandLineOptions::verbose, "enable verbose per-keystroke logging"},
}};

const OptionRule* findOption(std::string_view name) {
  const auto* it = std::find_if(kOptions.begin(), kOptions.end(),
                                [name](const OptionRule& o) { return o.name == name; });
  return it == kOptions.end() ? nullptr : it;
}

bool parseBool(std::string_view s, bool& out) {
  constexpr std::array<std::string_view, 6> kTrue{"1", "t", "T", "true", "TRUE", "True"};
  constexpr std::array<std::string_view, 6> kFalse{"0", "f", "F", "false", "FALSE", "False"};
  if (std::find(kTrue.begin(), kTrue.end(), s) != kTrue.end()) {
    out = true;
    return true;
  }
  if (std::find(kFalse.begin(), kFalse.end(), s) != kFalse.end()) {
    out = false;
    return true;
  }
  return false;
}

ParsedCommandLine failed(ParsedCommandLine parsed, std::string message) {
  parsed.outcome = ParsedCommandLine::Outcome::error;
  parsed.message = std::move(message);
  return parsed;
}

}  // namespace

ParsedCommandLine parseCommandLine(std::span<const std::string_view> args) {
  ParsedCommandLine parsed;
  CommandLineOptions& options = parsed.options;
  size_t next = 0;
  while (next < args.size()) {
    const std::string_view arg = args[next];
    if (arg.size() < 2 || arg[0] != '-') break;  // "-" alone, or a plain argument
    const size_t hyphens = arg[1] == '-' ? 2 : 1;
    if (arg.size() == 2 && hyphens == 2) break;  // "--" ends the options
    std::string_view name = arg.substr(hyphens);
    if (name.empty() || name[0] == '-' || name[0] == '=') {
      return failed(std::move(parsed), sformat("bad flag syntax: %s", arg));
    }
    ++next;
    std::string_view value;
    bool hasValue = false;
    if (const size_t eq = name.find('='); eq != std::string_view::npos) {
      value = name.substr(eq + 1);
      name = name.substr(0, eq);
      hasValue = true;
    }
    const OptionRule* info = findOption(name);
    if (info == nullptr) {
      if (name == "h" || name == "help") {
        parsed.outcome = ParsedCommandLine::Outcome::help;
        return parsed;
      }
      return failed(std::move(parsed), sformat("flag provided but not defined: -%s", name));
    }
    if (const auto* flag = std::get_if<bool CommandLineOptions::*>(&info->field)) {
      if (!hasValue) {
        options.*(*flag) = true;
      } else if (!parseBool(value, options.*(*flag))) {
        return failed(std::move(parsed),
                      sformat("invalid boolean value %q for -%s: parse error", value, name));
      }
      continue;
    }
    if (!hasValue) {
      if (next == args.size()) {
        return failed(std::move(parsed), sformat("flag needs an argument: -%s", name));
      }
      value = args[next++];
    }
    options.*std::get<std::string CommandLineOptions::*>(info->field) = std::string(value);
  }
  return parsed;
}

std::string usageText(std::string_view program) {
  std::array<const OptionRule*, kOptions.size()> sorted{};
  std::transform(kOptions.begin(), kOptions.end(), sorted.begin(),
                 [](const OptionRule& o) { return &o; });
  std::sort(sorted.begin(), sorted.end(),
            [](const OptionRule* a, const OptionRule* b) { return a->name < b->name; });
  std::string text = sformat("Usage of %s:\n", program);
  for (const OptionRule* o : sorted) {
    text += "  -";
    text += o->name;
    if (std::holds_alternative<std::string CommandLineOptions::*>(o->field)) text += " string";
    text += "\n    \t";
    text += o->usage;
    text += '\n';
  }
  return text;
}

}  // namespace vyx
