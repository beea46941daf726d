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

// What each target does with one input; true when the input could be read. The regression tests
// run the same functions on the inputs that once failed.
bool FuzzCircuit(const QByteArray& bytes);
bool FuzzHeader(const QByteArray& bytes);
bool FuzzClipboard(const QByteArray& bytes);
bool FuzzTemplate(const QByteArray& bytes);
// The first byte chooses the memory (a 16 x 1 ROM or a 16K x 16 RAM), the rest is the file.
bool FuzzMemoryMap(const QByteArray& bytes);
