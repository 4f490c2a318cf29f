// CVyrPdmServer: the open documents and their types.
#include "VyrPdmServer.h"

#include "VyrDTM.h"
#include "VyrPdmClntLayer.h"
#include "VyrPrefManager.h"

#include <map>
#include <vector>

namespace {

// Open documents by number. Never destroyed, so types still answer during static destruction.
std::map<int, std::wstring>& Documents() {
    static auto* documents = new std::map<int, std::wstring>;
    return *documents;
}

}  // namespace

CVyrPdmServer* CVyrPdmServer::StInstance() {
    static CVyrPdmServer* instance = new CVyrPdmServer;
    return instance;
}

bool CVyrPdmServer::OpenDocument(const CVyrRunTimeDocId& document, const std::wstring& type) {
    if (!document.IsValid() || type.empty()) return false;
    return Documents().emplace(document.GetNumber(), type).second;
}

bool CVyrPdmServer::CloseDocument(const CVyrRunTimeDocId& document) {
    if (!Documents().erase(document.GetNumber())) return false;
    CVyrPdmClntLayer::Instance()->RemoveDocument(document);
    CVyrDTM::Instance()->RemoveModel(document);
    CVyrPrefManager::GetInstance()->RemoveDocument(document.GetNumber());
    return true;
}

bool CVyrPdmServer::IsOpen(const CVyrRunTimeDocId& document) const {
    return Documents().count(document.GetNumber()) != 0;
}

std::wstring CVyrPdmServer::GetType(int document) const {
    const auto found = Documents().find(document);
    return found == Documents().end() ? std::wstring() : found->second;
}

void CVyrPdmServer::ResetForTests() {
    std::vector<int> open;
    for (const auto& entry : Documents()) open.push_back(entry.first);
    for (int number : open) StInstance()->CloseDocument(CVyrRunTimeDocId(number));
}

VYR_REGISTER_TEST_RESET(CVyrPdmServer::ResetForTests, [] {
    CVyrPdmServer::ResetForTests();
    return true;
});
