#pragma once

#include <string>

// The temporary folder that stands for XDG_DATA_HOME in this test process.
const std::string& testUserRoot();

// Whole file as bytes; empty when it cannot be read.
std::string readFileBytes(const std::string& path);
void writeFileBytes(const std::string& path, const std::string& bytes);
bool fileExists(const std::string& path);
