// Form-file names that arrive in a DEVMODE: a job's DEVMODE says whether it
// creates a form (its pages written into the named file instead of going to
// the printer) or prints over one (the named file read into the job), and
// names the file; any application fills both in. A create may write in any
// folder, but never over a file that is not a form file, and a job never
// writes anything else.
//
// Input: one byte of the form mode (create, print with the form, none, or
// any other value), one byte of pages, then the name as UTF-16 (at most 129
// characters). The machine holds, before every case: a form file
// C:\forms\good.xfo, someone's notes C:\victim\notes.xfo, a folder
// C:\victim\folder.xfo, and a file of another kind C:\victim\notes.txt.
// What must hold besides no fault: the notes, the folder and the text file
// are as they were after the job, whatever it was told.
#include "tests/fuzz/fuzz.h"

#include "ui/settings/devmode.h"

#include <filesystem>

namespace {

std::vector<BYTE> g_default;
const char kNotes[] = "Someone's notes, not a form.\n";
const char kText[] = "A text file.\n";

void _Plant()
{
    std::error_code ec;
    std::filesystem::remove_all(PlatHostPath(u"C:\\forms"), ec);
    CreateDirectoryW(u"C:\\forms", nullptr);
    CreateDirectoryW(u"C:\\victim", nullptr);
    CreateDirectoryW(u"C:\\victim\\folder.xfo", nullptr);
    static const char kForm[] = "foc Arial Arial_Font 1 W1 0;\norg %0 %0;\n";
    FuzzWriteFile(u"C:\\forms\\good.xfo", kForm, sizeof(kForm) - 1);
    FuzzWriteFile(u"C:\\victim\\notes.xfo", kNotes, sizeof(kNotes) - 1);
    FuzzWriteFile(u"C:\\victim\\notes.txt", kText, sizeof(kText) - 1);
}

void _Check()
{
    if (FuzzReadHostFile(PlatHostPath(u"C:\\victim\\notes.xfo")) != kNotes)
        FuzzFail("a job wrote over a file that is not a form file");
    if (FuzzReadHostFile(PlatHostPath(u"C:\\victim\\notes.txt")) != kText)
        FuzzFail("a job wrote over a file that is not named as a form");
    std::error_code ec;
    if (!std::filesystem::is_directory(PlatHostPath(u"C:\\victim\\folder.xfo"), ec))
        FuzzFail("a job replaced a folder named as a form");
}

}  // namespace

void FuzzSetUp()
{
    FuzzInstallPrinter();
    g_default = FuzzDefaultDevmode();
}

void FuzzOne(const uint8_t* pData, size_t cbData)
{
    FuzzInput in(pData, cbData);
    BYTE bMode = in.U8();
    int cPages = 1 + in.U8() % 2;
    std::vector<BYTE> dm = g_default;
    DRVDEVMODE* pdm = (DRVDEVMODE*)dm.data();
    pdm->ui.lpOverlay = bMode;
    std::memset(pdm->ui.szOverlayName, 0, sizeof(pdm->ui.szOverlayName));
    std::vector<uint8_t> name = in.Take(129 * sizeof(WCHAR));
    if (!name.empty())
        std::memcpy(pdm->ui.szOverlayName, name.data(), name.size() & ~(size_t)1);
    _Plant();
    HDC hdc = CreateDCW(nullptr, FUZZ_PRINTER, nullptr, (const DEVMODEW*)dm.data());
    if (hdc) {
        FuzzPrintDocument(hdc, cPages);
        DeleteDC(hdc);
    }
    _Check();
}

void FuzzSeeds(std::vector<std::string>* pSeeds)
{
    auto add = [&](BYTE bMode, const std::u16string& name) {
        std::string s;
        s.push_back((char)bMode);
        s.push_back(0);
        s.append((const char*)name.data(), name.size() * sizeof(WCHAR));
        pSeeds->push_back(s);
    };
    add(2, u"C:\\forms\\new.xfo");
    add(2, u"C:\\forms\\good.xfo");
    add(2, u"C:\\victim\\notes.xfo");
    add(2, u"C:\\victim\\folder.xfo");
    add(2, u"C:\\victim\\notes.txt");
    add(2, u"C:\\missing\\x.xfo");
    add(2, u"C:\\forms\\..\\victim\\notes.xfo");
    add(2, u"C:/victim/notes.xfo");
    add(2, u".xfo");
    add(3, u"C:\\forms\\good.xfo");
    add(3, u"C:\\victim\\notes.xfo");
    add(3, u"C:\\victim\\folder.xfo");
    add(1, u"C:\\victim\\notes.xfo");
    add(7, u"C:\\victim\\notes.xfo");
}
