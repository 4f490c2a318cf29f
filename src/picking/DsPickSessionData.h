// CDsPickSessionData: the data of the one pick session that may be open (several modeler picks
// for one click). While it is active (sActive, set by CDsGlContext::StBeginPickSession and cleared
// by StEndPickSession) its group filter takes the place of the select-all filter where the item
// groups ask for one, and OpenGL selections at the session's position are made once
// (SDsGlPickCache).
#pragma once

#include <afx.h>

class entity_filter;

// The data of a pick session.
class AFX_EXT_CLASS CDsPickSessionData {
public:
    // No group filter.
    CDsPickSessionData() = default;
    // Frees the data (not the filter).
    virtual ~CDsPickSessionData() = default;

    // The group filter (not owned), or null.
    entity_filter* GetGroupFilter() const { return m_groupFilter; }
    // Sets the group filter (not owned; null: none).
    void SetGroupFilter(entity_filter* filter) { m_groupFilter = filter; }

    // The active session's data, or null.
    static CDsPickSessionData* StGetSessionData() { return sActive; }
    // Makes `data` the active session's data (null: none).
    static void StSetSessionData(CDsPickSessionData* data) { sActive = data; }

    // The active session's data, null when no session is open.
    static CDsPickSessionData* sActive;

private:
    entity_filter* m_groupFilter = nullptr;
};
