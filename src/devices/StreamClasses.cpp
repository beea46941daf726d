#include "devices/StreamClasses.h"

#include "drawing/StreamClasses.h"
#include "model/StreamClasses.h"

void RegisterStreamClasses() {
    static bool registered = false;
    if (registered)
        return;
    registered = true;
    RegisterDrawingClasses();
    RegisterModelClasses();
}
