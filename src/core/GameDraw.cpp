#include "core/Game.h"

#include "core/Achievement.h"
#include "core/AssetManager.h"
#include "core/CachedText.h"
#include "core/CachedTextCollection.h"
#include "core/Camera.h"
#include "core/CircularLog.h"
#include "core/Font.h"
#include "core/NineSlice.h"
#include "core/Recorder.h"
#include "core/Texture.h"
#include "core/Trace.h"
#include "core/Translator.h"
#include "core/UserFiles.h"

#include <SDL_ttf.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

// The game screen: a grid of character cells drawn from one glyph sheet, like the
// text mode of an old machine monitor.

namespace {

const SDL_Color white{255, 255, 255, 255};
const SDL_Color grey{192, 192, 192, 255};
const SDL_Color dim{128, 128, 128, 255};
const SDL_Color red{255, 0, 0, 255};
const SDL_Color yellow{255, 255, 0, 255};
const SDL_Color orange{255, 165, 0, 255};
const SDL_Color cyan{0, 255, 255, 255};
const SDL_Color digitColour{136, 153, 136, 255};
const SDL_Color playerByteColour{85, 102, 85, 255};
const SDL_Color scanlineDigitColour{140, 180, 140, 255};
const SDL_Color green{0, 204, 0, 255};
const SDL_Color scanlineGreen{0, 250, 0, 255};
const SDL_Color hintBlue{0, 100, 200, 255};

const char* const cellSample = "MASTE RI891 .,!abcde"; // 20 characters
const int smallestFont = 8;
const int largestFont = 200;
const int boldBelow = 19;

const int blockGlyph = 219;
const int hintGlyph = 178;
const int atGlyph = 64;

// Screen rows and columns of the parts of the screen.
const int viewTopRow = 4;
const int binaryColumn = 1;
const int binaryByteStep = 9;
const int characterMapColumn = 46;
const int listingTopRow = 10;

const char* const registerNames[] = {"Data    :", "Page    :", "Compare :"};
const char* const locationNames[] = {"", "DATA REGISTER", "PAGE REGISTER", "COMPARE REGISTER"};

const char hexDigits[] = "0123456789abcdef";

std::string hex2(int byte)
{
    TRACE();
    return std::string{hexDigits[(byte >> 4) & 15], hexDigits[byte & 15]};
}

int clampInt(int value, int lowest, int highest)
{
    TRACE();
    return std::max(lowest, std::min(highest, value));
}

SDL_Color fadeColour(double r, double g, double b)
{
    TRACE();
    return SDL_Color{Uint8(r), Uint8(g), Uint8(b), 255};
}

// A popup's slide: 0 off screen, 1 fully in; it comes in over the first hundred
// frames of its countdown and goes out over the last hundred.
double popupSlide(int counter)
{
    TRACE();
    double t = counter > 200 ? (300 - counter) / 100.0 : counter < 100 ? counter / 100.0 : 1.0;
    return t * t * (3 - 2 * t);
}

} // namespace

// --- Font and glyph sheet ------------------------------------------------------

int Game::cellX(int column) const
{
    TRACE();
    return column * cellWidth + originX;
}

int Game::cellY(int row) const
{
    TRACE();
    return row * (cellHeight - 1) + originY;
}

Font* Game::gridFont(int size)
{
    TRACE();
    std::string key = "grid" + std::to_string(size);
    if (Font* font = assets->fonts.count(key) ? assets->fonts[key].get() : nullptr)
        return font;
    // Small sizes use the bold face, so thin strokes stay readable; a face of its own
    // rather than a style, so that a replay, which names only the file, draws it too.
    return assets->loadFont(key, size < boldBelow ? "main-bold.ttf" : "main.ttf", size, 0);
}

