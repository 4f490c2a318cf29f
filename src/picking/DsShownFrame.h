// CDsShownFrame: what a frame of a view draws, as a snap asks it, so that a snap offers only a
// point the window shows. It reads the walk of what the frame draws (DsDrawnItems.h), which the
// single pick reads too: the faces that hide what lies behind them, and the places where the scene
// database draws each body and copy the context shows (transform ids included, those it hides by
// their path left out), each with what clips it there. Internal to the display core.
//
// A point shows (Shows) when it lies inside the window (the viewport, between the near and far
// planes, in front of a perspective eye), no section that clips it where it is drawn cuts it away,
// and no face the frame draws hides it (in the hidden-line and shaded modes every face the frame
// draws, in the mixed mode those it draws at least three quarters opaque, and in every mode a
// figure's faces drawn filled and wholly opaque, as DsAddHidingFaces collects them; see
// CDsHidingFaces, whose tolerances it takes). An edge's point is a point of a drawn line: the frame
// draws it in front of faces pushed back by their polygon offset, so a face hides it only in front
// by more than the face's depth slope across a pixel, as the single pick reads a line's point.
//
// Choices where the behaviour was open, or where a plain reading would hurt:
// - A body or copy the scene database files nowhere (a context used without a host that files
//   what it shows) is answered as the context shows it: at its own place, cut by the section
//   plane, its faces hiding as its face items are drawn. One the database files only where it
//   hides it by its path has no place: it shows nowhere.
// - The scene database tells which body a geometry draws through CDsEntityGeometry
//   (DsDrawnItems.h); a geometry without it is a figure or other item: it has no places.
// - A snap makes one frame for its whole search (CDsShownFrameScope): the walk runs once, however
//   many points it tests. Outside a snap each question makes a frame of its own.
// - The hidden-line views the scene files are drawn by the renderer of the hidden-line modes, past
//   the walk (ShowsViewLine): a view's first set after the model's faces went into the depth buffer,
//   so that in both modes every face the frame draws in front of a line hides it (the dimmed hidden
//   edges of mode 2 are the model's, not the views'); its second set once before the faces too, so
//   that only the faces painted after the renderer (a figure's) hide it. The section plane clips
//   the views as it clips the frame; a stepped section draws them unclipped as well. A view's
//   background, drawn filled between the two (outside fast refreshes), hides whatever lies behind
//   it: the lines of both sets, the model's edges and points. Being pushed back behind the view's
//   own curves, it hides none of those that lie in its plane.
#pragma once

#include <afx.h>

#include "DsPickRay.h"

#include "SpaValues.h"

#include <functional>
#include <map>
#include <memory>
#include <vector>

class CDsGlContext;
class CDsItemsGroup;
class CDsRefPoint;
class ENTITY;
class view3d;

// What a frame of a view draws.
class CDsShownFrame {
public:
    // One place where the frame draws a body or a copy: the walk's transform (applied after the
    // item's own transformation), and what clips it there.
    struct SPlace {
        SPAtransf transform;
        bool moved = false;  // the transform is not the identity
        SDsPickClip clip;
    };

    // What the frame of `view` of `context` draws now (the scene database's current view becomes
    // `view`).
    CDsShownFrame(CDsGlContext* context, view3d* view);
    CDsShownFrame(const CDsShownFrame&) = delete;
    CDsShownFrame& operator=(const CDsShownFrame&) = delete;

    CDsGlContext* GetContext() const { return m_context; }
    view3d* GetView() const { return m_view; }

    // The places the frame draws `shown` (a body or copy entity the context shows) at; null when
    // the database files nothing that draws it (see the header comment), empty when it hides it.
    const std::vector<SPlace>* PlacesOf(const ENTITY* shown) const;
    // The place a snap is looking at (null: none, a point is cut by the section plane only).
    void SetPlace(const SPlace* place) { m_place = place; }
    const SPlace* GetPlace() const { return m_place; }

