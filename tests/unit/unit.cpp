// Helpers of the unit tables.
#include "unit.h"
#include <sddl.h>
#include <shellapi.h>
#include <fstream>
#include <iterator>

string ReadBytes(const string &path)
{
    std::ifstream file(path, std::ios::binary);
    return string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

void WriteBytes(const string &path, const string &bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

bool Exists(const string &path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

static void RemoveTree(const string &path)
{
    const string from = path + '\0';
    SHFILEOPSTRUCTA remove = {NULL, FO_DELETE, from.c_str(), NULL, FOF_NO_UI};
    SHFileOperationA(&remove);
}

Scratch::Scratch(const string &name) : path("C:\\orvid-unit\\" + name)
{
    CreateDirectoryA("C:\\orvid-unit", NULL);
    RemoveTree(path);
    REQUIRE(CreateDirectoryA(path.c_str(), NULL));
}

Scratch::~Scratch()
{
    RemoveTree(path);
    RemoveDirectoryA("C:\\orvid-unit");
}

TestKey::TestKey(HKEY root, const string &key, const string &value)
    : root(root), key(key), value(value), existed(false), hadValue(false), type(0)
{
    HKEY k;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &k) == ERROR_SUCCESS) {
        existed = true;
        char data[4096];
        DWORD size = sizeof(data);
        hadValue = RegQueryValueExA(k, value.c_str(), NULL, &type, (BYTE *)data, &size) == ERROR_SUCCESS;
        saved.assign(data, hadValue ? size : 0);
        RegCloseKey(k);
        return;
    }
    REQUIRE(RegCreateKeyExA(root, key.c_str(), 0, NULL, 0, KEY_READ, NULL, &k, NULL) == ERROR_SUCCESS);
    RegCloseKey(k);
}

void TestKey::Lock()
{
    PSECURITY_DESCRIPTOR sd;
    HKEY k;
    REQUIRE(ConvertStringSecurityDescriptorToSecurityDescriptorA("D:(D;;0x2;;;WD)(A;;KA;;;WD)", 1, &sd, NULL));
    REQUIRE(RegOpenKeyExA(root, key.c_str(), 0, WRITE_DAC, &k) == ERROR_SUCCESS);
    CHECK(RegSetKeySecurity(k, DACL_SECURITY_INFORMATION, sd) == ERROR_SUCCESS);
    RegCloseKey(k);
    LocalFree(sd);
}

TestKey::~TestKey()
{
    HKEY k;
    if (!existed) {
        RegDeleteKeyA(root, key.c_str());
    } else if (RegOpenKeyExA(root, key.c_str(), 0, KEY_SET_VALUE, &k) == ERROR_SUCCESS) {
        if (hadValue)
            RegSetValueExA(k, value.c_str(), 0, type, (const BYTE *)saved.data(), (DWORD)saved.size());
        else
            RegDeleteValueA(k, value.c_str());
        RegCloseKey(k);
    }
}

void TestKey::Set(DWORD valueType, const string &data)
{
    HKEY k;
    REQUIRE(RegOpenKeyExA(root, key.c_str(), 0, KEY_SET_VALUE, &k) == ERROR_SUCCESS);
    LONG set = RegSetValueExA(k, value.empty() ? NULL : value.c_str(), 0, valueType, (const BYTE *)data.data(),
                              (DWORD)data.size());
    RegCloseKey(k);
    // Else a row that expects nothing found would pass without a test.
    REQUIRE(set == ERROR_SUCCESS);
}

SystemProbe ProbeOf(const string &system, const string &help, int ie4)
{
    SystemProbe probe = {};
    lstrcpynA(probe.systemDir, system.c_str(), MAX_PATH);
    lstrcpynA(probe.helpDir, help.c_str(), MAX_PATH);
    probe.ie4Installed = ie4;
    return probe;
}
