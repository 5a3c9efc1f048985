#include "TestSupport.h"
#include "VirtualPad.h"
#include "core/ControllerDatabase.h"
#include "core/Joystick.h"
#include "core/UserFiles.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace {

// Attaches SDL's virtual controllers, which behave like real devices, with the game
// controller subsystem up and face buttons read by position, as the game has them.
class VirtualControllers : public testing::Test {
protected:
    void SetUp() override
    {
        settingsStorage().objects.clear();
        virtualRumbles().clear();
        ASSERT_TRUE(startControllers()) << SDL_GetError();
    }
    void TearDown() override
    {
        for (Joystick* stick : opened)
            delete stick;
        stopControllers();
        hapticCalls() = HapticCalls{};
    }

    Joystick* open(int index)
    {
        EXPECT_GE(index, 0) << SDL_GetError();
        opened.push_back(new Joystick(index));
        return opened.back();
    }
    Joystick* attach(Uint16 vendor, Uint16 product) { return open(attachVirtualPad(vendor, product, "Test pad")); }
    // An Xbox 360 pad as Linux and SDL's mapping database present it.
    Joystick* xboxPad() { return open(attachLinuxPad(0x045e, 0x028e, 0x0114, "Xbox pad")); }
    Storage* record(const Joystick* stick)
    {
        return settingsStorage().getObject("sticks", true)->getObject(stick->guidString, true);
    }

    std::vector<Joystick*> opened;
};

const char* const gameActions[] = {"LEFT", "RIGHT", "UP", "DOWN", "ATTACK", "ITEM", "PAUSE"};

// A code as the model table writes it: bN, aN- or aN+, and - for none.
std::string tableText(int code)
{
    if (code == 0)
        return "-";
    if (code < 300)
        return "b" + std::to_string(code - 100);
    return "a" + std::to_string((code - 300) / 2) + (code % 2 ? "+" : "-");
}

} // namespace

TEST(ControllerCodes, CodesDescriptionsAndAxisLevels)
{
    EXPECT_EQ(buttonCode(5), 105);
    EXPECT_EQ(hatCode(0, SDL_HAT_UP), 201);
    EXPECT_EQ(hatCode(1, SDL_HAT_LEFT), 218);
    EXPECT_EQ(hatCode(0, SDL_HAT_LEFTUP), 201); // 9 is not below 9: read as up
    EXPECT_EQ(hatCode(0, SDL_HAT_RIGHTUP), 203);
    EXPECT_EQ(hatCode(3, -1), 231); // out of range: read as up
    EXPECT_EQ(hatCode(3, 12), 231);
    for (int position : {-2, -1, 0, 1, 2})
        EXPECT_EQ(axisCode(1, position), position >= 1 ? 303 : 302) << position;

    Joystick none(-1); // no such device: unconfigured, no labels
    EXPECT_EQ(none.name, "Cannot open joystick device");
    const std::pair<int, const char*> descriptions[] = {{0, "none"}, {105, "button 5"}, {303, "axis y+"},
        {300, "axis x-"}, {224, "hat 2 down"}, {201, "hat 0 up"}, {212, "hat 1 right"},
        {238, "hat 3 left"}, {203, "none"}, {321, "axis h+"}, {325, "axis 12+"}, {400, "none"}, {99, "none"},
        {-5, "none"}, {INT32_MIN, "none"}, {INT32_MAX, "none"}};
    for (const auto& [code, text] : descriptions)
        EXPECT_EQ(none.describeInput(code), text) << code;
    const std::pair<int, int> levels[] = {{-16501, -2}, {-16500, -1}, {11000, 0}, {11001, 1}, {32767, 2}};
    for (const auto& [value, level] : levels)
        EXPECT_EQ(none.axisPosition(value), level) << value;
}

