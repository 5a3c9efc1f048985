#pragma once

#include <string>

// Default bindings of known controller models, keyed by SDL's joystick GUID string.
// Codes: button b is 100 + b, axis a pushed negative 300 + 2a, positive 301 + 2a; 0 none.
// Every model moves with its left stick: UP 302, DOWN 303, LEFT 300, RIGHT 301.
struct ControllerModel {
    const char* guid;
    int attack, item, action, special, strong, cweapon, citem, drop, sleft, sright, pause;
};

// The first model whose GUID string equals `guid`; null when none does. A GUID in SDL's
// USB layout (vendor in bytes 4-5, product in bytes 8-9) also matches the model that
// lists the same vendor and product, since models are listed by their Windows GUIDs.
const ControllerModel* findControllerModel(const std::string& guid, const unsigned char* guidBytes);

// The label shown for an action on known models ("A", "LT", "Left Stick ***IMG:UP").
std::string actionLabel(const std::string& action);