SDL_Point Game::measureCell(int size)
{
    TRACE();
    auto known = measuredSizes.find(size);
    if (known != measuredSizes.end())
        return known->second;
    SDL_Point cell{0, 0};
    Font* font = gridFont(size);
    int width = 0, height = 0;
    if (font && TTF_SizeUTF8(font->ttf, cellSample, &width, &height) == 0)
        cell = SDL_Point{width / 20, height};
    LOG("fontSize[" << size << "] = " << cell.x << " x " << cell.y);
    measuredSizes[size] = cell;
    return cell;
}

void Game::measureFont()
{
    TRACE();
    if (!camera || !assets)
        return;
    int width = camera->width;
    int height = camera->height;
    // The largest size at which the whole grid fits; the smallest when none does.
    int chosen = smallestFont;
    for (int size = smallestFont; size <= largestFont; size++) {
        SDL_Point cell = measureCell(size);
        if (cell.x < 1 || cell.y < 2 || cell.x * minimumColumns > width || cell.y * minimumRows > height)
            break;
        chosen = size;
    }
    SDL_Point cell = measureCell(chosen);
    if (cell.x < 1 || cell.y < 2) {
        LOG("ERROR: The game's font cannot be measured; the screen stays empty");
        glyphSheet = nullptr;
        labels = nullptr;
        return;
    }
    fontSize = chosen;
    cellWidth = cell.x;
    cellHeight = cell.y;
    buildGlyphSheet(chosen);
    rows = height / (cellHeight - 1);
    columns = width / cellWidth;
    originX = (width - columns * cellWidth) / 2;
    originY = (height - rows * (cellHeight - 1)) / 2;
}

void Game::buildGlyphSheet(int size)
{
    TRACE();
    Font* font = gridFont(size);
    if (!labelTexts.count(size)) {
        auto collection = std::make_unique<CachedTextCollection>();
        collection->init(camera, font, white, 0);
        labelTexts[size] = std::move(collection);
    }
    labels = labelTexts[size].get();
    if (glyphSheets.count(size)) {
        glyphSheet = glyphSheets[size];
        return;
    }
    // Each glyph is placed in its own cell, so the sheet's grid is exact.
    SDL_Surface* sheet = SDL_CreateRGBSurfaceWithFormat(0, cellWidth * 16, cellHeight * 16, 32, SDL_PIXELFORMAT_ARGB8888);
    if (!sheet) {
        LOG("ERROR: Cannot create the glyph sheet: " << SDL_GetError());
        glyphSheet = nullptr;
        return;
    }
    SDL_FillRect(sheet, nullptr, 0);
    for (int glyph = 0; glyph < 256; glyph++) {
        const std::string& character = world.glyphs.glyph(glyph);
        if (character == " ")
            continue;
        SDL_Surface* rendered = TTF_RenderUTF8_Blended(font->ttf, character.c_str(), white);
        if (!rendered)
            continue;
        SDL_SetSurfaceBlendMode(rendered, SDL_BLENDMODE_NONE);
        SDL_Rect source{0, 0, std::min(rendered->w, cellWidth), std::min(rendered->h, cellHeight)};
        SDL_Rect target{(glyph % 16) * cellWidth, (glyph / 16) * cellHeight, source.w, source.h};
        SDL_BlitSurface(rendered, &source, sheet, &target);
        SDL_FreeSurface(rendered);
    }
    glyphSheet = SDL_CreateTextureFromSurface(camera->renderer, sheet);
    SDL_FreeSurface(sheet);
    if (!glyphSheet) {
        LOG("ERROR: Cannot create the glyph sheet texture: " << SDL_GetError());
        return;
    }
    SDL_SetTextureBlendMode(glyphSheet, SDL_BLENDMODE_BLEND);
    glyphSheets[size] = glyphSheet;
    recorder().registerGlyphSheet(glyphSheet, *font, cellWidth, cellHeight, world.glyphs);
}

// --- Drawing helpers ------------------------------------------------------------