// The rows as "guid ATTACK ITEM ACTION special STRONG CWEAPON CITEM DROP SLEFT SRIGHT PAUSE",
// hashed with 64-bit FNV-1a: a changed, lost or reordered model changes the sum.
TEST(ControllerModels, TheTableHoldsEveryModelInOrderAndFindsItByGuidAndByIds)
{
    std::string text;
    for (const ControllerModel& model : controllerModels()) {
        text += model.guid;
        for (int code : {model.attack, model.item, model.action, model.special, model.strong, model.cweapon,
                 model.citem, model.drop, model.sleft, model.sright, model.pause})
            text += " " + tableText(code);
        text += "\n";
        EXPECT_EQ(findControllerModel(model.guid), &model);
        std::string guid = model.guid;
        auto id = [&](int at) { return std::stoi(guid.substr(at + 2, 2) + guid.substr(at, 2), nullptr, 16); };
        if (guid.compare(20, 12, "504944564944") == 0) {
            EXPECT_EQ(findControllerModelByIds(id(0), id(4)), &model) << guid;
        }
    }
    EXPECT_EQ(controllerModels().size(), 37u);
    EXPECT_EQ(textHash(text), 0x3902f99352f1df05u) << text;
    EXPECT_EQ(findControllerModelByIds(0x1234, 0x5678), nullptr);

    // A model's defaults: every action it has a code for, with the label its page shows.
    std::string defaults;
    for (const DefaultBinding& binding : modelDefaults(*findControllerModel("00000000000000000000000000000000")))
        defaults += std::string(binding.action) + " " + std::to_string(binding.code) + " " + binding.label + ", ";
    EXPECT_EQ(defaults, "UP 302 Left Stick ***IMG:UP, DOWN 303 Left Stick ***IMG:DOWN, LEFT 300 Left Stick ***IMG:LEFT, "
                        "RIGHT 301 Left Stick ***IMG:RIGHT, ATTACK 110 A, ITEM 111 B, ACTION 113 Y, SPEC 112 X, "
                        "CWEAPON 108 LB, CITEM 109 RB, DROP 311 RT, SLEFT 304 Right Stick ***IMG:LEFT, "
                        "SRIGHT 305 Right Stick ***IMG:RIGHT, PAUSE 104 START, ");
}

// The pads players own, as Linux and SDL present them: through SDL's mapping database
// (the kernel's own drivers) or numbered as SDL's HIDAPI drivers number them.
TEST_F(VirtualControllers, CommonPadsGetDefaultsFromWhereTheyAreKnown)
{
    struct Pad {
        const char* what;
        Uint16 vendor, product, version; // version 0: SDL's HIDAPI numbering
        BindingSource source;
        int attack, item, pause, left, up, dpadUp;
        const char* attackLabel;
        const char* pauseLabel;
    };
    const BindingSource sdl = BindingSource::gameControllerMapping;
    const Pad pads[] = {
        {"Xbox 360 pad (xpad)", 0x045e, 0x028e, 0x0114, sdl, 100, 101, 107, 300, 302, 201, "A", "START"},
        {"Xbox One pad (xpad)", 0x045e, 0x02ea, 0x0301, sdl, 100, 101, 107, 300, 302, 201, "A", "START"},
        {"PS3 pad (hid-sony)", 0x054c, 0x0268, 0x8111, sdl, 100, 101, 109, 300, 302, 113, "Cross", "START"},
        {"PS4 pad (hid-playstation)", 0x054c, 0x09cc, 0x8111, sdl, 100, 101, 109, 300, 302, 201, "Cross", "OPTIONS"},
        {"PS5 pad (HIDAPI)", 0x054c, 0x0ce6, 0, sdl, 100, 101, 106, 300, 302, 111, "Cross", "OPTIONS"},
        {"Switch Pro pad (hid-nintendo)", 0x057e, 0x2009, 0x8111, sdl, 100, 101, 110, 300, 302, 201, "B", "+"},
        {"Switch Pro pad (HIDAPI)", 0x057e, 0x2009, 0, sdl, 100, 101, 106, 300, 302, 111, "B", "+"},
        {"DragonRise generic USB joystick", 0x0079, 0x0006, 0x0110, BindingSource::vendorAndProduct, 102, 101, 109,
            300, 302, -1, "A", "START"},
        {"unknown generic HID pad", 0x1234, 0x5678, 0x0110, BindingSource::none, 0, 0, 0, 0, 0, -1, "none", "none"},
    };
    for (const Pad& pad : pads) {
        Joystick* stick = open(pad.version ? attachLinuxPad(pad.vendor, pad.product, pad.version, "Test pad")
                                           : attachVirtualPad(pad.vendor, pad.product, "Test pad", sdlLayoutPad));
        SCOPED_TRACE(std::string(pad.what) + ", " + stick->name);
        EXPECT_EQ(stick->bindingSource, pad.source);
        EXPECT_EQ(stick->isConfigured, pad.source != BindingSource::none);
        EXPECT_EQ(stick->attack, pad.attack);
        EXPECT_EQ(stick->item, pad.item);
        EXPECT_EQ(stick->pause, pad.pause);
        EXPECT_EQ(stick->left, pad.left);
        EXPECT_EQ(stick->up, pad.up);
        EXPECT_EQ(stick->dpadCode(0, -1), pad.dpadUp);
        EXPECT_EQ(stick->describeInput(stick->attack), pad.attackLabel);
        EXPECT_EQ(stick->describeInput(stick->pause), pad.pauseLabel);
        EXPECT_EQ(record(stick)->getInt("ATTACK", 0), pad.attack);
    }
}

