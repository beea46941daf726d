#pragma once

// Registers every stream class of the program by its exact class name. Called once by each main
// (editor, command-line runner, tests) before any stream is read.
void RegisterStreamClasses();
