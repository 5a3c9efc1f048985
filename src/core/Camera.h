#pragma once

struct SDL_Renderer;
struct SDL_Rect;

// The drawing context handed to every screen's draw: the renderer, the drawing size,
// two drawing-suppression flags, and a view offset that can glide and shake.
class Camera {
public:
    Camera(SDL_Renderer* renderer, int width, int height);
    virtual ~Camera();

    SDL_Renderer* renderer;
    bool disabled = false; // no shakes, no sounds started, no text drawn while set
    int skipCount = 0;     // no text drawn while not 0; cleared every frame
    int width;
    int height;
    int x = 0;
    int y = 0;
    float scaleX = 1.0f;
    float scaleY = 1.0f;
    float angle = 90.0f;
    int targetX = 0;
    int targetY = 0;
    bool moving = false;
    bool spareFlag = false;
    bool fixedSpeed = false;
    float speedX = 0;
    float speedY = 0;
    int shakeOffsetX = 0;
    int shakeOffsetY = 0;
    float shakeAmplitude = 0;
    float shakeAngle = 0;
    bool alternate = true;
    int shakeLevel = 0; // 0 none, 1 light, 2 medium, 3 strong
    bool sizeChanged = false; // the window size changed since the screens last looked

    void reset();
    void shake(float amplitude);
    void update();
    bool isOutside(const SDL_Rect& rect) const;
};

// The first memory row the game shows: the view follows the player with ten rows of
// margin and ratchets down past checkpoint rows, so solved parts stay below the view.
int cameraTop(int playerRow, int rows, int& cameraBottom);
