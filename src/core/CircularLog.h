#pragma once

#include <cstdio>
#include <sstream>
#include <string>

// Writes every log line to "full.log" and keeps the last 100 lines for the on-screen log.
class CircularLog {
public:
    static constexpr int lineCount = 100;

    virtual ~CircularLog();

    bool dirty = false;            // a line was committed since the overlay last looked
    FILE* file = nullptr;
    std::ostringstream lineStream; // the line being assembled
    std::string lines[lineCount];
    bool wrapped = false;
    int next = 0;

    void open(const std::string& path);
    void commit();
    void log(const std::string& text);

    // Lines held in the ring (up to 100), and the line `age` steps back from the newest.
    int size() const;
    const std::string& fromNewest(int age) const;

    static CircularLog& instance();
};

// LOG("Got desktop size: " << w << "x" << h);
#define LOG(pieces)                                     \
    do {                                                \
        CircularLog& log_ = CircularLog::instance();    \
        log_.lineStream << pieces;                      \
        log_.commit();                                  \
    } while (0)
