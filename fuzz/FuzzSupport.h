#pragma once

// Start-up shared by the fuzz targets, and the checks every target makes on what it could read.

#include "model/CircuitFile.h"

#include <QByteArray>

// Creates the application object (offscreen) and registers the stream classes, once.
void InitFuzzing();

// What a user does with a circuit that loaded: show it, run a few steps, draw it, save it. Saving
// again what was read must give the same bytes; anything else aborts the run.
void ExerciseCircuit(TMacro& root, const QString& name);

// Draws an object into a small image, as the canvas or a part icon would.
void ExerciseDrawing(TGraphicObject& object);
