#pragma once

// Adds the stream classes of the model layer to the class registry.
void RegisterModelClasses();
