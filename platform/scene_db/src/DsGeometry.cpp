// CDsGeometry: the defaults of the base's non-pure operations.
#include "DsGeometry.h"

CDsGeometry::~CDsGeometry() = default;

bool CDsGeometry::GetBoundBox2D(SDsBox2D&, int) const { return false; }

double CDsGeometry::GetDetailSize() const { return 0.0; }

bool CDsGeometry::GetVerticesBuffer(eDrawPrimitives, std::vector<sVerticesBuffer>&, int) { return false; }

bool CDsGeometry::IsAlwaysDrawn() const { return true; }

bool CDsGeometry::GetLocalTransform(SPAtransf&) const { return false; }

bool CDsGeometry::ShouldDrawChildren(int) const { return true; }

bool CDsGeometry::IsCutBySections() const { return true; }
