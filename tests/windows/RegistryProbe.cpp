// A second process for the registry tests. Works on keys below HKEY_LOCAL_MACHINE
// of the store that VYR_REGISTRY_FILE names:
//   probe set <key> <name> <type> <hex>     writes a value (hex: bytes, no spaces)
//   probe expect <key> <name> <type> <hex>  checks that the value is exactly that
//   probe fill <key> <prefix> <count>       writes REG_DWORD <prefix><i> = i, i < count
//   probe watch <key> <name>                for each line of hex bytes on standard input,
//                                           answers a line "1" when the value now holds
//                                           exactly those bytes, else "0 <the bytes>";
//                                           one long-lived reader that keeps its store
// Names and keys are UTF-8. Exit status: 0 done or matching, 1 a value differs, 2 a call
// failed or bad usage.
#include "windows.h"
#include "vyrwin_codec.h"

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

namespace {

std::wstring Wide(const char* text) { return vyrwin::WideFromUtf8(text); }

// The value's bytes as hex, or "-" with the error code when it cannot be read.
std::string ValueHex(HKEY key, const std::wstring& name) {
    DWORD size = 0;
    LONG status = RegQueryValueExW(key, name.c_str(), nullptr, nullptr, nullptr, &size);
    std::vector<BYTE> bytes(size);
    if (status == ERROR_SUCCESS) status = RegQueryValueExW(key, name.c_str(), nullptr, nullptr, bytes.data(), &size);
    if (status != ERROR_SUCCESS) return "-" + std::to_string(status);
    std::string hex;
    char pair[3];
    for (BYTE b : bytes) {
        std::snprintf(pair, sizeof pair, "%02x", b);
        hex += pair;
    }
    return hex;
}

bool ParseHex(const std::string& hex, std::vector<BYTE>& bytes) {
    if (hex.size() % 2) return false;
    for (size_t i = 0; i < hex.size(); i += 2) {
        char* end = nullptr;
        const std::string pair = hex.substr(i, 2);
        bytes.push_back(static_cast<BYTE>(std::strtoul(pair.c_str(), &end, 16)));
        if (*end) return false;
    }
    return true;
}

int Fail(const char* what, LONG status) {
    std::fprintf(stderr, "registry probe: %s answered %ld\n", what, static_cast<long>(status));
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return 2;
    const std::string command = argv[1];
    HKEY key = nullptr;
    const LONG opened = RegCreateKeyExW(HKEY_LOCAL_MACHINE, argc > 2 ? Wide(argv[2]).c_str() : L"", 0, nullptr,
                                        REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &key, nullptr);
    if (opened != ERROR_SUCCESS) return Fail("RegCreateKeyExW", opened);

    int result = 2;
    if ((command == "set" || command == "expect") && argc == 6) {
        std::vector<BYTE> bytes;
        if (!ParseHex(argv[5], bytes)) return 2;
        const std::wstring name = Wide(argv[3]);
        const DWORD type = static_cast<DWORD>(std::strtoul(argv[4], nullptr, 0));
        if (command == "set") {
            const LONG status =
                RegSetValueExW(key, name.c_str(), 0, type, bytes.data(), static_cast<DWORD>(bytes.size()));
            result = status == ERROR_SUCCESS ? 0 : Fail("RegSetValueExW", status);
        } else {
            DWORD storedType = 0;
            DWORD size = 0;
            LONG status = RegQueryValueExW(key, name.c_str(), nullptr, &storedType, nullptr, &size);
            std::vector<BYTE> stored(size);
            if (status == ERROR_SUCCESS)
                status = RegQueryValueExW(key, name.c_str(), nullptr, &storedType, stored.data(), &size);
            if (status != ERROR_SUCCESS)
                result = Fail("RegQueryValueExW", status);
            else
                result = (storedType == type && stored == bytes) ? 0 : 1;
        }
    } else if (command == "watch" && argc == 4) {
        const std::wstring name = Wide(argv[3]);
        std::string expected;
        while (std::getline(std::cin, expected) && !expected.empty()) {
            const std::string actual = ValueHex(key, name);
            std::cout << (actual == expected ? std::string("1") : "0 " + actual) << std::endl;
        }
        result = 0;
    } else if (command == "fill" && argc == 5) {
        const int count = std::atoi(argv[4]);
        result = 0;
        for (int i = 0; i < count && result == 0; ++i) {
            const std::wstring name = Wide(argv[3]) + std::to_wstring(i);
            const DWORD value = static_cast<DWORD>(i);
            const LONG status = RegSetValueExW(key, name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                                               sizeof value);
            if (status != ERROR_SUCCESS) result = Fail("RegSetValueExW", status);
        }
    }
    RegCloseKey(key);
    return result;
}
