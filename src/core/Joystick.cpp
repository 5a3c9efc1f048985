#include "core/Joystick.h"

#include "core/CircularLog.h"
#include "core/ControllerDatabase.h"
#include "core/ControllerLayout.h"
#include "core/Trace.h"
#include "core/UserFiles.h"

#include <algorithm>

namespace {

const char* const gameActions[] = {"UP", "DOWN", "LEFT", "RIGHT", "ATTACK", "ITEM", "PAUSE"};

const int menuSelectVibration = 2;

const char* const allZeroGuid = "00000000000000000000000000000000";

// Codes keep to three hundreds: buttons 100-199, hats 200-299 (one direction each) and
// axis sides 300-399. Anything else, from a damaged record for one, names no input.
bool isReadableCode(int code)
{
    TRACE();
    if (code >= 200 && code < 300) {
        int direction = code % 10;
        return direction == SDL_HAT_UP || direction == SDL_HAT_RIGHT || direction == SDL_HAT_DOWN
            || direction == SDL_HAT_LEFT;
    }
    return code >= 100 && code < 400;
}

const char* sourceName(BindingSource source)
{
    TRACE();
    switch (source) {
    case BindingSource::exactGuid: return "the built-in model of its GUID";
    case BindingSource::gameControllerMapping: return "SDL's game-controller mapping";
    case BindingSource::vendorAndProduct: return "the built-in model of its vendor and product";
    default: return "none: it waits to be configured";
    }
}

// A stored number within what the controller can use; one out of range (a damaged or
// edited file) is logged as what it was.
int storedWithin(const Storage& record, const char* key, int current, int lowest, int highest)
{
    TRACE();
    int value = record.getInt(key, current);
    int used = std::max(lowest, std::min(highest, value));
    if (used != value)
        LOG("WARNING: Controller setting " << key << " = " << value << " is out of range, using " << used);
    return used;
}

} // namespace

HapticCalls& hapticCalls()
{
    TRACE();
    static HapticCalls calls;
    return calls;
}

int buttonCode(int button)
{
    TRACE();
    return 100 + button;
}

int hatCode(int hat, int value)
{
    TRACE();
    int direction = value >= 0 && value < 9 ? value : 1;
    return 200 + 10 * hat + direction;
}

int axisCode(int axis, int position)
{
    TRACE();
    return (position >= 1 ? 301 : 300) + 2 * axis;
}

Joystick::Joystick(int deviceIndex)
{
    TRACE();
    joystick = SDL_JoystickOpen(deviceIndex);
    if (!joystick) {
        name = "Cannot open joystick device";
        return;
    }
    LOG("Opened Joystick. SDL index = " << deviceIndex);
    guid = SDL_JoystickGetGUID(joystick);
    char text[1024] = {};
    SDL_JoystickGetGUIDString(guid, text, sizeof text);
    guidString = text[0] ? text : "unknown_device";
    const char* joystickName = SDL_JoystickName(joystick);
    name = joystickName ? joystickName : "";
    if (SDL_IsGameController(deviceIndex)) {
        if (const char* controllerName = SDL_GameControllerNameForIndex(deviceIndex))
            name = controllerName;
    }
    LOG("Joystick GUID : " << guidString << ", name = " << name);

    loadBindings(deviceIndex);

    for (int axis = 0; axis < SDL_JoystickNumAxes(joystick); axis++)
        axes.push_back(axisPosition(SDL_JoystickGetAxis(joystick, axis)));
    for (int hat = 0; hat < SDL_JoystickNumHats(joystick); hat++)
        hats.push_back(SDL_JoystickGetHat(joystick, hat));
    instance = SDL_JoystickInstanceID(joystick);
    if (vibrationStrength > 0)
        setupHaptic();
    LOG("Joystick #" << instance << " [" << name << "] axes:" << axes.size() << " buttons:"
                     << SDL_JoystickNumButtons(joystick) << " hats:" << hats.size()
                     << " balls:" << SDL_JoystickNumBalls(joystick) << " haptic:" << (haptic ? "yes" : "no")
                     << " isConfigured = " << isConfigured);
}

Joystick::~Joystick()
{
    TRACE();
    LOG("Joystick destructor called. Instance = " << instance);
    closeHaptic();
    if (joystick)
        SDL_JoystickClose(joystick);
    LOG("Joystick destructor DONE.");
}

