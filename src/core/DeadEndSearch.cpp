#include "core/DeadEndSearch.h"

#include "core/Trace.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <map>
#include <tuple>

namespace {

// A state as the search keeps it: four words for the bit, the registers, the program
// counter and the triggers, then one word per byte that differs from the level:
// (page << 16 | cell index) << 8 | value, in ascending order.
using StateKey = std::vector<uint32_t>;
const size_t fixedWords = 4;

const SolutionTap searchedTaps[] = {
    {GameInput::up, 0},
    {GameInput::down, 0},
    {GameInput::left, 0},
    {GameInput::right, 0},
    {GameInput::up, 0, GameInput::left},
    {GameInput::up, 0, GameInput::right},
    {GameInput::down, 0, GameInput::left},
    {GameInput::down, 0, GameInput::right},
    {GameInput::attack, 0},
};
const int searchedTapCount = int(sizeof searchedTaps / sizeof searchedTaps[0]);

// The target of a tap that reaches the exit.
const uint32_t escaped = UINT32_MAX;
// Triggers a key can tell apart: one bit each in two 16-bit masks.
const size_t maxTriggers = 16;
const int cellsPerPage = Realm::size * Realm::size;

// Every key back to back in one array, found again through an open-addressing table
// of ids, so that a state costs its words and a few bytes more.
class StateTable {
public:
    std::vector<uint32_t> words;
    std::vector<uint64_t> starts{0}; // key i is words[starts[i]] up to words[starts[i + 1]]

    uint64_t size() const
    {
        TRACE();
        return starts.size() - 1;
    }

    // The id of `key`; a new key is added and `added` set.
    uint32_t insert(const StateKey& key, bool& added)
    {
        TRACE();
        if ((size() + 1) * 2 > slots.size())
            grow();
        size_t mask = slots.size() - 1;
        size_t slot = hash(key.data(), key.size()) & mask;
        for (; slots[slot] != 0; slot = (slot + 1) & mask) {
            uint32_t id = slots[slot] - 1;
            if (starts[id + 1] - starts[id] == key.size() &&
                std::equal(key.begin(), key.end(), words.begin() + long(starts[id]))) {
                added = false;
                return id;
            }
        }
        uint32_t id = uint32_t(size());
        words.insert(words.end(), key.begin(), key.end());
        starts.push_back(words.size());
        slots[slot] = id + 1;
        added = true;
        return id;
    }

    void copyKey(uint64_t id, StateKey& key) const
    {
        TRACE();
        key.assign(words.begin() + long(starts[id]), words.begin() + long(starts[id + 1]));
    }

private:
    std::vector<uint32_t> slots = std::vector<uint32_t>(1 << 16, 0); // id + 1; 0 is free

    static uint64_t hash(const uint32_t* key, size_t count)
    {
        TRACE();
        uint64_t h = count * 0x9e3779b97f4a7c15ull;
        for (size_t i = 0; i < count; i++) {
            h = (h ^ key[i]) * 0xff51afd7ed558ccdull;
            h ^= h >> 32;
        }
        return h;
    }

    void grow()
    {
        TRACE();
        slots.assign(slots.size() * 2, 0);
        size_t mask = slots.size() - 1;
        for (uint64_t id = 0; id < size(); id++) {
            size_t slot = hash(&words[starts[id]], starts[id + 1] - starts[id]) & mask;
            while (slots[slot] != 0)
                slot = (slot + 1) & mask;
            slots[slot] = uint32_t(id + 1);
        }
    }
};

// The game's own world, set to one searched state after another. Only a swap writes
// memory, and the world tells of every write, so a state needs only the bytes that
// differ from the level.
class SearchedWorld : public SilentEvents {
public:
    World world{*this};
    std::vector<JumpTrigger> armed; // the start's triggers; later states keep some of them
    std::vector<uint8_t> levelBytes; // the start's main page, then its second page

