#pragma once

// The canvas's own mouse cursors, drawn from images in the program's resources, and the numbers the
// canvas and its selection overlay know them by.

#include <QCursor>
#include <QString>

enum TCursorNumber : int {
    kCursorDigitalArrow = 100, // "DIGITALARROW": over a vertex handle
    kCursorDigitalHand = 101,  // "DIGITALHAND": over the rotate knob
    kCursorHand = 200,         // "HAND": interact mode
    kCursorProbeFloat = 201,   // "PROBEFLOAT": probe over nothing or an undriven net
    kCursorProbeOn = 202,      // "PROBEON": probe on a high level
    kCursorProbeOff = 203,     // "PROBEOFF": probe on a low level
    kCursorPartDrag = 204,     // "PARTDRAG": a part dragged from the parts centre
    kCursorWireDefault = 300,  // "WIREDEFAULT": wiring mode, nothing under the mouse
    kCursorWireConnect = 301,  // "WIRECONNECT": wiring mode, over a wire or a free pin
    kCursorWireIsWiring = 302, // "WIREISWIRING": wiring mode, a wire is being drawn
};

// The cursor of a resource name such as "PROBEON" (any letter case); the standard arrow for a name
// that is not one of ours. Each call renders the image, so owners load their cursors once and keep them.
QCursor LoadCursor(const QString& resourceName);
// The cursor registered under a number; the standard arrow for any other number.
QCursor CursorForNumber(int number);
// The resource name registered under a number, or an empty text.
QString CursorResourceName(int number);
