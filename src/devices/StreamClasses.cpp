#include "devices/StreamClasses.h"

#include "devices/InputDevice.h"
#include "devices/Interactive.h"
#include "drawing/StreamClasses.h"
#include "model/StreamClasses.h"

void RegisterStreamClasses() {
    static bool registered = false;
    if (registered)
        return;
    registered = true;
    RegisterDrawingClasses();
    RegisterModelClasses();
    TClassRegistry::Instance().Add<TGround>();
    TClassRegistry::Instance().Add<TSupply>();
    TClassRegistry::Instance().Add<TClockDevice>();
    TClassRegistry::Instance().Add<TBitGenerator>();
    TClassRegistry::Instance().Add<TInteractiveInput>();
    TClassRegistry::Instance().Add<TInteractiveSwitch>();
}
