#include "drawing/StreamClasses.h"

#include "drawing/GraphicText.h"

void RegisterDrawingClasses() {
    TClassRegistry& registry = TClassRegistry::Instance();
    registry.Add<TSerializeList>();
    registry.Add<TFloatPoint>();
    registry.Add<TSegment>();
    registry.Add<TPolygon>();
    registry.Add<TPolyline>();
    registry.Add<TGraphicList>();
    registry.Add<TGraphicText>();
}
