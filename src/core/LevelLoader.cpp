#include "core/LevelLoader.h"

#include "core/CircularLog.h"
#include "core/Trace.h"

#include <utf8.h>

#include <cstdio>
#include <iterator>

namespace {

// Every map line passes through this one buffer; a longer line is read in pieces.
const size_t lineBufferSize = 65535;
char lineBuffer[lineBufferSize];

// Reads up to and including the next line feed, at most lineBufferSize - 1 bytes.
// Returns the number of bytes read; 0 at the end of the file.
size_t readLine(FILE* file)
{
    TRACE();
    size_t length = 0;
    while (length < lineBufferSize - 1) {
        int c = std::fgetc(file);
        if (c == EOF)
            break;
        lineBuffer[length++] = char(c);
        if (c == '\n')
            break;
    }
    return length;
}

// Returns false when visible characters beyond the last column were left out.
bool storeLine(const char* begin, const char* end, int y, Realm& realm, const GlyphTable& glyphs)
{
    TRACE();
    const char* at = begin;
    for (int x = 0; at != end && x < Realm::size; x++) {
        const char* start = at;
        utf8::next(at, end);
        realm.cell(x, y).value = uint8_t(glyphs.byteOf(std::string(start, at)));
    }
    std::string rest(at, end);
    return rest.find_first_not_of("\r\n") == std::string::npos;
}

} // namespace

bool loadMap(const std::string& path, Realm& realm, const GlyphTable& glyphs)
{
    TRACE();
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) {
        LOG("ERROR: Failed to open map file: " << path);
        return false;
    }
    bool tooWide = false;
    try {
        for (int y = 0; y < Realm::size; y++) {
            size_t length = readLine(file);
            if (length == 0)
                break;
            const char* begin = lineBuffer;
            const char* end = lineBuffer + length;
            if (length == lineBufferSize - 1 && end[-1] != '\n')
                LOG("WARNING: Map line " << y << " is longer than " << length << " bytes and is read as several rows");
            const char* invalid = utf8::find_invalid(begin, end);
            if (invalid != end) {
                // The log shows the line without its terminator and with the broken bytes
                // replaced, so the log itself stays readable text.
                std::string shown;
                utf8::replace_invalid(begin, end, std::back_inserter(shown));
                shown.erase(shown.find_last_not_of("\r\n") + 1);
                LOG("ERROR: Invalid UTF-8 in line: " << shown);
                LOG("       This part is fine: " << std::string(begin, invalid));
                std::fclose(file);
                return false;
            }
            if (!storeLine(begin, end, y, realm, glyphs))
                tooWide = true;
        }
    } catch (const utf8::exception&) {
        LOG("ERROR: UTF8 exception");
        std::fclose(file);
        return false;
    }
    // A folder, for one, opens like a file but cannot be read.
    if (std::ferror(file)) {
        LOG("ERROR: Failed to read map file: " << path);
        std::fclose(file);
        return false;
    }
    if (tooWide)
        LOG("WARNING: Map file " << path << " has rows wider than " << Realm::size << " characters, the rest is ignored");
    if (std::fgetc(file) != EOF)
        LOG("WARNING: Map file " << path << " has more than " << Realm::size << " rows, the rest is ignored");
    std::fclose(file);
    LOG("Level loaded successfully.");
    return true;
}
