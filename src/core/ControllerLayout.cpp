#include "core/ControllerLayout.h"

#include "core/Joystick.h"
#include "core/Trace.h"

#include <cstring>

namespace {

// The actions whose labels differ between families of pads, and those labels.
const char* const labelledActions[] = {"ATTACK", "ITEM", "SPEC", "ACTION", "CWEAPON", "CITEM", "STRONG", "DROP", "PAUSE"};

struct FamilyLabels {
    SDL_GameControllerType type;
    const char* labels[std::size(labelledActions)];
};

const FamilyLabels families[] = {
    {SDL_CONTROLLER_TYPE_PS3, {"Cross", "Circle", "Square", "Triangle", "L1", "R1", "L2", "R2", "START"}},
    {SDL_CONTROLLER_TYPE_PS4, {"Cross", "Circle", "Square", "Triangle", "L1", "R1", "L2", "R2", "OPTIONS"}},
    {SDL_CONTROLLER_TYPE_PS5, {"Cross", "Circle", "Square", "Triangle", "L1", "R1", "L2", "R2", "OPTIONS"}},
    {SDL_CONTROLLER_TYPE_NINTENDO_SWITCH_PRO, {"B", "A", "Y", "X", "L", "R", "ZL", "ZR", "+"}},
    {SDL_CONTROLLER_TYPE_NINTENDO_SWITCH_JOYCON_PAIR, {"B", "A", "Y", "X", "L", "R", "ZL", "ZR", "+"}},
};

// Other pads print the letters the built-in models show.
std::string labelFor(SDL_GameControllerType type, const char* action)
{
    TRACE();
    for (const FamilyLabels& family : families) {
        if (family.type != type)
            continue;
        for (size_t i = 0; i < std::size(labelledActions); i++)
            if (std::strcmp(action, labelledActions[i]) == 0)
                return family.labels[i];
    }
    return actionLabel(action);
}

// One side of a stick: only an axis has sides.
int sideCode(const SDL_GameControllerButtonBind& bind, int side, SDL_Joystick* joystick)
{
    TRACE();
    if (bind.bindType != SDL_CONTROLLER_BINDTYPE_AXIS || bind.value.axis < 0
        || bind.value.axis >= SDL_JoystickNumAxes(joystick))
        return 0;
    return axisCode(bind.value.axis, side);
}

// A button, trigger or d-pad direction, whatever the device reports it as. A half axis
// counts from its `side`: the mapping's sign is not given with the binding, and d-pads
// on axes point up and left on the negative side, triggers press toward the positive.
int pressCode(const SDL_GameControllerButtonBind& bind, int side, SDL_Joystick* joystick)
{
    TRACE();
    switch (bind.bindType) {
    case SDL_CONTROLLER_BINDTYPE_BUTTON:
        if (bind.value.button < 0 || bind.value.button >= SDL_JoystickNumButtons(joystick))
            return 0;
        return buttonCode(bind.value.button);
    case SDL_CONTROLLER_BINDTYPE_HAT:
        if (bind.value.hat.hat < 0 || bind.value.hat.hat >= SDL_JoystickNumHats(joystick))
            return 0;
        return hatCode(bind.value.hat.hat, bind.value.hat.hat_mask);
    case SDL_CONTROLLER_BINDTYPE_AXIS:
        return sideCode(bind, side, joystick);
    default:
        return 0;
    }
}

} // namespace

bool readControllerLayout(int deviceIndex, SDL_Joystick* joystick, ControllerLayout& layout)
{
    TRACE();
    if (!joystick || !SDL_IsGameController(deviceIndex))
        return false;
    SDL_GameController* controller = SDL_GameControllerOpen(deviceIndex);
    if (!controller)
        return false;
    auto button = [&](SDL_GameControllerButton which, int side) {
        return pressCode(SDL_GameControllerGetBindForButton(controller, which), side, joystick);
    };
    auto trigger = [&](SDL_GameControllerAxis which) {
        return pressCode(SDL_GameControllerGetBindForAxis(controller, which), 1, joystick);
    };
    auto stick = [&](SDL_GameControllerAxis which, int side) {
        return sideCode(SDL_GameControllerGetBindForAxis(controller, which), side, joystick);
    };
    layout.dpadUp = button(SDL_CONTROLLER_BUTTON_DPAD_UP, -1);
    layout.dpadDown = button(SDL_CONTROLLER_BUTTON_DPAD_DOWN, 1);
    layout.dpadLeft = button(SDL_CONTROLLER_BUTTON_DPAD_LEFT, -1);
    layout.dpadRight = button(SDL_CONTROLLER_BUTTON_DPAD_RIGHT, 1);
    int up = stick(SDL_CONTROLLER_AXIS_LEFTY, -1);
    int down = stick(SDL_CONTROLLER_AXIS_LEFTY, 1);
    int left = stick(SDL_CONTROLLER_AXIS_LEFTX, -1);
    int right = stick(SDL_CONTROLLER_AXIS_LEFTX, 1);
    // A pad without a left stick moves with its d-pad alone.
    if (left == 0 && up == 0) {
        up = layout.dpadUp;
        down = layout.dpadDown;
        left = layout.dpadLeft;
        right = layout.dpadRight;
    }
    const std::pair<const char*, int> codes[] = {
        {"UP", up},
        {"DOWN", down},
        {"LEFT", left},
        {"RIGHT", right},
        {"ATTACK", button(SDL_CONTROLLER_BUTTON_A, 1)},
        {"ITEM", button(SDL_CONTROLLER_BUTTON_B, 1)},
        {"ACTION", button(SDL_CONTROLLER_BUTTON_Y, 1)},
        {"SPEC", button(SDL_CONTROLLER_BUTTON_X, 1)},
        {"STRONG", trigger(SDL_CONTROLLER_AXIS_TRIGGERLEFT)},
        {"CWEAPON", button(SDL_CONTROLLER_BUTTON_LEFTSHOULDER, 1)},
        {"CITEM", button(SDL_CONTROLLER_BUTTON_RIGHTSHOULDER, 1)},
        {"DROP", trigger(SDL_CONTROLLER_AXIS_TRIGGERRIGHT)},
        {"SLEFT", stick(SDL_CONTROLLER_AXIS_RIGHTX, -1)},
        {"SRIGHT", stick(SDL_CONTROLLER_AXIS_RIGHTX, 1)},
        {"PAUSE", button(SDL_CONTROLLER_BUTTON_START, 1)},
    };
    SDL_GameControllerType type = SDL_GameControllerGetType(controller);
    layout.bindings.clear();
    for (const auto& code : codes)
        if (code.second != 0)
            layout.bindings.push_back(DefaultBinding{code.first, code.second, labelFor(type, code.first)});
    SDL_GameControllerClose(controller);
    return true;
}

void readFaceButtonsByPosition()
{
    TRACE();
    SDL_SetHint(SDL_HINT_GAMECONTROLLER_USE_BUTTON_LABELS, "0");
}
