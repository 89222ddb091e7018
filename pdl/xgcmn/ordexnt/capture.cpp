// capture.cpp: the fax capture buffer. In a fax job whose output is
// captured, the stream goes into a 1024000-byte buffer instead of the job
// record stream; the user-interface library decides by escape whether the
// bytes belong to the current destination's part or to the common part,
// and the buffer is flushed into that file. At the end of the job every
// destination's part is sent, each followed by the common part.
//
// Facts the code relies on:
//  1. The index and count of destination files arrive by escape; they are
//     used only inside the 100-entry name table.
//  2. A file path is the capture directory followed by a name, and never
//     longer than MAX_PATH - 1 characters; a path that would be longer is
//     not used.
//  3. Without a buffer (allocation failed) bytes are counted and dropped.
#include <cstring>

#include "pdl/xgcmn/ordexnt/xgientnt.h"
#include "platform/windows.h"

namespace {

constexpr int kNameChars = 30;

// The work area sits at an odd offset in the PDEV, so its texts are read
// through copies.
int _Len(const WCHAR* psz, int cchMax)
{
    int n = 0;
    WCHAR wc;
    while (n < cchMax && (memcpy(&wc, psz + n, sizeof(wc)), wc != 0)) {
        ++n;
    }
    return n;
}

// Directory + name into pszPath (MAX_PATH units); FALSE when either is
// empty or the whole does not fit.
BOOL _BuildPath(WCHAR* pszPath, const WCHAR* pszDir, const WCHAR* pszName, int cchName)
{
    int cchDir = _Len(pszDir, MAX_PATH);
    int cchFile = _Len(pszName, cchName);
    if (cchDir == 0 || cchFile == 0 || cchDir + cchFile > MAX_PATH - 1) {
        return FALSE;
    }
    memcpy(pszPath, pszDir, cchDir * sizeof(WCHAR));
    memcpy(pszPath + cchDir, pszName, cchFile * sizeof(WCHAR));
    pszPath[cchDir + cchFile] = 0;
    return TRUE;
}

int _DestIndexLimit(int n)
{
    return n < 0 ? 0 : (n > PDL_MAX_FAXDEST ? PDL_MAX_FAXDEST : n);
}

}  // namespace

void InitCaptureState(PDEV* pPDev)
{
    PDLWORK* pWork = PdlWork(pPDev);
    FreeCaptureBuffer(pPDev);
    pWork->cbCaptureFile = 0;
    pWork->bCaptureOn = 0;
    pWork->cDestFiles = 0;
    pWork->iDestFile = 0;
    memset(pWork->aDestValues, 0, sizeof(pWork->aDestValues));
    memset(pWork->aCaptureValues, 0, sizeof(pWork->aCaptureValues));
    pWork->bCaptureKind = 0;
    pWork->slCaptureBuf = 0;
    pWork->cbCaptureBuf = 0;
    pWork->FaxDest.cDest = 0;
    memset(pWork->szCaptureDir, 0, 6580);
    static_assert(sizeof(PDLWORK::szCaptureDir) + sizeof(PDLWORK::szCommonName) +
                      sizeof(PDLWORK::aszDestName) == 6580);
    if (bIsFaxCapture(pPDev)) {
        HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, PDL_CAPTURE_BUF_SIZE);
        if (h != nullptr) {
            SetPdlCaptureBuf(pPDev, static_cast<BYTE*>(GlobalLock(h)));
            if (PdlCaptureBuf(pPDev) == nullptr) {
                GlobalFree(h);
            }
        }
    }
}

void AppendCaptureData(PDEV* pPDev, const BYTE* pb, DWORD cb)
{
    PDLWORK* pWork = PdlWork(pPDev);
    if (PdlCaptureBuf(pPDev) == nullptr) {
        pWork->cbCaptureBuf += (LONG)cb;
        return;
    }
    while (cb > 0) {
        if (pWork->cbCaptureBuf >= PDL_CAPTURE_BUF_SIZE) {
            FlushCaptureToFile(pPDev);
        }
        DWORD cbRoom = (DWORD)(PDL_CAPTURE_BUF_SIZE - pWork->cbCaptureBuf);
        DWORD cbPiece = cb < cbRoom ? cb : cbRoom;
        memcpy(PdlCaptureBuf(pPDev) + pWork->cbCaptureBuf, pb, cbPiece);
        pWork->cbCaptureBuf += (LONG)cbPiece;
        pb += cbPiece;
        cb -= cbPiece;
    }
}

