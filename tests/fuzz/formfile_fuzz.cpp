// Form files from outside: a job that prints over a registered form reads the
// form file (its class is checked at the start of the document, and its
// bytes are sent ahead of the job); the file may be anything a user or
// another program put under that name.
//
// Input: one byte of PDL type, one byte of graphics mode, one byte choosing
// the form mode (overlay, or create over an existing file), then the form
// file's bytes. What must hold besides no fault: creating a form never
// touches a file without the form-file extension.
#include "tests/fuzz/fuzz.h"

#include "ui/settings/devmode.h"

namespace {

const WCHAR kszForm[] = u"C:\\forms\\case.xfo";
const WCHAR kszOther[] = u"C:\\forms\\notes.txt";
std::vector<BYTE> g_default;

}  // namespace

void FuzzSetUp()
{
    FuzzInstallPrinter();
    g_default = FuzzDefaultDevmode();
    CreateDirectoryW(u"C:\\forms", nullptr);
}

void FuzzOne(const uint8_t* pData, size_t cbData)
{
    FuzzInput in(pData, cbData);
    uint8_t bPdl = in.U8() % 4;
    uint8_t bMode = in.U8() % 3;
    uint8_t bChoice = in.U8();
    std::vector<uint8_t> form = in.Rest();

    DeleteFileW(kszForm);
    FuzzWriteFile(kszForm, form.data(), form.size());
    const char kNotes[] = "not a form";
    FuzzWriteFile(kszOther, kNotes, sizeof(kNotes) - 1);

    std::vector<BYTE> dm = g_default;
    DRVDEVMODE* pDrv = (DRVDEVMODE*)dm.data();
    pDrv->ui.lpPDLType = bPdl;
    pDrv->ui.lpGraphicsMode = bMode;
    bool bCreate = bChoice & 1;
    pDrv->ui.lpOverlay = bCreate ? 2 : 3;
    // Creating aims at the form, or (bit 1) at a file that is not one.
    const WCHAR* pszTarget = bCreate && (bChoice & 2) ? kszOther : kszForm;
    std::memset(pDrv->ui.szOverlayName, 0, sizeof(pDrv->ui.szOverlayName));
    lstrcpynW(pDrv->ui.szOverlayName, pszTarget, 130);

    HDC hdc = CreateDCW(nullptr, FUZZ_PRINTER, nullptr, (const DEVMODEW*)dm.data());
    if (!hdc)
        return;
    FuzzPrintDocument(hdc, 1);
    DeleteDC(hdc);

    if (pszTarget == kszOther && FuzzReadHostFile(PlatHostPath(kszOther)) != kNotes)
        FuzzFail("creating a form replaced a file that is not a form file");
}

void FuzzSeeds(std::vector<std::string>* pSeeds)
{
    auto seed = [&](uint8_t pdl, uint8_t mode, uint8_t choice, const std::string& bytes) {
        std::string s;
        s.push_back((char)pdl);
        s.push_back((char)mode);
        s.push_back((char)choice);
        s += bytes;
        pSeeds->push_back(s);
    };
    seed(0, 1, 0, std::string("foc 1;org %0;xyz;\n", 18));
    seed(1, 2, 0, std::string("\x1b&f16Y\x1b&f0X", 11));
    seed(2, 1, 0, std::string(") HP-PCL XL;2;0\r\n", 17));
    seed(0, 1, 1, "");
    seed(0, 1, 3, "foc 2;");
    seed(3, 0, 0, std::string(64, '\0'));
}
