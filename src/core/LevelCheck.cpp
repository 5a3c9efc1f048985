#include "core/LevelCheck.h"

#include "core/Trace.h"

#include <cstdio>
#include <fstream>
#include <sstream>

namespace {

const float tapFrame = 1.0f / 60;

std::string hexByte(int byte)
{
    TRACE();
    char text[3];
    std::snprintf(text, sizeof text, "%02x", byte & 255);
    return text;
}

// Script names of the inputs, indexed by GameInput code.
const char* const inputNames[] = {"", "UP", "DOWN", "LEFT", "RIGHT", "ATTACK", "ITEM"};
const int namedInputs = 7;

int inputCode(const std::string& name)
{
    TRACE();
    for (int code = GameInput::up; code < namedInputs; code++)
        if (name == inputNames[code])
            return code;
    return GameInput::none;
}

// "UP", or a diagonal "DOWN+LEFT": a vertical and a horizontal direction.
bool tapFromName(const std::string& name, SolutionTap& tap)
{
    TRACE();
    size_t plus = name.find('+');
    tap.code = inputCode(name.substr(0, plus));
    tap.alsoHeld = GameInput::none;
    if (plus == std::string::npos)
        return tap.code != GameInput::none;
    tap.alsoHeld = inputCode(name.substr(plus + 1));
    bool vertical = tap.code == GameInput::up || tap.code == GameInput::down;
    bool horizontal = tap.alsoHeld == GameInput::left || tap.alsoHeld == GameInput::right;
    return vertical && horizontal;
}

// A repeat count of digits only; 0 for anything else.
int readCount(const std::string& text)
{
    TRACE();
    if (text.size() > 6 || text.find_first_not_of("0123456789") != std::string::npos)
        return 0;
    return std::stoi(text);
}

bool occupied(Realm& page, int x, int y)
{
    TRACE();
    return (page.cell(x, y).value & World::playerBit) != 0;
}

} // namespace

void SilentEvents::playSound(const std::string&, int) { TRACE(); }
void SilentEvents::fadeOutMusic(int) { TRACE(); }
void SilentEvents::startArmedRecording() { TRACE(); }
void SilentEvents::openPauseMenu() { TRACE(); }
void SilentEvents::pauseMenuInput(int, int) { TRACE(); }
void SilentEvents::closePauseMenu() { TRACE(); }
void SilentEvents::loadLevel() { TRACE(); }
void SilentEvents::playerChangedCode() { TRACE(); }
void SilentEvents::cellWritten(Realm&, int, int) { TRACE(); }
void SilentEvents::tapTaken() { TRACE(); }

bool readSolution(const std::string& path, std::vector<SolutionTap>& taps, std::string& error)
{
    TRACE();
    std::ifstream file(path);
    if (!file) {
        error = "cannot open " + path;
        return false;
    }
    std::string text;
    for (int line = 1; std::getline(file, text); line++) {
        std::istringstream words(text.substr(0, text.find('#')));
        std::string action;
        if (!(words >> action))
            continue;
        SolutionTap tap{GameInput::none, line};
        bool known = tapFromName(action, tap);
        std::string countText, rest;
        words >> countText >> rest;
        int count = countText.empty() ? 1 : readCount(countText);
        if (!known || count < 1 || !rest.empty()) {
            error = path + ":" + std::to_string(line) + ": cannot read \"" + text + "\"";
            return false;
        }
        taps.insert(taps.end(), size_t(count), tap);
    }
    return true;
}

std::string tapName(const SolutionTap& tap)
{
    TRACE();
    std::string name = tap.code > 0 && tap.code < namedInputs ? inputNames[tap.code] : "?";
    if (tap.alsoHeld != GameInput::none)
        name += std::string("+") + inputNames[tap.alsoHeld];
    return name;
}

std::vector<std::string> tapScriptLines(const std::vector<SolutionTap>& taps)
{
    TRACE();
    std::vector<std::string> lines;
    for (size_t first = 0; first < taps.size();) {
        size_t end = first + 1;
        while (end < taps.size() && taps[end].code == taps[first].code && taps[end].alsoHeld == taps[first].alsoHeld)
            end++;
        std::string line = tapName(taps[first]);
        if (end - first > 1)
            line += " " + std::to_string(end - first);
        lines.push_back(line);
        first = end;
    }
    return lines;
}