TEST_F(VirtualControllers, StoredBindingsWinAndAnExactGuidBeatsTheVendorAndProduct)
{
    Storage* stored = record(xboxPad());
    for (const char* action : gameActions)
        stored->setInt(action, 105);
    stored->setBool("preventBounce", false);
    Joystick* again = xboxPad();
    EXPECT_EQ(again->attack, 105);
    EXPECT_FALSE(again->preventBounce);
    EXPECT_EQ(again->describeInput(100), "A"); // labels still come from the mapping

    // A partial record is completed from the defaults, and the completion is stored.
    stored->strings.clear();
    stored->setInt("ATTACK", 107);
    EXPECT_EQ(xboxPad()->attack, 107);
    EXPECT_EQ(stored->getInt("ITEM", 0), 101);

    // A pad listed by its vendor and product, seen under the GUID of other listed models.
    Joystick* listed = attach(0x046d, 0xc216);
    EXPECT_EQ(listed->bindingSource, BindingSource::vendorAndProduct);
    EXPECT_EQ(listed->attack, 101);
    listed->guidString = "8f0e1200000000000000504944564944";
    listed->loadBindings(SDL_NumJoysticks() - 1);
    EXPECT_EQ(listed->bindingSource, BindingSource::exactGuid);
    EXPECT_EQ(listed->attack, 100);
    listed->guidString = "00000000000000000000000000000000";
    listed->loadBindings(SDL_NumJoysticks() - 1);
    EXPECT_EQ(listed->attack, 110);
    EXPECT_EQ(listed->describeInput(100), "DPUP"); // its d-pad is buttons 0 to 3
    EXPECT_EQ(listed->describeInput(103), "DPRIGHT");
}

// A pad SDL has a mapping for goes by the mapping's name, as the player's own mappings name it.
TEST_F(VirtualControllers, AMappedPadGoesByItsMappingsName)
{
    int index = attachVirtualPad(0x1234, 0x5679, "Test pad");
    char guid[33];
    SDL_JoystickGetGUIDString(SDL_JoystickGetDeviceGUID(index), guid, sizeof guid);
    ASSERT_GE(SDL_GameControllerAddMapping((std::string(guid) + ",Mapped pad,a:b0,b:b1,").c_str()), 0);
    EXPECT_EQ(open(index)->name, "Mapped pad");
}

