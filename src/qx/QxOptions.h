// SPDX-License-Identifier: MIT
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

// One option a subcommand of qx accepts: --name, and -c when short is set.
struct OptionSpec {
    const char* name;
    char shortName;
    bool takesValue;
};

// A subcommand's command line: options may stand before or after the
// operands; "--" ends the options.
struct ParsedArguments {
    std::map<std::string, std::vector<std::string>> options;  // by long name, every value given
    std::vector<std::string> operands;
    std::string error;  // set when the command line cannot be used

    bool Has(const std::string& name) const { return options.count(name) != 0; }
    // The last value given for name.
    std::optional<std::string> Value(const std::string& name) const;
    // Every value given for name, in order; none when it was not given.
    std::vector<std::string> Values(const std::string& name) const;
};

ParsedArguments ParseArguments(const std::vector<std::string>& args, const std::vector<OptionSpec>& specs);
