// Damaged files, made deterministically for the suites that feed them to the host and the
// module: bytes that are no database, the sample fund database cut, flipped, torn, wrongly
// shaped or held by another handle, a database damaged where the usual queries do not look,
// and damaged stored headers and theme files.
#pragma once
#include "TempDir.h"
#include "common/XString.h"
#include <windows.h>
#include <cstdint>
#include <functional>
#include <random>
#include <string>
#include <vector>

namespace TestSupport {

// size bytes that no reader takes for a SQLite database (nor for text).
std::string notADatabase(size_t size);

// The standard sample fund database as bytes, made through a file in dir; empty when it
// cannot be made.
std::string sampleDatabaseBytes(const TempDir& dir);

// Runs the statements on a writer connection to the database at path; false when one cannot
// be prepared (a statement that runs and fails is what some variants want).
bool runStatements(const std::wstring& path, const std::vector<const wchar_t*>& statements);

// One damaged fund database: its name (the reproducer of a failure), how to make it at a
// path, and how many rows a fill that succeeds on it must give.
struct DamagedDatabase {
    std::string name;
    std::function<bool(const std::wstring& path)> make;
    int rows;
};

// count damaged variants of sample (a database's bytes holding sampleRows funds), the same
// for the same seed: an empty file, the header alone, a text file, a folder, the sample held
// exclusively ("locked", see ExclusiveHold), every wrong schema a careless writer produces,
// cuts at page ends, then cuts at random bytes, flipped bytes and torn pages.
std::vector<DamagedDatabase> damagedDatabases(const std::string& sample, int sampleRows, int count, uint32_t seed);

// The sample with every row of tb_closedfund copies times over and no key to stop it: the
// query's self-join by code multiplies them.
bool writeRepeatedCodes(const std::wstring& path, const std::string& sample, int copies);

// Overwrites the last index page of the database at path (which must not be in WAL mode) with
// bytes no page holds: damage the usual queries never read, which only the integrity check
// finds.
bool damageIndexPage(const std::wstring& path);

// Removes the database at path with the files SQLite keeps beside it, or the folder of
// that name.
void removeDatabaseFiles(const std::wstring& path);

// Holds a file without sharing while it lives: the "locked" variant.
class ExclusiveHold {
public:
    explicit ExclusiveHold(const std::wstring& path);
    ~ExclusiveHold();
    ExclusiveHold(const ExclusiveHold&) = delete;
    ExclusiveHold& operator=(const ExclusiveHold&) = delete;

private:
    HANDLE file_ = INVALID_HANDLE_VALUE;
};

// A stored header damaged one of seven ways chosen by rng (cut, characters flipped, left
// unclosed, an unknown encoding, a shape that is no header, every item hidden, a stretch
// erased); name says which, with the places.
Common::XStringW damagedHeader(const Common::XStringW& good, std::mt19937& rng, std::string& name);

// Writes at path the theme file shipped damaged the way variant % 5 asks: cut short, twenty
// random bytes, every font a face with markup in it, zeros, or no file at all; name says
// which. False when the file cannot be written.
bool writeDamagedTheme(const std::wstring& path, const std::string& shipped, int variant, std::mt19937& rng,
                       std::string& name);

} // namespace TestSupport
