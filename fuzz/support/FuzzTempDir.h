#pragma once
// A private folder per fuzzing process for readers that only take a path: made once, emptied
// before each input, removed at exit. Nothing a target does touches any other folder.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>

namespace parlora::fuzz {

// The process's own folder (created on first use under $TMPDIR or /tmp).
const std::filesystem::path& tempDir();

// Empties the folder and writes the input as `name` in it; returns the file's path.
std::filesystem::path writeInput(const std::string& name, const uint8_t* data, size_t size);

// Empties the folder (keeps the folder itself).
void clearTempDir();

} // namespace parlora::fuzz
