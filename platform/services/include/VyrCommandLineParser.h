// CVyrCommandLineParser: the switches of the process's command line.
#pragma once

#include "VyrServicesApi.h"
#include "VyrString.h"

#include <string>
#include <vector>

// Switches given on a command line. An argument "/Name" or "-Name" is a switch;
// "Name=value", "/Name=value" or "-Name=value" is a switch with a value (split at
// the first '='). "Name=" counts as a switch without a value. Other arguments
// (file names, an empty name as in "/" or "=value") are no switches. Names compare
// without case; when a name is given more than once the last one counts.
class VYR_SERVICES_API CVyrCommandLineParser {
public:
    // The switches of the given arguments (the program name not among them); the
    // arguments are bytes as a program receives them, decoded as UTF-8.
    explicit CVyrCommandLineParser(const std::vector<std::string>& arguments);

    // The parser of this process's own command line, made on first use and
    // never freed. A command line that cannot be read holds no switches.
    static CVyrCommandLineParser* GetInstance();

    // True when the switch is on the command line, with or without a value.
    bool GetParamExists(CVyrString name) const;
    // True when the switch is there with a value, which goes to `value`;
    // otherwise `value` is left unchanged.
    bool GetParamValue(CVyrString name, CVyrString& value) const;

private:
    struct Param {
        CVyrString name;
        CVyrString value;
        bool hasValue;
    };
    // The last switch of that name, null when none.
    const Param* Find(const CVyrString& name) const;

    std::vector<Param> m_params;
};
