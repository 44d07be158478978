// Arrangements shared by the unit tables: fixtures, scratch folders, registry
// keys made for one case and removed after it, and probe results made up.
#pragma once
#include <windows.h>
#include <doctest.h>
#include <string>
#include "catalog/probe.h"

using std::string;

inline string Fixture(const char *name) { return string(ORVID_FIXTURE_DIR "\\") + name; }
string ReadBytes(const string &path);
void WriteBytes(const string &path, const string &bytes);
bool Exists(const string &path);

// A fresh folder below C:\orvid-unit, removed with all it holds afterwards.
struct Scratch {
    string path;
    explicit Scratch(const string &name);
    ~Scratch();
    string operator/(const string &name) const { return path + "\\" + name; }
};

// A key that did not exist, created for one case and deleted afterwards; or,
// when it existed, one value of it, put back as it was.
struct TestKey {
    HKEY root;
    string key, value;
    bool existed, hadValue;
    DWORD type;
    string saved;
    TestKey(HKEY root, const string &key, const string &value = "");
    ~TestKey();
    void Set(DWORD type, const string &data);
    // From now on everyone may read the key, and nobody may set its values.
    void Lock();
};

// What a probe would have found, with the system and help directories given.
SystemProbe ProbeOf(const string &system, const string &help, int ie4 = 0);
