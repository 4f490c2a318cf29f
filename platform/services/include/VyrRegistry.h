// CVyrRegistry: the application's values in the machine's registry.
#pragma once

#include "VyrServicesApi.h"
#include "VyrString.h"

// Reads string values of the application key
// HKEY_LOCAL_MACHINE\Software\Zorbelan\Zorbelan E\8.5. The values held there are
// paths in the original layout: backslashes in the text read become '/'.
class VYR_SERVICES_API CVyrRegistry {
public:
    // The key below HKEY_LOCAL_MACHINE that holds the application's values.
    static const wchar_t* const sApplicationKey;

    // Reads a string value (REG_SZ or REG_EXPAND_SZ, taken as it is stored, up to
    // its first zero character) into `value`, backslashes turned into '/'. False,
    // `value` unchanged, when the key or value is absent or is not a string.
    // "RootCad" is the installation root.
    static bool Read(const CVyrString& name, CVyrString& value);

    // The application data folder, below which the setup files lie: the value
    // "DataDir" when it is present and not empty, else the data folder of an installed
    // copy (share/VyrDisplayCore/data of the prefix the libraries were installed into)
    // when it exists, else the data folder of the build.
    static CVyrString GetDataDir();
};
