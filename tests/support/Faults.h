#pragma once

// Deliberate faults for the crash-guard tests: a real write to a page that may not be
// written (a hardware fault, not undefined behaviour the sanitizers would report).
void writeToProtectedPage();
// A page that may be neither read nor written.
void* protectedPage();
