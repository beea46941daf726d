#include "devices/StreamClasses.h"

#include "devices/InputDevice.h"
#include "devices/Interactive.h"
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
    registry.Add<TGround>();
    registry.Add<TSupply>();
    registry.Add<TClockDevice>();
    registry.Add<TBitGenerator>();
    registry.Add<TInteractiveInput>();
    registry.Add<TInteractiveSwitch>();
    registry.Add<TLEDDevice>();
    registry.Add<TLEDSegmentDevice>();
    registry.Add<TNumericDevice>();
    registry.Add<TMemoryDevice>();
}
