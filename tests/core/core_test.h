// Arrangements shared by the setup core tests: fixture files, scratch
// directories, and registry state saved before a case and put back after.
#pragma once
// The tests themselves may use what later systems offer (RegDeleteTree).
#undef _WIN32_WINNT
#define _WIN32_WINNT 0x0600
#include <windows.h>
#include <doctest.h>
#include <fstream>
#include <string>
#include <vector>
#include "catalog/probe.h"
#include "orvid_fixture_dir.h"

#define HKLM HKEY_LOCAL_MACHINE
#define TEST_ROOT "C:\\orvid-test"     // every scratch file lives below it

static const char APP_PATHS[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\iexplore.exe";
static const char DSHOW_SERVER[] = "CLSID\\{05589FA1-C356-11CE-BF01-00AA0055595A}\\InprocServer32";

inline std::string FixturePath(const char *name) { return std::string(ORVID_FIXTURE_DIR "\\") + name; }

inline void PlaceFixture(const char *fixture, const std::string &target)
{
    INFO("placing ", fixture, " as ", target);
    REQUIRE(CopyFileA(FixturePath(fixture).c_str(), target.c_str(), FALSE));
}

inline bool Exists(const std::string &path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }
inline bool IsDir(const std::string &path) { return Exists(path) && (GetFileAttributesA(path.c_str()) & FILE_ATTRIBUTE_DIRECTORY); }

inline std::string ReadBytes(const std::string &path)
{
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

inline std::string SystemDir()
{
    char dir[MAX_PATH];
    GetSystemDirectoryA(dir, ARRAYSIZE(dir));
    return dir;
}

// The probe runs once per process; a case that probes several machines starts it afresh.
inline void Reprobe()
{
    g_probeDone = g_ie4Installed = g_directShowInstalled = 0;
    g_appPathDirs = nullptr;
    ProbeSystem();
}

// Wide and with the \\?\ prefix, so that names beyond MAX_PATH go as well.
inline void RemoveTree(const std::wstring &path)
{
    WIN32_FIND_DATAW found;
    HANDLE find = FindFirstFileW((path + L"\\*").c_str(), &found);
    for (BOOL more = find != INVALID_HANDLE_VALUE; more; more = FindNextFileW(find, &found)) {
        std::wstring name = found.cFileName, child = path + L"\\" + name;
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            DeleteFileW(child.c_str());
        else if (name != L"." && name != L"..")
            RemoveTree(child);
    }
    FindClose(find);
    RemoveDirectoryW(path.c_str());
}

// A directory under TEST_ROOT, removed with everything in it afterwards.
struct ScratchDir {
    std::string path;
    explicit ScratchDir(const std::string &name) : path(TEST_ROOT "\\" + name)
    {
        CreateDirectoryA(TEST_ROOT, NULL);
        REQUIRE(CreateDirectoryA(path.c_str(), NULL));
    }
    ~ScratchDir() { RemoveTree(L"\\\\?\\" + std::wstring(path.begin(), path.end())); RemoveDirectoryA(TEST_ROOT); }
    std::string operator/(const std::string &name) const { return path + "\\" + name; }
};

// The setup directory, which is the current directory while it lives.
struct SetupDir : ScratchDir {
    char previous[MAX_PATH];
    SetupDir() : ScratchDir("setup")
    {
        GetCurrentDirectoryA(ARRAYSIZE(previous), previous);
        REQUIRE(SetCurrentDirectoryA(path.c_str()));
    }
    ~SetupDir() { SetCurrentDirectoryA(previous); }
};

inline void SetValue(HKEY root, const std::string &key, const char *name, DWORD type, const void *data, DWORD size)
{
    HKEY handle;
    REQUIRE(RegCreateKeyExA(root, key.c_str(), 0, NULL, 0, KEY_ALL_ACCESS, NULL, &handle, NULL) == ERROR_SUCCESS);
    CHECK(RegSetValueExA(handle, name, 0, type, (const BYTE *)data, size) == ERROR_SUCCESS);
    RegCloseKey(handle);
}

inline void SetString(HKEY root, const std::string &key, const char *name, const std::string &text)
{
    SetValue(root, key, name, REG_SZ, text.c_str(), (DWORD)text.size() + 1);
}

// A value's type and exact bytes, as RegQueryValueExA gives them.
inline bool QueryValue(HKEY root, const std::string &key, const char *name, DWORD *type, std::string *bytes)
{
    HKEY handle;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS)
        return false;
    char data[1024];
    DWORD size = sizeof(data);
    LONG result = RegQueryValueExA(handle, name, NULL, type, (BYTE *)data, &size);
    RegCloseKey(handle);
    bytes->assign(data, result == ERROR_SUCCESS ? size : 0);
    return result == ERROR_SUCCESS;
}

inline bool ValueExists(HKEY root, const std::string &key, const char *name)
{
    return RegGetValueA(root, key.c_str(), name, RRF_RT_ANY, NULL, NULL, NULL) == ERROR_SUCCESS;
}

// Registry names match in any letter case; this gives the stored spelling.
inline std::string StoredName(HKEY root, const std::string &key, const char *name, bool subKey)
{
    HKEY handle;
    char found[1024];
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS)
        return "";
    LONG result = ERROR_SUCCESS;
    for (DWORD i = 0, size = sizeof(found); result == ERROR_SUCCESS; i++, size = sizeof(found)) {
        result = subKey ? RegEnumKeyA(handle, i, found, size) : RegEnumValueA(handle, i, found, &size, NULL, NULL, NULL, NULL);
        if (result == ERROR_SUCCESS && lstrcmpiA(found, name) == 0)
            break;
    }
    RegCloseKey(handle);
    return result == ERROR_SUCCESS ? found : "";
}

