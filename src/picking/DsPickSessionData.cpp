#include "DsPickSessionData.h"

CDsPickSessionData* CDsPickSessionData::sActive = nullptr;
