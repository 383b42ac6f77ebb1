#include "testutil.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace fs = std::filesystem;

std::string ScratchDir() {
  const auto* test = testing::UnitTest::GetInstance()->current_test_info();
  fs::path dir = fs::current_path() / (std::string(test->test_suite_name()) + "." + test->name());
  fs::remove_all(dir);
  fs::create_directories(dir);
  return dir.string();
}

std::string Join(const std::string& dir, const std::string& name) {
  return (fs::path(dir) / name).string();
}

void WriteFile(const std::string& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  ASSERT_TRUE(out.good()) << path;
}

Bytes ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool FileExists(const std::string& path) { return fs::exists(path); }

const Bytes kWorkedExample = {
    // archive header
    0x4B, 0x56, 0x43, 0x46, 0x00, 0x24, 0x01, 0x50, 0x01, 0x30, 0x03, 0x00, 0x00, 0x02,
    0x3B, 0x9A, 0xCA, 0x00, 0x3B, 0x9A, 0xCA, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x08,
    'D', 'E', 'M', 'O', '.', 'Q', 'A', 'R', 0x10, 0x74, 0x79, 0x71,
    // entry header
    0x4B, 0x56, 0x43, 0x46, 0x00, 0x48, 0x01, 0x50, 0x01, 0x30, 0x03, 0x00, 0x00, 0x00,
    0x00, 0x00, 0x3B, 0x9A, 0xCA, 0x00, 0x00, 0x00, 0x00, 0x03, 0x00, 0x00, 0x00, 0x03,
    0xCA, 0x65, 0x98, 0xD0, 0x00, 0x00, 0x00, 0x20,
    'R', 'E', 'A', 'D', 'M', 'E', '~', '1', '.', 'T', 'X', 'T', 0x00,
    'R', 'e', 'a', 'd', ' ', 'm', 'e', '.', 't', 'x', 't', 0x00,
    0x00, 0xB3, 0xAE, 0x56, 0x91,
    // data
    'a', 'b', 'c',
    // end record
    0x4B, 0x56, 0x43, 0x46, 0x00, 0x00, 0x00, 0x00, 0x00, 0x6D};