    explicit SearchedWorld(const World& start)
        : armed(start.jumps)
    {
        TRACE();
        world.mainPage.cells = start.mainPage.cells;
        world.secondPage.cells = start.secondPage.cells;
        world.dataRegister = start.dataRegister;
        world.pageRegister = start.pageRegister;
        world.compareRegister = start.compareRegister;
        world.playerX = start.playerX;
        world.playerY = start.playerY;
        world.playerLocation = start.playerLocation;
        world.playerPage = start.playerPage;
        world.programLocation = start.programLocation;
        world.programLine = start.programLine;
        world.jumps = start.jumps;
        levelBytes.resize(2 * cellsPerPage);
        for (int index = 0; index < cellsPerPage; index++) {
            levelBytes[index] = world.mainPage.cells[index].value;
            levelBytes[cellsPerPage + index] = world.secondPage.cells[index].value;
        }
    }

    // The key of the world as it stands. Words: x | y << 8 | data << 16 | compare << 24;
    // programLocation | programLine << 16; page register | playerPage << 8 | location
    // << 16; the trigger masks; then the changed bytes.
    void encode(StateKey& key)
    {
        TRACE();
        key.clear();
        key.push_back(uint32_t(world.playerX | world.playerY << 8 | world.dataRegister << 16 |
                               world.compareRegister << 24));
        key.push_back(uint32_t(world.programLocation | world.programLine << 16));
        key.push_back(uint32_t(world.pageRegister | world.playerPage << 8 | world.playerLocation << 16));
        key.push_back(triggerMasks());
        changed.insert(changed.end(), written.begin(), written.end());
        std::sort(changed.begin(), changed.end());
        changed.erase(std::unique(changed.begin(), changed.end()), changed.end());
        written.clear();
        for (uint32_t position : changed) {
            uint8_t value = cell(position).value;
            if (value != levelBytes[position])
                key.push_back(position << 8 | value);
        }
    }

    // Modifies: the world's bytes, player, registers, program counter, trigger list and
    // trigger marks, as `key` has them; held keys, timers and the bump as between taps.
    void restore(const StateKey& key)
    {
        TRACE();
        for (uint32_t position : changed)
            cell(position).value = levelBytes[position];
        changed.clear();
        written.clear();
        for (size_t i = fixedWords; i < key.size(); i++) {
            cell(key[i] >> 8).value = uint8_t(key[i] & 255);
            changed.push_back(key[i] >> 8);
        }
        world.playerX = int(key[0] & 255);
        world.playerY = int(key[0] >> 8 & 255);
        world.dataRegister = int(key[0] >> 16 & 255);
        world.compareRegister = int(key[0] >> 24);
        world.programLocation = int(key[1] & 65535);
        world.programLine = int(key[1] >> 16);
        world.pageRegister = int(key[2] & 255);
        world.playerPage = int(key[2] >> 8 & 255);
        world.playerLocation = int(key[2] >> 16);
        world.jumps.clear();
        for (size_t i = 0; i < armed.size(); i++) {
            if (key[3] >> i & 1)
                world.jumps.push_back(armed[i]);
            Cell& marked = world.page(armed[i].realm).cell(armed[i].x, armed[i].y);
            marked.marks &= uint8_t(~Realm::triggerMark);
            if (key[3] >> (16 + i) & 1)
                marked.marks |= Realm::triggerMark;
        }
        // Between taps no key is held, as after the release of the last one.
        world.dirX = world.dirY = 0;
        world.stepTimer = 0;
        world.moving = false;
        world.lastBumpX = world.lastBumpY = world.lastBumpDirX = world.lastBumpDirY = World::noBump;
        world.hintState = 1;
        world.pauseMenuOpen = false;
        world.endTimer = 0;
        world.levelLoaded = true;
    }

