#pragma once

// Adds the stream classes of the drawing layer to the class registry.
void RegisterDrawingClasses();
