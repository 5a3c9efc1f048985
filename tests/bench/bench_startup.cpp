// Start-up under the X server named by DISPLAY: from starting the game's process to its
// first presented frame of the main menu, against a minimal SDL program that opens a
// window and a renderer as the game does and presents once, started side by side in
// turns. Prints a row of the table that scripts/bench shows, and the game's peak
// resident size by then.
// With --minimal it is that minimal program.
#include <SDL.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

extern char** environ;

namespace {

long long nowNs()
{
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return now.tv_sec * 1000000000LL + now.tv_nsec;
}

int minimal()
{
    if (SDL_Init(SDL_INIT_VIDEO) != 0)
        return 1;
    SDL_Window* window = SDL_CreateWindow("minimal", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, 1920, 1080,
        SDL_WINDOW_FULLSCREEN_DESKTOP);
    SDL_Renderer* renderer =
        window ? SDL_CreateRenderer(window, -1, SDL_RENDERER_ACCELERATED | SDL_RENDERER_PRESENTVSYNC) : nullptr;
    if (!renderer)
        return 1;
    SDL_SetRenderDrawColor(renderer, 0, 0, 0, 255);
    SDL_RenderClear(renderer);
    SDL_RenderPresent(renderer);
    std::string text = std::to_string(nowNs()) + "\n";
    bool written = write(3, text.data(), text.size()) == ssize_t(text.size());
    SDL_DestroyRenderer(renderer);
    SDL_DestroyWindow(window);
    SDL_Quit();
    return written ? 0 : 1;
}

struct Run {
    double ms = -1; // start to the frame presented; negative when it failed
    long peakKiB = 0;
};

// Starts `program` with a pipe as descriptor 3 and waits for the time it writes there.
Run timeStart(const std::vector<std::string>& arguments)
{
    Run run;
    int ends[2];
    if (pipe2(ends, O_CLOEXEC) != 0)
        return run;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, ends[1], 3);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    std::vector<char*> argv;
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    pid_t child;
    long long start = nowNs();
    int failed = posix_spawn(&child, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(ends[1]);
    std::string text;
    char buffer[64];
    for (ssize_t got; !failed && (got = read(ends[0], buffer, sizeof buffer)) > 0;)
        text.append(buffer, size_t(got));
    close(ends[0]);
    int status = 0;
    rusage usage{};
    if (!failed && wait4(child, &status, 0, &usage) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0
        && !text.empty()) {
        run.ms = double(std::atoll(text.c_str()) - start) / 1e6;
        run.peakKiB = usage.ru_maxrss;
    }
    return run;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char** argv)
{
    if (argc > 1 && std::string(argv[1]) == "--minimal")
        return minimal();
    if (!std::getenv("DISPLAY")) {
        std::printf("start-up needs an X server: set DISPLAY\n");
        return 1;
    }
    std::string folder = std::filesystem::path(argv[0]).parent_path().string();
    std::string game = folder + "/vantrel-startup";
    char home[] = "/tmp/vantrel-bench-XXXXXX";
    if (!mkdtemp(home))
        return 1;
    setenv("XDG_DATA_HOME", home, 1);
    // The first start makes the player's folder and settings: one of each to warm up,
    // then starts as a player's every day ones, in turns.
    const int rounds = 9;
    std::vector<double> games, minimals;
    long peakKiB = 0;
    for (int round = -1; round < rounds; round++) {
        Run played = timeStart({game});
        Run bare = timeStart({argv[0], "--minimal"});
        if (played.ms < 0 || bare.ms < 0) {
            std::printf("start-up: %s did not present a frame\n", played.ms < 0 ? game.c_str() : "the minimal program");
            std::filesystem::remove_all(home);
            return 1;
        }
        if (round < 0)
            continue;
        games.push_back(played.ms);
        minimals.push_back(bare.ms);
        peakKiB = std::max(peakKiB, played.peakKiB);
    }
    std::filesystem::remove_all(home);
    double game_ms = median(games), floor_ms = median(minimals), ratio = game_ms / floor_ms;
    std::printf("start-up: process start to the first presented menu frame vs a minimal SDL program\t%.0f ms\t%.0f "
                "ms\t%.2f\t<= 1.50\t%s\n",
        game_ms, floor_ms, ratio, ratio <= 1.5 ? "met" : "MISSED");
    std::printf("memory: peak resident size at the first menu frame\t%.0f MiB\t\t\t\t\n", peakKiB / 1024.0);
    return 0;
}
