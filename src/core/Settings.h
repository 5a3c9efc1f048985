#pragma once

#include "core/Storage.h"

// Loads the settings at the start of every display pass: a fresh file gets the
// defaults, older files get the fix-ups.
Storage& loadAndSetupSettings();
void setupDefaultSettings(Storage& settings);
