#pragma once

#include "core/Storage.h"

#include <string>

// Loads the settings at the start of every display pass: a fresh file gets the
// defaults, older files get the fix-ups.
Storage& loadAndSetupSettings();
void setupDefaultSettings(Storage& settings);

// Stores the language given on the command line, as the menu would: "" for English.
// A first start gets its defaults first, as the display pass would give them.
void storeLanguage(const std::string& code);
