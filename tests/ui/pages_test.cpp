// The list, progress and install directory pages, driven through real windows.
#include <doctest.h>
#include "ui/pages.h"
#include "uitest.h"
#include <commctrl.h>
#include <objbase.h>
#include <string.h>

static const char kDefaultDirectory[] = "C:\\Program Files\\Kalor\\Orvid\\Flowcaster Publisher";

static bool IsDir(const char *path)
{
    DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

TEST_CASE("list page shows its lines and cancels only when confirmed")
{
    HWND host = CreateHostWindow();
    ComponentListDialog page(GetModuleHandleA(NULL), IDD_SKIPPED, host);
    // A skipped entry as the sequence builds it, then a plain line.
    page.AddLine("Video codec\n\tNeeds Internet Explorer 4.\n\n");
    page.AddLine("Audio codec");
    const std::string lines = "Video codec\n\tNeeds Internet Explorer 4.\n\n\nAudio codec\n";
    std::string shown, afterNo;
    bool askedOnEsc = false, askedOnCancel = false;
    INT_PTR result = Drive([&] {
        const PageInfo *shownPage = Await(PAGE_SKIPPED);
        if (!shownPage)
            return;
        HWND hwnd = shownPage->hwnd;
        shown = PageControlText(shownPage, IDC_LIST_TEXT);
        PostMessageA(hwnd, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
        askedOnEsc = AnswerQuestion(hwnd, IDNO);
        if ((shownPage = Await(PAGE_SKIPPED)) && shownPage->hwnd == hwnd)
            afterNo = PageControlText(shownPage, IDC_LIST_TEXT);
        PressButton(hwnd, IDCANCEL);
        askedOnCancel = AnswerQuestion(hwnd, IDYES);
    }, [&] { return page.DoModal(); });
    CHECK(result == IDCANCEL);
    CHECK(shown == lines);
    CHECK(askedOnEsc);
    CHECK(afterNo == lines);
    CHECK(askedOnCancel);
    DestroyWindow(host);
}

// Guard bytes right behind the page's last field.
template <class Page>
struct Guarded : Page {
    template <class... Args>
    explicit Guarded(Args... args) : Page(args...) { memset(guard, 0xA5, sizeof(guard)); }
    bool Intact() const { return std::string(guard, sizeof(guard)) == std::string(sizeof(guard), '\xA5'); }
    char guard[32];
};

TEST_CASE("page texts are cut off at their capacity")
{
    const std::string line(50, 'n');
    Guarded<ComponentListDialog> list(HINSTANCE(NULL), IDD_COMPONENTS, HWND(NULL));
    REQUIRE(list.guard == list.listText + sizeof(list.listText));
    for (int i = 0; i < 40; i++)
        list.AddLine(line.c_str());
    CHECK(strlen(list.listText) == sizeof(list.listText) - 1);
    CHECK(std::string(list.listText, 51) == line + "\n");
    CHECK(list.Intact());

    // Items overflow first: the status column behind them stays as it was.
    Guarded<ProgressDialog> progress(HINSTANCE(NULL), HWND(NULL));
    REQUIRE(progress.guard == (char *)(&progress.cancelRequested + 1));
    progress.SetStatus("DONE");
    for (int i = 0; i < 20; i++)
        progress.AddItem(line.c_str());
    CHECK(strlen(progress.itemsText) == sizeof(progress.itemsText) - 1);
    CHECK(std::string(progress.statusText) == "DONE\n");
    for (int i = 0; i < 100; i++)
        progress.SetStatus("FAILED");
    CHECK(strlen(progress.statusText) == sizeof(progress.statusText) - 1);
    CHECK(progress.cancelRequested == 0);
    CHECK(progress.Intact());

    // No window: the directory set last, handed out within the destination.
    DirectoryDialog directory(NULL, IDD_DIRECTORY, NULL);
    directory.SetDirectory(std::string(1100, 'x').c_str());
    CHECK(strlen(directory.directory) == sizeof(directory.directory) - 1);
    char output[12];
    memset(output, 'g', sizeof(output));
    directory.GetDirectory(output, 8);
    CHECK(std::string(output, sizeof(output)) == std::string("xxxxxxx\0gggg", 12));
    directory.GetDirectory(output + 8, 0);
    directory.GetDirectory(NULL, 8);
    CHECK(output[8] == 'g');
}

TEST_CASE("progress page pairs items with status words and only records Cancel")
{
    HWND host = CreateHostWindow();
    HWND window = NULL;
    {
        ProgressDialog page(GetModuleHandleA(NULL), host);
        REQUIRE(page.Create() == 1);
        window = page.hwnd;
        page.AddItem("Video codec");
        page.SetStatus("DONE");
        page.AddItem("");
        page.SetStatus("FAILED");
        const std::string dots(144, '.');
        char shown[2048];
        GetDlgItemTextA(window, IDC_PROGRESS_ITEMS, shown, sizeof(shown));
        CHECK(std::string(shown) == "Installing Video codec" + dots + "\nInstalling " + dots + "\n");
        GetDlgItemTextA(window, IDC_PROGRESS_STATUS, shown, sizeof(shown));
        CHECK(std::string(shown) == "DONE\nFAILED\n");

        for (int press = 0; press < 2; press++)
            SendMessageA(GetDlgItem(window, IDCANCEL), BM_CLICK, 0, 0);
        CHECK(page.TakeCancelRequest() == 1);
        CHECK(page.TakeCancelRequest() == 0);
        CHECK(IsWindowVisible(window));
    }
    CHECK_FALSE(IsWindow(window));
    DestroyWindow(host);
}

TEST_CASE("directory page hands out the text at OK and creates its path")
{
    const std::string overlong = "C:\\orvid-long\\" + std::string(1100, 'x');
    struct { const char *typed; std::string directory; bool created; } cases[] = {
        { "C:\\orvid-ui\\ok\\b\\c", "C:\\orvid-ui\\ok\\b\\c", true },
        { "", "", false },
        // Longer than a path can be: the first 1023 characters, nothing created.
        { overlong.c_str(), overlong.substr(0, 1023), false },
    };
    HWND host = CreateHostWindow();
    for (auto &c : cases) {
        CAPTURE(c.directory.size());
        DirectoryDialog page(GetModuleHandleA(NULL), IDD_DIRECTORY, host);
        std::string preset;
        INT_PTR result = Drive([&] {
            if (const PageInfo *shown = Await(PAGE_DIRECTORY)) {
                preset = PageControlText(shown, IDC_DIRECTORY_EDIT);
                SetControlText(shown->hwnd, IDC_DIRECTORY_EDIT, c.typed);
                PressButton(shown->hwnd, IDOK);
            }
        }, [&] { return page.DoModal(); });
        CHECK(result == IDOK);
        CHECK(preset == kDefaultDirectory);
        char directory[1100];
        memset(directory, 'z', sizeof(directory));
        page.GetDirectory(directory, sizeof(directory));
        CHECK(directory == c.directory);
        // Any other control's command changes nothing.
        CHECK(page.OnCommand(IDC_DIRECTORY_EDIT, EN_CHANGE) == 0);
        CHECK(page.directory == c.directory);
        CHECK(IsDir(c.directory.c_str()) == c.created);
    }
    CHECK_FALSE(IsDir("C:\\orvid-long"));
    CHECK_FALSE(IsDir(kDefaultDirectory));
    for (const char *path : { "C:\\orvid-ui\\ok\\b\\c", "C:\\orvid-ui\\ok\\b", "C:\\orvid-ui\\ok", "C:\\orvid-ui" })
        RemoveDirectoryA(path);
    DestroyWindow(host);
}

TEST_CASE("Browse creates the typed directory and opens the browser on it")
{
    CoInitialize(NULL);
    HWND host = CreateHostWindow();
    const char *typed = "C:\\orvid-browse\\typed\\sel";
    DirectoryDialog page(GetModuleHandleA(NULL), IDD_DIRECTORY, host);
    bool createdFirst = false, titled = false, closed = false;
    HWND browserOwner = NULL;
    std::string selected, after[2];
    INT_PTR result = Drive([&] {
        const PageInfo *shown = Await(PAGE_DIRECTORY);
        if (!shown)
            return;
        HWND window = shown->hwnd;
        SetControlText(window, IDC_DIRECTORY_EDIT, typed);
        // Cancel the browser first, then choose the parent of the folder it opened on.
        for (int choose = 0; choose < 2; choose++) {
            PressButton(window, IDC_BROWSE);
            const PageInfo *browser = Await(PAGE_UNKNOWN);
            if (!browser)
                return;
            if (!choose) {
                createdFirst = IsDir(typed);
                browserOwner = browser->owner;
                for (int i = 0; i < browser->controlCount; i++)
                    titled |= std::string(browser->controls[i].text) == "Select folder for Orvid\xAE Flowcaster Publisher";
            }
            HWND tree = FindWindowExA(browser->hwnd, NULL, WC_TREEVIEWA, NULL);
            char text[MAX_PATH] = "";
            TVITEMA read = { TVIF_TEXT, NULL, 0, 0, text, sizeof(text) };
            // The browser may reach its preset folder only after it shows.
            for (DWORD start = GetTickCount(); strcmp(text, "sel") && GetTickCount() - start < kWaitMs; Sleep(50)) {
                read.hItem = (HTREEITEM)SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CARET, 0);
                read.pszText = text;    // the control may answer with its own buffer instead
                if (SendMessageA(tree, TVM_GETITEMA, 0, (LPARAM)&read) && read.pszText && read.pszText != text)
                    lstrcpynA(text, read.pszText, sizeof(text));
            }
            selected += std::string(text) + " ";
            if (choose)
                SendMessageA(tree, TVM_SELECTITEM, TVGN_CARET, SendMessageA(tree, TVM_GETNEXTITEM, TVGN_PARENT, (LPARAM)read.hItem));
            PressButton(browser->hwnd, choose ? IDOK : IDCANCEL);
            WaitUntilInactive(browser->hwnd, kWaitMs);
            Sleep(200);
            shown = Await(PAGE_DIRECTORY);
            after[choose] = shown ? PageControlText(shown, IDC_DIRECTORY_EDIT) : "";
        }
        PressButton(window, IDCANCEL);
        closed = AnswerQuestion(window, IDYES);
    }, [&] { return page.DoModal(); });
    CHECK(result == IDCANCEL);
    CHECK(createdFirst);
    CHECK(browserOwner == host);
    CHECK(titled);
    CHECK(selected == "sel sel ");
    CHECK(after[0] == typed);
    CHECK(after[1] == "C:\\orvid-browse\\typed");
    CHECK(closed);
    for (const char *path : { typed, "C:\\orvid-browse\\typed", "C:\\orvid-browse" })
        RemoveDirectoryA(path);
    DestroyWindow(host);
}
