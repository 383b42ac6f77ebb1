// What differs between Windows and POSIX systems for the tool: terminals,
// files and folders, attributes. platform.cpp holds both halves.
#pragma once

#include "qar.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#ifdef _WIN32
constexpr char kPathSeparator = '\\';
#else
constexpr char kPathSeparator = '/';
#endif

// '/' everywhere, and '\' and ':' too on Windows.
bool IsPathSeparator(char c);
std::string JoinPath(const std::string& dir, const std::string& name);

bool IsTerminal(FILE* stream);

enum class PathKind { missing, file, directory, other };
PathKind KindOf(const std::string& path, uint64_t* size = nullptr);
bool SameFile(const std::string& a, const std::string& b);

// The entries of a folder, without "." and "..", in no particular order.
bool ListDirectory(const std::string& dir, std::vector<std::string>* names);
// True when path is a folder afterwards.
bool MakeDirectory(const std::string& path);
bool RemoveFile(const std::string& path);

// The Windows attribute bits of a file (0x20 archive, 0x01 read-only, ...).
// Elsewhere a file is "archive", and "read-only" when its owner cannot write.
uint32_t ReadAttributes(const std::string& path);
bool WriteAttributes(const std::string& path, uint32_t attributes);

// A stream whose bytes are thrown away, for decoding an entry only to check
// it. Not a shared device: the library sets the time of every stream it
// extracts into.
QarStream* OpenSink();
