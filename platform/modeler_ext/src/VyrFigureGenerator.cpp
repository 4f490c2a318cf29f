// The figure-generator base: every operation does nothing until a derived generator overrides it.
#include "VyrFigureGenerator.h"

CVyrFigureGenerator::~CVyrFigureGenerator() = default;

void CVyrFigureGenerator::StartGroup(bool) {}
void CVyrFigureGenerator::EndGroup() {}
void CVyrFigureGenerator::AddSubFigure(CDsItemBase*) {}
void CVyrFigureGenerator::SetPenColor(const CDsColorStorage&) {}
void CVyrFigureGenerator::SetPenStyle(int) {}
void CVyrFigureGenerator::SetPenWidth(int) {}
void CVyrFigureGenerator::SetPenVisibilityBlank(bool) {}
void CVyrFigureGenerator::SetTransformation(const CGmTransformation&) {}
void CVyrFigureGenerator::SetOnTopFlag(bool) {}
void CVyrFigureGenerator::ResetFlag(EDsItemFlags) {}
bool CVyrFigureGenerator::GetFlag(EDsItemFlags) const { return false; }
void CVyrFigureGenerator::SetFlag(EDsItemFlags) {}
void CVyrFigureGenerator::DrawTo(const CGmPosition&) {}
void CVyrFigureGenerator::MoveTo(const CGmPosition&) {}
void CVyrFigureGenerator::DrawPolyline(int, const CGmPosition*) {}
void CVyrFigureGenerator::DrawPolyline2D(int, const float*) {}
void CVyrFigureGenerator::DrawPoint(const CGmPosition&, EPointStyle, int, bool, const CGmUnitVector&, int) {}
void CVyrFigureGenerator::DrawUcs(const CGmPosition&, int, const CVyrString&, const CVyrString&,
                                  const CGmUnitVector*, int) {}
void CVyrFigureGenerator::DrawUcs(const CGmPosition&, int, const char*, const char*, const CGmUnitVector*, int) {}
void CVyrFigureGenerator::DrawTriangles(int, const double*, const double*) {}
void CVyrFigureGenerator::DrawTrianglesStl(const SPAtransf&, CVyrStlData*) {}
void CVyrFigureGenerator::DrawArc(const CGmPosition&, double, const CGmTransformation&, double, double, double) {}
void CVyrFigureGenerator::StartHlView(ENTITY*, bool) {}
void CVyrFigureGenerator::AddHlSegment(ENTITY*, CDsEllipseStorage*, EDsHlSegmentType) {}
void CVyrFigureGenerator::AddHlSegment(ENTITY*, CDsPolyline*, EDsHlSegmentType) {}
void CVyrFigureGenerator::DrawTextW(const char*, const CDsNFontStorage&, float, bool) {}
void CVyrFigureGenerator::DrawTextW(const char*, const char*, float, bool) {}
void CVyrFigureGenerator::DrawText2D(const char*, const char*, float) {}
void CVyrFigureGenerator::StartTextBlock(const CGmPosition&, float, EDsTextBlockAlignment) {}
void CVyrFigureGenerator::StartTextLine(EDsTextLineAlignment) {}
void CVyrFigureGenerator::AddTextItem(const CVyrString&, const CUiCharFormat&) {}
void CVyrFigureGenerator::StartToolpath(const CDsUid&, CDsAttributesPalette*) {}
void CVyrFigureGenerator::AddToolpathSegment(TDsNodeHeader*) {}
void CVyrFigureGenerator::EndToolpathBranch() {}
void CVyrFigureGenerator::EndToolpath() {}
