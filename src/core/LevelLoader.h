#pragma once

#include "core/GlyphTable.h"
#include "core/Realm.h"

#include <string>

// Fills one memory page from a level file: UTF-8 text in which line n is row n and
// character n of a line is column n, each character the code page 437 glyph of its
// byte. The line feed counts as a character (it stores 0). Only the values change;
// cells beyond the file keep what they held. False when the file cannot be opened
// or holds invalid UTF-8; rows read before the fault stay loaded.
bool loadMap(const std::string& path, Realm& realm, const GlyphTable& glyphs);
