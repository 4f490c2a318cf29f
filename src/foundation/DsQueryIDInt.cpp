// CDsQueryIDInt: the default entity-id service, reading the attribute manager.
#include "DsQueryIDInt.h"

#include "VyrAttManager.h"
#include "acis.h"

// Both are static objects of the library: the pointer is constant-initialised, so it holds the
// default before any other initialiser of the library can ask for it.
CDsQueryIDInt CDsQueryIDInt::sDefaultQueryIDInt;
CDsQueryIDInt* CDsQueryIDInt::sActiveQueryIDInt = &CDsQueryIDInt::sDefaultQueryIDInt;

CDsQueryIDInt::~CDsQueryIDInt() {
    if (sActiveQueryIDInt == this) sActiveQueryIDInt = &sDefaultQueryIDInt;
}

CDsQueryIDInt* CDsQueryIDInt::StGetActiveQueryIDInt() { return sActiveQueryIDInt; }

void CDsQueryIDInt::StSetActiveQueryIDInt(CDsQueryIDInt* query) {
    sActiveQueryIDInt = query != nullptr ? query : &sDefaultQueryIDInt;
}

int CDsQueryIDInt::QueryPID(ENTITY* entity) {
    CVyrAttManager* manager = CVyrAttManager::GetVyrAttManager();
    if (manager == nullptr || entity == nullptr) return 0;
    int id = 0;
    return manager->GetPid(entity, id) ? id : 0;
}

int CDsQueryIDInt::QueryComponentId(ENTITY* entity) {
    CVyrAttManager* manager = CVyrAttManager::GetVyrAttManager();
    if (manager == nullptr || entity == nullptr) return 0;
    CVyrAsNode* node = manager->GetAssNode(entity);
    if (node == nullptr) {
        ENTITY* owner = get_owner(entity);
        if (owner == nullptr || owner == entity) return 0;
        node = manager->GetAssNode(owner);
        if (node == nullptr) return 0;
    }
    return node->GetComponentId();
}

long CDsQueryIDInt::QueryGenerationNumber(ENTITY* entity) {
    CVyrAttManager* manager = CVyrAttManager::GetVyrAttManager();
    if (manager == nullptr || entity == nullptr) return 0;
    CVyrAsNode* node = manager->GetAssNode(entity);
    return node != nullptr ? node->GetGenerationNumber() : 0;
}