int Game::drawGlyph(int column, int row, int glyph, SDL_Color colour, int shiftX)
{
    TRACE();
    glyph &= 255;
    if (!glyphSheet || world.glyphs.glyph(glyph) == " ")
        return 0;
    SDL_SetTextureColorMod(glyphSheet, colour.r, colour.g, colour.b);
    SDL_Rect source{(glyph % 16) * cellWidth, (glyph / 16) * cellHeight, cellWidth, cellHeight};
    SDL_Rect target{cellX(column) + shiftX, cellY(row), cellWidth, cellHeight};
    recorder().renderCopy(camera->renderer, glyphSheet, &source, &target);
    return 1;
}

int Game::drawString(int column, int row, const std::string& text, SDL_Color colour)
{
    TRACE();
    int blits = 0;
    for (size_t i = 0; i < text.size(); i++)
        blits += drawGlyph(column + int(i), row, static_cast<unsigned char>(text[i]), colour);
    return blits;
}

int Game::drawHex(int column, int row, int byte, SDL_Color colour)
{
    TRACE();
    return drawString(column, row, hex2(byte), colour);
}

int Game::drawBinary(int column, int row, int byte, bool withPlayer, SDL_Color colour, int shiftX)
{
    TRACE();
    int blits = 0;
    for (int bit = 7; bit >= 0; bit--) {
        int x = column + 7 - bit;
        if (withPlayer && bit == 6)
            blits += drawGlyph(x, row, blockGlyph, playerColour(), shiftX);
        else
            blits += drawGlyph(x, row, (byte >> bit) & 1 ? '1' : '0', colour, shiftX);
    }
    return blits;
}

CachedText* Game::labelText(const std::string& english)
{
    TRACE();
    if (!labels)
        return nullptr;
    CachedText* text = labels->getText(translator().translate(english), CachedText::noWrap);
    return text->texture ? text : nullptr;
}

int Game::labelCells(const std::string& english)
{
    TRACE();
    CachedText* text = labelText(english);
    return text ? (text->getWidth() + cellWidth - 1) / cellWidth : 0;
}

int Game::drawLabel(int column, int row, const std::string& english, SDL_Color colour)
{
    TRACE();
    CachedText* text = labelText(english);
    if (!text)
        return 0;
    SDL_SetTextureColorMod(text->texture, colour.r, colour.g, colour.b);
    text->draw(cellX(column), cellY(row));
    return 1;
}

int Game::drawPicture(const char* name, const SDL_Rect& where)
{
    TRACE();
    Texture* picture = assets->getTexture(name);
    if (!picture || !picture->texture)
        return 0;
    recorder().renderCopy(camera->renderer, picture->texture, nullptr, &where);
    return 1;
}

SDL_Color Game::playerColour() const
{
    TRACE();
    return SDL_Color{255, Uint8(pulse), 0, 255};
}

int Game::characterMapWidth() const
{
    TRACE();
    return std::max(0, registerColumn() - 2 - characterMapColumn);
}

// The map scrolls only when the bit comes near one of its sides, so a room stays
// still while the bit walks in it and there is always some way to see ahead.
int Game::characterMapStart()
{
    TRACE();
    int width = characterMapWidth();
    int margin = std::min(16, width / 4);
    if (world.playerX < mapStart + margin)
        mapStart = world.playerX - margin;
    if (world.playerX > mapStart + width - 1 - margin)
        mapStart = world.playerX - (width - 1 - margin);
    mapStart = clampInt(mapStart, 0, std::max(0, Realm::size - width));
    return mapStart;
}

int Game::registerColumn() const
{
    TRACE();
    // One column of margin after the last binary digit.
    return columns - 22;
}

// --- The frame --------------------------------------------------------------------

