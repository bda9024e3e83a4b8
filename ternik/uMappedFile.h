// Mapped file views; so far only the unit's start-up (its version line).
#pragma once

void uMappedFileInitialize();