// Codes of no known kind, huge axes, negative and unreadable values, missing fields: an
// unconfigured pad shows "none" for them, a known pad takes its defaults instead.
TEST_F(VirtualControllers, DamagedRecordsReadAsUnbound)
{
    const std::pair<const char*, const char*> damage[] = {{"LEFT", "7"}, {"RIGHT", "99999"}, {"UP", "-300"},
        {"ATTACK", "2147483647"}, {"ITEM", "-2147483648"}, {"PAUSE", "2O8"}, {"vibrations", "100000"},
        {"menuSensitivity2", "-2147483648"}, {"gameSensitivity2", "40000"}};
    for (Joystick* stick : {attach(0x1234, 0x5678), xboxPad()})
        for (const auto& [key, value] : damage)
            record(stick)->setString(key, value);
    Joystick* unknown = attach(0x1234, 0x5678);
    Joystick* known = xboxPad();
    for (const char* action : gameActions) {
        EXPECT_EQ(unknown->describeInput(unknown->bindingFor(action)), "none") << action;
        EXPECT_NE(known->bindingFor(action), 0) << action;
    }
    EXPECT_EQ(known->attack, 100);
    EXPECT_EQ(unknown->vibrationStrength, 100);
    // Sensitivities stay within the axis range: the smallest integer once overflowed
    // the axis levels' negation.
    EXPECT_EQ(unknown->menuSensitivity, 0);
    EXPECT_EQ(unknown->gameSensitivity, 32767);
    EXPECT_EQ(unknown->axisPosition(-32768), -2);
    EXPECT_GT(logLinesContaining("WARNING: Controller setting menuSensitivity2 = -2147483648 is out of range, using 0"), 0);
    unknown->vibrate(2);
    EXPECT_EQ(virtualRumbles().front(), (std::pair<Uint16, Uint16>{26208, 16380}));
}

namespace {

// A haptic device that exists only here: it records what vibration asks of it.
struct FakeHaptic {
    unsigned int features;
    int opened, created, runs, stops;
    SDL_HapticEffect effect;
} fake;

void useFakeHaptic(unsigned int features)
{
    fake = FakeHaptic{features, 0, 0, 0, 0, {}};
    HapticCalls& calls = hapticCalls();
    calls.open = [](SDL_Joystick*) { return fake.opened++, reinterpret_cast<SDL_Haptic*>(&fake); };
    calls.query = [](SDL_Haptic*) { return fake.features; };
    calls.numEffects = calls.numEffectsPlaying = [](SDL_Haptic*) { return 1; };
    calls.newEffect = [](SDL_Haptic*, SDL_HapticEffect* effect) { return fake.effect = *effect, fake.created++; };
    calls.runEffect = [](SDL_Haptic*, int, Uint32) { return fake.runs++, 0; };
    calls.stopEffect = [](SDL_Haptic*, int) { return fake.stops++, 0; };
    calls.close = [](SDL_Haptic*) {};
}

} // namespace

TEST_F(VirtualControllers, VibrationRunsOneReusedHapticEffectOrRumbles)
{
    useFakeHaptic(SDL_HAPTIC_LEFTRIGHT | SDL_HAPTIC_SINE);
    Joystick* stick = attach(0x1234, 0x5678);
    stick->vibrate(4); // a step through a menu: nothing
    Uint32 before = SDL_GetTicks();
    stick->vibrate(2);
    stick->vibrate(2);
    Uint32 after = SDL_GetTicks();
    EXPECT_EQ(fake.created, 1);
    EXPECT_EQ(fake.runs, 2);
    EXPECT_EQ(fake.effect.type, SDL_HAPTIC_LEFTRIGHT);
    EXPECT_EQ(fake.effect.leftright.length, 200u);
    EXPECT_EQ(fake.effect.leftright.large_magnitude, 13104); // strength 50
    EXPECT_EQ(fake.effect.leftright.small_magnitude, 8190);
    EXPECT_GE(stick->stopTime, before + 200);
    EXPECT_LE(stick->stopTime, after + 200);
    stick->updateHapticEffects();
    EXPECT_EQ(fake.stops, 0);
    stick->stopTime = SDL_GetTicks() - 1;
    stick->updateHapticEffects();
    EXPECT_EQ(fake.stops, 1);
    EXPECT_TRUE(virtualRumbles().empty());

    // A haptic device with no effect of use rumbles instead.
    useFakeHaptic(SDL_HAPTIC_CONSTANT);
    attach(0x1234, 0x5678)->vibrate(2);
    EXPECT_EQ(fake.runs, 0);
    EXPECT_EQ(virtualRumbles(), (std::vector<std::pair<Uint16, Uint16>>{{13104, 8190}}));

    // Vibrations off: no device is opened and nothing rumbles.
    record(stick)->setInt("vibrations", 0);
    attach(0x1234, 0x5678)->vibrate(2);
    EXPECT_EQ(fake.opened, 1);
    EXPECT_EQ(virtualRumbles().size(), 1u);
}
