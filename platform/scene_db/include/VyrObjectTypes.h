// The small enumerations shared by the scene database and its callers: object types, item
// categories, location states (attribute set indexes), change kinds and slave walk modes.
#pragma once

// Object type of an item: a host enumeration whose values all lie in 0 to 255. Only the values
// that the display system itself relies on are named here.
enum eVyrObjectType : int {
    eVyrObjTypePartInstance = 23,  // a part instance (hide and show treat it as a unit)
    eVyrObjTypeFigure = 59,        // a recorded figure's geometry
    eVyrObjTypeParamPoint = 61,    // a parameter point's geometry
    eVyrObjTypeCount = 256         // number of object types
};

// Category of an item, which decides how a walk treats it. The store derives it from the object
// type through CDsPartStorage::sm_Type2Cat.
enum eVyrObjCategory : int {
    eVyrCatLeaf = 0,         // a leaf: the walk does not go below it
    eVyrCatOpenLeaf = 1,     // a leaf whose children the walk visits
    eVyrCatGeometry = 2,     // figure and point geometry: the geometry decides about children
    eVyrCatRegion = 3,       // a region of child regions or of leaf entries
    eVyrCatComplex = 4,      // a complex: masters and shared slaves
    eVyrCatTransformed = 5,  // an item placed by its own (or its geometry's) transform; part instances
    eVyrCatCount = 6         // number of categories
};

// Location state, which is also the index of a special attribute set (CDsScene::GetSpecialAttrs).
// States 2 to 12 select special sets; 13 to 15 are states the draw walk gives slaves of
// complexes. The values are fixed; names are given where the display system gives them a meaning.
enum EAttribSetIndex : int {
    eAttribSetNormal = 0,            // no special state
    eAttribSetFromLocation = 1,      // a walk's entry state: take the state from the location
    eAttribSetDim = 2,               // dimmed
    eAttribSetMark = 3,              // marked (selected)
    eAttribSetHighlight = 4,         // highlighted
    eAttribSetHighlightMarked = 5,   // highlighted while marked
    eAttribSetVisibility5 = 7,       // visibility level 5
    eAttribSetVisibility6 = 8,       // visibility level 6
    eAttribSetVisibility7 = 9,       // visibility level 7
    eAttribSetSingleSlave = 10,      // a slave connected to exactly one master
    eAttribSetMarkedSlave = 11,      // a slave of a marked master
    eAttribSetMonochrome = 12,       // monochrome drawing
    eAttribSetTransparentSlave = 13, // a slave of a fully transparent master
    eAttribSetCount = 16             // number of indexes the scene database keeps
};

// What changed for a view since it last drew (CDsScene::GetChanges). Values are fixed.
enum EChangeStatus : int {
    eNoChange = 0,          // nothing to draw
    eRedrawOnly = 1,        // draw again, nothing moved
    eCameraChanged = 2,     // the camera moved
    eLocationsChanged = 3,  // locations of the database moved
    ePartiallyChanged = 4,  // some locations changed; their paths and ids are listed
    eTotallyChanged = 5     // everything must be drawn again
};

// How a walk treats the slaves of a complex (answer of a functor's OnBeginMasters).
enum ESlaveTraverseMode : int {
    eSlavesNone = 0,        // masters only, no slave is visited
    eSlavesCachedFast = 1,  // cached counts; a slave not drawn gets its count negated
    eSlavesCached = 2,      // cached counts; negated counts are visited too
    eSlavesRecount = 3,     // counts rebuilt from the masters and cached in the location
    eSlavesAll = 4          // every slave once
};
