// CDsDocAttributesManager: the display state that belongs to one open document (render mode,
// silhouette level, which details are shown, edges in shaded views, the picture count of
// transition views), kept in the document's own data, section "DS_DISPLAY", through the host's
// document client layer (CVyrPdmClntLayer::Instance()). It holds no cache: every read goes to the
// document and every write to it at once (with change kind 2).
//
// Defaults, when a key is absent or holds a value that is not one of its words (words compare
// exactly, case included):
// - render mode: wireframe; "Modeler" and "NC" documents shade, "Assembly" mixed; the switch
//   "RenderMode" (WIREFRAME or SHADE, any case) overrides that; "Drafting" shades whatever the
//   switch says;
// - silhouette level: cylinders, or the switch "SilhouetteMode" (NONE, CYLINDER, ALL, any case);
// - datums shown, threads and open edges not, each turned over by its switch ("HideDatums",
//   "ShowThreads", "ShowOpenEdges"); hole attributes off; edges in shaded views and ignoring
//   edges during rotation on;
// - the transition-view picture count: the preference "AnimationViewNumbers", else 25.
// A value stored in the document wins over every switch.
//
// Choices where the behaviour was open: a garbage value read from the document (a word not in the
// table, an integer where text belongs) gives the default and writes one line to the warnings file
// (CDsGeometryComputer::WriteWarning); the document is left as it is.
#pragma once

#include <afx.h>

#include "VyrRunTimeDocId.h"
#include "VyrViewTypes.h"

#include <string>

// The display attributes of one document.
class AFX_EXT_CLASS CDsDocAttributesManager {
public:
    // The manager of `document`.
    explicit CDsDocAttributesManager(const CVyrRunTimeDocId& document);
    // The same document.
    CDsDocAttributesManager(const CDsDocAttributesManager& other) = default;
    // The other's document.
    CDsDocAttributesManager& operator=(const CDsDocAttributesManager& other) = default;
    // Nothing to free.
    virtual ~CDsDocAttributesManager() = default;

    // The stored render mode ("DS_RENDER_MODE"), else the default render mode.
    ERenderMode ReadRenderMode() const;
    // Stores the mode's word; a value outside 0..4 stores an empty text (read back as the default).
    void WriteRenderMode(ERenderMode mode);
    // The stored silhouette level ("DS_DETAILS_SILHOUETTE"), else the default.
    EDsSilhouetteLevel ReadSilhouetteLevel() const;
    // Stores the level's word; a value outside 0..2 stores an empty text.
    void WriteSilhouetteLevel(EDsSilhouetteLevel level);
    // "DS_DETAILS_OPEN_EDGES": false by default, true with the switch "ShowOpenEdges".
    bool ReadOpenEdgesState() const;
    // Stores "DS_DETAILS_OPEN_EDGES".
    void WriteOpenEdgesState(bool on);
    // "DS_DETAILS_DATUMS": true by default, false with the switch "HideDatums".
    bool ReadDatumsState() const;
    // Stores "DS_DETAILS_DATUMS".
    void WriteDatumsState(bool on);
    // "DS_DETAILS_THREADS": false by default, true with the switch "ShowThreads".
    bool ReadThreadsState() const;
    // Stores "DS_DETAILS_THREADS".
    void WriteThreadsState(bool on);
    // "Hole Attribute": false by default.
    bool ReadHoleAttributesState() const;
    // Stores "Hole Attribute".
    void WriteHoleAttributesState(bool on);
    // "DS_EDGES_ON_SHADE": true by default.
    bool ReadEdgesInShadeState() const;
    // Stores "DS_EDGES_ON_SHADE".
    void WriteEdgesInShadeState(bool on);
    // "DS_IGNORE_EDGES_DURING_ROTATE": true by default.
    bool ReadIgnoreEdgesDuringRotateState() const;
    // Stores "DS_IGNORE_EDGES_DURING_ROTATE".
    void WriteIgnoreEdgesDuringRotateState(bool on);
    // The stored integer "PICTURE_NUMBER_FOR_TRANS_VIEW", else the preference, else 25.
    int ReadTransViewNumber() const;
    // Stores "PICTURE_NUMBER_FOR_TRANS_VIEW".
    void WriteTransViewNumber(int pictures);

    // The document.
    const CVyrRunTimeDocId& GetDocument() const { return m_document; }

private:
    // The default render mode (see the header comment).
    ERenderMode GetDefaultRenderMode() const;
    // The stored "DS_TRUE" / "DS_FALSE" of `key`, else `defaultValue` turned over by the key's
    // switch.
    bool ReadState(const std::wstring& key, bool defaultValue) const;
    // Stores "DS_TRUE" or "DS_FALSE".
    void WriteState(const std::wstring& key, bool on);
    // The stored integer, else `defaultValue`.
    int ReadInt(const std::wstring& key, int defaultValue) const;
    // Stores the integer.
    void WriteInt(const std::wstring& key, int value);
    // The stored text of `key`; false when absent.
    bool ReadText(const std::wstring& key, std::wstring& value) const;

    CVyrRunTimeDocId m_document;
};
