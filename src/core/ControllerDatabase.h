#pragma once

#include <string>
#include <vector>

// Default bindings of known controller models, keyed by SDL's joystick GUID string.
// Codes: button b is 100 + b, axis a pushed negative 300 + 2a, positive 301 + 2a; 0 none.
// Every model moves with its left stick: UP 302, DOWN 303, LEFT 300, RIGHT 301.
struct ControllerModel {
    const char* guid;
    int attack, item, action, special, strong, cweapon, citem, drop, sleft, sright, pause;
};

// One default binding of a controller: the action, its input code and the label shown
// for that code (empty for none).
struct DefaultBinding {
    const char* action;
    int code;
    std::string label;
};

// The built-in models in matching order: the first that fits wins.
const std::vector<ControllerModel>& controllerModels();

// The model whose GUID string is exactly `guid`; null when none is.
const ControllerModel* findControllerModel(const std::string& guid);

// The model listed with this USB vendor and product (models are listed by their Windows
// GUIDs, which hold both ids); null when none is. Its button numbers are those of the
// Windows driver, so it is the last resort before leaving a controller unconfigured.
const ControllerModel* findControllerModelByIds(int vendor, int product);

// A model's defaults in the order they apply: the directions, then the table's actions.
std::vector<DefaultBinding> modelDefaults(const ControllerModel& model);

// The label shown for an action on known models ("A", "LT", "Left Stick ***IMG:UP").
std::string actionLabel(const std::string& action);
