// What the qar tool's tests share: scratch folders, files with given times,
// hand-made archives, and running the tool as a user would, as a child
// process, natively or (in the Windows builds) within the same Wine session.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

using Bytes = std::vector<unsigned char>;

// A fresh, empty folder for the running test, below the working directory.
std::string Scratch();
std::string Path(const std::string& dir, const std::string& name);

void WriteBytes(const std::string& path, const Bytes& bytes);
void WriteText(const std::string& path, const std::string& text);
Bytes ReadBytes(const std::string& path);
Bytes Text(const std::string& text);
// count bytes of text-like content that deflate can shrink, varying with seed.
Bytes Sample(size_t count, unsigned seed);

// A file's last-write time, in seconds since 1970 UTC.
void SetModified(const std::string& path, int64_t utc);
int64_t Modified(const std::string& path);
void MakeReadOnly(const std::string& path);

// Every file below dir, as paths relative to it with '/', sorted.
std::vector<std::string> FilesBelow(const std::string& dir);

// An archive the tool would never write: stored entries with any names.
void WriteArchive(const std::string& path,
                  const std::vector<std::pair<std::string, Bytes>>& entries);

struct Result {
  int status = -1;
  std::string out, err; // with line ends as "\n"
};
using Environment = std::vector<std::pair<std::string, std::string>>;
// Runs the tool with args in dir; env is added to the child's environment.
Result Qar(const std::string& dir, const std::vector<std::string>& args,
           const Environment& env = {});
// The tool's executable, next to the test program.
std::string ToolPath();

size_t Count(const std::string& text, const std::string& what);
