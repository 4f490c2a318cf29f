// CDsPointsPalette: the screen-size point markers (drawing calls only so far).
#include "DsPointsPalette.h"

CDsPointsPalette::~CDsPointsPalette() = default;

void CDsPointsPalette::DrawMarker(int, EPointStyle, view3d&, const SPAposition&) {}

void CDsPointsPalette::DrawMarkerOnTraverse(int, EPointStyle, view3d&, const SPAposition&, bool) {}