    // Whether `point` (model coordinates of the root part) lies inside the window.
    bool InWindow(const SPAposition& point) const;
    // Whether what clips the place being looked at (else the section plane) cuts `point` away.
    bool Cuts(const SPAposition& point) const;
    // Whether a face the frame draws hides `point` from the viewer; a point of a face (`ofFace`) is
    // hidden by the faces the partial hidden-line mode keeps in the depth buffer too, and a point of
    // a drawn line (`ofLine`, an edge), which the frame draws in front of faces pushed back by their
    // polygon offset, only by a face in front of it by more than that face's depth slope across a
    // pixel too.
    bool Hides(const SPAposition& point, bool ofFace = false, bool ofLine = false) const;
    // Whether the window shows `point` (a point of a drawn line: `ofLine`): inside it, not cut away,
    // not hidden.
    bool Shows(const SPAposition& point, bool ofLine = false) const;
    // Whether the window shows `point` (model coordinates of the root part) of a line of a
    // hidden-line view the scene files: inside the window, not cut away by the section plane, and
    // not hidden by a face in front of it: every face the frame draws for a line drawn after the
    // faces went into the depth buffer, only the faces painted after the renderer (a figure's) for
    // one drawn before them too (`drawnBeforeFaces`; see the header comment). False in the render
    // modes whose frames draw no views (CDsGlScene::DrawsHlViews).
    bool ShowsViewLine(const SPAposition& point, bool drawnBeforeFaces) const;

    // The frame of the snap under way in `view` (null outside one).
    static CDsShownFrame* Current(view3d* view);

private:
    friend class CDsShownFrameScope;

    CDsGlContext* m_context;
    view3d* m_view;
    int m_renderMode = 0;
    bool m_facesHide = false;
    SDsPickClipPlane m_sectionPlane;
    SDsPickClip m_sectionClip;  // the section plane's (a body the database files nowhere)
    CDsHidingFaces m_hiding;
    CDsHidingFaces m_paintedAfter;  // the temporary part's faces, painted after the renderer of the
                                    // mode, and the views' backgrounds, painted over the lines before
    std::map<const ENTITY*, std::vector<SPlace>> m_places;
    const SPlace* m_place = nullptr;
    static CDsShownFrame* s_current;
};

// Makes the frame of `view` of `context` current for its lifetime, unless one for that view is
// current already (a snap inside a snap keeps the outer one).
class CDsShownFrameScope {
public:
    CDsShownFrameScope(CDsGlContext* context, view3d* view);
    ~CDsShownFrameScope();
    CDsShownFrameScope(const CDsShownFrameScope&) = delete;
    CDsShownFrameScope& operator=(const CDsShownFrameScope&) = delete;
    // The current frame (null without a context or view).
    CDsShownFrame* Get() const { return m_frame; }

private:
    std::unique_ptr<CDsShownFrame> m_own;
    CDsShownFrame* m_frame = nullptr;
    CDsShownFrame* m_previous = nullptr;
};

// Runs `pick` (a reference-point pick of `group`, a body or copy of the context of `view`) for each
// place the frame draws `group` at, nearest place first as the database files them, with the
// view's model transform set to the place meanwhile and the place the one looked at; the first
// point it answers, its position (CDsRefPoint::sLastPosition) moved to that place. Null when
// it answers none, or the frame draws the group nowhere.
CDsRefPoint* DsPickAtShownPlaces(CDsItemsGroup* group, view3d* view, const std::function<CDsRefPoint*()>& pick);

// The same for any pick: `pick` runs once for each place (once, at no place, for a group the
// database files nowhere) until it answers true.
bool DsForEachShownPlace(CDsItemsGroup* group, view3d* view, const std::function<bool(const CDsShownFrame::SPlace*)>& pick);

// Whether the window of `view` of `context` shows `point` (model coordinates of the root part; a
// point of a drawn line: `ofLine`; see CDsShownFrame::Shows), as the snap under way sees it; false
// without a context or view.
bool DsIsPointShown(CDsGlContext* context, view3d* view, const SPAposition& point, bool ofLine = false);
