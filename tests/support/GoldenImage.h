#pragma once
// Golden pictures: compare a surface with a stored PNG within a tolerance.
// PARLORA_UPDATE_GOLDEN=1 rewrites the stored pictures instead of comparing.
#include "core/Surface.h"

#include <gtest/gtest.h>
#include <string>

namespace parlora::test {

// Raw pixels of a PNG, alpha kept (no blending); an empty surface when it cannot be read.
Surface LoadPngRaw(const std::string& path);
// Writes ARGB pixels with their alpha (Surface::savePng writes opaque pictures).
void SavePngRaw(const Surface& s, const std::string& path);

struct GoldenTolerance {
    int channel = 3;               // largest per-channel difference counted as equal
    double maxBadFraction = 0.002; // share of pixels allowed beyond it
};

// `name` is a file under tests/display/golden/ (or the folder given).
::testing::AssertionResult
MatchesGolden(const Surface& actual, const std::string& name, GoldenTolerance tol = {},
              const std::string& folder = std::string(PARLORA_SOURCE_DIR) + "/tests/display/golden");

} // namespace parlora::test