    // The state the world is in, as the game shows it: hex addresses and bytes.
    std::string describe()
    {
        TRACE();
        char text[200];
        const char* const places[] = {"", "in the data register", "in the page register", "in the compare register"};
        std::string where;
        if (world.playerLocation == PlayerLocation::memory) {
            std::snprintf(text, sizeof text, "bit at %02x,%02x on page %02x", world.playerX, world.playerY,
                          world.playerPageNumber());
            where = text;
        } else {
            where = std::string("bit ") + places[world.playerLocation & 3];
        }
        std::snprintf(text, sizeof text, " | program %04x line %d | data %02x page %02x compare %02x",
                      world.programLocation, world.programLine, world.dataRegister & 255, world.pageRegister & 255,
                      world.compareRegister & 255);
        where += text;
        for (uint32_t position : changed) {
            if (cell(position).value == levelBytes[position])
                continue;
            int index = int(position) % cellsPerPage;
            std::snprintf(text, sizeof text, " | %02x,%02x on page %02x holds %02x", index % Realm::size,
                          index / Realm::size, position >= uint32_t(cellsPerPage) ? 2 : 66, cell(position).value);
            where += text;
        }
        return where;
    }

    void cellWritten(Realm& page, int x, int y) override
    {
        TRACE();
        int index = y * Realm::size + x;
        written.push_back(uint32_t(&page == &world.secondPage ? cellsPerPage + index : index));
    }

private:
    std::vector<uint32_t> changed; // positions the world may hold other bytes at than the level
    std::vector<uint32_t> written; // positions written since the last restore

    Cell& cell(uint32_t position)
    {
        TRACE();
        Realm& page = position >= uint32_t(cellsPerPage) ? world.secondPage : world.mainPage;
        return page.cells[position % cellsPerPage];
    }

    // Low half: the armed triggers still listed; high half: those whose cell is marked.
    uint32_t triggerMasks()
    {
        TRACE();
        uint32_t masks = 0;
        size_t listed = 0;
        for (size_t i = 0; i < armed.size(); i++) {
            const JumpTrigger& trigger = armed[i];
            if (listed < world.jumps.size() && world.jumps[listed].x == trigger.x &&
                world.jumps[listed].y == trigger.y && world.jumps[listed].code == trigger.code &&
                world.jumps[listed].realm == trigger.realm) {
                masks |= 1u << i;
                listed++;
            }
            if (world.page(trigger.realm).cell(trigger.x, trigger.y).marks & Realm::triggerMark)
                masks |= 1u << (16 + i);
        }
        return masks;
    }
};

// The explored graph: for every explored state, the other states its taps lead to.
struct TapGraph {
    std::vector<uint64_t> starts{0};
    std::vector<uint32_t> targets;
    std::vector<uint32_t> parent;   // the state a shortest way arrives from
    std::vector<uint8_t> parentTap; // and the tap it takes
};

double secondsSince(std::chrono::steady_clock::time_point began)
{
    TRACE();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
}

// Which states can still reach the exit: backwards from the taps that escape, over
// the graph's edges turned round. Unexplored states count as escapable.
std::vector<uint8_t> escapable(const TapGraph& graph, uint64_t explored, uint64_t total)
{
    TRACE();
    std::vector<uint64_t> before(total + 1, 0);
    for (uint32_t target : graph.targets)
        if (target != escaped)
            before[target + 1]++;
    for (uint64_t id = 0; id < total; id++)
        before[id + 1] += before[id];
    std::vector<uint32_t> sources(before[total]);
    std::vector<uint64_t> filled(before.begin(), before.end() - 1);
    for (uint64_t id = 0; id < explored; id++)
        for (uint64_t edge = graph.starts[id]; edge < graph.starts[id + 1]; edge++)
            if (graph.targets[edge] != escaped)
                sources[filled[graph.targets[edge]]++] = uint32_t(id);

    std::vector<uint8_t> alive(total, 0);
    std::vector<uint32_t> open;
    for (uint64_t id = 0; id < total; id++) {
        bool escapes = id >= explored;
        if (!escapes) {
            auto first = graph.targets.begin() + long(graph.starts[id]);
            auto end = graph.targets.begin() + long(graph.starts[id + 1]);
            escapes = std::find(first, end, escaped) != end;
        }
        if (escapes) {
            alive[id] = 1;
            open.push_back(uint32_t(id));
        }
    }
    while (!open.empty()) {
        uint32_t id = open.back();
        open.pop_back();
        for (uint64_t edge = before[id]; edge < before[id + 1]; edge++) {
            uint32_t source = sources[edge];
            if (!alive[source]) {
                alive[source] = 1;
                open.push_back(source);
            }
        }
    }
    return alive;
}

} // namespace

