#include "devices/StreamClasses.h"

#include "devices/MemoryDevice.h"
#include "devices/OutputDevice.h"
#include "drawing/StreamClasses.h"
#include "model/StreamClasses.h"

void RegisterStreamClasses() {
    static bool registered = false;
    if (registered)
        return;
    registered = true;
    RegisterDrawingClasses();
    RegisterModelClasses();
    TClassRegistry& registry = TClassRegistry::Instance();
    registry.Add<TLEDDevice>();
    registry.Add<TLEDSegmentDevice>();
    registry.Add<TNumericDevice>();
    registry.Add<TMemoryDevice>();
}
