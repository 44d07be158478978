// Wine answers version reads alike whatever Windows it plays: here the three ANSI
// reads answer as Windows 9x would, or else as NT 4.0 would, by the version
// the process sees. Like theirs, the answers trust the caller's buffer.
#include <windows.h>

namespace {

// Wine's own answers; kernelbase is in every Wine process.
const HMODULE kernelbase = GetModuleHandleA("kernelbase.dll");
const auto wineSize = (decltype(&GetFileVersionInfoSizeA))(void *)GetProcAddress(kernelbase, "GetFileVersionInfoSizeA");
const auto wineInfo = (decltype(&GetFileVersionInfoA))(void *)GetProcAddress(kernelbase, "GetFileVersionInfoA");
const UINT CODE_PAGE = 1252;  // a U.S. system, whatever the prefix's code page
const int MAX_DEPTH = 16;     // real blocks nest 4 deep; crafted ones must not exhaust the stack

bool Win9x() { return GetVersion() & 0x80000000; }

WORD Word(const BYTE *p) { return (WORD)(p[0] | p[1] << 8); }
DWORD Align4(DWORD n) { return (n + 3) & ~3u; }
DWORD Upper(DWORD c) { return c - 'a' < 26 ? c - 32 : c; }

// A node at an offset of the block: the 32-bit layout (wide: 6-byte header,
// UTF-16) or Windows 9x's 16-bit one (4-byte header, ANSI).
struct Node { DWORD end, key, keyEnd, value, valueBytes, children; bool text; };

// False when the node runs past limit or its key is unterminated: not followed.
// clamp cuts an overstated length to limit instead.
bool Parse(const BYTE *b, DWORD at, DWORD limit, bool wide, Node &n, bool clamp = false)
{
    const DWORD head = wide ? 6 : 4, unit = wide ? 2 : 1;
    if (at > limit || limit - at < head)
        return false;
    DWORD length = clamp && Word(b + at) > limit - at ? limit - at : Word(b + at);
    if (length < head + unit || length > limit - at)
        return false;
    n.end = at + length;
    for (n.key = n.keyEnd = at + head; wide ? Word(b + n.keyEnd) : b[n.keyEnd]; n.keyEnd += unit)
        if (n.end - n.keyEnd < 2 * unit)
            return false;
    n.text = wide && Word(b + at + 4) == 1;
    n.value = Align4(n.keyEnd + unit);
    n.valueBytes = Word(b + at + 2) * (n.text ? 2 : 1);
    n.children = Align4(n.value + n.valueBytes);
    return true;
}

// UTF-16 text of at most chars, up to its NUL, as ANSI and NUL: its bytes with
// the NUL, or 0 when they do not fit in room.
DWORD ToAnsi(const BYTE *b, DWORD at, DWORD chars, BYTE *out, DWORD room)
{
    const WCHAR *w = (const WCHAR *)(b + at);
    DWORD n = 0;
    while (n < chars && w[n])
        n++;
    int got = n ? WideCharToMultiByte(CODE_PAGE, 0, w, n, (char *)out, room, NULL, NULL) : 0;
    if ((n && got <= 0) || (DWORD)got >= room)
        return 0;
    out[got] = 0;
    return got + 1;
}

// Rewrites a 32-bit node into out (zeroed) in the 16-bit layout, lengths
// recounted, texts in ANSI; values and children past their node are cut or dropped.
bool Convert(const BYTE *src, const Node &n, BYTE *out, DWORD room, DWORD &pos, int depth)
{
    const DWORD start = pos;
    DWORD got = room - pos < 4 ? 0 : ToAnsi(src, n.key, (n.keyEnd - n.key) / 2, out + pos + 4, room - pos - 4);
    DWORD inside = n.value >= n.end ? 0 : n.end - n.value < n.valueBytes ? n.end - n.value : n.valueBytes, value = 0;
    if (!got || (pos = Align4(pos + 4 + got)) > room)
        return false;
    if (n.text ? inside >= 2 && !(value = ToAnsi(src, n.value, inside / 2, out + pos, room - pos))
               : (value = inside) > room - pos)
        return false;
    if (!n.text)
        CopyMemory(out + pos, src + n.value, inside);
    pos += value;
    Node child;
    for (DWORD at = n.children; depth < MAX_DEPTH && at < n.end && Parse(src, at, n.end, true, child);
         at = Align4(child.end))
        if ((pos = Align4(pos)) > room || !Convert(src, child, out, room, pos, depth + 1))
            return false;
    const WORD head[2] = { (WORD)(pos - start), (WORD)value };
    CopyMemory(out + start, head, 4);
    return true;
}

// The node that path names; the root cut to limit in the 32-bit layout only,
// the 16-bit one being this library's own.
bool Find(const BYTE *b, DWORD limit, bool wide, const char *path, Node &n)
{
    if (!Parse(b, 0, limit, wide, n, wide))
        return false;
    for (int depth = 0;; depth++) {
        while (*path == '\\')
            path++;
        DWORD length = 0, at = n.children;
        while (path[length] && path[length] != '\\')
            length++;
        if (!length)
            return n.value <= n.end && n.valueBytes <= n.end - n.value;
        Node child;
        for (bool found = false; !found; at = Align4(child.end)) {
            if (depth >= MAX_DEPTH || at >= n.end || !Parse(b, at, n.end, wide, child))
                return false;
            found = (child.keyEnd - child.key) / (wide ? 2 : 1) == length;
            for (DWORD i = 0; found && i < length; i++)
                found = Upper(wide ? Word(b + child.key + 2 * i) : b[child.key + i]) == Upper((BYTE)path[i]);
        }
        n = child;
        path += length;
    }
}

}  // namespace

