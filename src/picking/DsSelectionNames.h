// CDsSelectionNames: the registry of OpenGL selection names. An item that draws itself under a
// name for GL selection (glPushName) asks the registry for its name, and whoever reads the hit
// records turns each name back into the item. A name is a 32-bit number, never an address: an
// item keeps the same name for its life, two live items never share one, and an item's name is
// forgotten when the item is destroyed (CDsItemBase's destructor), so that a stale hit record
// can no longer reach it. Names given up are handed out again.
//
// Choices where the behaviour was open:
// - 0 is never a name: hit records skip a null name, and StGetName answers 0 for a null item and
//   when every 32-bit name is in use (the item then draws under no name of its own).
// - Process-wide, like the items' display-list names: names are unique across rendering contexts.
// - Single-threaded, as every item operation.
#pragma once

#include <afx.h>

#include <GL/gl.h>

class CDsItemBase;

// Selection names of items.
class AFX_EXT_CLASS CDsSelectionNames {
public:
    // The name of `item`, made on the first request; 0 for null (see the header comment).
    static GLuint StGetName(const CDsItemBase* item);
    // The live item named `name`; null for 0 and for a name that names no item.
    static CDsItemBase* StFindItem(GLuint name);
    // Forgets the name of `item` (nothing when it has none); the name may be handed out again.
    static void StForget(const CDsItemBase* item);
    // The number of items that have a name now.
    static int StGetCount();
};
