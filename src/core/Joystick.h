#pragma once

#include "core/ControllerDatabase.h"

#include <SDL.h>

#include <map>
#include <string>
#include <vector>

// Controller input codes: what a binding holds. 0 means nothing is bound.
int buttonCode(int button);
int hatCode(int hat, int value);
int axisCode(int axis, int position);

// The haptic calls that vibration makes. SDL cannot fake a haptic device, so a test puts
// its own calls here; the game keeps SDL's.
struct HapticCalls {
    SDL_Haptic*(SDLCALL* open)(SDL_Joystick*) = SDL_HapticOpenFromJoystick;
    unsigned int(SDLCALL* query)(SDL_Haptic*) = SDL_HapticQuery;
    int(SDLCALL* numEffects)(SDL_Haptic*) = SDL_HapticNumEffects;
    int(SDLCALL* numEffectsPlaying)(SDL_Haptic*) = SDL_HapticNumEffectsPlaying;
    int(SDLCALL* newEffect)(SDL_Haptic*, SDL_HapticEffect*) = SDL_HapticNewEffect;
    int(SDLCALL* updateEffect)(SDL_Haptic*, int, SDL_HapticEffect*) = SDL_HapticUpdateEffect;
    int(SDLCALL* runEffect)(SDL_Haptic*, int, Uint32) = SDL_HapticRunEffect;
    int(SDLCALL* stopEffect)(SDL_Haptic*, int) = SDL_HapticStopEffect;
    void(SDLCALL* destroyEffect)(SDL_Haptic*, int) = SDL_HapticDestroyEffect;
    void(SDLCALL* close)(SDL_Haptic*) = SDL_HapticClose;
};
HapticCalls& hapticCalls();

// Where a controller's default bindings came from, in the order they are looked for.
enum class BindingSource { none, exactGuid, gameControllerMapping, vendorAndProduct };

// One opened game controller: its identity, its bindings (stored per model in the
// settings), its quantised axes and hats, and its vibration.
class Joystick {
public:
    explicit Joystick(int deviceIndex);
    virtual ~Joystick();

    SDL_Haptic* haptic = nullptr;
    unsigned int hapticFeatures = 0;
    int effectId = -1;
    int effectKind = 0;
    Uint32 stopTime = 0; // 0 while nothing plays
    std::vector<int> axes; // quantised levels -2..2
    std::vector<int> hats; // SDL hat values
    std::map<int, std::string> labels;

    // The binding record, one input code per action.
    int left = 0, right = 0, up = 0, down = 0, attack = 0, pause = 0, spare = 0, strong = 0, item = 0, action = 0,
        special = 0, cweapon = 0, citem = 0, drop = 0, sleft = 0, sright = 0;

    SDL_Joystick* joystick = nullptr;
    std::string name;
    SDL_JoystickGUID guid{};
    SDL_JoystickID instance = -1;
    std::string guidString;
    bool knownModel = false;
    bool dpadAsButtons = false;
    bool isConfigured = false;
    bool fullyStored = false;
    bool preventBounce = true;
    BindingSource bindingSource = BindingSource::none;
    // The d-pad's inputs, 0 where none is known: the d-pad moves and chooses whatever the
    // bindings say.
    int dpadUp = 0, dpadDown = 0, dpadLeft = 0, dpadRight = 0;
    int menuSensitivity = 16500;
    int gameSensitivity = 11000;
    int vibrationStrength = 50;

    int instanceId() const;
    // The binding of a game action; other names share the spare slot.
    int& bindingFor(const std::string& actionName);
    int axisPosition(int raw) const;
    std::string describeInput(int code) const;
    int dpadCode(int x, int y) const;
    void setDPadLabel(int x, int y, const std::string& label);

    void setupHaptic();
    void vibrate(int kind);
    void updateHapticEffects();
    void closeHaptic();

    // Loads the stored bindings and fills the rest with the defaults of the first source
    // that knows the device: an exact GUID in the built-in models, SDL's game-controller
    // mapping, the built-in models' vendor and product ids. The constructor calls it.
    void loadBindings(int deviceIndex);

private:
    std::vector<DefaultBinding> findDefaults(int deviceIndex);
};