BOOL FlushCaptureToFile(PDEV* pPDev)
{
    PDLWORK* pWork = PdlWork(pPDev);
    BOOL bOk = TRUE;
    BYTE* pCaptureBuf = PdlCaptureBuf(pPDev);
    if (pCaptureBuf != nullptr && pWork->cbCaptureBuf > 0) {
        WCHAR szPath[MAX_PATH];
        BOOL bPath = FALSE;
        if (pWork->bCaptureKind == 1 && pWork->iDestFile >= 0 &&
            pWork->iDestFile < PDL_MAX_FAXDEST) {
            bPath = _BuildPath(szPath, pWork->szCaptureDir, pWork->aszDestName[pWork->iDestFile],
                               kNameChars);
        } else if (pWork->bCaptureKind == 2) {
            bPath = _BuildPath(szPath, pWork->szCaptureDir, pWork->szCommonName, kNameChars);
        }
        if (bPath) {
            HANDLE h = CreateFileW(szPath, GENERIC_WRITE, 0, nullptr,
                                   pWork->cbCaptureFile == 0 ? CREATE_ALWAYS : OPEN_ALWAYS,
                                   FILE_ATTRIBUTE_NORMAL, nullptr);
            bOk = FALSE;
            if (h != INVALID_HANDLE_VALUE) {
                DWORD cbDone = 0;
                if (SetFilePointer(h, 0, nullptr, FILE_END) != 0xFFFFFFFF &&
                    WriteFile(h, pCaptureBuf, (DWORD)pWork->cbCaptureBuf, &cbDone,
                              nullptr) &&
                    cbDone == (DWORD)pWork->cbCaptureBuf) {
                    bOk = TRUE;
                }
                CloseHandle(h);
                pWork->cbCaptureFile += (LONG)cbDone;
            }
        }
    }
    pWork->cbCaptureBuf = 0;
    return bOk;
}

void SendCaptureFiles(PDEV* pPDev)
{
    PDLWORK* pWork = PdlWork(pPDev);
    if (pWork->bCaptureOn == 0 || GetFaxDestCount(pPDev) == 0) {
        return;
    }
    FlushCaptureToFile(pPDev);
    pWork->cbCaptureFile = 0;
    pWork->bCaptureKind = 0;
    int cFiles = _DestIndexLimit(pWork->cDestFiles);
    for (int i = 0; i < cFiles; ++i) {
        WCHAR szPath[MAX_PATH];
        if (_BuildPath(szPath, pWork->szCaptureDir, pWork->aszDestName[i], kNameChars)) {
            SendFileToJob(pPDev, szPath);
        }
        if (_BuildPath(szPath, pWork->szCaptureDir, pWork->szCommonName, kNameChars)) {
            SendFileToJob(pPDev, szPath);
        }
    }
}

BOOL SendFileToJob(PDEV* pPDev, LPCWSTR pwszPath)
{
    // The parts go to the job record stream itself: through the router
    // they would only land in the capture buffer again.
    PFN_WRITEJOBDATA pfnWrite = PdevWriteJobData(pPDev);
    if (pfnWrite == nullptr) {
        return FALSE;
    }
    HANDLE h = CreateFileW(pwszPath, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        return FALSE;
    }
    BYTE ab[16384];
    BOOL bOk = TRUE;
    for (;;) {
        DWORD cbRead = 0;
        if (!ReadFile(h, ab, sizeof(ab), &cbRead, nullptr)) {
            bOk = FALSE;
            break;
        }
        if (cbRead == 0) {
            break;
        }
        if (!pfnWrite(pPDev, ab, cbRead)) {
            bOk = FALSE;
            break;
        }
    }
    CloseHandle(h);
    return bOk;
}

void FreeCaptureBuffer(PDEV* pPDev)
{
    PDLWORK* pWork = PdlWork(pPDev);
    // The row is the PDEV's whatever the slot says now.
    BYTE* pCaptureBuf = reinterpret_cast<BYTE*>(PdevRefTake(pPDev, PREF_CAPTUREBUF));
    if (pCaptureBuf != nullptr) {
        HGLOBAL h = GlobalHandle(pCaptureBuf);
        if (h != nullptr) {
            GlobalUnlock(h);
            GlobalFree(h);
        }
    }
    pWork->slCaptureBuf = 0;
    pWork->cbCaptureBuf = 0;
}

void CopyCaptureState(PDEV* pNew, PDEV* pOld)
{
    PDLWORK* pTo = PdlWork(pNew);
    PDLWORK* pFrom = PdlWork(pOld);
    if (pNew != pOld) {
        FreeCaptureBuffer(pNew);
    }
    pTo->cbCaptureFile = pFrom->cbCaptureFile;
    memcpy(pTo->szFaxDocName, pFrom->szFaxDocName, sizeof(pTo->szFaxDocName));
    pTo->bCaptureOn = pFrom->bCaptureOn;
    pTo->cDestFiles = pFrom->cDestFiles;
    pTo->iDestFile = pFrom->iDestFile;
    memcpy(pTo->aDestValues, pFrom->aDestValues, sizeof(pTo->aDestValues));
    memcpy(pTo->aCaptureValues, pFrom->aCaptureValues, sizeof(pTo->aCaptureValues));
    pTo->bCaptureKind = pFrom->bCaptureKind;
    memcpy(pTo->aFaxDate, pFrom->aFaxDate, sizeof(pTo->aFaxDate));
    pTo->slCaptureBuf = PdevRefMove(pNew, pOld, PREF_CAPTUREBUF);
    pTo->cbCaptureBuf = pFrom->cbCaptureBuf;
    pTo->FaxDest = pFrom->FaxDest;
    memcpy(pTo->szCaptureDir, pFrom->szCaptureDir, 6580);
    // The buffer now belongs to the new work area alone.
    if (pNew != pOld) {
        pFrom->slCaptureBuf = 0;
        pFrom->cbCaptureBuf = 0;
    }
}
