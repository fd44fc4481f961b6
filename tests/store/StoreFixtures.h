#pragma once
// Catalogs that the store tests build, save and read back.

#include <string>

#include "support/TestSupport.h"

namespace tf::test {

// Two disks with nested folders, files with and without descriptions, categories, flag
// names; the second disk has an archive folder. Returns the catalog node.
TNode* BuildSampleCatalog(TCatalogTree& tree, const std::string& name = "Sample");

// Reads a catalog file into the tree (appended as the last catalog).
TNode* OpenCatalog(TCatalogTree& tree, const std::string& path);

// Little-endian helpers for inspecting saved bytes.
int32_t I32At(const std::string& bytes, std::size_t at);
uint16_t U16At(const std::string& bytes, std::size_t at);

}  // namespace tf::test
