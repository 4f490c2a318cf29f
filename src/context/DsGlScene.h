// CDsGlScene: the scene of one OpenGL rendering context (CDsGlContext), made and deleted by the
// context. It keeps the settings that belong to the document shown rather than to a view.
//
// What it keeps so far:
// - the document flags (EDsDocumentFlag 0 to 26, also called display-mode flags), flags 5, 7 and
//   25 on at the start. A change of flag 0, 1, 8, 12, 21 or 22 marks the render mode as changed
//   (as CDsGlContext::OnRenderModeChanged does), a change of flag 4, 5, 14 or 25 the picture
//   properties (as CDsGlContext::OnPicturePropsChanged does); setting a flag to the value it has
//   does nothing. An index outside 0..26 is ignored (and read as false).
// - the display-suspension counter: raising it leaves it at least 1, lowering it never goes below 0;
// - the refresh counter, the silhouette level (1, cylinders, at the start) and the largest diagonal
//   drawn during a fast refresh (0, no limit);
// - two validity flags, true at the start: the picture properties and the render mode. Changes
//   clear them; the refresh that has taken a change into account sets them again;
// - the display-state history (CDsStateContainer), made with the scene and deleted with it, with
//   the states it holds.
//
// Coming with the display items and the rest of the context: the root item groups, background,
// lights, reference UCS, sections, shaders, palettes, refinement and the scene
// database's scene, and with them the flags' effects on the database (types shown and hidden)
// and on the bodies (open edges). Until then the scene shows nothing, so measuring its extrema
// (ComputeExtrema) finds nothing to measure.
#pragma once

#include <afx.h>

#include "VyrViewTypes.h"

#include <bitset>

class CDsGlContext;
class CDsStateContainer;
class CDsViewExtrema;

// The scene of an OpenGL rendering context.
class AFX_EXT_CLASS CDsGlScene {
public:
    // Number of document flags (0 to 26).
    static constexpr int kDocumentFlagCount = 27;

    // The scene of `owner` (not owned); `sceneNumber` names the scene database's scene.
    CDsGlScene(CDsGlContext* owner, int sceneNumber);
    // Not copyable: a scene belongs to one context.
    CDsGlScene(const CDsGlScene&) = delete;
    // Not copyable.
    CDsGlScene& operator=(const CDsGlScene&) = delete;
    // Deletes the history (and the states it holds).
    virtual ~CDsGlScene();

    // The owning context.
    CDsGlContext* GetOwner() const { return m_owner; }
    // The number of the scene database's scene.
    int GetSceneNumber() const { return m_sceneNumber; }

    // --- Document flags -------------------------------------------------------------------
    // Sets or clears document flag `index` and runs its effect (header comment); nothing when
    // the flag already has that value or the index is outside 0..26.
    void SetDisplayModeFlag(int index, bool value);
    // Document flag `index`; false outside 0..26.
    bool GetDisplayModeFlag(int index) const;

    // --- Display suspension ---------------------------------------------------------------
    // Raises the counter by one; it is at least 1 afterwards. Answers the new value.
    int IncrementDisplaySuspension();
    // Lowers the counter by one, never below 0. Answers the new value.
    int DecrementDisplaySuspension();
    // The counter.
    int GetDisplaySuspension() const { return m_suspension; }
    // True while the counter is above 0.
    bool IsDisplaySuspended() const { return m_suspension > 0; }
    // Sets the counter to 0 and answers what it was.
    int ResetDisplaySuspension();

    // --- Counters and settings ------------------------------------------------------------
    // Counts one more refresh.
    void IncrementRefreshCounter() { ++m_refreshCounter; }
    // Refreshes counted since the start or the last reset.
    long GetRefreshCounter() const { return m_refreshCounter; }
    // Back to 0.
    void ResetRefreshCounter() { m_refreshCounter = 0; }
    // Stores the silhouette level (any value: the renderers read it as it is).
    void SetSilhouetteLevel(EDsSilhouetteLevel level) { m_silhouetteLevel = level; }
    // The silhouette level.
    EDsSilhouetteLevel GetSilhouetteLevel() const { return m_silhouetteLevel; }
    // Stores the largest diagonal, in pixels, drawn during a fast refresh; a negative or
    // non-finite value becomes 0 (no limit).
    void SetMaxDiagonalSizeForFastRefresh(float size);
    // The largest diagonal drawn during a fast refresh (0: no limit).
    float GetMaxDiagonalSizeForFastRefresh() const { return m_maxFastDiagonal; }

    // --- Validity ------------------------------------------------------------------------
    // Whether the picture properties are unchanged since the last refresh took them in.
    bool IsPicturePropsValid() const { return m_picturePropsValid; }
    // Sets the picture-properties flag.
    void SetPicturePropsValid(bool valid) { m_picturePropsValid = valid; }
    // Whether the render mode is unchanged since the last refresh took it in.
    bool IsRenderModeValid() const { return m_renderModeValid; }
    // Sets the render-mode flag.
    void SetRenderModeValid(bool valid) { m_renderModeValid = valid; }

    // --- Display-state history ------------------------------------------------------------
    // The history of display states (never null; owned by the scene).
    CDsStateContainer* GetStateContainer() const { return m_history; }

    // --- Measuring ------------------------------------------------------------------------
    // Measures what the scene shows into `view`'s extrema driver (`full`: by drawing it rather
    // than from its bound box). The scene has nothing to show yet, so nothing is measured.
    void ComputeExtrema(CDsViewExtrema* view, bool full);

private:
    CDsGlContext* m_owner;
    int m_sceneNumber;
    std::bitset<kDocumentFlagCount> m_flags;
    int m_suspension = 0;
    long m_refreshCounter = 0;
    EDsSilhouetteLevel m_silhouetteLevel = eDsSilhouetteCylinders;
    float m_maxFastDiagonal = 0.0f;
    bool m_picturePropsValid = true;
    bool m_renderModeValid = true;
    CDsStateContainer* m_history = nullptr;
};
