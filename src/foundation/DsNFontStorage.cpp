// CDsNFontStorage: the default font name.
#include "DsNFontStorage.h"

#include "VyrLangResourceManager.h"

CVyrString CDsNFontStorage::sDefaultFontName;

CVyrString CDsNFontStorage::StGetDefaultFontName()
{
    if (sDefaultFontName.IsEmpty()) {
        HINSTANCE module = CVyrLangResourceManager::GetInstance()->GetResourceHandle(CVyrString(L"VyrDisplayRc"));
        if (module) {
            const HINSTANCE previous = AfxGetResourceHandle();
            AfxSetResourceHandle(module);
            CStringW name;
            if (name.LoadString(kDefaultFontNameId)) sDefaultFontName = CVyrString(name);
            AfxSetResourceHandle(previous);
        }
    }
    return sDefaultFontName;
}

void CDsNFontStorage::StSetDefaultFontName(CVyrString& name)
{
    sDefaultFontName = name;
}
