#include "core/CircularLog.h"

#include "core/Trace.h"

CircularLog::~CircularLog()
{
    TRACE();
    if (file)
        std::fclose(file);
}

CircularLog& CircularLog::instance()
{
    TRACE();
    static CircularLog log;
    return log;
}

void CircularLog::open(const std::string& path)
{
    TRACE();
    if (file)
        std::fclose(file);
    file = std::fopen(path.c_str(), "w+");
}

void CircularLog::commit()
{
    TRACE();
    std::string line = lineStream.str();
    lines[next] = line;
    if (file) {
        std::fputs(line.c_str(), file);
        std::fputc('\n', file);
        std::fflush(file);
    }
    lineStream.str(std::string());
    lineStream.clear();
    dirty = true;
    next++;
    if (next >= lineCount) {
        next = 0;
        wrapped = true;
    }
}

void CircularLog::log(const std::string& text)
{
    TRACE();
    lineStream << text;
    commit();
}

int CircularLog::size() const
{
    TRACE();
    return wrapped ? lineCount : next;
}

const std::string& CircularLog::fromNewest(int age) const
{
    TRACE();
    return lines[((next - 1 - age) % lineCount + lineCount) % lineCount];
}