int Game::draw(Camera& frameCamera, float dt)
{
    TRACE();
    SDL_Renderer* renderer = frameCamera.renderer;
    int width = frameCamera.width;
    int height = frameCamera.height;
    SDL_SetRenderDrawColor(renderer, 0, 0, 0, 255);
    recorder().clear(renderer);
    if (playStatistics.addPlayTime(settingsStorage(), dt))
        saveSettings();
    int blits = 0;
    if (!world.levelLoaded) {
        assets->titleScreen.start();
        blits += assets->titleScreen.draw(frameCamera, dt);
        if (assets->titleScreen.isFinished())
            loadLevel();
    } else {
        world.step(dt);
        blits += drawPlayfield(dt);
        // The screen is uncovered from the left over the first two seconds.
        if (openingTimer < 2) {
            int covered = int((2 - openingTimer) * float(width) / 2);
            blits += drawPicture("flat.png", SDL_Rect{width - covered, 0, covered, height});
        }
        openingTimer += dt;
    }
    if (world.endTimer > 0) {
        world.endTimer += dt;
        int bar = std::min(height / 2, int(float(height) * world.endTimer * 0.4f));
        blits += drawPicture("flat.png", SDL_Rect{0, 0, width, bar});
        blits += drawPicture("flat.png", SDL_Rect{0, height - bar, width, bar});
    }
    if (world.pauseMenuOpen)
        blits += drawPauseMenu();
    blits += drawAchievementPopups();
    return blits;
}

int Game::drawPlayfield(float dt)
{
    TRACE();
    blinkTimer = std::fmod(blinkTimer + dt, 2.5f);
    float u = blinkTimer > 1 ? 2 - blinkTimer : blinkTimer;
    pulse = blinkTimer < 2 ? int((1 - u) * 165 + u * 80) : 165;
    scanlineTimer = std::fmod(scanlineTimer + dt, 3.0f);

    int top = cameraTop(world.playerY, rows, world.cameraBottom);
    highlights.clear();
    int blits = 0;
    if (world.playerLocation != PlayerLocation::memory) {
        blits += drawLabel(16, rows / 2, "IN REGISTER AREA", grey);
        blits += drawLabel(7, rows / 2 + 1, "(check right side of the screen)", grey);
    } else {
        blits += drawMemoryView(top);
    }
    blits += drawListing();
    blits += drawCharacterMap(top, dt);
    blits += drawInformationPanel();
    if (showOverlay)
        blits += drawStripes();
    if (world.programLocation != 0) {
        const char* help = "Need help? Hold B to highlight addresses.";
        blits += drawLabel(columns - labelCells(help), 0, help, grey);
    }
    return blits;
}

int Game::drawMemoryView(int top)
{
    TRACE();
    Realm& page = world.viewPage();
    int firstColumn = clampInt(world.playerX - 2, 0, Realm::size - 5);
    int scanRow = int(scanlineTimer * 20) + viewTopRow;
    int blits = 0;
    for (int r = 0; r <= rows - 6 && top + r < Realm::size; r++) {
        int y = top + r;
        int screenRow = r + viewTopRow;
        bool scanline = showScanline && screenRow == scanRow;
        for (int i = 0; i < 5; i++) {
            int x = firstColumn + i;
            int value = page.cell(x, y).value;
            bool player = x == world.playerX && y == world.playerY;
            SDL_Color colour = player                     ? playerByteColour
                               : value & World::playerBit ? cyan
                               : scanline                 ? scanlineDigitColour
                                                          : digitColour;
            blits += drawBinary(binaryColumn + binaryByteStep * i, screenRow, value, player, colour, scanline ? 1 : 0);
        }
    }
    return blits;
}

