// Escapes from outside: ExtEscape is open to every application, so every
// private code the driver answers gets random sizes and contents, before,
// inside and after a document, mixed with the document's own steps.
//
// Input: a list of steps of 8 bytes each, then the payload bytes the steps
// draw from in turn. A step is
//   byte 0     what: 0..199 an escape, 200.. a document step
//   byte 1     the code, an index into the table of codes below
//   byte 2     shape: bit 0 the code's own input size, bit 1 its own output
//              size, bit 2 no input pointer, bit 3 no output pointer
//   byte 3     unused
//   bytes 4-7  input size and output size (16 bits each) when not the own
// The input block holds exactly its size of payload bytes (zeros past the
// payload), the output block exactly its size, so a read or write past
// either is a sanitizer report.
#include "tests/fuzz/fuzz.h"

#include "graphics/ddi/escape.h"

namespace {

struct ESCCODE {
    ULONG iEsc;
    WORD cbIn;   // its own input size (0: none)
    WORD cbOut;  // its own output size (0: none)
};

const ESCCODE kCodes[] = {
    {ESCAPE_JOB_GETJOBBLOCK, 0, 9075},     {ESCAPE_JOB_GETPDLWORK, 0, 28108},
    {ESCAPE_JOB_USERNAME, 510, 0},         {ESCAPE_JOB_DROPOUTPUT, 1, 0},
    {ESCAPE_JOB_NOOVERLAY, 0, 0},          {ESCAPE_JOB_USERPAPERS, 80, 0},
    {ESCAPE_JOB_FIRSTPAGEDONE, 1, 0},      {ESCAPE_JOB_APPNAME, 64, 0},
    {ESCAPE_STATE_SETPDEVSTATE, 1972, 0},  {ESCAPE_STATE_GETFAXLISTID, 0, 4},
    {ESCAPE_STATE_CLEARFAXLISTID, 0, 0},   {ESCAPE_STATE_FAXDESTS, 18004, 0},
    {ESCAPE_STATE_FIRSTDEST, 4, 0},        {ESCAPE_STATE_LASTDEST, 4, 0},
    {ESCAPE_STATE_CAPTUREON, 4, 0},        {ESCAPE_STATE_DESTFILES, 4, 0},
    {ESCAPE_STATE_DESTFILE, 4, 0},         {ESCAPE_STATE_JOBHEADER, 520, 0},
    {ESCAPE_STATE_CAPTUREKIND, 1, 0},      {ESCAPE_STATE_RESETPAGE, 0, 0},
    {ESCAPE_STATE_GETFAXDOCNAME, 0, 520},  {ESCAPE_STATE_SETFAXDOCNAME, 520, 0},
    {ESCAPE_STATE_GETFAXSTATE, 0, 16},     {ESCAPE_STATE_SETFAXDATE, 10, 0},
    {ESCAPE_STATE_CLEARDESTS, 0, 0},       {ESCAPE_STATE_GETFAXNUMBER, 0, 88},
    {ESCAPE_STATE_GETFAXDATE, 0, 10},      {ESCAPE_STATE_JOBEND, 0, 0},
    {ESCAPE_STATE_CLEARBATCHNAME, 2, 0},   {ESCAPE_STATE_CLEARCOVERNAME, 0, 0},
    {ESCAPE_STATE_CAPTUREDIR, 520, 0},     {ESCAPE_STATE_BATCHNAME, 64, 0},
    {ESCAPE_STATE_COVERNAME, 60, 0},       {ESCAPE_STATE_GETPAGESETUP, 0, 48},
    {ESCAPE_STATE_SETPAGESETUP, 48, 0},    {ESCAPE_PAGES_INSERTSHEETS, 476, 0},
    {ESCAPE_PAGES_INSERTCOUNT, 4, 0},      {ESCAPE_PAGES_TABPAPER, 8, 0},
    {ESCAPE_PAGES_INSERTMODE, 4, 0},       {ESCAPE_PAGES_COUNTBEFORE, 2, 2},
    {ESCAPE_PAGES_BEGINRECORD, 0, 0},      {ESCAPE_PAGES_ENDRECORD, 0, 0},
    {ESCAPE_PAGES_SEGMENTS, 4, 0},         {ESCAPE_PAGES_GETSEGCOUNT, 0, 4},
    {ESCAPE_PAGES_HASSEGINDEX, 0, 4},      {ESCAPE_PAGES_RELEASESEGS, 0, 0},
    {ESCAPE_PAGES_STOREPART1, 0, 0},       {ESCAPE_PAGES_STOREPART2, 0, 0},
    {ESCAPE_PAGES_TABTEXTSDONE, 0, 0},     {ESCAPE_PAGES_GETTABTEXTS, 0, 4},
    {ESCAPE_PAGES_PAGEORIGIN, 0, 8},       {ESCAPE_PAGES_SEGMENTKEY, 4, 0},
    {ESCAPE_PAGES_NEXTSEGMENT, 0, 0},      {ESCAPE_PAGES_SCHEDULE, 0, 0},
    {ESCAPE_OWNER_CHECK, 0, 0},            {ESCAPE_OWNER_GETTIMER, 0, 10},
    {ESCAPE_OWNER_OUTPUTMETHOD, 0, 1},     {ESCAPE_OWNER_TIMERDATE, 10, 0},
    {ESCAPE_CAPTURE_CLEARPATH, 0, 0},      {ESCAPE_CAPTURE_SETPATH, 520, 0},
    {ESCAPE_GEN_IGNORE, 1, 0},             {ESCAPE_GEN_FONTSUBST, 132, 0},
    {ESCAPE_GEN_CLEARPAGE, 0, 0},          {ESCAPE_GEN_SETDEVMODE, 2615, 0},
    {ESCAPE_GEN_CLEARPAGEFLAG, 0, 0},      {ESCAPE_GEN_SETPAGEFLAG, 1, 0},
    {ESCAPE_GEN_PAGECOUNT, 0, 0},          {ESCAPE_GEN_ORIENTATION, 0, 0},
    {ESCAPE_GEN_GETDEVMODE, 0, 2615},      {QUERYESCSUPPORT, 4, 0},
    {SETCOPYCOUNT, 4, 4},
};
const size_t kcCodes = sizeof(kCodes) / sizeof(kCodes[0]);

std::vector<BYTE> g_default;

enum { IDLE, INDOC, INPAGE };

struct Job {
    HDC hdc;
    int state = IDLE;

