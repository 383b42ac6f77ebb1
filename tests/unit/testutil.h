// Helpers shared by the library's unit tests: scratch folders, whole-file
// reads and writes, and the worked example archive.
#pragma once

#include "archbld.h"

#include <string>

// A fresh, empty folder for the running test, below the working directory.
std::string ScratchDir();
std::string Join(const std::string& dir, const std::string& name);

void WriteFile(const std::string& path, const Bytes& bytes);
Bytes ReadFile(const std::string& path);
bool FileExists(const std::string& path);

// The archive DEMO.QAR created at 1000000000, holding the stored entry "abc"
// as README~1.TXT / "Read me.txt": 119 bytes.
extern const Bytes kWorkedExample;

// The same bytes as the end record's position minus the base.
constexpr uint32_t kExampleEndRecord = 109;
constexpr uint32_t kExampleEntryHeader = 40;
constexpr uint32_t kExampleData = 106;