int Game::drawCharacterMap(int top, float dt)
{
    TRACE();
    Realm& page = world.viewPage();
    int width = characterMapWidth();
    int start = characterMapStart();
    int viewRows = std::max(0, std::min(rows - 5, Realm::size - top));
    int blits = 0;
    bool inMemory = world.playerLocation == PlayerLocation::memory;
    if (inMemory) {
        // The bytes the binary view shows, lit from behind.
        int first = clampInt(world.playerX - 2, 0, Realm::size - 5);
        int left = std::max(first, start);
        int right = std::min(first + 5, start + width);
        if (right > left)
            blits += drawPicture("back.png", SDL_Rect{cellX(characterMapColumn + left - start), cellY(viewTopRow),
                                                      (right - left) * cellWidth, viewRows * (cellHeight - 1) + 1});
    }
    int scanRow = int(scanlineTimer * 20) + viewTopRow;
    int bumpStep = int(dt / 0.005f);
    int trailStep = int(dt / 0.003f);
    for (int r = 0; r < viewRows; r++) {
        int y = top + r;
        int screenRow = r + viewTopRow;
        bool scanline = showScanline && screenRow == scanRow;
        for (int i = 0; i < width; i++) {
            int x = start + i;
            Cell& cell = page.cell(x, y);
            int glyph = cell.value;
            SDL_Color colour = scanline ? scanlineGreen : green;
            double k = cell.fade * 0.01;
            if (inMemory && x == world.playerX && y == world.playerY) {
                glyph |= World::playerBit;
                colour = playerColour();
            } else if (cell.marks & Realm::triggerMark) {
                colour = red;
            } else if (cell.marks & Realm::bumpMark) {
                // Cyan just after the bump, fading to the normal green in half a second.
                colour = fadeColour(0, (1 - k) * 204 + k * 255, k * 255);
                if (cell.fade > bumpStep)
                    cell.fade = Uint8(cell.fade - bumpStep);
                else
                    cell.marks &= Uint8(~Realm::bumpMark);
            } else if (cell.marks & Realm::trailMark) {
                if (showTrace) {
                    bool blank = glyph == 0 || glyph == ' ';
                    if (blank)
                        glyph = atGlyph;
                    colour = blank ? fadeColour(170 * k, 90 * k, 0) : fadeColour(170 * k, (1 - k) * 204 + 90 * k, 0);
                }
                if (showTrace && cell.fade > trailStep)
                    cell.fade = Uint8(cell.fade - trailStep);
                else
                    cell.marks &= Uint8(~Realm::trailMark);
            }
            int column = characterMapColumn + i;
            blits += drawGlyph(column, screenRow, glyph, colour);
            for (const auto& address : highlights)
                if (address.first == x && address.second == y)
                    blits += drawGlyph(column, screenRow, hintGlyph, hintBlue);
        }
    }
    return blits;
}

int Game::drawListing()
{
    TRACE();
    if (world.programLocation == 0)
        return 0;
    int left = columns - 18;
    int blits = drawLabel(columns - 13, listingTopRow - 1, "PROGRAM", white);
    Realm& page = world.programPage();
    int column = world.programLocation / 256;
    int top = world.programLocation % 256;
    bool running = world.onProgramPage();
    SDL_Color text = running ? grey : dim;
    SDL_Color address = running ? red : dim;
    bool playerOnPage = world.playerLocation == PlayerLocation::memory && &world.viewPage() == &page;
    for (int y = top, screenRow = listingTopRow; y < Realm::size && screenRow < rows; y++, screenRow++) {
        int opcode = page.cell(column, y).value;
        std::string name = instructionName(opcode);
        if (name == "END")
            break;
        if (opcode == 'n')
            continue;
        blits += drawHex(left, screenRow, column, address);
        blits += drawHex(left + 2, screenRow, y, address);
        blits += drawString(left + 7, screenRow, name, text);
        if (name == "ERROR")
            break;
        bool twoOperands = opcode != 'c' && opcode != 'a' && opcode != 'p';
        int operands[2] = {0, 0};
        for (int n = 0; n < (twoOperands ? 2 : 1); n++) {
            int x = column + 1 + n;
            bool player = playerOnPage && world.isPlayerAt(x, y);
            operands[n] = page.cell(x, y).value | (player ? World::playerBit : 0);
            blits += drawHex(left + 12 + 2 * n, screenRow, operands[n], player ? orange : text);
        }
        if (twoOperands && world.hintState == 0)
            highlights.emplace_back(operands[0], operands[1]);
    }
    int arrowRow = listingTopRow + world.programLine;
    if (arrowRow < rows)
        blits += drawString(columns - 13, arrowRow, "=>", yellow);
    return blits;
}

