// Start-up and shut-down of the library. The units are initialised here, one call each, in
// the order the library always started in, and finalised in reverse: static objects that
// register themselves would start in an unspecified order, and a static link can drop them.
#pragma once

// Runs every unit's initialisation; a second call while initialised does nothing.
void InitializeLibrary();
// Runs every unit's finalisation in reverse order; does nothing when not initialised.
void FinalizeLibrary();
bool LibraryInitialized();
