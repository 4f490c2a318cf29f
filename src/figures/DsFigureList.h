// CDsFigureList: the ordered list of figures that the line-attribute manager's figure commands and
// the picked-item lists pass around. It holds the figures by pointer and never owns them.
#pragma once

#include <afx.h>

#include <deque>

class CDsFigure;

// An ordered list of figures (not owned).
class AFX_EXT_CLASS CDsFigureList {
public:
    // An empty list.
    CDsFigureList() = default;
    // A copy of the pointers.
    CDsFigureList(const CDsFigureList& other) = default;
    // Copies the pointers.
    CDsFigureList& operator=(const CDsFigureList& other) = default;
    // Forgets the pointers (the figures stay).
    virtual ~CDsFigureList();

    // Appends `figure` (null included: the list holds what it is given).
    void add(CDsFigure* figure) { m_figures.push_back(figure); }
    // The i-th figure; unchecked: the caller keeps 0 <= i < size().
    CDsFigure* operator[](int i) const { return m_figures[static_cast<size_t>(i)]; }
    // Erases the first entry equal to `figure`, searching from the front; false when there is none.
    bool remove(const CDsFigure* figure);
    // The number of entries.
    int size() const { return static_cast<int>(m_figures.size()); }
    // The first entry, for walking the list in order.
    std::deque<CDsFigure*>::const_iterator begin() const { return m_figures.begin(); }
    // Past the last entry.
    std::deque<CDsFigure*>::const_iterator end() const { return m_figures.end(); }

private:
    std::deque<CDsFigure*> m_figures;
};
