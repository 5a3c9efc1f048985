#pragma once

#include <map>
#include <string>

// The code page 437 character of every memory byte, and back: how memory is shown on
// screen and how a level file spells it.
class GlyphTable {
public:
    GlyphTable();
    virtual ~GlyphTable();

    std::string glyphs[256];
    std::map<std::string, int> bytes;

    const std::string& glyph(int byte) const;
    // 0 for a blank and for anything outside code page 437.
    int byteOf(const std::string& glyph) const;
};
