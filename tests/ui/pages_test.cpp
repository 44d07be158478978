// The list, progress and install directory pages, driven through real windows.
#include <doctest.h>
#include "ui/pages.h"
#include "uitest.h"
#include <commctrl.h>
#include <objbase.h>
#include <string.h>

static const char kDefaultDirectory[] = "C:\\Program Files\\Kalor\\Orvid\\Flowcaster Publisher";
static const char kBrowseTitle[] = "Select folder for Orvid\xAE Flowcaster Publisher";

static bool IsDir(const char *path)
{
    DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

TEST_CASE("list pages show their lines and cancel only when confirmed")
{
    HWND host = CreateHostWindow();
    ComponentListDialog components(GetModuleHandleA(NULL), IDD_COMPONENTS, host);
    components.AddLine("Video codec");
    components.AddLine("Audio codec");
    // Entries as the sequence builds them; a nameless one starts with an empty line.
    ComponentListDialog skipped(GetModuleHandleA(NULL), IDD_SKIPPED, host);
    skipped.AddLine("Video codec\n\tNeeds Internet Explorer 4.\n\n");
    skipped.AddLine("\n\tA newer version is installed.\n\n");
    const std::string entries = "Video codec\n\tNeeds Internet Explorer 4.\n\n\n"
                                "\n\tA newer version is installed.\n\n\n";
    CHECK(std::string(skipped.listText) == entries);

    std::string listed, shown, afterNo;
    bool askedOnEsc = false, askedOnCancel = false;
    DriverThread driver([&] {
        const PageInfo *page = Await(PAGE_COMPONENTS);
        if (page) {
            listed = PageControlText(page, IDC_LIST_TEXT);
            PressButton(page->hwnd, IDOK);
        }
        if (!(page = Await(PAGE_SKIPPED)))
            return;
        HWND hwnd = page->hwnd;
        shown = PageControlText(page, IDC_LIST_TEXT);
        PostMessageA(hwnd, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
        askedOnEsc = AnswerQuestion(hwnd, IDNO);
        if ((page = Await(PAGE_SKIPPED)) && page->hwnd == hwnd)
            afterNo = PageControlText(page, IDC_LIST_TEXT);
        PressButton(hwnd, IDCANCEL);
        askedOnCancel = AnswerQuestion(hwnd, IDYES);
    });
    CHECK(components.DoModal() == IDOK);
    CHECK(skipped.DoModal() == IDCANCEL);
    driver.Join();
    CHECK(listed == "Video codec\nAudio codec\n");
    CHECK(shown == entries);
    CHECK(askedOnEsc);
    CHECK(afterNo == entries);
    CHECK(askedOnCancel);
    DestroyWindow(host);
}

namespace {

const unsigned char kGuard = 0xA5;

// Guard bytes right behind the page's last field.
template <class Page>
struct Guarded : Page {
    template <class... Args>
    explicit Guarded(Args... args) : Page(args...) { memset(guard, kGuard, sizeof(guard)); }
    bool Intact() const
    {
        for (unsigned char b : guard)
            if (b != kGuard)
                return false;
        return true;
    }
    unsigned char guard[32];
};

} // namespace

TEST_CASE("page texts are cut off at their capacity")
{
    const std::string line(50, 'n');
    Guarded<ComponentListDialog> list(HINSTANCE(NULL), IDD_COMPONENTS, HWND(NULL));
    REQUIRE((char *)list.guard == list.listText + sizeof(list.listText));
    for (int i = 0; i < 40; i++)
        list.AddLine(line.c_str());
    CHECK(strlen(list.listText) == sizeof(list.listText) - 1);
    CHECK(std::string(list.listText, 51) == line + "\n");
    CHECK(list.Intact());

    // Items overflow first: the status column behind them stays as it was.
    Guarded<ProgressDialog> progress(HINSTANCE(NULL), HWND(NULL));
    REQUIRE((char *)progress.guard == (char *)(&progress.cancelRequested + 1));
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
        CHECK(IsWindowVisible(window));
        page.AddItem("Video codec");
        page.SetStatus("DONE");
        page.AddItem("");
        page.SetStatus("FAILED");
        const std::string dots(144, '.');
        const std::string items = "Installing Video codec" + dots + "\nInstalling " + dots + "\n";
        char shown[2048];
        GetDlgItemTextA(window, IDC_PROGRESS_ITEMS, shown, sizeof(shown));
        CHECK(std::string(shown) == items);
        GetDlgItemTextA(window, IDC_PROGRESS_STATUS, shown, sizeof(shown));
        CHECK(std::string(shown) == "DONE\nFAILED\n");

        SendMessageA(GetDlgItem(window, IDCANCEL), BM_CLICK, 0, 0);
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
    struct { const char *typed, *created; std::string directory; } cases[] = {
        { "C:\\orvid-ui\\ok\\b\\c", "C:\\orvid-ui\\ok\\b\\c", "C:\\orvid-ui\\ok\\b\\c" },
        { "", NULL, "" },
        // Longer than a path can be: the first 1023 characters, nothing created.
        { overlong.c_str(), NULL, overlong.substr(0, 1023) },
    };
    HWND host = CreateHostWindow();
    for (auto &c : cases) {
        CAPTURE(c.directory.size());
        DirectoryDialog page(GetModuleHandleA(NULL), IDD_DIRECTORY, host);
        std::string preset;
        DriverThread driver([&] {
            if (const PageInfo *shown = Await(PAGE_DIRECTORY)) {
                preset = PageControlText(shown, IDC_DIRECTORY_EDIT);
                SetControlText(shown->hwnd, IDC_DIRECTORY_EDIT, c.typed);
                PressButton(shown->hwnd, IDOK);
            }
        });
        CHECK(page.DoModal() == IDOK);
        driver.Join();
        CHECK(preset == kDefaultDirectory);
        char directory[1100];
        memset(directory, 'z', sizeof(directory));
        page.GetDirectory(directory, sizeof(directory));
        CHECK(directory == c.directory);
        // Any other control's command changes nothing.
        CHECK(page.OnCommand(IDC_DIRECTORY_EDIT, EN_CHANGE) == 0);
        CHECK(page.directory == c.directory);
        if (c.created)
            CHECK(IsDir(c.created));
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
    bool createdFirst = false, pageEnabled = false, titled = false, closed = false;
    HWND browserOwner = NULL;
    std::string selected, afterCancel, afterChoice;
    DriverThread driver([&] {
        const PageInfo *shown = Await(PAGE_DIRECTORY);
        if (!shown)
            return;
        HWND window = shown->hwnd;
        SetControlText(window, IDC_DIRECTORY_EDIT, typed);
        for (int round = 0; round < 2; round++) {
            PressButton(window, IDC_BROWSE);
            const PageInfo *browser = Await(PAGE_UNKNOWN);
            if (!browser)
                return;
            HWND tree = FindWindowExA(browser->hwnd, NULL, WC_TREEVIEWA, NULL);
            LPARAM item = SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CARET, 0);
            if (round == 0) {
                createdFirst = IsDir(typed);
                pageEnabled = IsWindowEnabled(window);
                browserOwner = browser->owner;
                for (int i = 0; i < browser->controlCount; i++)
                    titled |= std::string(browser->controls[i].text) == kBrowseTitle;
                char text[MAX_PATH] = "";
                TVITEMA read = { TVIF_TEXT, (HTREEITEM)item, 0, 0, text, sizeof(text) };
                SendMessageA(tree, TVM_GETITEMA, 0, (LPARAM)&read);
                selected = text;
                PressButton(browser->hwnd, IDCANCEL);
            } else {
                // Choosing the parent of the preset folder replaces the field's text.
                LPARAM parent = SendMessageA(tree, TVM_GETNEXTITEM, TVGN_PARENT, item);
                SendMessageA(tree, TVM_SELECTITEM, TVGN_CARET, parent);
                PressButton(browser->hwnd, IDOK);
            }
            WaitUntilInactive(browser->hwnd, kWaitMs);
            Sleep(200);
            shown = Await(PAGE_DIRECTORY);
            (round == 0 ? afterCancel : afterChoice) = shown ? PageControlText(shown, IDC_DIRECTORY_EDIT) : "";
        }
        PressButton(window, IDCANCEL);
        closed = AnswerQuestion(window, IDYES);
    });
    CHECK(page.DoModal() == IDCANCEL);
    driver.Join();
    CHECK(createdFirst);
    CHECK(pageEnabled);
    CHECK(browserOwner == host);
    CHECK(titled);
    CHECK(selected == "sel");
    CHECK(afterCancel == typed);
    CHECK(afterChoice == "C:\\orvid-browse\\typed");
    CHECK(closed);
    for (const char *path : { typed, "C:\\orvid-browse\\typed", "C:\\orvid-browse" })
        RemoveDirectoryA(path);
    DestroyWindow(host);
}