int Game::drawInformationPanel()
{
    TRACE();
    int blits = drawLabel(1, 0, "Player location:", grey);
    int location = world.playerLocation;
    if (location == PlayerLocation::memory) {
        blits += drawLabel(18, 0, "SYSTEM RAM (page:  )", white);
        blits += drawHex(35, 0, world.playerPageNumber(), yellow);
        std::string position = std::to_string(world.playerX) + "," + std::to_string(world.playerY);
        blits += drawLabel(46, 0, "Player position:", grey);
        blits += drawString(63, 0, position, white);
        int column = 63 + int(position.size()) + 1;
        blits += drawLabel(column, 0, "(HEX:", grey);
        column += labelCells("(HEX:");
        blits += drawString(column, 0, hex2(world.playerX) + "," + hex2(world.playerY), white);
        blits += drawString(column + 5, 0, ")", grey);
    } else {
        blits += drawLabel(18, 0, locationNames[location], playerColour());
    }
    blits += drawLabel(1, 2, "BINARY", white);
    blits += drawLabel(8, 2, "(matches player location)", dim);
    blits += drawLabel(characterMapColumn, 2, "ASCII", white);
    blits += drawLabel(52, 2, "(Extended US-Latin)", dim);

    int column = registerColumn();
    blits += drawLabel(column, 4, "REGISTERS", white);
    const int values[] = {world.dataRegister, world.pageRegister, world.compareRegister};
    for (int i = 0; i < 3; i++) {
        bool inside = location == PlayerLocation::dataRegister + i;
        int value = values[i] | (inside ? World::playerBit : 0);
        blits += drawLabel(column, 5 + i, registerNames[i], inside ? playerColour() : grey);
        blits += drawHex(column + 10, 5 + i, value, white);
        blits += drawBinary(column + 13, 5 + i, value, inside, digitColour, 0);
    }
    return blits;
}

int Game::drawStripes()
{
    TRACE();
    int height = (rows - 3) * cellHeight;
    int tiles = (height + 511) / 512;
    int blits = 0;
    for (int i = 0; i < tiles; i++)
        blits += drawPicture("stripes.png", SDL_Rect{originX, cellY(3) + 512 * i, columns * cellWidth, 512});
    return blits;
}

// --- Boxes drawn over the game ------------------------------------------------------

// A dark pane with the glowing frame of "overlay.png"; the game behind it is only
// shaded, not hidden.
int Game::drawPanel(int x, int y, int w, int h)
{
    TRACE();
    Texture* panel = assets->getTexture("overlay.png");
    if (!panel || !panel->texture)
        return 0;
    shade(SDL_Rect{x + 8, y + 8, w - 16, h - 16}, 190);
    return drawNineSlice(camera->renderer, panel->texture, x, y, w, h, 930, 930, 70, 70);
}

// A copy of a black picture rather than a filled rectangle, so that replays show it.
void Game::shade(const SDL_Rect& area, int alpha)
{
    TRACE();
    Texture* black = assets->getTexture("shade.png");
    if (!black || !black->texture)
        return;
    SDL_SetTextureAlphaMod(black->texture, Uint8(alpha));
    recorder().renderCopy(camera->renderer, black->texture, nullptr, &area);
}