// Modifies: the binding record, labels, flags, sensitivities, vibration strength, the
// d-pad's inputs and the controller's stored record (defaults it took are written there).
void Joystick::loadBindings(int deviceIndex)
{
    TRACE();
    left = right = up = down = attack = pause = spare = strong = item = action = 0;
    special = cweapon = citem = drop = sleft = sright = 0;
    labels.clear();
    knownModel = false;
    dpadAsButtons = false;
    dpadUp = dpadDown = dpadLeft = dpadRight = 0;
    if (guidString == allZeroGuid) {
        knownModel = true;
        dpadAsButtons = true;
        dpadUp = buttonCode(0);
        dpadDown = buttonCode(1);
        dpadLeft = buttonCode(2);
        dpadRight = buttonCode(3);
    } else if (guidString == "78696e70757400000000000000000000" || guidString == "78696e70757401000000000000000000") {
        knownModel = true;
    }

    Storage* record = settingsStorage().getObject("sticks", true)->getObject(guidString, true);
    if (!record->isEmpty()) {
        for (const char* actionName : gameActions) {
            int code = record->getInt(actionName, 0);
            bindingFor(actionName) = isReadableCode(code) ? code : 0;
        }
        // Sensitivities compare with raw axis values, the strength is a percentage.
        menuSensitivity = storedWithin(*record, "menuSensitivity2", menuSensitivity, 0, 32767);
        gameSensitivity = storedWithin(*record, "gameSensitivity2", gameSensitivity, 0, 32767);
        vibrationStrength = storedWithin(*record, "vibrations", vibrationStrength, 0, 100);
        preventBounce = record->getBool("preventBounce", true);
        for (const char* actionName : gameActions)
            LOG("setDefault(sg, k" << actionName << ", \"" << actionName << "\", " << bindingFor(actionName) << ");");
    }
    isConfigured = true;
    fullyStored = true;
    for (const char* actionName : gameActions)
        if (bindingFor(actionName) == 0)
            fullyStored = false;

    std::vector<DefaultBinding> defaults = findDefaults(deviceIndex);
    LOG("Joystick default bindings: " << sourceName(bindingSource));

    if (bindingSource == BindingSource::none)
        isConfigured = false;
    else
        knownModel = true;
    for (const DefaultBinding& entry : defaults) {
        if (!entry.label.empty())
            labels[entry.code] = entry.label;
        int& binding = bindingFor(entry.action);
        if (!fullyStored && binding == 0) {
            binding = entry.code;
            record->setInt(entry.action, entry.code);
        }
    }
    if (knownModel) {
        setDPadLabel(-1, 0, "DPLEFT");
        setDPadLabel(1, 0, "DPRIGHT");
        setDPadLabel(0, -1, "DPUP");
        setDPadLabel(0, 1, "DPDOWN");
    }
}

// Modifies: bindingSource and, for a pad SDL maps, the d-pad's inputs.
std::vector<DefaultBinding> Joystick::findDefaults(int deviceIndex)
{
    TRACE();
    if (const ControllerModel* model = findControllerModel(guidString)) {
        bindingSource = BindingSource::exactGuid;
        return modelDefaults(*model);
    }
    ControllerLayout layout;
    if (readControllerLayout(deviceIndex, joystick, layout)) {
        bindingSource = BindingSource::gameControllerMapping;
        dpadUp = layout.dpadUp;
        dpadDown = layout.dpadDown;
        dpadLeft = layout.dpadLeft;
        dpadRight = layout.dpadRight;
        return layout.bindings;
    }
    const ControllerModel* listed =
        joystick ? findControllerModelByIds(SDL_JoystickGetVendor(joystick), SDL_JoystickGetProduct(joystick)) : nullptr;
    if (listed) {
        bindingSource = BindingSource::vendorAndProduct;
        return modelDefaults(*listed);
    }
    bindingSource = BindingSource::none;
    return {};
}

int Joystick::instanceId() const
{
    TRACE();
    return instance;
}

int& Joystick::bindingFor(const std::string& actionName)
{
    TRACE();
    if (actionName == "LEFT")
        return left;
    if (actionName == "RIGHT")
        return right;
    if (actionName == "UP")
        return up;
    if (actionName == "DOWN")
        return down;
    if (actionName == "ATTACK")
        return attack;
    if (actionName == "PAUSE")
        return pause;
    if (actionName == "ITEM")
        return item;
    return spare;
}

int Joystick::axisPosition(int raw) const
{
    TRACE();
    if (raw < -menuSensitivity)
        return -2;
    if (raw < -gameSensitivity)
        return -1;
    if (raw > menuSensitivity)
        return 2;
    if (raw > gameSensitivity)
        return 1;
    return 0;
}

std::string Joystick::describeInput(int code) const
{
    TRACE();
    if (!isReadableCode(code))
        return "none";
    std::string text;
    if (code < 200) {
        text = "button " + std::to_string(code - 100);
    } else if (code >= 300) {
        static const char axisLetters[] = "xyzabcdefgh";
        int axis = (code - 300) / 2;
        std::string letter = axis < 11 ? std::string(1, axisLetters[axis]) : std::to_string(axis);
        text = "axis " + letter + (code % 2 ? "+" : "-");
    } else {
        static const std::pair<int, const char*> words[] = {{1, "up"}, {2, "right"}, {4, "down"}, {8, "left"}};
        for (const auto& word : words)
            if (code % 10 == word.first)
                text = "hat " + std::to_string((code - 200) / 10) + " " + word.second;
    }
    if (knownModel) {
        auto label = labels.find(code);
        if (label != labels.end())
            return label->second;
    }
    return text;
}

