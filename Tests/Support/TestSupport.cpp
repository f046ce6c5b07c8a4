/* TestSupport.cpp: the temporary directory and the layer's state. */
#include "TestSupport.h"

#include <StandIn/CFStandIn.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>

TempDir::TempDir() {
    mPath = (std::filesystem::temp_directory_path() / "quarn-test-XXXXXX").string();
    if (mkdtemp(mPath.data()) == nullptr)
        throw std::runtime_error("cannot make a temporary directory");
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(mPath, ignored);
}

std::string TempDir::Write(const std::string &relativePath, const std::string &contents) const {
    std::filesystem::path path = std::filesystem::path(mPath) / relativePath;
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << contents;
    return path.string();
}

LayerState LayerState::Now() {
    return {LiveObjects::Now(), CFStandInGetOutstandingAllocationCount()};
}

std::string LayerState::Differences(const LayerState &later) const {
    std::string differences = LiveObjects::Differences(objects, later.objects);
    if (blocks != later.blocks)
        differences += (differences.empty() ? "blocks " : ", blocks ") + std::to_string(blocks) +
                       " -> " + std::to_string(later.blocks);
    return differences;
}