int Game::drawPauseMenu()
{
    TRACE();
    if (!pauseTitle || menuItems.empty())
        return 0;
    // A replay on a smaller screen shows the menu in the middle.
    recorder().recordMarker(ReplayCode::layoutCentred);
    int centre = camera->width / 2;
    int base = camera->height / 2 - 40;
    // The panel's frame is drawn well inside its picture: long rows get the room it takes.
    int width = std::max(500, pauseTitle->getWidth() + 100);
    for (const auto& item : menuItems)
        width = std::max(width, item->getWidth() + 100);
    // The paused game stays in view, darkened.
    shade(SDL_Rect{0, 0, camera->width, camera->height}, 150);
    int blits = drawPanel(centre - width / 2, base - 150, width, 360);
    pauseTitle->draw(centre - pauseTitle->getWidth() / 2, base - 100);
    blits++;
    // The arrows move out and back in by up to five pixels, a step every four frames.
    int step = (arrowFrames++ / 4) % 12;
    int arrowOffset = step < 6 ? step : 11 - step;
    for (int i = 0; i < int(menuItems.size()); i++) {
        int y = base - 35 + 45 * i + (i == musicRow || i == sfxRow ? 6 : 0);
        blits += menuItems[size_t(i)]->draw(centre, y, i == selectedItem, arrowOffset);
    }
    return blits;
}

int Game::drawSavingMessage()
{
    TRACE();
    int width = camera->width;
    int height = camera->height;
    int blits = drawPanel(width / 2 - 250, height / 2 - 150, 500, 410);
    if (savingText) {
        savingText->draw(width / 2 - savingText->getWidth() / 2, height / 2 - savingText->getHeight() / 2 + 70);
        blits++;
    }
    return blits;
}

int Game::drawAchievementPopups()
{
    TRACE();
    AchievementManager* manager = assets->achievements;
    if (!manager || !manager->popupActive) {
        popupShowing = false;
        return 0;
    }
    if (!popupShowing) {
        popupShowing = true;
        assets->fadeOutMusic(0, 0);
        playSound("ach1.wav", 5);
        assets->fadeInMusic(2, 10000, 0);
    }
    int blits = 0;
    int slot = 0;
    bool pending = false;
    for (Achievement& achievement : manager->achievements) {
        if (achievement.popupCounter < 1 || achievement.popupCounter > 300)
            continue;
        achievement.popupCounter--;
        blits += drawPopup(achievement, slot++);
        pending = pending || achievement.popupCounter > 0;
    }
    manager->popupActive = pending;
    if (!pending)
        popupShowing = false;
    return blits;
}

int Game::drawPopup(const Achievement& achievement, int slot)
{
    TRACE();
    const int width = 620;
    const int height = 170;
    // In the lower right corner, where the screen shows least; more popups stack upwards.
    int x = camera->width - int(popupSlide(achievement.popupCounter) * (width + 40));
    int y = camera->height - 40 - height - 200 * slot;
    int blits = drawPanel(x, y, width, height);

    Texture* glow = assets->getTexture("achievement_glow.png");
    if (glow && glow->texture) {
        SDL_Rect where{x + 30, y + 37, 96, 96};
        SDL_SetTextureAlphaMod(glow->texture, Uint8(pulse + 90));
        recorder().renderCopyEx(camera->renderer, glow->texture, nullptr, &where, achievement.popupCounter * 1.5,
            nullptr, SDL_FLIP_NONE);
        blits++;
    }
    blits += drawPicture("achievement_icon.png", SDL_Rect{x + 30, y + 37, 96, 96});

    CachedTextCollection* gold = assets->getCachedTexts("signgold");
    CachedTextCollection* big = assets->getCachedTexts("bobi30");
    CachedTextCollection* small = assets->getCachedTexts("sign");
    const std::pair<CachedTextCollection*, const std::string*> lines[] = {
        {gold, &achievement.notice}, {big, &achievement.popup}, {small, &achievement.requirement}};
    int textY = y + 30;
    for (const auto& line : lines) {
        if (!line.first)
            continue;
        CachedText* text = line.first->getText(*line.second, CachedText::noWrap);
        text->draw(x + 150, textY);
        textY += text->getHeight() + 8;
        blits++;
    }
    return blits;
}