extern "C" {

// Wine reports 2 x the resource + 4; Windows 9x the bare resource, NT 4.0 its 1.5 x rounded up.
DWORD WINAPI StandinSizeA(LPCSTR file, LPDWORD handle)
{
    DWORD size = wineSize(file, handle), resource = size < 8 ? 0 : (size - 4) / 2;
    return Win9x() ? resource : resource + (resource + 1) / 2;
}

BOOL WINAPI StandinInfoA(LPCSTR file, DWORD handle, DWORD size, LPVOID data)
{
    // Wine's block in a buffer of Wine's size; then its resource bytes, or for
    // Windows 9x their rewrite, the root cut to the resource's end.
    DWORD wineLength = wineSize(file, &handle), resource = wineLength < 8 ? 0 : (wineLength - 4) / 2, length = 0;
    BYTE *block = (BYTE *)HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, wineLength + resource + 1);
    Node root;
    if (data && block && resource && wineInfo(file, 0, wineLength, block) &&
        (!Win9x() ? (length = resource) : Parse(block, 0, resource, true, root, true) &&
                                                   Convert(block, root, block + wineLength, resource, length, 0)))
        CopyMemory(data, Win9x() ? block + wineLength : block, length = length < size ? length : size);
    else
        length = 0;
    if (block)
        HeapFree(GetProcessHeap(), 0, block);
    return length != 0;
}

BOOL WINAPI StandinQueryA(LPCVOID data, LPCSTR path, LPVOID *buffer, PUINT length)
{
    const BYTE *block = (const BYTE *)data;
    const DWORD claimed = block ? Word(block) : 0;
    Node n;
    if (!block || !buffer || !Find(block, claimed, block[4] < ' ', path ? path : "", n))
        return FALSE;
    DWORD bytes = n.valueBytes, at = n.value;
    if (n.text && bytes) {
        // NT 4.0 copies texts as ANSI into the half-size tail past the block,
        // each at half its own offset; what does not fit there fails.
        DWORD end = claimed + claimed / 2;
        at = claimed + n.value / 2;
        if (at >= end || !(bytes = ToAnsi(block, n.value, bytes / 2, (BYTE *)block + at, end - at)))
            return FALSE;
    }
    *buffer = (BYTE *)block + at;
    if (length)
        *length = bytes;
    return TRUE;
}

}