int Joystick::dpadCode(int x, int y) const
{
    TRACE();
    int code = 0;
    if (y < 0)
        code = dpadUp;
    else if (y > 0)
        code = dpadDown;
    else if (x < 0)
        code = dpadLeft;
    else if (x > 0)
        code = dpadRight;
    return code != 0 ? code : -1;
}

void Joystick::setDPadLabel(int x, int y, const std::string& label)
{
    TRACE();
    int code = dpadCode(x, y);
    if (code != -1)
        labels[code] = label;
}

void Joystick::setupHaptic()
{
    TRACE();
    if (haptic)
        return;
    LOG("Initializing HAPTIC interface for controller vibration for joystick #" << instance);
    HapticCalls& calls = hapticCalls();
    haptic = calls.open(joystick);
    if (!haptic) {
        LOG("No haptic device for joystick #" << instance << "; it rumbles instead: "
                                              << (SDL_JoystickHasRumble(joystick) ? "yes" : "no"));
        return;
    }
    hapticFeatures = calls.query(haptic);
    LOG("Supported haptic features:");
    const std::pair<unsigned int, const char*> features[] = {
        {SDL_HAPTIC_SINE, "HAPTIC_SINE"},         {SDL_HAPTIC_LEFTRIGHT, "HAPTIC_LEFTRIGHT"},
        {SDL_HAPTIC_SAWTOOTHUP, "HAPTIC_SAWTOOTHUP"}, {SDL_HAPTIC_CUSTOM, "HAPTIC_CUSTOM"},
        {SDL_HAPTIC_CONSTANT, "HAPTIC_CONSTANT"}, {SDL_HAPTIC_SPRING, "HAPTIC_SPRING"},
        {SDL_HAPTIC_INERTIA, "HAPTIC_INERTIA"},
    };
    for (const auto& feature : features)
        if (hapticFeatures & feature.first)
            LOG(feature.second);
    LOG("Number of effects supported = " << calls.numEffects(haptic)
                                         << ", playing simultaneously = " << calls.numEffectsPlaying(haptic));
    LOG("Haptic setup complete");
}

// Reads: vibrationStrength, haptic, hapticFeatures. Modifies: effectId, effectKind, stopTime.
void Joystick::vibrate(int kind)
{
    TRACE();
    // Only a menu choice vibrates; the other kinds (4, a step through a menu) ask for nothing.
    if (kind != menuSelectVibration || vibrationStrength <= 0 || !joystick)
        return;
    const Uint32 duration = 200;
    auto large = Uint16(0.8 * 327.6 * vibrationStrength);
    auto small = Uint16(0.5 * 327.6 * vibrationStrength);
    HapticCalls& calls = hapticCalls();
    if (haptic && kind != effectKind) {
        SDL_HapticEffect effect = {};
        bool prepared = true;
        if (hapticFeatures & SDL_HAPTIC_LEFTRIGHT) {
            effect.type = SDL_HAPTIC_LEFTRIGHT;
            effect.leftright.length = duration;
            effect.leftright.large_magnitude = large;
            effect.leftright.small_magnitude = small;
        } else if (hapticFeatures & SDL_HAPTIC_SINE) {
            effect.type = SDL_HAPTIC_SINE;
            effect.periodic.direction.type = SDL_HAPTIC_POLAR;
            effect.periodic.direction.dir[0] = 18000;
            effect.periodic.length = 1000;
            effect.periodic.period = 200;
            effect.periodic.magnitude = Sint16(small);
            effect.periodic.attack_length = 100;
            effect.periodic.fade_length = 100;
        } else {
            prepared = false;
        }
        if (prepared) {
            if (effectId >= 0 && calls.updateEffect(haptic, effectId, &effect) != 0) {
                calls.destroyEffect(haptic, effectId);
                effectId = -1;
            }
            if (effectId < 0)
                effectId = calls.newEffect(haptic, &effect);
        }
        effectKind = kind;
    }
    if (haptic && effectId >= 0) {
        if (calls.runEffect(haptic, effectId, 1) == 0)
            stopTime = SDL_GetTicks() + duration;
        return;
    }
    // Pads without a haptic effect, such as those on SDL's HIDAPI drivers, rumble; SDL
    // stops the rumble after the duration.
    SDL_JoystickRumble(joystick, large, small, duration);
}

void Joystick::updateHapticEffects()
{
    TRACE();
    if (haptic && stopTime && effectId >= 0 && SDL_GetTicks() > stopTime) {
        hapticCalls().stopEffect(haptic, effectId);
        stopTime = 0;
    }
}

void Joystick::closeHaptic()
{
    TRACE();
    if (!haptic)
        return;
    LOG("Closing HAPTIC interface for #" << instance);
    hapticCalls().close(haptic);
    haptic = nullptr;
    LOG("Closing HAPTIC interface DONE.");
}
