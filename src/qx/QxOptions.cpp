// SPDX-License-Identifier: MIT
#include "qx/QxOptions.h"

std::optional<std::string> ParsedArguments::Value(const std::string& name) const {
    const auto found = options.find(name);
    if (found == options.end() || found->second.empty()) return std::nullopt;
    return found->second.back();
}

std::vector<std::string> ParsedArguments::Values(const std::string& name) const {
    const auto found = options.find(name);
    return found == options.end() ? std::vector<std::string>{} : found->second;
}

ParsedArguments ParseArguments(const std::vector<std::string>& args, const std::vector<OptionSpec>& specs) {
    ParsedArguments parsed;
    bool optionsEnded = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
            parsed.operands.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        const bool isLong = arg[1] == '-';
        const OptionSpec* spec = nullptr;
        std::optional<std::string> value;
        if (isLong) {
            const size_t equals = arg.find('=');
            const std::string name = arg.substr(2, equals == std::string::npos ? std::string::npos : equals - 2);
            if (equals != std::string::npos) value = arg.substr(equals + 1);
            for (const OptionSpec& s : specs) {
                if (name == s.name) spec = &s;
            }
        } else {
            for (const OptionSpec& s : specs) {
                if (s.shortName == arg[1]) spec = &s;
            }
            if (spec && arg.size() > 2) {
                if (!spec->takesValue) spec = nullptr;
                else value = arg.substr(2);
            }
        }
        if (!spec) {
            parsed.error = "unknown option " + arg;
            return parsed;
        }
        if (spec->takesValue && !value) {
            if (i + 1 >= args.size()) {
                parsed.error = "option " + arg + " needs a value";
                return parsed;
            }
            value = args[++i];
        }
        if (!spec->takesValue && value) {
            parsed.error = "option --" + std::string(spec->name) + " takes no value";
            return parsed;
        }
        parsed.options[spec->name].push_back(value.value_or(""));
    }
    return parsed;
}
