// Parsing of command-line switches.
#include "VyrCommandLineParser.h"

#include <fstream>
#include <iterator>

namespace {

// The arguments of this process after the program name, from the kernel's copy
// of the command line (arguments separated by zero bytes).
std::vector<std::string> OwnArguments() {
    std::vector<std::string> arguments;
    std::ifstream in("/proc/self/cmdline", std::ios::binary);
    if (!in) return arguments;
    std::string all((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    size_t start = 0;
    bool first = true;
    while (start < all.size()) {
        size_t end = all.find('\0', start);
        if (end == std::string::npos) end = all.size();
        if (!first) arguments.push_back(all.substr(start, end - start));
        first = false;
        start = end + 1;
    }
    return arguments;
}

}  // namespace

CVyrCommandLineParser::CVyrCommandLineParser(const std::vector<std::string>& arguments) {
    for (const std::string& argument : arguments) {
        CStringW text(argument.c_str());
        bool prefixed = !text.IsEmpty() && (text[0] == L'/' || text[0] == L'-');
        if (prefixed) text = text.Mid(1);
        int equals = text.Find(L'=');
        if (equals < 0 && !prefixed) continue;  // a plain argument such as a file name
        CStringW name = equals < 0 ? text : text.Left(equals);
        if (name.IsEmpty()) continue;
        CStringW value = equals < 0 ? CStringW() : text.Mid(equals + 1);
        m_params.push_back(Param{CVyrString(name), CVyrString(value), !value.IsEmpty()});
    }
}

CVyrCommandLineParser* CVyrCommandLineParser::GetInstance() {
    static CVyrCommandLineParser* instance = new CVyrCommandLineParser(OwnArguments());
    return instance;
}

const CVyrCommandLineParser::Param* CVyrCommandLineParser::Find(const CVyrString& name) const {
    if (name.IsEmpty()) return nullptr;
    for (auto it = m_params.rbegin(); it != m_params.rend(); ++it)
        if (it->name.GetCString().CompareNoCase(name) == 0) return &*it;
    return nullptr;
}

bool CVyrCommandLineParser::GetParamExists(CVyrString name) const { return Find(name) != nullptr; }

bool CVyrCommandLineParser::GetParamValue(CVyrString name, CVyrString& value) const {
    const Param* param = Find(name);
    if (!param || !param->hasValue) return false;
    value = param->value;
    return true;
}
