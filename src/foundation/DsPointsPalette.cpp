// CDsPointsPalette: the screen-size point markers.
#include "DsPointsPalette.h"

#include "DsGeometryComputer.h"
#include "DsItemBitmap.h"
#include "GmPosition.h"
#include "SpaValues.h"
#include "UiBitmap.h"

#include <cmath>
#include <memory>

namespace {

// Resource numbers of the marker bitmaps by [style][size class].
const unsigned int kMarkerResources[CDsPointsPalette::kStyleCount][CDsPointsPalette::kSizeClassCount] = {
    {581, 583, 582}, {572, 574, 573}, {551, 550, 549}, {554, 553, 552}, {590, 592, 591}, {584, 586, 585},
    {579, 561, 559}, {566, 565, 568}, {593, 595, 594}, {580, 562, 560}, {554, 553, 552},
};

const int kMarkerPixels[CDsPointsPalette::kSizeClassCount] = {5, 11, 17};

bool InTable(int style, int sizeClass)
{
    return style >= 0 && style < CDsPointsPalette::kStyleCount && sizeClass >= 0 &&
           sizeClass < CDsPointsPalette::kSizeClassCount;
}

}  // namespace

CDsPointsPalette::CDsPointsPalette() : m_markers{}
{
}

CDsPointsPalette::~CDsPointsPalette()
{
    ClearMarkers();
}

void CDsPointsPalette::ClearMarkers()
{
    for (CDsItemBitmap*& marker : m_markers) {
        delete marker;
        marker = nullptr;
    }
}

CDsItemBitmap* CDsPointsPalette::GetMarker(int style, int sizeClass) const
{
    return InTable(style, sizeClass) ? m_markers[style * kSizeClassCount + sizeClass] : nullptr;
}

CDsItemBitmap* CDsPointsPalette::CreateMarker(int sizeClass, EPointStyle style, int pixelSize)
{
    if (!InTable(style, sizeClass) || pixelSize < 1) return nullptr;
    CDsItemBitmap*& slot = m_markers[style * kSizeClassCount + sizeClass];
    if (slot) return slot;

    // With the core's resources current, so that the chain is searched and a bitmap of the same
    // number in the host's current resource module does not stand in for the marker.
    UiBitmap bitmap;
    if (!bitmap.LoadById(kMarkerResources[style][sizeClass], 1)) return nullptr;
    auto marker = std::make_unique<CDsItemBitmap>(pixelSize, pixelSize, 0, 0, pixelSize / 2, pixelSize / 2);
    if (!marker->CopyFromBitmap(static_cast<HBITMAP>(bitmap.GetSafeHandle()))) return nullptr;
    slot = marker.release();
    return slot;
}

CDsItemBitmap* CDsPointsPalette::PlaceMarker(int size, EPointStyle style, view3d& view, const SPAposition& position)
{
    const int sizeClass = StGetSizeClass(size);
    CDsItemBitmap* marker = CreateMarker(sizeClass, style, StGetMarkerPixels(sizeClass));
    if (!marker) return nullptr;
    float x = 0.0f, y = 0.0f;
    int height = -1;
    const CGmPosition point(position.x(), position.y(), position.z());
    if (!CDsGeometryComputer::GetInstance()->ProjectPositionOnView(point, &view, x, y, &height)) return nullptr;
    // The pixel gluProject gives the point: rows counted up from the projection's rows down.
    marker->SetPosition(int(std::floor(x)), int(std::floor(float(height - 1) - y)));
    return marker;
}

void CDsPointsPalette::DrawMarker(int size, EPointStyle style, view3d& view, const SPAposition& position)
{
    if (CDsItemBitmap* marker = PlaceMarker(size, style, view, position)) marker->Refresh(view);
}

void CDsPointsPalette::DrawMarkerOnTraverse(int size, EPointStyle style, view3d& view, const SPAposition& position,
                                            bool walk)
{
    if (CDsItemBitmap* marker = PlaceMarker(size, style, view, position))
        marker->DrawOnTraverse(view, CDsGeometry::eDpBitmaps, walk);
}

int CDsPointsPalette::StGetSizeClass(int size)
{
    if (size <= 5) return 0;
    if (size <= 15) return 1;
    return 2;
}

int CDsPointsPalette::StGetMarkerPixels(int sizeClass)
{
    return sizeClass >= 0 && sizeClass < kSizeClassCount ? kMarkerPixels[sizeClass] : 0;
}

unsigned int CDsPointsPalette::StGetMarkerResourceId(int style, int sizeClass)
{
    return InTable(style, sizeClass) ? kMarkerResources[style][sizeClass] : 0;
}
