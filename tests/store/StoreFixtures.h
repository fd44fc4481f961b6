#pragma once
// Catalogs that the store tests build, save and read back.

#include <gtest/gtest.h>

#include <string>

#include "support/TestSupport.h"

namespace tf::test {

// Two disks with nested folders, files with and without descriptions, categories, flag
// names; the second disk has an archive folder. Returns the catalog node.
TNode* BuildSampleCatalog(TCatalogTree& tree, const std::string& name = "Sample");

// The sample catalog saved as sample.ctf in a folder of the test's own.
class SavedSample : public ::testing::Test {
 protected:
  SavedSample();
  TTempDir dir;
  std::string path = dir.File("sample.ctf");
  std::string original;  // every stored field of what was saved (DescribeTree)
  TCatalogTree tree;     // the test's own, empty
};

// Reads a catalog file into the tree (appended as the last catalog).
TNode* OpenCatalog(TCatalogTree& tree, const std::string& path);

// Little-endian helpers for inspecting saved bytes.
int32_t I32At(const std::string& bytes, std::size_t at);
uint16_t U16At(const std::string& bytes, std::size_t at);

}  // namespace tf::test
