#include "TestSupport.h"

#include "core/CircularLog.h"

int logLinesContaining(const std::string& needle)
{
    const CircularLog& log = CircularLog::instance();
    int count = 0;
    for (int age = 0; age < log.size(); age++) {
        if (log.fromNewest(age).find(needle) != std::string::npos)
            count++;
    }
    return count;
}

void clearLogRing()
{
    CircularLog& log = CircularLog::instance();
    for (std::string& line : log.lines)
        line.clear();
    log.next = 0;
    log.wrapped = false;
}
