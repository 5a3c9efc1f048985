#pragma once

#include <cstdio>
#include <initializer_list>
#include <string>
#include <string_view>

// The bytes of a replay file, without SDL: a header, then commands of one code byte and
// a payload. Numbers are 16-bit big-endian two's complement, strings a 16-bit length
// and that many bytes, rectangles four numbers (x, y, w, h).
namespace ReplayCode {
constexpr int clearBlack = 1;
constexpr int clearBlue = 2;
constexpr int endOfFrame = 3;
constexpr int alphaMod = 4;
constexpr int colourMod = 5;
constexpr int copy = 6;      // 6 to 9: with or without source and destination rectangle
constexpr int copyFlipped = 10; // 10 to 13: the same with a flip byte
constexpr int copyRotated = 14; // 14 to 17: with a flip byte, centre and angle
constexpr int defineTexture = 18;
constexpr int defineText = 19;
constexpr int drawText = 20;
constexpr int forgetText = 21;
constexpr int textTexture = 22;
constexpr int scrollSmoothly = 23;
constexpr int scrollAtOnce = 24;
constexpr int layoutTopLeft = 25;
constexpr int layoutRight = 26;
constexpr int layoutBottomScrolled = 27;
constexpr int drawLine = 28;
constexpr int sound = 29;
constexpr int music = 30;
constexpr int musicOff = 31;
constexpr int musicFade = 32;
constexpr int stopSounds = 33;
constexpr int layoutBottom = 34;
constexpr int layoutCentred = 35;
} // namespace ReplayCode

namespace ReplayFormat {
constexpr int version = 2;
constexpr int labelSize = 19;
constexpr int headerSize = labelSize + 6;
constexpr int commandCapacity = 4096;
constexpr int longestString = 4095;
// A text definition: code, size, outline, wrap, colour, shadow and two string lengths.
constexpr int textDefinitionSize = 16;
// 10 to 17 are drawn with this flip byte; 14 to 17 also turned by angle / 50 degrees.
constexpr int angleScale = 50;
} // namespace ReplayFormat

// The payload of each code as letters: "n" a 16-bit number, "b" a byte, "s" a string.
// Null for a code that is not a command.
const char* replayLayout(int code);

// Where the numbers of a copy command (6 to 17) sit among its values.
struct CopyShape {
    bool flip, source, destination, rotation;
};
CopyShape copyShape(int code);

// One command read from a file: the values of its layout in order (numbers
// sign-extended, bytes 0 to 255) and its strings.
struct ReplayCommand {
    static constexpr int maxValues = 13;
    int code = 0;
    int values[maxValues] = {};
    int valueCount = 0;
    std::string strings[2];
    int stringCount = 0;
};

enum class ReplayRead {
    command,     // a whole command was read
    endOfFile,   // the file ended between two commands
    cutShort,    // the file ended inside a command
    badString,   // a stored string length below 0 or above the longest string
    unknownCode, // not a command code; `command.code` holds it
};

// Reads the next command; strings are read through `buffer` (longestString + 1 bytes).
ReplayRead readReplayCommand(FILE* file, ReplayCommand& command, char* buffer);

// Builds a command into `out`: the values fill the code's layout in order. Returns its
// length, or 0 when the values do not match the layout or the command does not fit.
int encodeReplayCommand(unsigned char* out, int capacity, int code, std::initializer_list<int> values,
    std::initializer_list<std::string_view> strings = {});

// The 16-bit big-endian form of the low 16 bits of a value, and back (sign-extended).
void storeNumber(unsigned char* at, int value);
int loadNumber(const unsigned char* at);

// The longest start of `text` of at most `limit` bytes that ends between two UTF-8 characters.
std::string_view cutAtCharacter(std::string_view text, size_t limit);