    void Step(BYTE what)
    {
        switch (what % 5) {
        case 0:
            if (state == IDLE) {
                DOCINFOW di = {sizeof(DOCINFOW), u"escapes", nullptr, nullptr, 0};
                if (StartDocW(hdc, &di) > 0)
                    state = INDOC;
            }
            break;
        case 1:
            if (state == INDOC && StartPage(hdc) > 0) {
                state = INPAGE;
                FuzzDrawPage(hdc);
            }
            break;
        case 2:
            if (state == INPAGE) {
                EndPage(hdc);
                state = INDOC;
            }
            break;
        case 3: Finish(what & 8); break;
        default:
            if (state == INPAGE)
                FuzzDrawPage(hdc);
            break;
        }
    }
    void Finish(bool bAbort)
    {
        if (state == INPAGE && !bAbort)
            EndPage(hdc);
        if (state != IDLE && (bAbort || EndDoc(hdc) <= 0))
            AbortDoc(hdc);
        state = IDLE;
    }
};

}  // namespace

void FuzzSetUp()
{
    FuzzInstallPrinter();
    g_default = FuzzDefaultDevmode();
}

void FuzzOne(const uint8_t* pData, size_t cbData)
{
    FuzzInput in(pData, cbData);
    size_t cSteps = std::min<size_t>(in.U8(), 24);
    std::vector<uint8_t> steps = in.Take(cSteps * 8);
    steps.resize(cSteps * 8, 0);
    HDC hdc = CreateDCW(nullptr, FUZZ_PRINTER, nullptr, (const DEVMODEW*)g_default.data());
    if (!hdc)
        FuzzFail("CreateDCW fails with the driver's own DEVMODE");
    Job job{hdc};
    for (size_t i = 0; i < cSteps; ++i) {
        const uint8_t* s = &steps[i * 8];
        if (s[0] >= 200) {
            job.Step(s[0] - 200);
            continue;
        }
        const ESCCODE& c = kCodes[s[1] % kcCodes];
        size_t cbIn = (s[2] & 1) ? c.cbIn : (size_t)(s[4] | s[5] << 8);
        size_t cbOut = (s[2] & 2) ? c.cbOut : (size_t)(s[6] | s[7] << 8);
        std::vector<uint8_t> vin = in.Take(cbIn);
        vin.resize(cbIn, 0);
        std::vector<uint8_t> vout(cbOut, 0xCD);
        const char* pIn = (s[2] & 4) || vin.empty() ? nullptr : (const char*)vin.data();
        char* pOut = (s[2] & 8) || vout.empty() ? nullptr : (char*)vout.data();
        ExtEscape(hdc, (int)c.iEsc, (int)cbIn, pIn, (int)cbOut, pOut);
    }
    job.Finish(false);
    DeleteDC(hdc);
}

void FuzzSeeds(std::vector<std::string>* pSeeds)
{
    auto step = [](std::string* p, BYTE what, ULONG iEsc, BYTE shape) {
        size_t i = 0;
        while (i < kcCodes && kCodes[i].iEsc != iEsc)
            ++i;
        BYTE b[8] = {what, (BYTE)i, shape, 0, 0, 0, 0, 0};
        p->append((const char*)b, 8);
    };
    // Each code with its own shape outside a document, then inside a page.
    for (size_t i = 0; i < kcCodes; ++i) {
        std::string s(1, (char)6);
        step(&s, 0, kCodes[i].iEsc, 3);
        step(&s, 200, 0, 0);
        step(&s, 201, 0, 0);
        step(&s, 0, kCodes[i].iEsc, 3);
        step(&s, 202, 0, 0);
        step(&s, 203, 0, 0);
        if (kCodes[i].iEsc == ESCAPE_GEN_SETDEVMODE)
            s.append((const char*)g_default.data(), g_default.size());
        else
            s.append(2 * kCodes[i].cbIn, '\0');
        pSeeds->push_back(s);
    }
    // The fax cover sequence: the page state saved and sent back.
    std::string s(1, (char)5);
    step(&s, 200, 0, 0);
    step(&s, 0, ESCAPE_JOB_GETJOBBLOCK, 3);
    step(&s, 0, ESCAPE_STATE_SETPDEVSTATE, 3);
    step(&s, 201, 0, 0);
    step(&s, 203, 0, 0);
    PDEVSTATE st = {};
    st.lNupScale = 100;
    st.lpLayout = 1;
    st.Zoom = 100;
    FuzzPut(&s, st);
    pSeeds->push_back(s);
}
