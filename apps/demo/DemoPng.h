// Writes and reads 8-bit RGB PNG files (rows from the top) for the demo and its test.
#pragma once

#include <string>
#include <vector>

namespace vyrdemo {

bool WritePngRgb(const std::string& path, int width, int height, const std::vector<unsigned char>& rgbTopDown);
bool ReadPngRgb(const std::string& path, int& width, int& height, std::vector<unsigned char>& rgbTopDown);

}  // namespace vyrdemo
