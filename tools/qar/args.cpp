// The command line of a subcommand: long options ("--name VALUE" or
// "--name=VALUE"), short ones ("-C DIR"), operands, and "--" after which
// everything is an operand.
#include "tool.h"

#include <cstdio>

bool ParsedArgs::Has(const char* name) const {
  for (const auto& [option, value] : options)
    if (option == name)
      return true;
  return false;
}

std::string ParsedArgs::Value(const char* name) const {
  std::string last;
  for (const auto& [option, value] : options)
    if (option == name)
      last = value;
  return last;
}

std::vector<std::string> ParsedArgs::Values(const char* name) const {
  std::vector<std::string> all;
  for (const auto& [option, value] : options)
    if (option == name)
      all.push_back(value);
  return all;
}

bool ParseArgs(const std::string& command, const std::vector<std::string>& args,
               const std::vector<OptionSpec>& specs, ParsedArgs* parsed) {
  auto refuse = [&](const std::string& message) {
    UsageError(command, message);
    return false;
  };
  bool operandsOnly = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (operandsOnly || arg.size() < 2 || arg[0] != '-') {
      parsed->operands.push_back(arg);
      continue;
    }
    if (arg == "--") {
      operandsOnly = true;
      continue;
    }
    if (arg == "--help" || arg == "-h") {
      parsed->help = true;
      continue;
    }
    const bool isLong = arg[1] == '-';
    std::string name = isLong ? arg.substr(2) : arg.substr(1, 1);
    std::string value;
    bool inlineValue = false;
    if (size_t equals = name.find('='); isLong && equals != std::string::npos) {
      value = name.substr(equals + 1);
      name.resize(equals);
      inlineValue = true;
    } else if (!isLong && arg.size() > 2) {
      value = arg.substr(2); // "-CDIR"
      inlineValue = true;
    }

    const OptionSpec* option = nullptr;
    for (const OptionSpec& candidate : specs)
      if (isLong ? name == candidate.name : name[0] == candidate.letter)
        option = &candidate;
    if (!option)
      return refuse("unknown option " + arg);
    if (option->takesValue && !inlineValue) {
      if (i + 1 >= args.size())
        return refuse("option " + arg + " needs a value");
      value = args[++i];
    } else if (!option->takesValue && inlineValue) {
      return refuse("option " + arg + " takes no value");
    }
    parsed->options.emplace_back(option->name, value);
  }
  return true;
}

bool ParseNumber(const std::string& text, uint64_t max, uint64_t* value) {
  if (text.empty() || text.size() > 20)
    return false;
  uint64_t number = 0;
  for (char c : text) {
    if (c < '0' || c > '9')
      return false;
    unsigned digit = unsigned(c - '0');
    if (number > (max - digit) / 10)
      return false;
    number = number * 10 + digit;
  }
  *value = number;
  return true;
}

bool StartCommand(const std::string& command, const std::vector<std::string>& args,
                  const std::vector<OptionSpec>& specs, const char* help, ParsedArgs* parsed,
                  int* status) {
  if (!ParseArgs(command, args, specs, parsed)) {
    *status = kUsageError;
    return false;
  }
  if (parsed->help) {
    std::fputs(help, stdout);
    *status = 0;
    return false;
  }
  return true;
}
