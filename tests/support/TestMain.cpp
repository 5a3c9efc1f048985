#include "TestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace {
std::string userFolderRoot;
}

const std::string& testUserRoot()
{
    return userFolderRoot;
}

// Every test process gets its own per-user folder and runs without a display or sound card.
int main(int argc, char** argv)
{
    // A death test's child process runs this again: it keeps its parent's folder.
    const char* inherited = std::getenv("XDG_DATA_HOME");
    bool ownFolder = !inherited || std::string(inherited).rfind("/tmp/vantrel-test-", 0) != 0;
    if (ownFolder) {
        char pattern[] = "/tmp/vantrel-test-XXXXXX";
        const char* folder = mkdtemp(pattern);
        if (!folder)
            return 1;
        userFolderRoot = folder;
        setenv("XDG_DATA_HOME", folder, 1);
    } else {
        userFolderRoot = inherited;
    }
    setenv("SDL_VIDEODRIVER", "dummy", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    setenv("SDL_RENDER_DRIVER", "software", 0);
    testing::InitGoogleTest(&argc, argv);
    int result = RUN_ALL_TESTS();
    std::error_code ignored;
    if (ownFolder)
        std::filesystem::remove_all(userFolderRoot, ignored);
    return result;
}
