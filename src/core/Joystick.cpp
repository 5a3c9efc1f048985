#include "core/Joystick.h"

#include "core/CircularLog.h"
#include "core/ControllerDatabase.h"
#include "core/Trace.h"
#include "core/UserFiles.h"

#include <algorithm>

namespace {

const char* const gameActions[] = {"UP", "DOWN", "LEFT", "RIGHT", "ATTACK", "ITEM", "PAUSE"};

const int menuSelectVibration = 2;
const int noVibration = 4;

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

    loadBindings();

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

void Joystick::loadBindings()
{
    TRACE();
    knownModel = false;
    dpadAsButtons = false;
    if (guidString == "00000000000000000000000000000000") {
        knownModel = true;
        dpadAsButtons = true;
    } else if (guidString == "78696e70757400000000000000000000" || guidString == "78696e70757401000000000000000000") {
        knownModel = true;
    }

    Storage* record = settingsStorage().getObject("sticks", true)->getObject(guidString, true);
    if (!record->isEmpty()) {
        for (const char* actionName : gameActions)
            bindingFor(actionName) = record->getInt(actionName, 0);
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

    const ControllerModel* model = findControllerModel(guidString, guid.data);
    if (model) {
        knownModel = true;
        const std::pair<const char*, int> defaults[] = {
            {"UP", 302},           {"DOWN", 303},         {"LEFT", 300},           {"RIGHT", 301},
            {"ATTACK", model->attack}, {"ITEM", model->item}, {"ACTION", model->action}, {"SPEC", model->special},
            {"STRONG", model->strong}, {"CWEAPON", model->cweapon}, {"CITEM", model->citem}, {"DROP", model->drop},
            {"SLEFT", model->sleft}, {"SRIGHT", model->sright}, {"PAUSE", model->pause},
        };
        for (const auto& entry : defaults) {
            if (entry.second == 0)
                continue;
            std::string label = actionLabel(entry.first);
            if (!label.empty())
                labels[entry.second] = label;
            int& binding = bindingFor(entry.first);
            if (!fullyStored && binding == 0) {
                binding = entry.second;
                record->setInt(entry.first, entry.second);
            }
        }
    } else {
        isConfigured = false;
    }
    if (knownModel) {
        setDPadLabel(-1, 0, "DPLEFT");
        setDPadLabel(1, 0, "DPRIGHT");
        setDPadLabel(0, -1, "DPUP");
        setDPadLabel(0, 1, "DPDOWN");
    }
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
    // Below 100 no input has a code: 0 is nothing bound, anything else a damaged record.
    if (code < 100)
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
        const char* word = nullptr;
        switch (code % 10) {
        case 1: word = "up"; break;
        case 2: word = "right"; break;
        case 4: word = "down"; break;
        case 8: word = "left"; break;
        default: return "none";
        }
        text = "hat " + std::to_string((code - 200) / 10) + " " + word;
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
    if (!knownModel || !dpadAsButtons)
        return -1;
    if (y < 0)
        return 100;
    if (y > 0)
        return 101;
    if (x < 0)
        return 102;
    if (x > 0)
        return 103;
    return -1;
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
    haptic = SDL_HapticOpenFromJoystick(joystick);
    if (!haptic)
        return;
    hapticFeatures = SDL_HapticQuery(haptic);
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
    LOG("Number of effects supported = " << SDL_HapticNumEffects(haptic)
                                         << ", playing simultaneously = " << SDL_HapticNumEffectsPlaying(haptic));
    LOG("Haptic setup complete");
}

void Joystick::vibrate(int kind)
{
    TRACE();
    if (!haptic || kind == noVibration || kind != menuSelectVibration)
        return;
    const Uint32 duration = 200;
    if (kind != effectKind) {
        SDL_HapticEffect effect = {};
        bool prepared = true;
        if (hapticFeatures & SDL_HAPTIC_LEFTRIGHT) {
            effect.type = SDL_HAPTIC_LEFTRIGHT;
            effect.leftright.length = 200;
            effect.leftright.large_magnitude = Uint16(0.8 * 327.6 * vibrationStrength);
            effect.leftright.small_magnitude = Uint16(0.5 * 327.6 * vibrationStrength);
        } else if (hapticFeatures & SDL_HAPTIC_SINE) {
            effect.type = SDL_HAPTIC_SINE;
            effect.periodic.direction.type = SDL_HAPTIC_POLAR;
            effect.periodic.direction.dir[0] = 18000;
            effect.periodic.length = 1000;
            effect.periodic.period = 200;
            effect.periodic.magnitude = Sint16(0.5 * 327.6 * vibrationStrength);
            effect.periodic.attack_length = 100;
            effect.periodic.fade_length = 100;
        } else {
            prepared = false;
        }
        if (prepared) {
            if (effectId >= 0 && SDL_HapticUpdateEffect(haptic, effectId, &effect) != 0) {
                SDL_HapticDestroyEffect(haptic, effectId);
                effectId = -1;
            }
            if (effectId < 0)
                effectId = SDL_HapticNewEffect(haptic, &effect);
        }
        effectKind = kind;
    }
    if (effectId >= 0 && SDL_HapticRunEffect(haptic, effectId, 1) == 0)
        stopTime = SDL_GetTicks() + duration;
}

void Joystick::updateHapticEffects()
{
    TRACE();
    if (haptic && stopTime && effectId >= 0 && SDL_GetTicks() > stopTime) {
        SDL_HapticStopEffect(haptic, effectId);
        stopTime = 0;
    }
}

void Joystick::closeHaptic()
{
    TRACE();
    if (!haptic)
        return;
    LOG("Closing HAPTIC interface for #" << instance);
    SDL_HapticClose(haptic);
    haptic = nullptr;
    LOG("Closing HAPTIC interface DONE.");
}
