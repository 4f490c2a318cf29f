// The rendering context's pick sessions.
#include "DsGlContext.h"

#include "DsCglEntList.h"
#include "DsPickSessionData.h"

#include "UiPickEvent.h"

void CDsGlContext::StBeginPickSession(const CUiPickEvent& event, CDsPickSessionData* data)
{
    CDsPickSessionData::sActive = data;
    SDsGlPickCache::sCache.eventSet = 1;
    SDsGlPickCache::sCache.event = event;
}

void CDsGlContext::StEndPickSession()
{
    CDsPickSessionData::sActive = nullptr;
    SDsGlPickCache::sCache.Clear();
}
