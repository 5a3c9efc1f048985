#include "core/ReplayFormat.h"

#include "core/Trace.h"

#include <cstdint>
#include <cstring>

namespace {

// Codes 0 to 40; 36 to 40 carry nothing and mean nothing.
const char* const layouts[] = {
    nullptr,        // 0
    "", "", "",     // 1 clear black, 2 clear blue, 3 end of frame
    "nb", "nbbb",   // 4 alpha, 5 colour: texture index and modulation
    "nnnnnnnnn",    // 6 copy: texture, source, destination
    "nnnnn",        // 7 copy: texture, destination
    "nnnnn",        // 8 copy: texture, source
    "n",            // 9 copy: texture
    "nbnnnnnnnn", "nbnnnn", "nbnnnn", "nb",               // 10 to 13: as 6 to 9 with a flip byte
    "nbnnnnnnnnnnn", "nbnnnnnnn", "nbnnnnnnn", "nbnnn",   // 14 to 17: and centre x, y, angle
    "bs",           // 18 texture: kind, file name
    "nnnbbbbbss",   // 19 text: size, outline, wrap, r, g, b, a, shadow, font file, string
    "nnnb",         // 20 draw text: index, x, y, zoom
    "n",            // 21 forget text
    "nnnbbbbbss",   // 22 text into a texture, as 19
    "nn", "nn",     // 23, 24 scroll
    "", "", "",     // 25, 26, 27 layouts
    "nnnn",         // 28 line
    "ns",           // 29 sound: loops, name
    "nns",          // 30 music: fade-in, fade-out, name
    "n", "nn",      // 31 music off, 32 music fade: ms, target
    "", "", "",     // 33 stop all sounds, 34 and 35 layouts
    "", "", "", "", "", // 36 to 40
};

const CopyShape copyShapes[] = {
    {false, true, true, false}, {false, false, true, false}, {false, true, false, false}, {false, false, false, false},
    {true, true, true, false}, {true, false, true, false}, {true, true, false, false}, {true, false, false, false},
    {true, true, true, true}, {true, false, true, true}, {true, true, false, true}, {true, false, false, true}};

} // namespace

const char* replayLayout(int code)
{
    TRACE();
    if (code < 0 || code >= int(sizeof layouts / sizeof layouts[0]))
        return nullptr;
    return layouts[code];
}

CopyShape copyShape(int code)
{
    TRACE();
    return copyShapes[code - ReplayCode::copy];
}

void storeNumber(unsigned char* at, int value)
{
    TRACE();
    at[0] = static_cast<unsigned char>((value >> 8) & 255);
    at[1] = static_cast<unsigned char>(value & 255);
}

int loadNumber(const unsigned char* at)
{
    TRACE();
    return int(static_cast<int16_t>(uint16_t(at[0] << 8 | at[1])));
}

ReplayRead readReplayCommand(FILE* file, ReplayCommand& command, char* buffer)
{
    TRACE();
    int code = std::fgetc(file);
    if (code == EOF)
        return ReplayRead::endOfFile;
    command.code = code;
    command.valueCount = 0;
    command.stringCount = 0;
    const char* layout = replayLayout(code);
    if (!layout)
        return ReplayRead::unknownCode;
    // The fixed part up to the next string comes in one read.
    unsigned char fixed[2 * ReplayCommand::maxValues];
    for (const char* field = layout; *field;) {
        int size = 0;
        const char* end = field;
        for (; *end && *end != 's'; end++)
            size += *end == 'n' ? 2 : 1;
        if (size > 0 && std::fread(fixed, 1, size_t(size), file) != size_t(size))
            return ReplayRead::cutShort;
        const unsigned char* at = fixed;
        for (; field != end; field++) {
            command.values[command.valueCount++] = *field == 'n' ? loadNumber(at) : *at;
            at += *field == 'n' ? 2 : 1;
        }
        if (*field != 's')
            continue;
        unsigned char length[2];
        if (std::fread(length, 1, 2, file) != 2)
            return ReplayRead::cutShort;
        int count = loadNumber(length);
        if (count < 0 || count > ReplayFormat::longestString)
            return ReplayRead::badString;
        if (count > 0 && std::fread(buffer, 1, size_t(count), file) != size_t(count))
            return ReplayRead::cutShort;
        buffer[count] = 0;
        command.strings[command.stringCount++].assign(buffer, size_t(count));
        field++;
    }
    return ReplayRead::command;
}

int encodeReplayCommand(unsigned char* out, int capacity, int code, std::initializer_list<int> values,
    std::initializer_list<std::string_view> strings)
{
    TRACE();
    const char* layout = replayLayout(code);
    if (!layout || capacity < 1)
        return 0;
    out[0] = static_cast<unsigned char>(code);
    int length = 1;
    const int* value = values.begin();
    const std::string_view* text = strings.begin();
    for (const char* field = layout; *field; field++) {
        if (*field == 's') {
            if (text == strings.end() || int(text->size()) > ReplayFormat::longestString
                || length + 2 + int(text->size()) > capacity)
                return 0;
            storeNumber(out + length, int(text->size()));
            std::memcpy(out + length + 2, text->data(), text->size());
            length += 2 + int(text->size());
            text++;
            continue;
        }
        int size = *field == 'n' ? 2 : 1;
        if (value == values.end() || length + size > capacity)
            return 0;
        if (size == 2)
            storeNumber(out + length, *value);
        else
            out[length] = static_cast<unsigned char>(*value & 255);
        length += size;
        value++;
    }
    return value == values.end() && text == strings.end() ? length : 0;
}

std::string_view cutAtCharacter(std::string_view text, size_t limit)
{
    TRACE();
    if (text.size() <= limit)
        return text;
    size_t cut = limit;
    // Never keep the first bytes of a character without its last ones.
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80)
        cut--;
    return text.substr(0, cut);
}