// A string value as stored: the name's spelling, REG_SZ, terminator counted, bytes.
inline void CheckString(HKEY root, const std::string &key, const char *name, const std::string &text)
{
    INFO("value ", (name ? name : "(default)"), " of ", key);
    DWORD type = 0;
    std::string bytes;
    REQUIRE(QueryValue(root, key, name, &type, &bytes));
    CHECK((!name || StoredName(root, key, name, false) == name));
    CHECK(type == REG_SZ);
    CHECK(bytes == std::string(text.c_str(), text.size() + 1));
}

// Saves a value, or its absence and the first missing key of its path, and
// puts that state back when the case ends.
struct SavedValue {
    HKEY root;
    std::string key, name, createdKey, data;
    bool had = false;
    DWORD type = 0;

    SavedValue(HKEY root_, const std::string &key_, const char *name_) : root(root_), key(key_), name(name_ ? name_ : "")
    {
        HKEY handle;
        for (size_t end = 0; end != std::string::npos && createdKey.empty();) {
            end = key.find('\\', end + 1);
            if (RegOpenKeyExA(root, key.substr(0, end).c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS)
                createdKey = key.substr(0, end);
            else
                RegCloseKey(handle);
        }
        had = createdKey.empty() && QueryValue(root, key, Name(), &type, &data);
    }
    const char *Name() const { return name.empty() ? NULL : name.c_str(); }
    void Remove() { RegDeleteKeyValueA(root, key.c_str(), Name()); }
    ~SavedValue()
    {
        if (!createdKey.empty())
            RegDeleteTreeA(root, createdKey.c_str());
        else if (had)
            SetValue(root, key, Name(), type, data.data(), (DWORD)data.size());
        else
            Remove();
    }
};

// A key that everyone may read but nobody may change, until the case ends.
// Every key locked is one the case creates and removes, so the lock is
// lifted with an open DACL rather than the old one.
struct LockedKey {
    HKEY root;
    std::string key;

    LockedKey(HKEY root_, const std::string &key_) : root(root_), key(key_)
    {
        // Built by hand: Wine has no SDDL parser for a Windows 95 program.
        SID_IDENTIFIER_AUTHORITY world = SECURITY_WORLD_SID_AUTHORITY;
        PSID everyone;
        REQUIRE(AllocateAndInitializeSid(&world, 1, SECURITY_WORLD_RID, 0, 0, 0, 0, 0, 0, 0, &everyone));
        BYTE acl[256];
        InitializeAcl((PACL)acl, sizeof(acl), ACL_REVISION);
        AddAccessAllowedAce((PACL)acl, ACL_REVISION, KEY_READ | WRITE_DAC, everyone);
        CHECK(SetDacl((PACL)acl));
        FreeSid(everyone);
    }
    ~LockedKey() { SetDacl(NULL); }
    bool SetDacl(PACL acl)
    {
        HKEY handle;
        SECURITY_DESCRIPTOR descriptor;
        InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION);
        SetSecurityDescriptorDacl(&descriptor, TRUE, acl, FALSE);
        if (RegCreateKeyExA(root, key.c_str(), 0, NULL, 0, WRITE_DAC, NULL, &handle, NULL) != ERROR_SUCCESS)
            return false;
        bool set = RegSetKeySecurity(handle, DACL_SECURITY_INFORMATION, &descriptor) == ERROR_SUCCESS;
        RegCloseKey(handle);
        return set;
    }
};

// Internet Explorer and DirectShow as a case wants them; the prefix's own
// App Paths value and class registration are put aside until it ends.
struct Machine {
    SavedValue dllOverride{HKEY_CURRENT_USER, "Software\\Wine\\DllOverrides", "iexplore.exe"};
    SavedValue path{HKLM, APP_PATHS, "Path"};
    SavedValue server{HKEY_CLASSES_ROOT, DSHOW_SERVER, NULL};
    ScratchDir root{"machine"};

    Machine()
    {
        // Wine answers a version read of any file named iexplore.exe from its
        // own built-in program unless told to read the file.
        SetString(HKEY_CURRENT_USER, dllOverride.key, "iexplore.exe", "native");
        path.Remove();
        server.Remove();
    }
    std::string Ie(const char *fixture)
    {
        std::string dir = root / fixture;
        CreateDirectoryA(dir.c_str(), NULL);
        PlaceFixture(fixture, dir + "\\iexplore.exe");
        return dir;
    }
    void AppPath(const std::string &text) { SetString(HKLM, APP_PATHS, "Path", text); }
    void DirectShow(const char *fixture)
    {
        PlaceFixture(fixture, root / "dsserver.dll");
        SetString(HKEY_CLASSES_ROOT, DSHOW_SERVER, NULL, root / "dsserver.dll");
    }
};
