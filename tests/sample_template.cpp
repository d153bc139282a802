// Builds the test run's sample template (support/sample_root.h) into the
// folder given, replacing what an earlier run left there. Run by ctest as
// the setup of the fixture every test requires.

#include "support/sample_root.h"

#include <cstdio>
#include <exception>
#include <filesystem>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <folder>\n", argv[0]);
        return 2;
    }
    try {
        std::filesystem::remove_all(argv[1]);
        test_support::buildSampleTemplate(argv[1]);
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "sample_template: %s\n", e.what());
        return 1;
    }
}
