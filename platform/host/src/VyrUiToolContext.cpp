// CVyrUiToolContext: the tool's document and object path, and the current context.
#include "VyrUiToolContext.h"

namespace {

CVyrUiToolContext* sCurrent = nullptr;

}  // namespace

CVyrUiToolContext::CVyrUiToolContext(const CVyrUiToolContext& other)
    : m_document(other.m_document),
      m_pathIds(other.m_pathIds),
      m_pathDepth(other.m_pathDepth),
      m_pathPartId(other.m_pathPartId) {}

CVyrUiToolContext& CVyrUiToolContext::operator=(const CVyrUiToolContext& other) {
    m_document = other.m_document;
    m_pathIds = other.m_pathIds;
    m_pathDepth = other.m_pathDepth;
    m_pathPartId = other.m_pathPartId;
    return *this;
}

CVyrUiToolContext::~CVyrUiToolContext() {
    if (sCurrent == this) sCurrent = nullptr;
}

void CVyrUiToolContext::SetObjectPath(const std::vector<int>& ids, int depth, int partId) {
    m_pathIds = ids;
    m_pathDepth = depth;
    m_pathPartId = partId;
}

CVyrUiToolContext* CVyrUiToolContext::StGetCurrent() { return sCurrent; }

void CVyrUiToolContext::StSetCurrent(CVyrUiToolContext* context) { sCurrent = context; }
