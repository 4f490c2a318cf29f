// Fuzz target: the command-line parser over arguments as a program receives them.
// An input is a command line as the kernel keeps it: arguments separated by zero
// bytes (the program name left out). Every argument that is a switch must be
// found by its name, with the value of the last switch of that name.
#include "VyrCommandLineParser.h"

#include "FuzzSupport.h"

#include <cstdint>
#include <string>
#include <vector>

namespace {

const size_t kMaxChecked = 64;

// What the parser should know of one argument.
struct Switch {
    CStringW name;
    CStringW value;
    bool isSwitch = false;
};

// An argument read as the parser's documentation describes it.
Switch Expected(const std::string& argument) {
    Switch result;
    CStringW text(argument.c_str());
    const bool prefixed = !text.IsEmpty() && (text[0] == L'/' || text[0] == L'-');
    if (prefixed) text = text.Mid(1);
    const int equals = text.Find(L'=');
    result.name = equals < 0 ? text : text.Left(equals);
    result.value = equals < 0 ? CStringW() : text.Mid(equals + 1);
    result.isSwitch = (prefixed || equals >= 0) && !result.name.IsEmpty();
    return result;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<std::string> arguments;
    const std::string all(reinterpret_cast<const char*>(data), size);
    for (size_t start = 0; start < all.size();) {
        size_t end = all.find('\0', start);
        if (end == std::string::npos) end = all.size();
        arguments.push_back(all.substr(start, end - start));
        start = end + 1;
    }
    const CVyrCommandLineParser parser(arguments);

    std::vector<Switch> switches;
    for (const std::string& argument : arguments) switches.push_back(Expected(argument));
    for (size_t i = 0; i < switches.size() && i < kMaxChecked; ++i) {
        if (!switches[i].isSwitch) continue;
        // The last switch of that name counts.
        const Switch* last = &switches[i];
        for (size_t k = i + 1; k < switches.size(); ++k)
            if (switches[k].isSwitch && switches[k].name.CompareNoCase(switches[i].name) == 0) last = &switches[k];
        const CVyrString name(switches[i].name);
        if (!parser.GetParamExists(name)) vyrfuzz::Fail("a switch on the command line is not found");
        CVyrString value(L"unchanged");
        const bool hasValue = parser.GetParamValue(name, value);
        if (hasValue != !last->value.IsEmpty()) vyrfuzz::Fail("a switch's value is found where there is none, or lost");
        if (hasValue ? value.GetCString() != last->value : value.GetCString() != L"unchanged")
            vyrfuzz::Fail("a switch answers another value than the last one given");
    }
    // Names that no argument can hold are not found.
    CVyrString value(L"unchanged");
    if (parser.GetParamExists(CVyrString(L"")) || parser.GetParamValue(CVyrString(L""), value))
        vyrfuzz::Fail("the empty name is found as a switch");
    return 0;
}
