#include "core/ControllerDatabase.h"

#include "core/Trace.h"

#include <cstring>

namespace {

const std::vector<ControllerModel> models = {
    {"00000000000000000000000000000000", 110, 111, 113, 112, 0, 108, 109, 311, 304, 305, 104},
    {"78696e70757400000000000000000000", 100, 101, 103, 102, 305, 104, 105, 311, 306, 307, 107},
    {"78696e70757401000000000000000000", 100, 101, 103, 102, 305, 104, 105, 311, 306, 307, 107},
    {"8f0e1200000000000000504944564944", 100, 101, 103, 102, 0, 104, 106, 107, 306, 307, 109},
    {"341a3608000000000000504944564944", 101, 102, 103, 100, 0, 104, 105, 107, 304, 305, 109},
    {"ffff0000000000000000504944564944", 100, 101, 103, 102, 0, 104, 105, 107, 304, 305, 109},
    {"6d0416c2000000000000504944564944", 101, 102, 103, 100, 0, 104, 105, 107, 304, 305, 109},
    {"0d0f6e00000000000000504944564944", 101, 102, 103, 100, 0, 104, 105, 107, 304, 305, 109},
    {"6d0419c2000000000000504944564944", 101, 102, 103, 100, 0, 104, 105, 107, 304, 305, 109},
    {"88880803000000000000504944564944", 102, 101, 103, 100, 0, 104, 105, 107, 306, 307, 111},
    {"4c056802000000000000504944564944", 114, 113, 112, 115, 0, 110, 111, 109, 304, 305, 103},
    {"25090500000000000000504944564944", 102, 101, 103, 100, 0, 106, 107, 105, 304, 305, 108},
    {"4c05c405000000000000504944564944", 101, 102, 103, 100, 0, 104, 105, 309, 304, 305, 109},
    {"6d0418c2000000000000504944564944", 101, 102, 103, 100, 0, 104, 105, 107, 304, 305, 109},
    {"36280100000000000000504944564944", 100, 103, 102, 101, 0, 104, 105, 113, 306, 307, 114},
    {"4f0400b3000000000000504944564944", 100, 102, 103, 101, 0, 104, 106, 107, 304, 305, 110},
    {"ff113133000000000000504944564944", 102, 103, 101, 100, 0, 106, 107, 109, 304, 305, 105},
    {"8f0e0300000000000000504944564944", 102, 101, 100, 103, 0, 106, 107, 105, 306, 307, 109},
    {"8f0e0d31000000000000504944564944", 101, 102, 103, 100, 0, 104, 105, 107, 304, 305, 109},
    {"10080300000000000000504944564944", 102, 101, 100, 103, 0, 106, 107, 105, 308, 309, 109},
    {"79000600000000000000504944564944", 102, 101, 100, 103, 0, 104, 105, 107, 304, 305, 109},
    {"d6206dca000000000000504944564944", 101, 102, 103, 100, 0, 104, 105, 107, 304, 305, 109},
    {"4f0415b3000000000000504944564944", 100, 102, 103, 101, 0, 104, 106, 107, 304, 305, 109},
    {"6f0e1e01000000000000504944564944", 101, 102, 103, 100, 0, 104, 105, 107, 304, 305, 109},
    {"10080100000000000000504944564944", 102, 101, 100, 103, 0, 106, 107, 105, 306, 307, 109},
    {"49190204000000000000504944564944", 100, 101, 104, 103, 0, 106, 107, 109, 306, 307, 111},
    {"4f0423b3000000000000504944564944", 101, 102, 103, 100, 0, 104, 105, 107, 304, 305, 109},
    {"0d0f4900000000000000504944564944", 101, 102, 103, 100, 0, 104, 105, 107, 304, 305, 109},
    {"79004318000000000000504944564944", 101, 102, 103, 100, 0, 104, 107, 309, 310, 311, 109},
    {"79000018000000000000504944564944", 101, 102, 103, 100, 0, 104, 105, 107, 304, 305, 109},
    {"2509e803000000000000504944564944", 101, 100, 102, 103, 0, 104, 105, 107, 304, 305, 109},
    {"300f1001000000000000504944564944", 102, 103, 101, 100, 0, 104, 106, 107, 306, 307, 109},
    {"63252305000000000000504944564944", 102, 101, 100, 103, 0, 104, 105, 107, 304, 305, 109},
    {"20380900000000000000504944564944", 100, 101, 104, 103, 0, 106, 107, 109, 306, 307, 111},
    {"02200090000000000000504944564944", 100, 101, 104, 103, 0, 106, 107, 109, 306, 307, 111},
    {"4c05cc09000000000000504944564944", 101, 102, 103, 100, 0, 104, 105, 308, 304, 305, 109},
    {"4c05a00b000000000000504944564944", 101, 102, 103, 100, 0, 104, 105, 308, 304, 305, 109},
};

bool listedByVendorAndProduct(const char* guid)
{
    TRACE();
    return std::strlen(guid) == 32 && std::strcmp(guid + 20, "504944564944") == 0;
}

int hexByte(const char* text)
{
    TRACE();
    auto nibble = [](char c) { return c <= '9' ? c - '0' : c - 'a' + 10; };
    return nibble(text[0]) * 16 + nibble(text[1]);
}

} // namespace

