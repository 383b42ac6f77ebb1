// The hand-off: extracting the setup program with progress, writing the
// package file, starting the setup program and waiting for it, and the one
// clean-up of the work directory.
#pragma once

#include <string>

bool ExtractSetupFiles(const char* ownPath);
void WritePackageFile();
void StartSetupProgram(const char* ownPath, const char* userCommandLine);

// Destroys the progress dialog, unregisters the gauge class, releases the
// language module, deletes the run's known files and removes the directory
// (only one this run created). Safe to call any number of times.
void CleanUpWorkDirectory(const char* directory);

// The setup program's command line: program path, a blank, the argument
// format (one %s: the bootstrap's own path), and the user's command line
// after a blank when there is one. Never cut.
std::string SetupCommandLine(const char* programPath, const char* argumentFormat,
                             const char* ownPath, const char* userCommandLine);