void playTap(World& world, const SolutionTap& tap)
{
    TRACE();
    world.processInputPressed(tap.code, 0);
    if (tap.alsoHeld != GameInput::none)
        world.processInputPressed(tap.alsoHeld, 0);
    world.step(tapFrame);
    world.processInputReleased(tap.code, 0);
    if (tap.alsoHeld != GameInput::none)
        world.processInputReleased(tap.alsoHeld, 0);
    world.step(tapFrame);
}

int playSolution(World& world, const std::vector<SolutionTap>& taps, FILE* trace)
{
    TRACE();
    for (size_t i = 0; i < taps.size(); i++) {
        playTap(world, taps[i]);
        bool lineDone = i + 1 == taps.size() || taps[i + 1].line != taps[i].line;
        if (trace && (lineDone || world.endTimer > 0))
            printWorldState(trace, world, taps[i]);
        if (world.endTimer > 0)
            return int(i) + 1;
    }
    return -1;
}

void printWorldState(FILE* out, const World& world, const SolutionTap& tap)
{
    TRACE();
    std::fprintf(out, "line %d %-6s -> %s\n", tap.line, tapName(tap).c_str(), world.stateText().c_str());
}

WalkingReach walkingReach(World& world)
{
    TRACE();
    WalkingReach reach;
    Realm& page = world.mainPage;
    std::vector<bool> seen(Realm::size * Realm::size, false);
    std::vector<int> open{world.playerY * Realm::size + world.playerX};
    seen[open.back()] = true;
    while (!open.empty()) {
        int index = open.back();
        open.pop_back();
        reach.cells++;
        int x = index % Realm::size;
        int y = index / Realm::size;
        if (x == World::exitX && y == World::exitY)
            reach.exitReached = true;
        const int steps[4][2] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}};
        for (const auto& step : steps) {
            int nx = x + step[0];
            int ny = y + step[1];
            if (nx < 0 || ny < 0 || nx >= Realm::size || ny >= Realm::size)
                continue;
            int next = ny * Realm::size + nx;
            if (seen[next] || occupied(page, nx, ny))
                continue;
            seen[next] = true;
            open.push_back(next);
        }
    }
    return reach;
}

std::vector<std::string> programListing(Realm& page, int code)
{
    TRACE();
    std::vector<std::string> lines;
    int column = code / 256;
    for (int row = code % 256; row < Realm::size; row++) {
        int byte = page.cell(column, row).value;
        std::string name = instructionName(byte);
        if (name == "END")
            break;
        if (byte == 'n') {
            lines.push_back("");
            continue;
        }
        // Names stand at column 7 and the operands at column 12, as on screen.
        name.resize(5, ' ');
        std::string line = hexByte(column) + hexByte(row) + "   " + name + hexByte(page.cell(column + 1, row).value);
        if (byte != 'c' && byte != 'a' && byte != 'p')
            line += hexByte(page.cell(column + 2, row).value);
        lines.push_back(line);
        if (name == "ERROR")
            break;
    }
    return lines;
}

Realm& triggerProgramPage(World& world, const JumpTrigger& trigger)
{
    TRACE();
    Realm& own = world.page(trigger.realm);
    Realm& other = &own == &world.mainPage ? world.secondPage : world.mainPage;
    int column = trigger.code / 256;
    int row = trigger.code % 256;
    if (endsBlock(own.cell(column, row).value) && !endsBlock(other.cell(column, row).value))
        return other;
    return own;
}

std::vector<std::string> structureProblems(World& world)
{
    TRACE();
    std::vector<std::string> problems;
    if (occupied(world.mainPage, world.playerX, world.playerY))
        problems.push_back("the start is on an occupied byte");
    if (occupied(world.mainPage, World::exitX, World::exitY))
        problems.push_back("the exit is on an occupied byte");
    for (const JumpTrigger& trigger : world.jumps) {
        std::string name = "trigger at " + std::to_string(trigger.x) + "," + std::to_string(trigger.y);
        Realm& page = world.page(trigger.realm);
        if (occupied(page, trigger.x, trigger.y))
            problems.push_back(name + " is on an occupied byte");
        if (trigger.code == 0)
            continue;
        Realm& program = triggerProgramPage(world, trigger);
        int column = trigger.code / 256;
        int row = trigger.code % 256;
        if (endsBlock(program.cell(column, row).value))
            problems.push_back(name + ": its program does not start with an instruction");
        if (row > 0 && !endsBlock(program.cell(column, row - 1).value))
            problems.push_back(name + ": its program is part of a longer block");
        while (row < Realm::size && !endsBlock(program.cell(column, row).value))
            row++;
        if (row == Realm::size)
            problems.push_back(name + ": its program runs off the page");
    }
    return problems;
}
