// Files of the shapes other programs write, made by the tests.
#pragma once

#include <fstream>
#include <string>

inline void WriteBytes(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}
