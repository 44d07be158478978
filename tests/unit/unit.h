// Arrangements shared by the unit tables: fixtures, scratch folders, registry
// keys made for one case and removed after it, and probe results made up.
#pragma once
#include <windows.h>
#include <doctest.h>
#include <sddl.h>
#include <shellapi.h>
#include <fstream>
#include <iterator>
#include <string>
#include "catalog/probe.h"

using std::string;

inline string Fixture(const char *name) { return string(ORVID_FIXTURE_DIR "\\") + name; }
inline string ReadBytes(const string &path)
{
    std::ifstream file(path, std::ios::binary);
    return string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}
inline void WriteBytes(const string &path, const string &bytes) { std::ofstream(path, std::ios::binary) << bytes; }
inline bool Exists(const string &path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// A fresh folder below C:\orvid-unit, removed with all it holds afterwards.
struct Scratch {
    string path;
    static void Remove(const string &path)
    {
        const string from = path + '\0';
        SHFILEOPSTRUCTA remove = {NULL, FO_DELETE, from.c_str(), NULL, FOF_NO_UI};
        SHFileOperationA(&remove);
    }
    explicit Scratch(const string &name) : path("C:\\orvid-unit\\" + name)
    {
        CreateDirectoryA("C:\\orvid-unit", NULL);
        Remove(path);
        REQUIRE(CreateDirectoryA(path.c_str(), NULL));
    }
    ~Scratch()
    {
        Remove(path);
        RemoveDirectoryA("C:\\orvid-unit");
    }
    string operator/(const string &name) const { return path + "\\" + name; }
};

// A key that did not exist, created for one case and deleted afterwards with
// every level above it that was made for it; or, when it existed, one value
// of it, put back as it was, whatever its size.
struct TestKey {
    HKEY root;
    string key, value, created, saved;
    LONG read = ERROR_FILE_NOT_FOUND;
    DWORD type = 0, size = 0;
    TestKey(HKEY root, const string &key, const string &value = "") : root(root), key(key), value(value)
    {
        HKEY k;
        if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &k) == ERROR_SUCCESS) {
            read = RegQueryValueExA(k, value.c_str(), NULL, &type, NULL, &size);
            saved.resize(size);
            if (read == ERROR_SUCCESS)
                read = RegQueryValueExA(k, value.c_str(), NULL, &type, (BYTE *)&saved[0], &size);
            RegCloseKey(k);
            // A value that could not be read would be deleted afterwards.
            REQUIRE((read == ERROR_SUCCESS || read == ERROR_FILE_NOT_FOUND));
            return;
        }
        // The first level that is missing.
        for (size_t end = 0; RegOpenKeyExA(root, created.c_str(), 0, KEY_READ, &k) == ERROR_SUCCESS;) {
            RegCloseKey(k);
            created = key.substr(0, end = key.find('\\', end + 1));
        }
        REQUIRE(RegCreateKeyExA(root, key.c_str(), 0, NULL, 0, KEY_READ, NULL, &k, NULL) == ERROR_SUCCESS);
        RegCloseKey(k);
    }
    ~TestKey()
    {
        if (!created.empty())
            RegDeleteTreeA(root, created.c_str());
        else if (read == ERROR_SUCCESS)
            RegSetKeyValueA(root, key.c_str(), value.c_str(), type, saved.data(), size);
        else
            RegDeleteKeyValueA(root, key.c_str(), value.c_str());
    }
    void Set(DWORD valueType, const string &data)
    {
        // Else a row that expects nothing found would pass without a test.
        REQUIRE(RegSetKeyValueA(root, key.c_str(), value.c_str(), valueType, data.data(), (DWORD)data.size())
                == ERROR_SUCCESS);
    }
    // From now on everyone may read the key, and nobody may set its values.
    void Lock()
    {
        PSECURITY_DESCRIPTOR sd;
        HKEY k;
        REQUIRE(ConvertStringSecurityDescriptorToSecurityDescriptorA("D:(D;;0x2;;;WD)(A;;KA;;;WD)", 1, &sd, NULL));
        REQUIRE(RegOpenKeyExA(root, key.c_str(), 0, WRITE_DAC, &k) == ERROR_SUCCESS);
        CHECK(RegSetKeySecurity(k, DACL_SECURITY_INFORMATION, sd) == ERROR_SUCCESS);
        RegCloseKey(k);
        LocalFree(sd);
    }
};

// What a probe would have found, with the system and help directories given.
inline SystemProbe ProbeOf(const string &system, const string &help, int ie4 = 0)
{
    SystemProbe probe = {};
    lstrcpynA(probe.systemDir, system.c_str(), MAX_PATH);
    lstrcpynA(probe.helpDir, help.c_str(), MAX_PATH);
    probe.ie4Installed = ie4;
    return probe;
}