DeadEndReport findDeadEnds(const World& start, const DeadEndLimits& limits)
{
    TRACE();
    auto began = std::chrono::steady_clock::now();
    DeadEndReport report;
    if (start.jumps.size() > maxTriggers) {
        report.reason = "more than " + std::to_string(maxTriggers) + " triggers";
        return report;
    }
    auto searched = std::make_unique<SearchedWorld>(start);
    StateTable table;
    TapGraph graph;
    StateKey key, next;
    bool added = false;
    searched->encode(key);
    table.insert(key, added);
    graph.parent.push_back(0);
    graph.parentTap.push_back(0);

    // State ids are 32 bits wide, and one of them stands for the exit.
    uint64_t maxStates = std::min<uint64_t>(limits.maxStates, escaped - searchedTapCount - 1);
    uint64_t explored = 0;
    for (; explored < table.size(); explored++) {
        if (table.size() > maxStates) {
            report.reason = "more than " + std::to_string(maxStates) + " states";
            break;
        }
        if (explored % 4096 == 0 && secondsSince(began) > limits.maxSeconds) {
            char text[40];
            std::snprintf(text, sizeof text, "more than %g seconds", limits.maxSeconds);
            report.reason = text;
            break;
        }
        table.copyKey(explored, key);
        size_t first = graph.targets.size();
        for (int tap = 0; tap < searchedTapCount; tap++) {
            searched->restore(key);
            playTap(searched->world, searchedTaps[tap]);
            uint32_t target = escaped;
            if (searched->world.endTimer <= 0) {
                searched->encode(next);
                target = table.insert(next, added);
                if (added) {
                    graph.parent.push_back(uint32_t(explored));
                    graph.parentTap.push_back(uint8_t(tap));
                }
            }
            if (target != explored && std::find(graph.targets.begin() + long(first), graph.targets.end(), target) ==
                                          graph.targets.end())
                graph.targets.push_back(target);
        }
        graph.starts.push_back(graph.targets.size());
    }
    report.complete = explored == table.size();
    report.states = table.size();
    report.edges = graph.targets.size();

    std::vector<uint8_t> alive = escapable(graph, explored, table.size());
    report.startEscapes = alive[0] != 0;
    // Traps told apart by the program that closes them: the triggers still armed and
    // the instruction about to run.
    std::map<std::tuple<uint32_t, uint32_t>, bool> trapsShown;
    for (uint64_t id = 0; id < explored; id++) {
        if (alive[id])
            continue;
        report.deadEnds++;
        uint32_t parent = graph.parent[id];
        if (!alive[parent])
            continue;
        report.trapDoors++;
        table.copyKey(id, key);
        auto trap = std::make_tuple(key[1], key[3]);
        if (trapsShown.count(trap) || int(report.scripts.size()) >= limits.scripts)
            continue;
        trapsShown[trap] = true;
        DeadEndScript script;
        for (uint64_t at = id; at != 0; at = graph.parent[at])
            script.taps.push_back(searchedTaps[graph.parentTap[at]]);
        std::reverse(script.taps.begin(), script.taps.end());
        searched->restore(key);
        script.state = searched->describe();
        report.scripts.push_back(script);
    }
    report.seconds = secondsSince(began);
    return report;
}