const std::vector<ControllerModel>& controllerModels()
{
    TRACE();
    return models;
}

const ControllerModel* findControllerModel(const std::string& guid)
{
    TRACE();
    for (const ControllerModel& model : models)
        if (guid == model.guid)
            return &model;
    return nullptr;
}

const ControllerModel* findControllerModelByIds(int vendor, int product)
{
    TRACE();
    for (const ControllerModel& model : models) {
        if (!listedByVendorAndProduct(model.guid))
            continue;
        // The Windows GUID holds the vendor and then the product, each little-endian.
        int listedVendor = hexByte(model.guid) | hexByte(model.guid + 2) << 8;
        int listedProduct = hexByte(model.guid + 4) | hexByte(model.guid + 6) << 8;
        if (vendor == listedVendor && product == listedProduct)
            return &model;
    }
    return nullptr;
}

std::vector<DefaultBinding> modelDefaults(const ControllerModel& model)
{
    TRACE();
    const std::pair<const char*, int> codes[] = {
        {"UP", 302}, {"DOWN", 303}, {"LEFT", 300}, {"RIGHT", 301}, {"ATTACK", model.attack}, {"ITEM", model.item},
        {"ACTION", model.action}, {"SPEC", model.special}, {"STRONG", model.strong}, {"CWEAPON", model.cweapon},
        {"CITEM", model.citem}, {"DROP", model.drop}, {"SLEFT", model.sleft}, {"SRIGHT", model.sright},
        {"PAUSE", model.pause},
    };
    std::vector<DefaultBinding> defaults;
    for (const auto& code : codes)
        if (code.second != 0)
            defaults.push_back(DefaultBinding{code.first, code.second, actionLabel(code.first)});
    return defaults;
}

std::string actionLabel(const std::string& action)
{
    TRACE();
    static const char* const labels[][2] = {
        {"LEFT", "Left Stick ***IMG:LEFT"}, {"RIGHT", "Left Stick ***IMG:RIGHT"}, {"UP", "Left Stick ***IMG:UP"},
        {"DOWN", "Left Stick ***IMG:DOWN"}, {"ATTACK", "A"},   {"STRONG", "LT"},  {"SPEC", "X"},
        {"ITEM", "B"},   {"ACTION", "Y"},   {"CWEAPON", "LB"}, {"CITEM", "RB"},  {"DROP", "RT"},
        {"SLEFT", "Right Stick ***IMG:LEFT"}, {"SRIGHT", "Right Stick ***IMG:RIGHT"}, {"PAUSE", "START"},
    };
    for (const auto& label : labels)
        if (action == label[0])
            return label[1];
    return "";
}
